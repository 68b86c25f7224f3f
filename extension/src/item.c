/* Ztl::ZtlItem: one item of the host's tree. Every method is one request
 * (two for ZtlItem.new(8) and user_categories=) with the receiver's handle in
 * the header; the payloads are those the plug-in's item handlers read. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

/* Document-class: Ztl::ZtlItem
 *
 * One item of the host's tree: a project, folder, filer or task. Objects
 * come from the module functions (Ztl.ztl_current_item, Ztl.ztl_projects)
 * and from other items' methods, never from allocate; each method is one
 * request to the host. Two objects of the same item are == and eql? and
 * hash alike (also an object of a subclass), so items serve as Hash keys.
 *
 *   item = Ztl.ztl_current_item
 *   item.children.each { |child| puts child.title }
 */

enum { ITEM_KIND_TASK = 0, ITEM_KIND_FILER = 1, ITEM_KIND_FOLDER = 2, ITEM_KIND_PROJECT = 3 };
enum { ALARM_WORDS = ZTL_ALARM_RECORD_SIZE / ZTL_WORD_SIZE };

static uint32_t handle_of(VALUE self) { return ztl_item_handle(self); }

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

/*
 * call-seq:
 *   ZtlItem.new(selector) -> ZtlItem or nil
 *
 * The special item a selector names (one of CURRENT_ITEM, CURRENT_PROJECT,
 * CURRENT_FOLDER, RECYCLED, FIND_PROJECT, TEMPLATE_PROJECT, SCRAP_PROJECT,
 * SELECTED_TOP), or nil when the host has none. Not a constructor: nothing
 * is made, no initialize runs, and a subclass gets instances of itself.
 *
 *   project = Ztl::ZtlItem.new(Ztl::CURRENT_PROJECT)
 */
static VALUE item_s_new(VALUE klass, VALUE selector) {
  const int32_t which = ztl_int_arg(selector);
  if (which == ZTL_SELECT_CURRENT_DOCUMENT) return item_of_current_document(klass);
  return ztl_selector_item(which, klass);
}

/*
 * call-seq:
 *   ZtlItem.new_project -> ZtlItem or nil
 *
 * Adds a new project at the top level and returns it.
 *
 *   project = Ztl::ZtlItem.new_project
 *   project.title = "Holidays"
 *--
 * Handle 0 with kind 3 is the one add the plug-in takes for the top level.
 *++
 */
static VALUE item_s_new_project(VALUE klass) {
  (void)klass;
  const ZtlPayload payload = word_payload(ITEM_KIND_PROJECT);
  return ztl_request_item(ZTL_REQ_ITEM_ADD, 0, &payload);
}

/* --- Tree: neighbours ---------------------------------------------------- */

#define ITEM_NEIGHBOUR(function, code) \
  static VALUE function(VALUE self) { return ztl_request_item(code, handle_of(self), NULL); }

/* Document-method: Ztl::ZtlItem#parent
 * call-seq:
 *   item.parent -> ZtlItem or nil
 *
 * The item that holds this one; nil for a project.
 *
 *   Ztl.ztl_current_item.parent.title   #=> "Shopping"
 */
ITEM_NEIGHBOUR(item_parent, ZTL_REQ_ITEM_PARENT)
/* Document-method: Ztl::ZtlItem#first_child
 * call-seq:
 *   item.first_child -> ZtlItem or nil
 *
 * The first child, or nil when the item has none.
 *
 *   folder.first_child&.title
 */
ITEM_NEIGHBOUR(item_first_child, ZTL_REQ_ITEM_FIRST_CHILD)
/* Document-method: Ztl::ZtlItem#next_sibling
 * call-seq:
 *   item.next_sibling -> ZtlItem or nil
 *
 * The next item under the same parent, or nil after the last.
 *
 *   item = item.next_sibling while item
 */
ITEM_NEIGHBOUR(item_next_sibling, ZTL_REQ_ITEM_NEXT_SIBLING)
/* Document-method: Ztl::ZtlItem#prev_sibling
 * call-seq:
 *   item.prev_sibling -> ZtlItem or nil
 *
 * The previous item under the same parent, or nil before the first.
 *
 *   item.prev_sibling&.title
 */
ITEM_NEIGHBOUR(item_prev_sibling, ZTL_REQ_ITEM_PREV_SIBLING)
/* Document-method: Ztl::ZtlItem#project
 * call-seq:
 *   item.project -> ZtlItem or nil
 *
 * The project that holds the item (a project is its own).
 *
 *   Ztl.ztl_current_item.project.title   #=> "Home"
 */
