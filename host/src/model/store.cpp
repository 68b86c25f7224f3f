#include "model/store.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace zentrella {

bool is_valid_kind(int kind) { return kind >= 0 && kind <= 3; }

namespace {

template <typename List>
void insert_at(List& list, Handle handle, std::optional<std::size_t> position) {
  const std::size_t at = std::min(position.value_or(list.size()), list.size());
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), handle);
}

void erase_handle(std::vector<Handle>& list, Handle handle) {
  list.erase(std::remove(list.begin(), list.end(), handle), list.end());
}

}  // namespace

Store::Owned* Store::slot(Handle handle) const {
  if (handle < first_handle_ || first_handle_ == 0) return nullptr;
  const std::size_t index = handle - first_handle_;
  const std::size_t page = index >> kPageBits;
  if (page >= directory_.size() || directory_[page] == nullptr) return nullptr;
  return &(*directory_[page])[index & (kPageSize - 1)];
}

template <typename Object>
Object* Store::look_up(Handle handle) const {
  const Owned* owned = slot(handle);
  if (owned == nullptr) return nullptr;
  const auto* held = std::get_if<std::unique_ptr<Object>>(owned);
  return held != nullptr ? held->get() : nullptr;
}

// For the handles of an item's own lists, which always name living objects.
template <typename Object>
const Object& Store::must_find(Handle handle) const {
  const Object* found = look_up<Object>(handle);
  if (found == nullptr) throw std::logic_error("an item lists a handle the store does not hold");
  return *found;
}

template <typename Object>
Object& Store::file(Handle handle, std::unique_ptr<Object> object) {
  const std::size_t page = (handle - first_handle_) >> kPageBits;
  if (page >= directory_.size()) directory_.resize(page + 1);
  if (directory_[page] == nullptr) directory_[page] = std::make_unique<Page>();
  Object& filed = *object;
  *slot(handle) = std::move(object);
  if constexpr (std::is_same_v<Object, Item>) ++item_count_;
  return filed;
}

void Store::unfile(Handle handle) {
  Owned* owned = slot(handle);
  if (owned == nullptr) return;
  if (std::holds_alternative<std::unique_ptr<Item>>(*owned)) --item_count_;
  *owned = std::monostate{};
}

// One counter for the whole process, so that even a fresh session never hands
// out a handle that an older one gave; it starts away from small numbers that
// are easily mistaken for handles.
Handle Store::next_handle() {
  static std::atomic<Handle> counter{0x1000};
  const Handle handle = ++counter;
  if (handle == 0) throw std::runtime_error("no handles left in this session");
  if (first_handle_ == 0) first_handle_ = handle;
  return handle;
}

Item& Store::create_item(ItemKind kind, Handle parent, std::optional<std::size_t> position) {
  Item* parent_item = nullptr;
  if (parent != 0) {
    parent_item = item(parent);
    if (parent_item == nullptr) throw std::invalid_argument("no such parent item");
  }
  const Handle handle = next_handle();
  Item& made = file(handle, std::make_unique<Item>());
  made.handle = handle;
  made.parent = parent;
  made.fields.kind = kind;
  if (parent_item != nullptr) insert_at(parent_item->children, handle, position);
  return made;
}

// A document or file link of an item: a new handle in its table and in the
// owner's list of that kind.
template <typename Member>
Member& Store::create_member(std::vector<Handle> Item::*list, Handle owner, std::optional<std::size_t> position) {
  Item* owner_item = item(owner);
  if (owner_item == nullptr) throw std::invalid_argument("no such item");
  const Handle handle = next_handle();
  Member& made = file(handle, std::make_unique<Member>());
  made.handle = handle;
  made.owner = owner;
  insert_at(owner_item->*list, handle, position);
  return made;
}

Document& Store::create_document(Handle owner, std::optional<std::size_t> position) {
  return create_member<Document>(&Item::documents, owner, position);
}

FileLink& Store::create_link(Handle owner, std::optional<std::size_t> position) {
  return create_member<FileLink>(&Item::links, owner, position);
}

Category& Store::create_category(Handle owner, CategoryData data) {
  Item* owner_item = item(owner);
  if (owner_item == nullptr) throw std::invalid_argument("no such item");
  const Handle handle = next_handle();
  Category& made = file(handle, std::make_unique<Category>());
  made.handle = handle;
  made.owner = owner;
  made.data = std::move(data);
  owner_item->categories.push_back(handle);
  return made;
}

