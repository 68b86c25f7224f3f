// The live objects of a session, each under its own handle. Handles come from
// one counter and are never reused, and each kind of object lives in its own
// table, so a handle of one kind never finds an object of another.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <memory>
#include <variant>
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
  // The objects are the store's own.
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

  std::size_t item_count() const { return item_count_; }

 private:
  Handle next_handle();
  template <typename Member>
  Member& create_member(std::vector<Handle> Item::*list, Handle owner, std::optional<std::size_t> position);
  void detach_from_parent(const Item& item);
  void clear_attachments(Item& item);

  // Every object this store made, by handle order from the store's first
  // handle, in pages of a fixed size: a look-up is two indexes, not a hash, a
  // new object costs one allocation, and a growing store never moves what it
  // holds (one array would copy the whole directory each time it doubles).
  // An object never moves while it lives.
  using Owned = std::variant<std::monostate, std::unique_ptr<Item>, std::unique_ptr<Document>,
                             std::unique_ptr<FileLink>, std::unique_ptr<Category>>;
  static constexpr std::size_t kPageBits = 10;
  static constexpr std::size_t kPageSize = std::size_t{1} << kPageBits;
  using Page = std::array<Owned, kPageSize>;
  // Null for a handle outside every page.
  Owned* slot(Handle handle) const;
  template <typename Object>
  Object* look_up(Handle handle) const;
  template <typename Object>
  const Object& must_find(Handle handle) const;
  template <typename Object>
  Object& file(Handle handle, std::unique_ptr<Object> object);
  void unfile(Handle handle);

  Handle first_handle_ = 0;
  std::vector<std::unique_ptr<Page>> directory_;  // null: a page of handles other stores took
  std::size_t item_count_ = 0;
};

}  // namespace zentrella