ITEM_NEIGHBOUR(item_project, ZTL_REQ_ITEM_PROJECT)
/* Document-method: Ztl::ZtlItem#next_selected
 * call-seq:
 *   item.next_selected -> ZtlItem or nil
 *
 * The next item of the host's selection; from an item that is not selected,
 * the first selected one.
 *
 *   first = Ztl::ZtlItem.new(Ztl::SELECTED_TOP)
 *   second = first.next_selected
 */
ITEM_NEIGHBOUR(item_next_selected, ZTL_REQ_ITEM_NEXT_SELECTED)
/* Document-method: Ztl::ZtlItem#prev_selected
 * call-seq:
 *   item.prev_selected -> ZtlItem or nil
 *
 * The previous item of the host's selection; from an item that is not
 * selected, the last selected one.
 *
 *   item.prev_selected
 */
ITEM_NEIGHBOUR(item_prev_selected, ZTL_REQ_ITEM_PREV_SELECTED)
/* Document-method: Ztl::ZtlItem#next
 * call-seq:
 *   item.next -> ZtlItem or nil
 *
 * The next item in the host's order of all items (depth first), or nil after
 * the last.
 *
 *   item = Ztl.ztl_current_project
 *   item = item.next while item && !item.task?
 */
ITEM_NEIGHBOUR(item_next, ZTL_REQ_ITEM_NEXT)
/* Document-method: Ztl::ZtlItem#prev
 * call-seq:
 *   item.prev -> ZtlItem or nil
 *
 * The previous item in the host's order of all items, or nil before the
 * first.
 *
 *   item.prev
 */
ITEM_NEIGHBOUR(item_prev, ZTL_REQ_ITEM_PREV)

/*
 * call-seq:
 *   item.children -> Array of ZtlItem
 *
 * The item's children in the host's order; empty when it has none, nil for a
 * deleted item.
 *
 *   Ztl.ztl_current_project.children.map(&:title)   #=> ["Milk", "Eggs"]
 */
static VALUE item_children(VALUE self) { return ztl_request_item_list(ZTL_REQ_ITEM_CHILDREN, handle_of(self), NULL); }

/* --- Tree: adding, deleting, copying -------------------------------------- */

/* Kinds go unchecked: the plug-in answers 0 (nil) for one outside 0..3. */
static VALUE add_child(VALUE self, int32_t kind) {
  const uint32_t handle = handle_of(self);
  const ZtlPayload payload = word_payload(kind);
  return ztl_request_item(ZTL_REQ_ITEM_ADD, handle, &payload);
}

/*
 * call-seq:
 *   item.add(kind) -> ZtlItem or nil
 *
 * Adds a child of the kind given (ITEM_TASK, ITEM_FOLDER, ITEM_FILER): last
 * among the children, or first when the project's add_item_to_bottom option
 * is off. nil when the host refuses it (a kind outside 0 to 3).
 *
 *   task = folder.add(Ztl::ITEM_TASK)
 */
static VALUE item_add(VALUE self, VALUE kind) { return add_child(self, ztl_int_arg(kind)); }
/*
 * call-seq:
 *   item.add_task -> ZtlItem or nil
 *
 * Adds a task, as add(ITEM_TASK).
 *
 *   task = folder.add_task
 *   task.title = "Buy milk"
 */
static VALUE item_add_task(VALUE self) { return add_child(self, ITEM_KIND_TASK); }
/*
 * call-seq:
 *   item.add_folder -> ZtlItem or nil
 *
 * Adds a folder, as add(ITEM_FOLDER).
 *
 *   archive = project.add_folder
 */
static VALUE item_add_folder(VALUE self) { return add_child(self, ITEM_KIND_FOLDER); }
/*
 * call-seq:
 *   item.add_filer -> ZtlItem or nil
 *
 * Adds a filer, as add(ITEM_FILER).
 *
 *   project.add_filer
 */
static VALUE item_add_filer(VALUE self) { return add_child(self, ITEM_KIND_FILER); }

/*
 * call-seq:
 *   item.insert(kind, position) -> ZtlItem or nil
 *
 * Adds a child of the kind given at position (0 is first among the
 * children); nil when the host refuses.
 *
 *   first = folder.insert(Ztl::ITEM_TASK, 0)
 *--
 * The position goes first on the channel, though it is the second argument.
 *++
 */
static VALUE item_insert(VALUE self, VALUE kind, VALUE position) {
  const int32_t kind_word = ztl_int_arg(kind);
  const int32_t position_word = ztl_int_arg(position);
  const uint32_t handle = handle_of(self);
  ZtlPayload payload = ztl_payload_new(8);
  ztl_payload_word(&payload, position_word);
  ztl_payload_word(&payload, kind_word);
  return ztl_request_item(ZTL_REQ_ITEM_INSERT, handle, &payload);
}

