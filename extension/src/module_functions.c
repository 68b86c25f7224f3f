/* The module functions of Ztl: special items and lists, the update bracket,
 * host commands, panes, the host's folders and versions. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

enum { EXEC_COMMAND_ARGUMENTS = 9 };

/* A request whose payload is one word and whose header names nothing. */
static int32_t request_with_word(uint32_t code, int32_t value) {
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_word(&payload, value);
  return ztl_request_word(code, 0, &payload);
}

/*
 * call-seq:
 *   Ztl.ztl_begin_update -> true
 *
 * Stops the host redrawing until the matching ztl_end_update; pairs nest.
 * Brackets many changes so they show at once.
 *
 *   Ztl.ztl_begin_update
 *   begin
 *     100.times { |i| folder.add_task.title = "Task #{i}" }
 *   ensure
 *     Ztl.ztl_end_update
 *   end
 */
static VALUE ztl_begin_update(VALUE self) {
  (void)self;
  request_with_word(ZTL_REQ_UPDATE_BRACKET, 1);
  return Qtrue;
}

/*
 * call-seq:
 *   Ztl.ztl_end_update -> true
 *
 * Ends a ztl_begin_update; the host redraws after the outermost one.
 *
 *   Ztl.ztl_end_update
 */
static VALUE ztl_end_update(VALUE self) {
  (void)self;
  request_with_word(ZTL_REQ_UPDATE_BRACKET, 0);
  return Qtrue;
}

#define ZTL_SPECIAL_ITEM_FUNCTION(function, selector) \
  static VALUE function(VALUE self) {                 \
    (void)self;                                       \
    return ztl_selector_item(selector, ztl_cItem);    \
  }

/* Document-method: Ztl::ztl_current_item
 * call-seq:
 *   Ztl.ztl_current_item -> ZtlItem or nil
 *
 * The host's current item.
 *
 *   Ztl.ztl_current_item.title
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_current_item, ZTL_SELECT_CURRENT_ITEM)
/* Document-method: Ztl::ztl_current_folder
 * call-seq:
 *   Ztl.ztl_current_folder -> ZtlItem or nil
 *
 * The host's current folder.
 *
 *   Ztl.ztl_current_folder.add_task
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_current_folder, ZTL_SELECT_CURRENT_FOLDER)
/* Document-method: Ztl::ztl_current_project
 * call-seq:
 *   Ztl.ztl_current_project -> ZtlItem or nil
 *
 * The project of the current item.
 *
 *   Ztl.ztl_current_project.title
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_current_project, ZTL_SELECT_CURRENT_PROJECT)
/* Document-method: Ztl::ztl_recycled
 * call-seq:
 *   Ztl.ztl_recycled -> ZtlItem or nil
 *
 * The host's recycle bin (a project).
 *
 *   Ztl.ztl_recycled.children.size
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_recycled, ZTL_SELECT_RECYCLED)
/* Document-method: Ztl::ztl_find_project
 * call-seq:
 *   Ztl.ztl_find_project -> ZtlItem or nil
 *
 * The host's project of search results.
 *
 *   Ztl.ztl_find_project.children
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_find_project, ZTL_SELECT_FIND_PROJECT)
/* Document-method: Ztl::ztl_scrap_project
 * call-seq:
 *   Ztl.ztl_scrap_project -> ZtlItem or nil
 *
 * The host's scrap project.
 *
 *   Ztl.ztl_scrap_project.add_task
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_scrap_project, ZTL_SELECT_SCRAP_PROJECT)
/* Document-method: Ztl::ztl_templete_project
 * call-seq:
 *   Ztl.ztl_templete_project -> ZtlItem or nil
 *
 * The host's template project (the name is spelt so).
 *
 *   Ztl.ztl_templete_project.children.map(&:title)
 */
ZTL_SPECIAL_ITEM_FUNCTION(ztl_templete_project, ZTL_SELECT_TEMPLATE_PROJECT)

#define ZTL_ITEM_LIST_FUNCTION(function, selector) \
  static VALUE function(VALUE self) {              \
    (void)self;                                    \
    return ztl_selector_item_list(selector);       \
  }

/* Document-method: Ztl::ztl_selected_items
 * call-seq:
 *   Ztl.ztl_selected_items -> Array of ZtlItem
 *
 * The selected items; empty when nothing is selected.
 *
 *   Ztl.ztl_selected_items.each { |i| i.progress = 100 }
 */
