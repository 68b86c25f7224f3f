// The live objects of a session, each under its own handle. Handles come from
// one counter and are never reused, and each kind of object lives in its own
// table, so a handle of one kind never finds an object of another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/item_data.h"

namespace zentrella {

struct Item {
  Handle handle = 0;
  Handle parent = 0;  // 0 for a project
  ItemFields fields;
  std::vector<Handle> children;
  std::vector<Handle> documents;
  std::vector<Handle> links;
  std::vector<Handle> categories;
  // Projects only.
  ProjectOptions options;
  std::string file_name;
  bool modified = false;
};

struct Document {
  Handle handle = 0;
  Handle owner = 0;
  DocumentData data;
};

struct FileLink {
  Handle handle = 0;
  Handle owner = 0;
  FileLinkData data;
};

struct Category {
  Handle handle = 0;
  Handle owner = 0;
  CategoryData data;
};

class Store {
 public:
  Store() = default;
  // The directory points into this store's own tables.
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;
  Store(Store&&) = default;
  Store& operator=(Store&&) = default;

  // position: index among the siblings, clamped; nullopt = at the end.
  Item& create_item(ItemKind kind, Handle parent, std::optional<std::size_t> position = std::nullopt);
  Document& create_document(Handle owner, std::optional<std::size_t> position = std::nullopt);
  FileLink& create_link(Handle owner, std::optional<std::size_t> position = std::nullopt);
  Category& create_category(Handle owner, CategoryData data);

  // Null for 0, unknown, stale, or a handle of another kind.
  Item* item(Handle handle);
  const Item* item(Handle handle) const;
  Document* document(Handle handle);
  FileLink* link(Handle handle);
  Category* category(Handle handle);
  const Category* category(Handle handle) const;

  // Removes the item with everything below and on it; their handles go stale.
  void destroy_item(Handle handle);
  void destroy_document(Handle handle);
  void destroy_link(Handle handle);
  void destroy_category(Handle handle);
  // Moves an item under a new parent (0 = top level); false when that would
  // put it below itself.
  bool move_item(Handle handle, Handle new_parent, std::optional<std::size_t> position = std::nullopt);

  bool is_ancestor_or_self(Handle ancestor, Handle item) const;
  // The item and everything below it, depth first (empty for no item).
  std::vector<Handle> subtree(Handle handle) const;

  // Copies of the content, and objects made from copies.
  ItemTree capture(Handle handle, bool with_children) const;
  Handle instantiate(const ItemTree& tree, Handle parent, std::optional<std::size_t> position = std::nullopt);
  // Replaces the target's fields (not its kind), documents, links, categories
  // and alarm by the tree's; its children too when with_children.
  void apply(Handle target, const ItemTree& tree, bool with_children);

  std::size_t item_count() const { return items_.size(); }

 private:
  Handle next_handle();
  template <typename Member>
  Member& create_member(std::unordered_map<Handle, Member>& table, std::vector<Handle> Item::*list, Handle owner,
                        std::optional<std::size_t> position);
  void detach_from_parent(const Item& item);
  void clear_attachments(Item& item);

  // Where each handle this store made lives, by handle order from the
  // store's first handle: a look-up is an index, not a hash. The tables keep
  // the objects (their nodes never move); the directory only finds them.
  enum class Filed : std::uint8_t { none, item, document, link, category };
  struct Slot {
    void* object = nullptr;
    Filed kind = Filed::none;
  };
  template <typename Object>
  Object* look_up(Handle handle, Filed kind) const;
  void file(Handle handle, Filed kind, void* object);
  void unfile(Handle handle);

  Handle first_handle_ = 0;
  std::vector<Slot> directory_;
  std::unordered_map<Handle, Item> items_;
  std::unordered_map<Handle, Document> documents_;
  std::unordered_map<Handle, FileLink> links_;
  std::unordered_map<Handle, Category> categories_;
};

}  // namespace zentrella