/*
 * call-seq:
 *   item.delete -> true or false
 *
 * Deletes the item (into the recycle bin) and its children. The wrapper lets
 * go of the item either way: afterwards it names no item and its requests
 * get the no-item answers. Other wrappers of the same item are not touched.
 *
 *   done.delete   #=> true
 *--
 * The object lets go of the item whatever the host answered, so it cannot
 * reach the deleted item (or, after a refusal, the item it meant to delete)
 * again. Other objects of the same item keep their handle.
 *++
 */
static VALUE item_delete(VALUE self) {
  const VALUE deleted = ztl_request_truth(ZTL_REQ_ITEM_DELETE, handle_of(self), NULL);
  ztl_item_forget(self);
  return deleted;
}

/* Only a ZtlItem is a source: a document or link wrapper's handle is not an
 * item's, and the host would take it for one. */
static VALUE assign_from(VALUE self, VALUE source, int with_children) {
  const uint32_t source_handle = ztl_item_arg(source);
  const uint32_t handle = handle_of(self);
  ZtlPayload payload = ztl_payload_new(8);
  ztl_payload_handle(&payload, source_handle);
  ztl_payload_truth(&payload, with_children);
  return ztl_request_truth(ZTL_REQ_ITEM_ASSIGN, handle, &payload);
}

/*
 * call-seq:
 *   item.assign(source) -> true or false
 *
 * Copies the source item's properties into this item, without its children.
 * source must be a ZtlItem (TypeError otherwise).
 *
 *   copy = folder.add_task
 *   copy.assign(template)
 */
static VALUE item_assign(VALUE self, VALUE source) { return assign_from(self, source, 0); }
/*
 * call-seq:
 *   item.assign_with_children(source) -> true or false
 *
 * As assign, and copies the source's children too.
 *
 *   project.add_folder.assign_with_children(template_folder)
 */
static VALUE item_assign_with_children(VALUE self, VALUE source) { return assign_from(self, source, 1); }

/* --- Tree: kind, depth, row, selection, focus -------------------------------- */

static int32_t kind_of(VALUE self) { return ztl_request_word(ZTL_REQ_ITEM_KIND, handle_of(self), NULL); }

/*
 * call-seq:
 *   item.kind -> Integer
 *
 * The item's kind: ITEM_TASK, ITEM_FILER, ITEM_FOLDER or ITEM_PROJECT; -1
 * for a deleted item.
 *
 *   item.kind == Ztl::ITEM_FOLDER
 *--
 * Kinds above 3 are projects; -1 (no item) stays -1.
 *++
 */
static VALUE item_kind(VALUE self) {
  const int32_t kind = kind_of(self);
  return ztl_int_result(kind > ITEM_KIND_PROJECT ? ITEM_KIND_PROJECT : kind);
}

/*
 * call-seq:
 *   item.task? -> true or false
 *
 * True for a task.
 *
 *   project.children.select(&:task?)
 */
static VALUE item_is_task(VALUE self) { return kind_of(self) == ITEM_KIND_TASK ? Qtrue : Qfalse; }
/*
 * call-seq:
 *   item.filer? -> true or false
 *
 * True for a filer.
 *
 *   item.filer?
 */
static VALUE item_is_filer(VALUE self) { return kind_of(self) == ITEM_KIND_FILER ? Qtrue : Qfalse; }
/*
 * call-seq:
 *   item.folder? -> true or false
 *
 * True for a folder.
 *
 *   project.children.select(&:folder?)
 */
static VALUE item_is_folder(VALUE self) { return kind_of(self) == ITEM_KIND_FOLDER ? Qtrue : Qfalse; }
/*
 * call-seq:
 *   item.project? -> true or false
 *
 * True for a project (also the host's special projects).
 *
 *   Ztl.ztl_projects.all?(&:project?)   #=> true
 */
static VALUE item_is_project(VALUE self) { return kind_of(self) >= ITEM_KIND_PROJECT ? Qtrue : Qfalse; }

/*
 * call-seq:
 *   item.level -> Integer
 *
 * The depth: 0 for a project, 1 for its children, and so on; -1 for a
 * deleted item.
 *
 *   puts "  " * item.level + item.title
 */
static VALUE item_level(VALUE self) { return ztl_int_result(ztl_request_word(ZTL_REQ_ITEM_LEVEL, handle_of(self), NULL)); }

/*
 * call-seq:
 *   item.listitem_index -> Integer
 *
 * The item's row in the host's task list, -1 when it has none.
 *
 *   item.listitem_index
 */
static VALUE item_listitem_index(VALUE self) {
  return ztl_int_result(ztl_request_word(ZTL_REQ_ITEM_LISTITEM_INDEX, handle_of(self), NULL));
}

/*
 * call-seq:
 *   item.selected? -> true or false
 *
 * True when the item is selected in the host.
 *
 *   project.children.select(&:selected?)
 */
