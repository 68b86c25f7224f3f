/* Ztl::ZtlItem: one item of the host's tree. Every method is one request
 * (two for ZtlItem.new(8)) with the receiver's handle in
 * the header; the payloads are those the plug-in's item handlers read. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

enum { ITEM_KIND_TASK = 0, ITEM_KIND_FILER = 1, ITEM_KIND_FOLDER = 2, ITEM_KIND_PROJECT = 3 };

static uint32_t handle_of(VALUE self) { return ztl_item_data(self)->handle; }

static ZtlPayload word_payload(int32_t value) {
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_word(&payload, value);
  return payload;
}

/* --- Class methods ------------------------------------------------------ */

/* The current document (selector 8) is not an item, and its handle must not
 * be taken for one: a script asking for the item of the current document
 * gets the item that owns it, which the host keeps as its current item. */
static VALUE item_of_current_document(VALUE klass) {
  const ZtlPayload payload = word_payload(ZTL_SELECT_CURRENT_DOCUMENT);
  if (ztl_request_word(ZTL_REQ_SPECIAL_ITEM, 0, &payload) == 0) return Qnil;
  return ztl_selector_item(ZTL_SELECT_CURRENT_ITEM, klass);
}

/* Not a constructor: no initialize runs, and nothing is made when the host
 * has no such item. A subclass gets instances of itself. */
static VALUE item_s_new(VALUE klass, VALUE selector) {
  const int32_t which = ztl_int_arg(selector);
  if (which == ZTL_SELECT_CURRENT_DOCUMENT) return item_of_current_document(klass);
  return ztl_selector_item(which, klass);
}

/* Handle 0 with kind 3 is the one add the plug-in takes for the top level. */
static VALUE item_s_new_project(VALUE klass) {
  (void)klass;
  const ZtlPayload payload = word_payload(ITEM_KIND_PROJECT);
  return ztl_request_item(ZTL_REQ_ITEM_ADD, 0, &payload);
}

/* --- Tree: neighbours ---------------------------------------------------- */

#define ITEM_NEIGHBOUR(function, code) \
  static VALUE function(VALUE self) { return ztl_request_item(code, handle_of(self), NULL); }

ITEM_NEIGHBOUR(item_parent, ZTL_REQ_ITEM_PARENT)
ITEM_NEIGHBOUR(item_first_child, ZTL_REQ_ITEM_FIRST_CHILD)
ITEM_NEIGHBOUR(item_next_sibling, ZTL_REQ_ITEM_NEXT_SIBLING)
ITEM_NEIGHBOUR(item_prev_sibling, ZTL_REQ_ITEM_PREV_SIBLING)
ITEM_NEIGHBOUR(item_project, ZTL_REQ_ITEM_PROJECT)
ITEM_NEIGHBOUR(item_next_selected, ZTL_REQ_ITEM_NEXT_SELECTED)
ITEM_NEIGHBOUR(item_prev_selected, ZTL_REQ_ITEM_PREV_SELECTED)
ITEM_NEIGHBOUR(item_next, ZTL_REQ_ITEM_NEXT)
ITEM_NEIGHBOUR(item_prev, ZTL_REQ_ITEM_PREV)

static VALUE item_children(VALUE self) { return ztl_request_item_list(ZTL_REQ_ITEM_CHILDREN, handle_of(self), NULL); }

/* --- Tree: adding, deleting, copying -------------------------------------- */

/* Kinds go unchecked: the plug-in answers 0 (nil) for one outside 0..3. */
static VALUE add_child(VALUE self, int32_t kind) {
  const uint32_t handle = handle_of(self);
  const ZtlPayload payload = word_payload(kind);
  return ztl_request_item(ZTL_REQ_ITEM_ADD, handle, &payload);
}

static VALUE item_add(VALUE self, VALUE kind) { return add_child(self, ztl_int_arg(kind)); }
static VALUE item_add_task(VALUE self) { return add_child(self, ITEM_KIND_TASK); }
static VALUE item_add_folder(VALUE self) { return add_child(self, ITEM_KIND_FOLDER); }
static VALUE item_add_filer(VALUE self) { return add_child(self, ITEM_KIND_FILER); }

/* The position goes first on the channel, though it is the second argument. */
static VALUE item_insert(VALUE self, VALUE kind, VALUE position) {
  const int32_t kind_word = ztl_int_arg(kind);
  const int32_t position_word = ztl_int_arg(position);
  const uint32_t handle = handle_of(self);
  ZtlPayload payload = ztl_payload_new(8);
  ztl_payload_word(&payload, position_word);
  ztl_payload_word(&payload, kind_word);
  return ztl_request_item(ZTL_REQ_ITEM_INSERT, handle, &payload);
}

/* The object lets go of the item whatever the host answered, so it cannot
 * reach the deleted item (or, after a refusal, the item it meant to delete)
 * again. Other objects of the same item keep their handle. */
static VALUE item_delete(VALUE self) {
  ZtlItemData* data = ztl_item_data(self);
  const VALUE deleted = ztl_request_truth(ZTL_REQ_ITEM_DELETE, data->handle, NULL);
  data->handle = 0;
  return deleted;
}

/* Only a ZtlItem is a source: a document or link wrapper's handle is not an
 * item's, and the host would take it for one. */
