/* The blocks that the extension's objects wrap, and one checked accessor per
 * class. An accessor for a receiver raises Ztl::Error "Can't access item" for
 * nil; every accessor raises TypeError for an object of another kind. */
#ifndef ZTL_WRAPPERS_H
#define ZTL_WRAPPERS_H

#include <ruby.h>
#include <stdint.h>

/* A document or a file link: its own handle, then its owner item's. */
typedef struct ZtlMemberData {
  uint32_t handle;
  uint32_t owner;
} ZtlMemberData;

/* A project option snapshot: the channel form of requests 83 and 84, the
 * item handle and then the five options, as words. */
typedef struct ZtlProjectOptionData {
  int32_t words[6];
} ZtlProjectOptionData;

extern const rb_data_type_t ztl_item_type;
extern const rb_data_type_t ztl_document_type;
extern const rb_data_type_t ztl_project_option_type;
extern const rb_data_type_t ztl_file_link_type;

/* klass is ZtlItem or a subclass of it. */
VALUE ztl_wrap_item(uint32_t handle, VALUE klass);
VALUE ztl_wrap_document(uint32_t handle, uint32_t owner);
/* A zeroed snapshot; *data is where its words go. */
VALUE ztl_wrap_project_option(ZtlProjectOptionData** data);
VALUE ztl_wrap_file_link(uint32_t handle, uint32_t owner);

/* An item wrapper holds its handle where other wrappers hold a pointer to
 * their block: an item comes with every tree reply, and needs no block. */
/* Receivers: nil raises Ztl::Error. */
uint32_t ztl_item_handle(VALUE object);
/* The wrapper lets go of its item: from then on it holds handle 0. */
void ztl_item_forget(VALUE object);
ZtlProjectOptionData* ztl_project_option_data(VALUE object);

/* Arguments: nil is a TypeError like any other object of the wrong kind, and
 * so is a document or link wrapper, whose handle is not an item's. */
uint32_t ztl_item_arg(VALUE object);

/* A document or file link, receiver or argument alike: type is
 * ztl_document_type or ztl_file_link_type; TypeError for anything else. */
ZtlMemberData* ztl_member_data(VALUE object, const rb_data_type_t* type);

#endif /* ZTL_WRAPPERS_H */
