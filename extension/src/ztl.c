/* Entry point of the extension: require "ztl" runs Init_ztl, which opens the
 * channel to the host and registers the module Ztl, one family or class at a
 * time. */
#include "channel_client.h"
#include "ztl.h"

VALUE ztl_mZtl;
VALUE ztl_eError;
VALUE ztl_cItem;
VALUE ztl_cItemDocument;
VALUE ztl_cFileLink;
VALUE ztl_cProjectOption;
VALUE ztl_cEdit;

/* Document-module: Ztl
 *
 * Drives the host from a Ruby script: <tt>require "ztl"</tt> connects to the
 * host that started the script (or to the station, <tt>zentrella
 * station</tt>, for a script started outside any host). Every method is one
 * request to the host. See docs/scripting.md for where scripts live and how
 * they are run.
 *
 *   require "ztl"
 *   puts Ztl.ztl_current_item.title
 */

/* Document-class: Ztl::Error
 *
 * Raised when the host cannot be reached ("Zentrella has gone away") and for
 * misuse the host would not catch (an item method on nil: "Can't access
 * item").
 */

static void init_module(void) {
  rb_global_variable(&ztl_mZtl);
  rb_global_variable(&ztl_eError);
  ztl_mZtl = rb_define_module("Ztl");
  ztl_eError = rb_define_class_under(ztl_mZtl, "Error", rb_eStandardError);
}

/* A failed connection prints its line, then raises; the load fails and
 * nothing else is registered. */
static void init_channel(void) {
  const ZtlConnectStatus status = ztl_channel_connect();
  if (status == ZTL_CONNECT_OK) return;
  rb_io_write(rb_stdout, rb_str_new_cstr(ztl_connect_line(status)));
  rb_raise(ztl_eError, "%s", ztl_connect_message(status));
}

/* Wrapper objects come only from the extension's own methods, never from
 * allocate, so none exists without its handle. */
static void define_wrapper_class(VALUE* global, const char* name) {
  rb_global_variable(global);
  VALUE klass = rb_define_class_under(ztl_mZtl, name, rb_cObject);
  rb_undef_alloc_func(klass);
  *global = klass;
}

static void init_classes(void) {
  define_wrapper_class(&ztl_cItem, "ZtlItem");
  define_wrapper_class(&ztl_cItemDocument, "ZtlItemDocument");
  define_wrapper_class(&ztl_cFileLink, "ZtlFileLink");
  define_wrapper_class(&ztl_cProjectOption, "ZtlProjectOption");
  define_wrapper_class(&ztl_cEdit, "Edit"); /* class methods only */
}

RUBY_FUNC_EXPORTED void Init_ztl(void) {
  init_module();
  init_channel();
  ztl_init_conversions();
  ztl_init_module_functions();
  ztl_init_dialogs();
  init_classes();
  ztl_init_item();
  ztl_init_item_documents();
  ztl_init_document();
  ztl_init_file_link();
  ztl_init_project_option();
  ztl_init_edit();
  ztl_init_value_objects();
  ztl_init_constants();
}
