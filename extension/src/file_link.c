/* Ztl::ZtlFileLink: one file link of an item (a path or an address). Each
 * method is one request with the link's handle in the header. */
#include "conversions.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

/* Document-class: Ztl::ZtlFileLink
 *
 * One file link (a path or an address) of an item, from ZtlItem#filelinks
 * or ZtlItem#add_filelink.
 *
 *   Ztl.ztl_current_item.filelinks.each { |link| puts link.filename }
 */

static uint32_t handle_of(VALUE self) { return ztl_member_data(self, &ztl_file_link_type)->handle; }

static VALUE set_text(VALUE self, VALUE value, uint32_t code) { return ztl_request_set_text(code, handle_of(self), value); }

#define LINK_TEXT(getter, setter, get_code, set_code)                                                   \
  static VALUE getter(VALUE self) { return ztl_request_text(get_code, handle_of(self), NULL); }         \
  static VALUE setter(VALUE self, VALUE text) { return set_text(self, text, set_code); }

/* Document-method: Ztl::ZtlFileLink#title
 * call-seq:
 *   link.title -> String
 *
 * The link's title.
 *
 *   link.title   #=> "Manual"
 */
/* Document-method: Ztl::ZtlFileLink#title=
 * call-seq:
 *   link.title = text
 *
 * Sets the title.
 *
 *   link.title = "Manual"
 */
LINK_TEXT(link_title, link_set_title, ZTL_REQ_FILELINK_TITLE_GET, ZTL_REQ_FILELINK_TITLE_SET)
/* Document-method: Ztl::ZtlFileLink#filename
 * call-seq:
 *   link.filename -> String
 *
 * The path or address the link opens.
 *
 *   link.filename   #=> "https://example.org/manual"
 */
/* Document-method: Ztl::ZtlFileLink#filename=
 * call-seq:
 *   link.filename = path
 *
 * Sets the path or address.
 *
 *   link.filename = "/home/me/plan.txt"
 */
LINK_TEXT(link_filename, link_set_filename, ZTL_REQ_FILELINK_FILENAME_GET, ZTL_REQ_FILELINK_FILENAME_SET)
/* Document-method: Ztl::ZtlFileLink#option
 * call-seq:
 *   link.option -> String
 *
 * The arguments given when the link is opened.
 *
 *   link.option
 */
/* Document-method: Ztl::ZtlFileLink#option=
 * call-seq:
 *   link.option = text
 *
 * Sets the arguments.
 *
 *   link.option = "--read-only"
 */
LINK_TEXT(link_option, link_set_option, ZTL_REQ_FILELINK_OPTION_GET, ZTL_REQ_FILELINK_OPTION_SET)
/* Document-method: Ztl::ZtlFileLink#workdir
 * call-seq:
 *   link.workdir -> String
 *
 * The working folder the link is opened in.
 *
 *   link.workdir
 */
/* Document-method: Ztl::ZtlFileLink#workdir=
 * call-seq:
 *   link.workdir = path
 *
 * Sets the working folder.
 *
 *   link.workdir = "/home/me"
 */
LINK_TEXT(link_workdir, link_set_workdir, ZTL_REQ_FILELINK_WORKDIR_GET, ZTL_REQ_FILELINK_WORKDIR_SET)

/*
 * call-seq:
 *   link.url? -> true or false
 *
 * True when the link is an address rather than a file.
 *
 *   item.filelinks.select(&:url?)
 */
static VALUE link_url(VALUE self) { return ztl_request_truth(ZTL_REQ_FILELINK_URL, handle_of(self), NULL); }
/*
 * call-seq:
 *   link.delete -> true or false
 *
 * Deletes the link from its item.
 *
 *   link.delete
 */
static VALUE link_delete(VALUE self) { return ztl_request_truth(ZTL_REQ_FILELINK_DELETE, handle_of(self), NULL); }
/*
 * call-seq:
 *   link.execute -> true or false
 *
 * Opens the link as the host would (the file with its program, the address
 * in the browser).
 *
 *   item.filelinks.first.execute
 */
static VALUE link_execute(VALUE self) { return ztl_request_truth(ZTL_REQ_FILELINK_EXECUTE, handle_of(self), NULL); }

/*
 * call-seq:
 *   link.assign(source) -> true or false
 *
 * Copies another file link (a ZtlFileLink) into this one.
 *
 *   item.add_filelink.assign(link)
 *--
 * Only another file link is a source: a document's or an item's handle is not
 * a link's. A source of handle 0 sends nothing.
 *++
 */
static VALUE link_assign(VALUE self, VALUE other) {
  const uint32_t handle = handle_of(self);
  return ztl_request_assign(ZTL_REQ_FILELINK_ASSIGN, handle, ztl_member_data(other, &ztl_file_link_type)->handle);
}

/* The module and class (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_file_link(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cZtlFileLink = rb_define_class_under(mZtl, "ZtlFileLink", rb_cObject);
  rb_define_method(cZtlFileLink, "title", link_title, 0);
  rb_define_method(cZtlFileLink, "title=", link_set_title, 1);
  rb_define_method(cZtlFileLink, "filename", link_filename, 0);
  rb_define_method(cZtlFileLink, "filename=", link_set_filename, 1);
  rb_define_method(cZtlFileLink, "option", link_option, 0);
  rb_define_method(cZtlFileLink, "option=", link_set_option, 1);
  rb_define_method(cZtlFileLink, "workdir", link_workdir, 0);
  rb_define_method(cZtlFileLink, "workdir=", link_set_workdir, 1);
  rb_define_method(cZtlFileLink, "url?", link_url, 0);
  rb_define_method(cZtlFileLink, "delete", link_delete, 0);
  rb_define_method(cZtlFileLink, "assign", link_assign, 1);
  rb_define_method(cZtlFileLink, "execute", link_execute, 0);
}