ZTL_ITEM_LIST_FUNCTION(ztl_selected_items, ZTL_SELECT_SELECTED_ITEMS)
/* Document-method: Ztl::ztl_displayed_items
 * call-seq:
 *   Ztl.ztl_displayed_items -> Array of ZtlItem
 *
 * The items the host's task list shows, in its order.
 *
 *   Ztl.ztl_displayed_items.map(&:title)
 */
ZTL_ITEM_LIST_FUNCTION(ztl_displayed_items, ZTL_SELECT_DISPLAYED_ITEMS)
/* Document-method: Ztl::ztl_projects
 * call-seq:
 *   Ztl.ztl_projects -> Array of ZtlItem
 *
 * The projects loaded in the host.
 *
 *   Ztl.ztl_projects.map(&:title)   #=> ["Home", "Work"]
 */
ZTL_ITEM_LIST_FUNCTION(ztl_projects, ZTL_SELECT_LOADED_PROJECTS)

/*
 * call-seq:
 *   Ztl.ztl_current_document -> ZtlItemDocument or nil
 *
 * The document the host shows for the current item; nil when there is no
 * current item or document.
 *
 *   Ztl.ztl_current_document&.text
 *--
 * Two requests: the current item (its handle becomes the owner), then the
 * current document. Without a current item the second is not sent.
 *++
 */
static VALUE ztl_current_document(VALUE self) {
  (void)self;
  VALUE item = ztl_selector_item(ZTL_SELECT_CURRENT_ITEM, ztl_cItem);
  if (NIL_P(item)) return Qnil;
  const uint32_t owner = ztl_item_handle(item);
  const uint32_t document = (uint32_t)request_with_word(ZTL_REQ_SPECIAL_ITEM, ZTL_SELECT_CURRENT_DOCUMENT);
  return document == 0 ? Qnil : ztl_wrap_document(document, owner);
}

/*
 * call-seq:
 *   Ztl.ztl_exec_command(name, *arguments) -> true or false
 *
 * Runs a command of the host by name, with up to nine argument texts (nil
 * for an empty one). Answers whether the host ran it.
 *
 *   Ztl.ztl_exec_command("NewTask", "Call the bank")
 *--
 * The name and nine argument texts, each with its NUL (a lone NUL for an
 * argument left out or nil, so later ones keep their places), then one more
 * NUL for the always-empty tenth argument.
 *++
 */
static VALUE ztl_exec_command(int argc, VALUE* argv, VALUE self) {
  (void)self;
  VALUE texts[1 + EXEC_COMMAND_ARGUMENTS];
  rb_scan_args(argc, argv, "19", &texts[0], &texts[1], &texts[2], &texts[3], &texts[4], &texts[5], &texts[6],
               &texts[7], &texts[8], &texts[9]);
  /* Every conversion first (each may run a script's to_str, which could
   * change a String converted before), then the bytes. */
  for (int i = 0; i <= EXEC_COMMAND_ARGUMENTS; ++i) {
    if (i == 0 || !NIL_P(texts[i])) texts[i] = ztl_text_value(texts[i]);
  }
  ZtlText converted[1 + EXEC_COMMAND_ARGUMENTS];
  size_t total = 1;
  for (int i = 0; i <= EXEC_COMMAND_ARGUMENTS; ++i) {
    const ZtlText empty = {"", 0};
    converted[i] = NIL_P(texts[i]) ? empty : ztl_text_bytes(texts[i]);
    total += converted[i].length + 1;
  }
  ZtlPayload payload = ztl_payload_new(total);
  for (int i = 0; i <= EXEC_COMMAND_ARGUMENTS; ++i) ztl_payload_text(&payload, converted[i]);
  ztl_payload_nul(&payload);
  const VALUE result = ztl_request_truth(ZTL_REQ_EXEC_COMMAND, 0, &payload);
  for (int i = 0; i <= EXEC_COMMAND_ARGUMENTS; ++i) RB_GC_GUARD(texts[i]);
  return result;
}

/*
 * call-seq:
 *   Ztl.ztl_focus_pain -> Integer
 *
 * The pane of the host's window that has the focus: one of the AC_ constants
 * (the name is spelt so).
 *
 *   Ztl.ztl_focus_pain == Ztl::AC_EDIT
 */
static VALUE ztl_focus_pain(VALUE self) {
  (void)self;
  return ztl_int_result(ztl_request_word(ZTL_REQ_FOCUS_PANE, 0, NULL));
}

/*
 * call-seq:
 *   Ztl.ztl_set_focus_pain(pane) -> true or false
 *
 * Moves the focus to a pane (an AC_ constant).
 *
 *   Ztl.ztl_set_focus_pain(Ztl::AC_TREEVIEW)
 */