static VALUE item_is_selected(VALUE self) { return ztl_request_truth(ZTL_REQ_ITEM_SELECTED_GET, handle_of(self), NULL); }

/*
 * call-seq:
 *   item.selected = flag
 *
 * Selects the item for true, unselects it for any other value (also 1).
 * Answers whether the host took it.
 *
 *   item.selected = true
 */
static VALUE item_set_selected(VALUE self, VALUE flag) {
  const uint32_t handle = handle_of(self);
  const ZtlPayload payload = word_payload(ztl_truth_arg(flag));
  return ztl_request_truth(ZTL_REQ_ITEM_SELECTED_SET, handle, &payload);
}

/*
 * call-seq:
 *   item.set_focus -> true or false
 *
 * Makes the item the host's current item; the task list gets the focus.
 *
 *   new_task.set_focus
 */
static VALUE item_set_focus(VALUE self) { return ztl_request_truth(ZTL_REQ_ITEM_SET_FOCUS, handle_of(self), NULL); }

/*
 * call-seq:
 *   item.set_current_folder -> true or false
 *
 * Makes the item the host's current folder.
 *
 *   archive.set_current_folder
 */
static VALUE item_set_current_folder(VALUE self) {
  return ztl_request_truth(ZTL_REQ_ITEM_SET_CURRENT_FOLDER, handle_of(self), NULL);
}

/*
 * call-seq:
 *   item.project_filename -> String
 *
 * The file name of the project that holds the item; "" when there is none.
 *
 *   Ztl.ztl_current_item.project_filename   #=> "/home/me/.local/share/zentrella/default.json"
 */
static VALUE item_project_filename(VALUE self) {
  return ztl_request_text(ZTL_REQ_ITEM_PROJECT_FILENAME, handle_of(self), NULL);
}

/* --- Properties: title, progress, priority, message id ---------------------- */

/*
 * call-seq:
 *   item.title -> String
 *
 * The item's title, in the host's code page; "" for a deleted item.
 *
 *   Ztl.ztl_current_item.title   #=> "Buy milk"
 */
static VALUE item_title(VALUE self) { return ztl_request_text(ZTL_REQ_ITEM_TITLE_GET, handle_of(self), NULL); }

/*
 * call-seq:
 *   item.title = text
 *
 * Sets the title (up to its first NUL character; converted to the host's
 * code page). Answers whether the host took it.
 *
 *   item.title = "Buy milk"
 */
static VALUE item_set_title(VALUE self, VALUE title) {
  return ztl_request_set_text(ZTL_REQ_ITEM_TITLE_SET, handle_of(self), title);
}

/* The host answers a stored value and a handle of 0 alike (with nothing), so
 * only a wrapper that still names an item reports true. */
static VALUE set_int_property(VALUE self, VALUE value, uint32_t code) {
  const int32_t word = ztl_int_arg(value);
  const uint32_t handle = handle_of(self);
  const ZtlPayload payload = word_payload(word);
  ztl_request_word(code, handle, &payload);
  return handle != 0 ? Qtrue : Qfalse;
}

/*
 * call-seq:
 *   item.progress -> Integer
 *
 * The progress in percent.
 *
 *   item.progress   #=> 50
 */
static VALUE item_progress(VALUE self) {
  return ztl_int_result(ztl_request_word(ZTL_REQ_ITEM_PROGRESS_GET, handle_of(self), NULL));
}

/*
 * call-seq:
 *   item.progress = percent
 *
 * Sets the progress in percent.
 *
 *   item.progress = 100
 */
static VALUE item_set_progress(VALUE self, VALUE progress) {
  return set_int_property(self, progress, ZTL_REQ_ITEM_PROGRESS_SET);
}

/*
 * call-seq:
 *   item.priority -> Integer
 *
 * The priority.
 *
 *   items.sort_by(&:priority)
 */
static VALUE item_priority(VALUE self) {
  return ztl_int_result(ztl_request_word(ZTL_REQ_ITEM_PRIORITY_GET, handle_of(self), NULL));
}

/*
 * call-seq:
 *   item.priority = number
 *
 * Sets the priority.
 *
 *   item.priority = 3
 */
static VALUE item_set_priority(VALUE self, VALUE priority) {
  return set_int_property(self, priority, ZTL_REQ_ITEM_PRIORITY_SET);
}

/*
 * call-seq:
 *   item.message_id -> String
 *
 * The item's message id; "" when it has none.
 *
 *   item.message_id
 */
static VALUE item_message_id(VALUE self) {
  return ztl_request_text(ZTL_REQ_ITEM_MESSAGE_ID_GET, handle_of(self), NULL);
}

/* --- Properties: times ---------------------------------------------------- */

#define ITEM_TIME_READER(function, code) \
  static VALUE function(VALUE self) { return ztl_request_time(code, handle_of(self)); }
