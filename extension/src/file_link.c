/* Ztl::ZtlFileLink: one file link of an item (a path or an address). Each
 * method is one request with the link's handle in the header. */
#include "conversions.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

static uint32_t handle_of(VALUE self) { return ztl_member_data(self, &ztl_file_link_type)->handle; }

static VALUE set_text(VALUE self, VALUE value, uint32_t code) { return ztl_request_set_text(code, handle_of(self), value); }

#define LINK_TEXT(getter, setter, get_code, set_code)                                                   \
  static VALUE getter(VALUE self) { return ztl_request_text(get_code, handle_of(self), NULL); }         \
  static VALUE setter(VALUE self, VALUE text) { return set_text(self, text, set_code); }

LINK_TEXT(link_title, link_set_title, ZTL_REQ_FILELINK_TITLE_GET, ZTL_REQ_FILELINK_TITLE_SET)
LINK_TEXT(link_filename, link_set_filename, ZTL_REQ_FILELINK_FILENAME_GET, ZTL_REQ_FILELINK_FILENAME_SET)
LINK_TEXT(link_option, link_set_option, ZTL_REQ_FILELINK_OPTION_GET, ZTL_REQ_FILELINK_OPTION_SET)
LINK_TEXT(link_workdir, link_set_workdir, ZTL_REQ_FILELINK_WORKDIR_GET, ZTL_REQ_FILELINK_WORKDIR_SET)

static VALUE link_url(VALUE self) { return ztl_request_truth(ZTL_REQ_FILELINK_URL, handle_of(self), NULL); }
static VALUE link_delete(VALUE self) { return ztl_request_truth(ZTL_REQ_FILELINK_DELETE, handle_of(self), NULL); }
static VALUE link_execute(VALUE self) { return ztl_request_truth(ZTL_REQ_FILELINK_EXECUTE, handle_of(self), NULL); }

/* Only another file link is a source: a document's or an item's handle is not
 * a link's. A source of handle 0 sends nothing. */
static VALUE link_assign(VALUE self, VALUE other) {
  const uint32_t handle = handle_of(self);
  return ztl_request_assign(ZTL_REQ_FILELINK_ASSIGN, handle, ztl_member_data(other, &ztl_file_link_type)->handle);
}

void ztl_init_file_link(void) {
  VALUE c = ztl_cFileLink;
  rb_define_method(c, "title", link_title, 0);
  rb_define_method(c, "title=", link_set_title, 1);
  rb_define_method(c, "filename", link_filename, 0);
  rb_define_method(c, "filename=", link_set_filename, 1);
  rb_define_method(c, "option", link_option, 0);
  rb_define_method(c, "option=", link_set_option, 1);
  rb_define_method(c, "workdir", link_workdir, 0);
  rb_define_method(c, "workdir=", link_set_workdir, 1);
  rb_define_method(c, "url?", link_url, 0);
  rb_define_method(c, "delete", link_delete, 0);
  rb_define_method(c, "assign", link_assign, 1);
  rb_define_method(c, "execute", link_execute, 0);
}