static VALUE assign_from(VALUE self, VALUE source, int with_children) {
  const uint32_t source_handle = ztl_item_arg(source)->handle;
  const uint32_t handle = handle_of(self);
  ZtlPayload payload = ztl_payload_new(8);
  ztl_payload_handle(&payload, source_handle);
  ztl_payload_truth(&payload, with_children);
  return ztl_request_truth(ZTL_REQ_ITEM_ASSIGN, handle, &payload);
}

static VALUE item_assign(VALUE self, VALUE source) { return assign_from(self, source, 0); }
static VALUE item_assign_with_children(VALUE self, VALUE source) { return assign_from(self, source, 1); }

/* --- Tree: kind, depth, row, selection, focus -------------------------------- */

static int32_t kind_of(VALUE self) { return ztl_request_word(ZTL_REQ_ITEM_KIND, handle_of(self), NULL); }

/* Kinds above 3 are projects; -1 (no item) stays -1. */
static VALUE item_kind(VALUE self) {
  const int32_t kind = kind_of(self);
  return ztl_int_result(kind > ITEM_KIND_PROJECT ? ITEM_KIND_PROJECT : kind);
}

static VALUE item_is_task(VALUE self) { return kind_of(self) == ITEM_KIND_TASK ? Qtrue : Qfalse; }
static VALUE item_is_filer(VALUE self) { return kind_of(self) == ITEM_KIND_FILER ? Qtrue : Qfalse; }
static VALUE item_is_folder(VALUE self) { return kind_of(self) == ITEM_KIND_FOLDER ? Qtrue : Qfalse; }
static VALUE item_is_project(VALUE self) { return kind_of(self) >= ITEM_KIND_PROJECT ? Qtrue : Qfalse; }

static VALUE item_level(VALUE self) { return ztl_int_result(ztl_request_word(ZTL_REQ_ITEM_LEVEL, handle_of(self), NULL)); }

static VALUE item_listitem_index(VALUE self) {
  return ztl_int_result(ztl_request_word(ZTL_REQ_ITEM_LISTITEM_INDEX, handle_of(self), NULL));
}

static VALUE item_is_selected(VALUE self) { return ztl_request_truth(ZTL_REQ_ITEM_SELECTED_GET, handle_of(self), NULL); }

static VALUE item_set_selected(VALUE self, VALUE flag) {
  const uint32_t handle = handle_of(self);
  const ZtlPayload payload = word_payload(ztl_truth_arg(flag));
  return ztl_request_truth(ZTL_REQ_ITEM_SELECTED_SET, handle, &payload);
}

static VALUE item_set_focus(VALUE self) { return ztl_request_truth(ZTL_REQ_ITEM_SET_FOCUS, handle_of(self), NULL); }

static VALUE item_set_current_folder(VALUE self) {
  return ztl_request_truth(ZTL_REQ_ITEM_SET_CURRENT_FOLDER, handle_of(self), NULL);
}

static VALUE item_project_filename(VALUE self) {
  return ztl_request_text(ZTL_REQ_ITEM_PROJECT_FILENAME, handle_of(self), NULL);
}

/* --- Registration ----------------------------------------------------------- */

static void define_tree_methods(VALUE c) {
  rb_define_method(c, "parent", item_parent, 0);
  rb_define_method(c, "first_child", item_first_child, 0);
  rb_define_method(c, "children", item_children, 0);
  rb_define_method(c, "next_sibling", item_next_sibling, 0);
  rb_define_method(c, "prev_sibling", item_prev_sibling, 0);
  rb_define_method(c, "project", item_project, 0);
  rb_define_method(c, "next_selected", item_next_selected, 0);
  rb_define_method(c, "prev_selected", item_prev_selected, 0);
  rb_define_method(c, "next", item_next, 0);
  rb_define_method(c, "prev", item_prev, 0);
  rb_define_method(c, "add", item_add, 1);
  rb_define_method(c, "add_task", item_add_task, 0);
  rb_define_method(c, "add_folder", item_add_folder, 0);
  rb_define_method(c, "add_filer", item_add_filer, 0);
  rb_define_method(c, "insert", item_insert, 2);
  rb_define_method(c, "delete", item_delete, 0);
  rb_define_method(c, "assign", item_assign, 1);
  rb_define_method(c, "assign_with_children", item_assign_with_children, 1);
  rb_define_method(c, "kind", item_kind, 0);
  rb_define_method(c, "task?", item_is_task, 0);
  rb_define_method(c, "folder?", item_is_folder, 0);
  rb_define_method(c, "filer?", item_is_filer, 0);
  rb_define_method(c, "project?", item_is_project, 0);
  rb_define_method(c, "level", item_level, 0);
  rb_define_method(c, "listitem_index", item_listitem_index, 0);
}

/* The properties, documents and file links join before these, and
 * project_option after them. */
static void define_selection_methods(VALUE c) {
  rb_define_method(c, "selected?", item_is_selected, 0);
  rb_define_method(c, "selected=", item_set_selected, 1);
  rb_define_method(c, "set_focus", item_set_focus, 0);
  rb_define_method(c, "set_current_folder", item_set_current_folder, 0);
  rb_define_method(c, "project_filename", item_project_filename, 0);
}

void ztl_init_item(void) {
  rb_define_singleton_method(ztl_cItem, "new", item_s_new, 1);
  rb_define_singleton_method(ztl_cItem, "new_project", item_s_new_project, 0);
  define_tree_methods(ztl_cItem);
  define_selection_methods(ztl_cItem);
}