Item* Store::item(Handle handle) { return look_up<Item>(handle); }
const Item* Store::item(Handle handle) const { return look_up<Item>(handle); }
Document* Store::document(Handle handle) { return look_up<Document>(handle); }
FileLink* Store::link(Handle handle) { return look_up<FileLink>(handle); }
Category* Store::category(Handle handle) { return look_up<Category>(handle); }
const Category* Store::category(Handle handle) const { return look_up<Category>(handle); }

void Store::detach_from_parent(const Item& item) {
  if (Item* parent = this->item(item.parent)) erase_handle(parent->children, item.handle);
}

void Store::clear_attachments(Item& item) {
  for (Handle h : item.documents) unfile(h);
  for (Handle h : item.links) unfile(h);
  for (Handle h : item.categories) unfile(h);
  item.documents.clear();
  item.links.clear();
  item.categories.clear();
}

void Store::destroy_item(Handle handle) {
  Item* doomed = item(handle);
  if (doomed == nullptr) return;
  detach_from_parent(*doomed);
  // Children first, from a copy: each destroy edits this item's child list.
  const std::vector<Handle> children = doomed->children;
  for (Handle child : children) destroy_item(child);
  clear_attachments(*item(handle));
  unfile(handle);
}

void Store::destroy_document(Handle handle) {
  Document* doomed = document(handle);
  if (doomed == nullptr) return;
  if (Item* owner = item(doomed->owner)) erase_handle(owner->documents, handle);
  unfile(handle);
}

void Store::destroy_link(Handle handle) {
  FileLink* doomed = link(handle);
  if (doomed == nullptr) return;
  if (Item* owner = item(doomed->owner)) erase_handle(owner->links, handle);
  unfile(handle);
}

void Store::destroy_category(Handle handle) {
  Category* doomed = category(handle);
  if (doomed == nullptr) return;
  if (Item* owner = item(doomed->owner)) erase_handle(owner->categories, handle);
  unfile(handle);
}

std::vector<Handle> Store::subtree(Handle handle) const {
  std::vector<Handle> result;
  std::vector<Handle> pending;
  if (item(handle) != nullptr) pending.push_back(handle);
  while (!pending.empty()) {
    const Item& at = must_find<Item>(pending.back());
    pending.pop_back();
    result.push_back(at.handle);
    pending.insert(pending.end(), at.children.rbegin(), at.children.rend());
  }
  return result;
}

bool Store::is_ancestor_or_self(Handle ancestor, Handle handle) const {
  for (const Item* at = item(handle); at != nullptr; at = item(at->parent)) {
    if (at->handle == ancestor) return true;
  }
  return false;
}

bool Store::move_item(Handle handle, Handle new_parent, std::optional<std::size_t> position) {
  Item* moving = item(handle);
  if (moving == nullptr) return false;
  Item* target = nullptr;
  if (new_parent != 0) {
    target = item(new_parent);
    if (target == nullptr || is_ancestor_or_self(handle, new_parent)) return false;
  }
  detach_from_parent(*moving);
  moving->parent = new_parent;
  if (target != nullptr) insert_at(target->children, handle, position);
  return true;
}

ItemTree Store::capture(Handle handle, bool with_children) const {
  ItemTree tree;
  const Item* source = item(handle);
  if (source == nullptr) return tree;
  tree.fields = source->fields;
  tree.options = source->options;
  for (Handle h : source->documents) tree.documents.push_back(must_find<Document>(h).data);
  for (Handle h : source->links) tree.links.push_back(must_find<FileLink>(h).data);
  for (Handle h : source->categories) tree.categories.push_back(must_find<Category>(h).data);
  if (with_children) {
    for (Handle child : source->children) tree.children.push_back(capture(child, true));
  }
  return tree;
}

Handle Store::instantiate(const ItemTree& tree, Handle parent, std::optional<std::size_t> position) {
  Item& made = create_item(tree.fields.kind, parent, position);
  const Handle handle = made.handle;
  made.options = tree.options;
  apply(handle, tree, true);
  return handle;
}

void Store::apply(Handle target, const ItemTree& tree, bool with_children) {
  Item* into = item(target);
  if (into == nullptr) return;
  const ItemKind kind = into->fields.kind;
  into->fields = tree.fields;
  into->fields.kind = kind;
  clear_attachments(*into);
  for (const DocumentData& data : tree.documents) create_document(target).data = data;
  for (const FileLinkData& data : tree.links) create_link(target).data = data;
  for (const CategoryData& data : tree.categories) create_category(target, data);
  if (!with_children) return;
  const std::vector<Handle> old_children = item(target)->children;
  for (Handle child : old_children) destroy_item(child);
  for (const ItemTree& child : tree.children) instantiate(child, target);
}

}  // namespace zentrella
