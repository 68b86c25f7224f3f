/* Ztl::ZtlItemDocument: one document of an item. Each method is one request
 * with the document's handle in the header; index asks the owner's list. */
#include "conversions.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

/* Document-class: Ztl::ZtlItemDocument
 *
 * One document (a text, or a link to a text file) of an item, from
 * ZtlItem#documents, ZtlItem#add_document or Ztl.ztl_current_document.
 *
 *   Ztl.ztl_current_item.documents.each { |doc| puts doc.title, doc.text }
 */

static ZtlMemberData* data_of(VALUE self) { return ztl_member_data(self, &ztl_document_type); }
static uint32_t handle_of(VALUE self) { return data_of(self)->handle; }

static VALUE set_text(VALUE self, VALUE value, uint32_t code) { return ztl_request_set_text(code, handle_of(self), value); }

/*
 * call-seq:
 *   document.parent -> ZtlItem
 *
 * The item the document belongs to (no request).
 *
 *   Ztl.ztl_current_document.parent.title
 */
static VALUE document_parent(VALUE self) { return ztl_wrap_item(data_of(self)->owner, ztl_cItem); }

static VALUE read_position(const ZtlReply* reply, VALUE handle) {
  const uint32_t wanted = NUM2UINT(handle);
  for (size_t i = 0; i < reply->length / 4; ++i) {
    const uint32_t entry = (uint32_t)ztl_reply_word(reply, i);
    if (entry == 0) break;
    if (entry == wanted) return LONG2NUM((long)i);
  }
  return INT2NUM(-1);
}

/*
 * call-seq:
 *   document.index -> Integer
 *
 * The document's position among its item's documents; -1 when it is no
 * longer there.
 *
 *   doc.index   #=> 0
 */
static VALUE document_index(VALUE self) {
  const ZtlMemberData* data = data_of(self);
  return ztl_request_read(ZTL_REQ_ITEM_DOCUMENTS, data->owner, NULL, read_position, UINT2NUM(data->handle));
}

/*
 * call-seq:
 *   document.title -> String
 *
 * The document's title.
 *
 *   doc.title   #=> "Notes"
 */
static VALUE document_title(VALUE self) { return ztl_request_text(ZTL_REQ_DOCUMENT_TITLE_GET, handle_of(self), NULL); }
/*
 * call-seq:
 *   document.title = text
 *
 * Sets the title.
 *
 *   doc.title = "Minutes"
 */
static VALUE document_set_title(VALUE self, VALUE title) { return set_text(self, title, ZTL_REQ_DOCUMENT_TITLE_SET); }

/*
 * call-seq:
 *   document.text -> String
 *
 * The document's text, lines ending in LF. Ztl::Error when the host cannot
 * read it (the file of a linked document).
 *
 *   doc.text.lines.size
 */
static VALUE document_text(VALUE self) {
  const VALUE text = ztl_request_long_text(ZTL_REQ_DOCUMENT_TEXT_GET, handle_of(self));
  /* Every text, also the empty one, comes with its NUL; a reply without any
   * bytes is the host's saying that it could not read the text (the file the
   * document is linked to), which must not pass for an empty document. */
  if (text == Qundef) rb_raise(ztl_eError, "Can't read the document's text");
  return text;
}

/*
 * call-seq:
 *   document.text = text
 *
 * Sets the text (LF or CR LF line ends alike).
 *
 *   doc.text = "first line\nsecond line"
 */
static VALUE document_set_text_body(VALUE self, VALUE text) { return set_text(self, text, ZTL_REQ_DOCUMENT_TEXT_SET); }

/*
 * call-seq:
 *   document.texttype -> String
 *
 * The text's type as the host names it.
 *
 *   doc.texttype
 */
static VALUE document_texttype(VALUE self) {
  return ztl_request_text(ZTL_REQ_DOCUMENT_TEXTTYPE_GET, handle_of(self), NULL);
}

/*
 * call-seq:
 *   document.texttype = type
 *
 * Sets the text's type.
 *
 *   doc.texttype = "Text"
 */
static VALUE document_set_texttype(VALUE self, VALUE type) {
  return set_text(self, type, ZTL_REQ_DOCUMENT_TEXTTYPE_SET);
}

/*
 * call-seq:
 *   document.textlink? -> true or false
 *
 * True when the document is linked to a file (its filename is not empty).
 *
 *   doc.textlink?
 */
static VALUE document_textlink(VALUE self) { return ztl_request_truth(ZTL_REQ_DOCUMENT_TEXTLINK, handle_of(self), NULL); }

/*
 * call-seq:
 *   document.filename -> String
 *
 * The file the document is linked to; "" when none.
 *
 *   doc.filename
 */
static VALUE document_filename(VALUE self) {
  return ztl_request_text(ZTL_REQ_DOCUMENT_FILENAME_GET, handle_of(self), NULL);
}

/*
 * call-seq:
 *   document.filename = path
 *
 * Links the document to a file; "" unlinks it.
 *
 *   doc.filename = "/home/me/notes.txt"
 */
static VALUE document_set_filename(VALUE self, VALUE name) {
  return set_text(self, name, ZTL_REQ_DOCUMENT_FILENAME_SET);
}

/*
 * call-seq:
 *   document.delete -> true or false
 *
 * Deletes the document from its item.
 *
 *   item.documents.last.delete
 */
static VALUE document_delete(VALUE self) { return ztl_request_truth(ZTL_REQ_DOCUMENT_DELETE, handle_of(self), NULL); }

/*
 * call-seq:
 *   document.assign(source) -> true or false
 *
 * Copies another document (a ZtlItemDocument) into this one.
 *
 *   item.add_document.assign(template_doc)
 *--
 * Only another document is a source: a link's or an item's handle is not a
 * document's. A source of handle 0 sends nothing.
 *++
 */
static VALUE document_assign(VALUE self, VALUE other) {
  const uint32_t handle = handle_of(self);
  return ztl_request_assign(ZTL_REQ_DOCUMENT_ASSIGN, handle, ztl_member_data(other, &ztl_document_type)->handle);
}

/*
 * call-seq:
 *   document.set_focus -> true or false
 *
 * Makes the document the one the host shows.
 *
 *   doc.set_focus
 */
static VALUE document_set_focus(VALUE self) {
  return ztl_request_truth(ZTL_REQ_DOCUMENT_SET_FOCUS, handle_of(self), NULL);
}

/* The module and class (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_document(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cZtlItemDocument = rb_define_class_under(mZtl, "ZtlItemDocument", rb_cObject);
  rb_define_method(cZtlItemDocument, "parent", document_parent, 0);
  rb_define_method(cZtlItemDocument, "index", document_index, 0);
  rb_define_method(cZtlItemDocument, "title", document_title, 0);
  rb_define_method(cZtlItemDocument, "title=", document_set_title, 1);
  rb_define_method(cZtlItemDocument, "text", document_text, 0);
  rb_define_method(cZtlItemDocument, "text=", document_set_text_body, 1);
  rb_define_method(cZtlItemDocument, "texttype", document_texttype, 0);
  rb_define_method(cZtlItemDocument, "texttype=", document_set_texttype, 1);
  rb_define_method(cZtlItemDocument, "textlink?", document_textlink, 0);
  rb_define_method(cZtlItemDocument, "filename", document_filename, 0);
  rb_define_method(cZtlItemDocument, "filename=", document_set_filename, 1);
  rb_define_method(cZtlItemDocument, "delete", document_delete, 0);
  rb_define_method(cZtlItemDocument, "assign", document_assign, 1);
  rb_define_method(cZtlItemDocument, "set_focus", document_set_focus, 0);
}
