/* ZtlItem's documents and file links: the two lists of an item, and adding,
 * inserting and deleting by position. The header carries the item's handle;
 * every entry made here is owned by the receiver. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

typedef VALUE (*MemberWrap)(uint32_t handle, uint32_t owner);

static uint32_t handle_of(VALUE self) { return ztl_item_handle(self); }

static ZtlPayload position_payload(VALUE position) {
  const int32_t at = ztl_int_arg(position);
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_word(&payload, at);
  return payload;
}

struct ListReading {
  MemberWrap wrap;
  uint32_t owner;
};

/* Handles up to the first 0 word or the reply's end; no reply is no entry. */
static VALUE read_members(const ZtlReply* reply, VALUE context) {
  const struct ListReading* reading = (const struct ListReading*)context;
  VALUE list = rb_ary_new();
  for (size_t i = 0; i < reply->length / 4; ++i) {
    const uint32_t handle = (uint32_t)ztl_reply_word(reply, i);
    if (handle == 0) break;
    rb_ary_push(list, reading->wrap(handle, reading->owner));
  }
  return list;
}

static VALUE member_list(VALUE self, uint32_t code, MemberWrap wrap) {
  struct ListReading reading = {wrap, handle_of(self)};
  return ztl_request_read(code, reading.owner, NULL, read_members, (VALUE)&reading);
}

static VALUE new_member(VALUE self, uint32_t code, const ZtlPayload* payload, MemberWrap wrap) {
  const uint32_t owner = handle_of(self);
  const uint32_t made = (uint32_t)ztl_request_word(code, owner, payload);
  return made == 0 ? Qnil : wrap(made, owner);
}

/*
 * call-seq:
 *   item.documents -> Array of ZtlItemDocument
 *
 * The item's documents in order; empty when it has none.
 *
 *   item.documents.map(&:title)
 */
static VALUE item_documents(VALUE self) { return member_list(self, ZTL_REQ_ITEM_DOCUMENTS, ztl_wrap_document); }

/*
 * call-seq:
 *   item.add_document -> ZtlItemDocument or nil
 *
 * Adds a document as the last one.
 *
 *   note = item.add_document
 *   note.text = "Call back"
 */
static VALUE item_add_document(VALUE self) {
  return new_member(self, ZTL_REQ_ITEM_ADD_DOCUMENT, NULL, ztl_wrap_document);
}

/*
 * call-seq:
 *   item.insert_document(position) -> ZtlItemDocument or nil
 *
 * Adds a document at position (0 is first).
 *
 *   item.insert_document(0)
 */
static VALUE item_insert_document(VALUE self, VALUE position) {
  const ZtlPayload payload = position_payload(position);
  return new_member(self, ZTL_REQ_ITEM_INSERT_DOCUMENT, &payload, ztl_wrap_document);
}

/*
 * call-seq:
 *   item.delete_document(position) -> true or false
 *
 * Deletes the document at position.
 *
 *   item.delete_document(0)
 */
static VALUE item_delete_document(VALUE self, VALUE position) {
  const ZtlPayload payload = position_payload(position);
  return ztl_request_truth(ZTL_REQ_ITEM_DELETE_DOCUMENT, handle_of(self), &payload);
}

/*
 * call-seq:
 *   item.filelinks -> Array of ZtlFileLink
 *
 * The item's file links in order; empty when it has none.
 *
 *   item.filelinks.map(&:filename)
 */
static VALUE item_filelinks(VALUE self) { return member_list(self, ZTL_REQ_ITEM_FILELINKS, ztl_wrap_file_link); }

/*
 * call-seq:
 *   item.add_filelink -> ZtlFileLink or nil
 *
 * Adds a file link as the last one.
 *
 *   link = item.add_filelink
 *   link.filename = "/home/me/plan.txt"
 */
static VALUE item_add_filelink(VALUE self) {
  return new_member(self, ZTL_REQ_ITEM_ADD_FILELINK, NULL, ztl_wrap_file_link);
}

/*
 * call-seq:
 *   item.insert_filelink(position) -> ZtlFileLink or nil
 *
 * Adds a file link at position (0 is first).
 *
 *   item.insert_filelink(0)
 */
static VALUE item_insert_filelink(VALUE self, VALUE position) {
  const ZtlPayload payload = position_payload(position);
  return new_member(self, ZTL_REQ_ITEM_INSERT_FILELINK, &payload, ztl_wrap_file_link);
}

/*
 * call-seq:
 *   item.delete_filelink(position) -> true or false
 *
 * Deletes the file link at position.
 *
 *   item.delete_filelink(0)
 */
static VALUE item_delete_filelink(VALUE self, VALUE position) {
  const ZtlPayload payload = position_payload(position);
  return ztl_request_truth(ZTL_REQ_ITEM_DELETE_FILELINK, handle_of(self), &payload);
}

/* The module and class (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_item_documents(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cZtlItem = rb_define_class_under(mZtl, "ZtlItem", rb_cObject);
  rb_define_method(cZtlItem, "documents", item_documents, 0);
  rb_define_method(cZtlItem, "add_document", item_add_document, 0);
  rb_define_method(cZtlItem, "insert_document", item_insert_document, 1);
  rb_define_method(cZtlItem, "delete_document", item_delete_document, 1);
  rb_define_method(cZtlItem, "filelinks", item_filelinks, 0);
  rb_define_method(cZtlItem, "add_filelink", item_add_filelink, 0);
  rb_define_method(cZtlItem, "insert_filelink", item_insert_filelink, 1);
  rb_define_method(cZtlItem, "delete_filelink", item_delete_filelink, 1);
}