#define ITEM_TIME_WRITER(function, code) \
  static VALUE function(VALUE self, VALUE time) { return ztl_request_set_time(code, handle_of(self), time); }

/* Document-method: Ztl::ZtlItem#start_time
 * call-seq:
 *   item.start_time -> Time or nil
 *
 * When work on the item started; nil when unset.
 *
 *   item.start_time   #=> 2026-12-07 09:00:00 +0900
 */
ITEM_TIME_READER(item_start_time, ZTL_REQ_ITEM_START_TIME_GET)
/* Document-method: Ztl::ZtlItem#start_time=
 * call-seq:
 *   item.start_time = time
 *
 * Sets when work started: a Time, a number of seconds, or nil to clear it.
 *
 *   item.start_time = Time.now
 */
ITEM_TIME_WRITER(item_set_start_time, ZTL_REQ_ITEM_START_TIME_SET)
/* Document-method: Ztl::ZtlItem#planned_start_time
 * call-seq:
 *   item.planned_start_time -> Time or nil
 *
 * When work is planned to start; nil when unset.
 *
 *   item.planned_start_time
 */
ITEM_TIME_READER(item_planned_start_time, ZTL_REQ_ITEM_PLANNED_START_TIME_GET)
/* Document-method: Ztl::ZtlItem#planned_start_time=
 * call-seq:
 *   item.planned_start_time = time
 *
 * Sets the planned start: a Time, a number of seconds, or nil.
 *
 *   item.planned_start_time = Time.now + 86_400
 */
ITEM_TIME_WRITER(item_set_planned_start_time, ZTL_REQ_ITEM_PLANNED_START_TIME_SET)
/* Document-method: Ztl::ZtlItem#end_time
 * call-seq:
 *   item.end_time -> Time or nil
 *
 * When the item was finished; nil while it is not.
 *
 *   item.end_time
 */
ITEM_TIME_READER(item_end_time, ZTL_REQ_ITEM_END_TIME_GET)
/* Document-method: Ztl::ZtlItem#end_time=
 * call-seq:
 *   item.end_time = time
 *
 * Sets when the item was finished: a Time, a number of seconds, or nil.
 *
 *   item.end_time = Time.now
 */
ITEM_TIME_WRITER(item_set_end_time, ZTL_REQ_ITEM_END_TIME_SET)
/* Document-method: Ztl::ZtlItem#due_time
 * call-seq:
 *   item.due_time -> Time or nil
 *
 * When the item is due; nil when it has no due date.
 *
 *   item.due_time && item.due_time < Time.now
 */
ITEM_TIME_READER(item_due_time, ZTL_REQ_ITEM_DUE_TIME_GET)
/* Document-method: Ztl::ZtlItem#due_time=
 * call-seq:
 *   item.due_time = time
 *
 * Sets the due date: a Time, a number of seconds, or nil to clear it.
 *
 *   item.due_time = Time.now + 7 * 86_400
 */
ITEM_TIME_WRITER(item_set_due_time, ZTL_REQ_ITEM_DUE_TIME_SET)
/* Document-method: Ztl::ZtlItem#last_modify_time
 * call-seq:
 *   item.last_modify_time -> Time or nil
 *
 * When the item last changed.
 *
 *   item.last_modify_time
 */
ITEM_TIME_READER(item_last_modify_time, ZTL_REQ_ITEM_LAST_MODIFY_TIME_GET)
/* Document-method: Ztl::ZtlItem#create_time
 * call-seq:
 *   item.create_time -> Time or nil
 *
 * When the item was made.
 *
 *   item.create_time
 */
ITEM_TIME_READER(item_create_time, ZTL_REQ_ITEM_CREATE_TIME_GET)

/* --- Properties: user categories ------------------------------------------- */

/* The next text of a category list, moving past its NUL; a list cut short
 * gives empty texts once its bytes end. */
static VALUE next_text(const ZtlReply* reply, size_t* at) {
  const size_t start = *at < reply->length ? *at : reply->length;
  VALUE text = ztl_text_result(reply->data + start, reply->length - start);
  *at = start + (size_t)RSTRING_LEN(text) + 1;
  return text;
}

/* The texts of a category list (name NUL value NUL ..., then one NUL), in
 * order, into an Array: names at even places, values at odd ones. */
static VALUE read_category_texts(const ZtlReply* reply, VALUE unused) {
  (void)unused;
  VALUE texts = rb_ary_new();
  size_t at = 0;
  while (reply->data != NULL && at < reply->length && reply->data[at] != 0) {
    rb_ary_push(texts, next_text(reply, &at));
    rb_ary_push(texts, next_text(reply, &at));
  }
  return texts;
}