static VALUE ztl_set_focus_pain(VALUE self, VALUE pane) {
  (void)self;
  return ztl_truth_result(request_with_word(ZTL_REQ_SET_FOCUS_PANE, ztl_int_arg(pane)));
}

/*
 * call-seq:
 *   Ztl.ztl_exec_shift(flag) -> true or false
 *
 * For true, later ztl_exec_command calls of this run are sent with the
 * host's shift flag; any other value turns that off.
 *
 *   Ztl.ztl_exec_shift(true)
 */
static VALUE ztl_exec_shift(VALUE self, VALUE flag) {
  (void)self;
  return ztl_truth_result(request_with_word(ZTL_REQ_EXEC_SHIFT, ztl_truth_arg(flag)));
}

/*
 * call-seq:
 *   Ztl.ztl_path -> String
 *
 * The folder of the host's program, ending in a slash.
 *
 *   Ztl.ztl_path
 */
static VALUE ztl_path(VALUE self) {
  (void)self;
  return ztl_request_text(ZTL_REQ_HOST_PATH, 0, NULL);
}

/*
 * call-seq:
 *   Ztl.ztl_user_folder -> String
 *
 * The user folder (scripts live in its Script folder).
 *
 *   File.join(Ztl.ztl_user_folder, "Script")
 */
static VALUE ztl_user_folder(VALUE self) {
  (void)self;
  return ztl_request_text(ZTL_REQ_USER_FOLDER, 0, NULL);
}

/*
 * call-seq:
 *   Ztl.ztl_version -> Integer
 *
 * The host's version as major * 10000 + minor * 100 + release.
 *
 *   Ztl.ztl_version   #=> 10000 (version 1.0.0)
 */
static VALUE ztl_version(VALUE self) {
  (void)self;
  return ztl_int_result(ztl_request_word(ZTL_REQ_HOST_VERSION, 0, NULL));
}

/*
 * call-seq:
 *   Ztl.ruby_ztl_version -> Integer
 *
 * The plug-in's version, in the same form.
 *
 *   Ztl.ruby_ztl_version
 */
static VALUE ruby_ztl_version(VALUE self) {
  (void)self;
  return ztl_int_result(ztl_request_word(ZTL_REQ_PLUGIN_VERSION, 0, NULL));
}

/* The module (made by ztl.c) is looked up by name, so that RDoc sees which
 * module these belong to. */
void ztl_init_module_functions(void) {
  VALUE mZtl = rb_define_module("Ztl");
  rb_define_module_function(mZtl, "ztl_begin_update", ztl_begin_update, 0);
  rb_define_module_function(mZtl, "ztl_end_update", ztl_end_update, 0);
  rb_define_module_function(mZtl, "ztl_current_item", ztl_current_item, 0);
  rb_define_module_function(mZtl, "ztl_current_folder", ztl_current_folder, 0);
  rb_define_module_function(mZtl, "ztl_current_document", ztl_current_document, 0);
  rb_define_module_function(mZtl, "ztl_current_project", ztl_current_project, 0);
  rb_define_module_function(mZtl, "ztl_recycled", ztl_recycled, 0);
  rb_define_module_function(mZtl, "ztl_find_project", ztl_find_project, 0);
  rb_define_module_function(mZtl, "ztl_scrap_project", ztl_scrap_project, 0);
  rb_define_module_function(mZtl, "ztl_templete_project", ztl_templete_project, 0);
  rb_define_module_function(mZtl, "ztl_selected_items", ztl_selected_items, 0);
  rb_define_module_function(mZtl, "ztl_displayed_items", ztl_displayed_items, 0);
  rb_define_module_function(mZtl, "ztl_exec_command", ztl_exec_command, -1);
  rb_define_module_function(mZtl, "ztl_focus_pain", ztl_focus_pain, 0);
  rb_define_module_function(mZtl, "ztl_set_focus_pain", ztl_set_focus_pain, 1);
  rb_define_module_function(mZtl, "ztl_exec_shift", ztl_exec_shift, 1);
  rb_define_module_function(mZtl, "ztl_projects", ztl_projects, 0);
  rb_define_module_function(mZtl, "ztl_path", ztl_path, 0);
  rb_define_module_function(mZtl, "ztl_user_folder", ztl_user_folder, 0);
  rb_define_module_function(mZtl, "ztl_version", ztl_version, 0);
  rb_define_module_function(mZtl, "ruby_ztl_version", ruby_ztl_version, 0);
}