static VALUE category_texts(uint32_t handle) {
  return ztl_request_read(ZTL_REQ_ITEM_USER_CATEGORIES_GET, handle, NULL, read_category_texts, Qnil);
}

/* The list straight into a Hash, its pairs inserted a few at a time. The
 * names are the keys: a Hash keeps a frozen copy of a String key anyway, so
 * the name is made as the interned frozen String of its bytes, one object
 * shared by every item's Hash. The pairs wait on the stack, where the
 * collector sees them. */
enum { PAIRS_AT_ONCE = 8 };

static VALUE read_categories(const ZtlReply* reply, VALUE unused) {
  (void)unused;
  VALUE categories = Qnil;
  VALUE pairs[2 * PAIRS_AT_ONCE];
  long held = 0;
  size_t at = 0;
  while (reply->data != NULL && at < reply->length && reply->data[at] != 0) {
    const char* name = (const char*)reply->data + at;
    const size_t name_length = strnlen(name, reply->length - at);
    at += name_length + 1;
    pairs[held++] = ztl_text_key(name, name_length);
    pairs[held++] = next_text(reply, &at);
    if (held < 2 * PAIRS_AT_ONCE) continue;
    if (NIL_P(categories)) categories = rb_hash_new();
    rb_hash_bulk_insert(held, pairs, categories);
    held = 0;
  }
  if (held == 0) return categories;
  if (NIL_P(categories)) categories = rb_hash_new();
  rb_hash_bulk_insert(held, pairs, categories);
  return categories;
}

/*
 * call-seq:
 *   item.user_categories -> Hash or nil
 *
 * The item's user categories, name => value (Strings); nil when it has none.
 *
 *   item.user_categories   #=> {"Place"=>"Shop", "Cost"=>"3"}
 */
static VALUE item_user_categories(VALUE self) {
  return ztl_request_read(ZTL_REQ_ITEM_USER_CATEGORIES_GET, handle_of(self), NULL, read_categories, Qnil);
}

/* The value the script gives for a category: under its name, or under a key
 * that reads as the name once in the host's code page (a script's literals
 * may be in another encoding), else whatever the Hash's default makes of it. */
typedef struct KeySearch {
  VALUE name;
  VALUE key;
} KeySearch;

static int match_key(VALUE key, VALUE value, VALUE arg) {
  (void)value;
  KeySearch* search = (KeySearch*)arg;
  if (!RB_TYPE_P(key, T_STRING) || !ztl_reads_as_host_text(key, search->name)) return ST_CONTINUE;
  search->key = key;
  return ST_STOP;
}

static VALUE category_value(VALUE hash, VALUE name) {
  const VALUE value = rb_hash_lookup2(hash, name, Qundef);
  if (value != Qundef) return value;
  KeySearch search = {name, Qundef};
  rb_hash_foreach(hash, match_key, (VALUE)&search);
  return rb_hash_aref(hash, search.key == Qundef ? name : search.key);
}

/* Names and the script's values for them, alternately, converted for
 * sending. Every lookup and conversion (which may run the script's code, so
 * the names are frozen) comes before any byte is taken. */
static VALUE categories_to_send(VALUE hash, VALUE texts) {
  VALUE sent = rb_ary_new();
  for (long i = 0; i + 1 < RARRAY_LEN(texts); i += 2) {
    const VALUE name = rb_obj_freeze(RARRAY_AREF(texts, i));
    rb_ary_push(sent, name);
    rb_ary_push(sent, ztl_text_value(category_value(hash, name)));
  }
  return sent;
}

/*
 * call-seq:
 *   item.user_categories = hash
 *
 * Sets the values of the categories the item has, in one request; the Hash
 * must hold a String value for each of them (TypeError otherwise); other
 * keys are ignored. Ztl::Error "Hash is nil" for nil.
 *
 *   item.user_categories = item.user_categories.merge("Place" => "Market")
 *--
 * Only the categories the item has can change: the list goes in the host's
 * order, from a fresh reading, with a value for every one of them.
 *++
 */
static VALUE item_set_user_categories(VALUE self, VALUE values) {
  if (NIL_P(values)) rb_raise(ztl_eError, "Hash is nil");
  const VALUE hash = rb_convert_type(values, T_HASH, "Hash", "to_hash");
  const uint32_t handle = handle_of(self);
  VALUE sent = categories_to_send(hash, category_texts(handle));
  size_t total = 1;
  for (long i = 0; i < RARRAY_LEN(sent); ++i) total += ztl_text_bytes(RARRAY_AREF(sent, i)).length + 1;
  ZtlPayload payload = ztl_payload_new(total);
  for (long i = 0; i < RARRAY_LEN(sent); ++i) ztl_payload_text(&payload, ztl_text_bytes(RARRAY_AREF(sent, i)));
  ztl_payload_nul(&payload);
  RB_GC_GUARD(sent);
  return ztl_request_truth(ZTL_REQ_ITEM_USER_CATEGORIES_SET, handle, &payload);
}

/* --- Properties: alarm ------------------------------------------------------ */

/* The alarm in its channel form: enabled, due-time flag, count, unit. */
enum {
  ALARM_ENABLED = ZTL_ALARM_ENABLED_OFFSET / ZTL_WORD_SIZE,
  ALARM_DUE_TIME = ZTL_ALARM_DUE_TIME_OFFSET / ZTL_WORD_SIZE,
  ALARM_COUNT = ZTL_ALARM_COUNT_OFFSET / ZTL_WORD_SIZE,
  ALARM_UNIT = ZTL_ALARM_UNIT_OFFSET / ZTL_WORD_SIZE
};

/* Each reader asks on its own; no reply at all reads as nil. */
static VALUE alarm_word(VALUE self, int index, int truth) {
  int32_t words[ALARM_WORDS];
  if (!ztl_request_words(ZTL_REQ_ITEM_ALARM_GET, handle_of(self), NULL, words, ALARM_WORDS)) return Qnil;
  return truth ? ztl_truth_result(words[index]) : ztl_int_result(words[index]);
}

/*
 * call-seq:
 *   item.alarm? -> true, false or nil
 *
 * True when the item's alarm is on; nil when the host gave no alarm.
 *
 *   item.alarm?
 */
static VALUE item_has_alarm(VALUE self) { return alarm_word(self, ALARM_ENABLED, 1); }
/*
 * call-seq:
 *   item.alarm_due_time? -> true, false or nil
 *
 * True when the alarm counts from the due time (else from the start).
 *
 *   item.alarm_due_time?
 */
static VALUE item_alarm_due_time(VALUE self) { return alarm_word(self, ALARM_DUE_TIME, 1); }
/*
 * call-seq:
 *   item.alarm_count -> Integer or nil
 *
 * How many units before the time the alarm rings.
 *
 *   item.alarm_count   #=> 30
 */
static VALUE item_alarm_count(VALUE self) { return alarm_word(self, ALARM_COUNT, 0); }
/*
 * call-seq:
 *   item.alarm_count_unit -> Integer or nil
 *
 * The unit of alarm_count: AU_MIN, AU_HOUR or AU_DAY.
 *
 *   item.alarm_count_unit == Ztl::AU_MIN
 */
static VALUE item_alarm_count_unit(VALUE self) { return alarm_word(self, ALARM_UNIT, 0); }

static VALUE send_alarm(VALUE self, const int32_t words[ALARM_WORDS]) {
  const uint32_t handle = handle_of(self);
  ZtlPayload payload = ztl_payload_new(4 * ALARM_WORDS);
  for (int i = 0; i < ALARM_WORDS; ++i) ztl_payload_word(&payload, words[i]);
  return ztl_request_truth(ZTL_REQ_ITEM_ALARM_SET, handle, &payload);
}

/*
 * call-seq:
 *   item.set_alarm(due_time, count, unit) -> true or false
 *
 * Turns the alarm on: count units (AU_MIN, AU_HOUR, AU_DAY) before the due
 * time when due_time is true, else before the start.
 *
 *   item.set_alarm(true, 30, Ztl::AU_MIN)
 */
static VALUE item_set_alarm(VALUE self, VALUE due_time, VALUE count, VALUE unit) {
  const int32_t words[ALARM_WORDS] = {1, ztl_truth_arg(due_time), ztl_int_arg(count), ztl_int_arg(unit)};
  return send_alarm(self, words);
}

/*
 * call-seq:
 *   item.clear_alarm -> true or false
 *
 * Turns the alarm off.
 *
 *   item.clear_alarm
 */
static VALUE item_clear_alarm(VALUE self) {
  const int32_t words[ALARM_WORDS] = {0, 0, 0, 0};
  return send_alarm(self, words);
}

/* --- Project options ------------------------------------------------------- */

/*
 * call-seq:
 *   item.project_option -> ZtlProjectOption or nil
 *
 * A snapshot of the options of the item's project; nil when the host has
 * none.
 *
 *   Ztl.ztl_current_project.project_option.relative_path
 */
static VALUE item_project_option(VALUE self) { return ztl_project_option_of(handle_of(self)); }

/* --- Registration ----------------------------------------------------------- */

static void define_tree_methods(VALUE cZtlItem) {
  rb_define_method(cZtlItem, "parent", item_parent, 0);
  rb_define_method(cZtlItem, "first_child", item_first_child, 0);
  rb_define_method(cZtlItem, "children", item_children, 0);
  rb_define_method(cZtlItem, "next_sibling", item_next_sibling, 0);
  rb_define_method(cZtlItem, "prev_sibling", item_prev_sibling, 0);
  rb_define_method(cZtlItem, "project", item_project, 0);
  rb_define_method(cZtlItem, "next_selected", item_next_selected, 0);
  rb_define_method(cZtlItem, "prev_selected", item_prev_selected, 0);
  rb_define_method(cZtlItem, "next", item_next, 0);
  rb_define_method(cZtlItem, "prev", item_prev, 0);
  rb_define_method(cZtlItem, "add", item_add, 1);
  rb_define_method(cZtlItem, "add_task", item_add_task, 0);
  rb_define_method(cZtlItem, "add_folder", item_add_folder, 0);
  rb_define_method(cZtlItem, "add_filer", item_add_filer, 0);
  rb_define_method(cZtlItem, "insert", item_insert, 2);
  rb_define_method(cZtlItem, "delete", item_delete, 0);
  rb_define_method(cZtlItem, "assign", item_assign, 1);
  rb_define_method(cZtlItem, "assign_with_children", item_assign_with_children, 1);
  rb_define_method(cZtlItem, "kind", item_kind, 0);
  rb_define_method(cZtlItem, "task?", item_is_task, 0);
  rb_define_method(cZtlItem, "folder?", item_is_folder, 0);
  rb_define_method(cZtlItem, "filer?", item_is_filer, 0);
  rb_define_method(cZtlItem, "project?", item_is_project, 0);
  rb_define_method(cZtlItem, "level", item_level, 0);
  rb_define_method(cZtlItem, "listitem_index", item_listitem_index, 0);
}

static void define_property_methods(VALUE cZtlItem) {
  rb_define_method(cZtlItem, "title", item_title, 0);
  rb_define_method(cZtlItem, "title=", item_set_title, 1);
  rb_define_method(cZtlItem, "progress", item_progress, 0);
  rb_define_method(cZtlItem, "progress=", item_set_progress, 1);
  rb_define_method(cZtlItem, "priority", item_priority, 0);
  rb_define_method(cZtlItem, "priority=", item_set_priority, 1);
  rb_define_method(cZtlItem, "message_id", item_message_id, 0);
  rb_define_method(cZtlItem, "start_time", item_start_time, 0);
  rb_define_method(cZtlItem, "start_time=", item_set_start_time, 1);
  rb_define_method(cZtlItem, "planned_start_time", item_planned_start_time, 0);
  rb_define_method(cZtlItem, "planned_start_time=", item_set_planned_start_time, 1);
  rb_define_method(cZtlItem, "end_time", item_end_time, 0);
  rb_define_method(cZtlItem, "end_time=", item_set_end_time, 1);
  rb_define_method(cZtlItem, "due_time", item_due_time, 0);
  rb_define_method(cZtlItem, "due_time=", item_set_due_time, 1);
  rb_define_method(cZtlItem, "last_modify_time", item_last_modify_time, 0);
  rb_define_method(cZtlItem, "create_time", item_create_time, 0);
}

/* The document and file-link methods join between the times and the
 * categories, and project_option at the end. */
static void define_category_alarm_and_selection_methods(VALUE cZtlItem) {
  rb_define_method(cZtlItem, "user_categories", item_user_categories, 0);
  rb_define_method(cZtlItem, "user_categories=", item_set_user_categories, 1);
  rb_define_method(cZtlItem, "alarm?", item_has_alarm, 0);
  rb_define_method(cZtlItem, "alarm_due_time?", item_alarm_due_time, 0);
  rb_define_method(cZtlItem, "alarm_count", item_alarm_count, 0);
  rb_define_method(cZtlItem, "alarm_count_unit", item_alarm_count_unit, 0);
  rb_define_method(cZtlItem, "set_alarm", item_set_alarm, 3);
  rb_define_method(cZtlItem, "clear_alarm", item_clear_alarm, 0);
  rb_define_method(cZtlItem, "selected?", item_is_selected, 0);
  rb_define_method(cZtlItem, "selected=", item_set_selected, 1);
  rb_define_method(cZtlItem, "set_focus", item_set_focus, 0);
  rb_define_method(cZtlItem, "set_current_folder", item_set_current_folder, 0);
  rb_define_method(cZtlItem, "project_filename", item_project_filename, 0);
  rb_define_method(cZtlItem, "project_option", item_project_option, 0);
}

/* The module and class (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_item(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cZtlItem = rb_define_class_under(mZtl, "ZtlItem", rb_cObject);
  rb_define_singleton_method(cZtlItem, "new", item_s_new, 1);
  rb_define_singleton_method(cZtlItem, "new_project", item_s_new_project, 0);
  define_tree_methods(cZtlItem);
  define_property_methods(cZtlItem);
  define_category_alarm_and_selection_methods(cZtlItem);
}
