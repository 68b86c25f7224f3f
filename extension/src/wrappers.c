/* Typed data for the wrapper classes: each object owns one zero-filled block
 * from the interpreter's allocator, freed when the object is collected. */
#include "wrappers.h"

#include "ztl.h"

static void free_block(void* block) { ruby_xfree(block); }

static size_t item_size(const void* block) { return block == NULL ? 0 : sizeof(ZtlItemData); }
static size_t member_size(const void* block) { return block == NULL ? 0 : sizeof(ZtlMemberData); }
static size_t project_option_size(const void* block) { return block == NULL ? 0 : sizeof(ZtlProjectOptionData); }

/* Documents and file links share a block layout but not a type, so one is
 * never taken for the other. */
#define ZTL_DATA_TYPE(name, size_function)                                     \
  {                                                                           \
    .wrap_struct_name = name,                                                 \
    .function = {.dmark = NULL, .dfree = free_block, .dsize = size_function}, \
    .flags = RUBY_TYPED_FREE_IMMEDIATELY,                                     \
  }

const rb_data_type_t ztl_item_type = ZTL_DATA_TYPE("Ztl::ZtlItem", item_size);
const rb_data_type_t ztl_document_type = ZTL_DATA_TYPE("Ztl::ZtlItemDocument", member_size);
const rb_data_type_t ztl_filelink_type = ZTL_DATA_TYPE("Ztl::ZtlFileLink", member_size);
const rb_data_type_t ztl_project_option_type = ZTL_DATA_TYPE("Ztl::ZtlProjectOption", project_option_size);

VALUE ztl_wrap_item(uint32_t handle, VALUE klass) {
  ZtlItemData* data;
  VALUE object = TypedData_Make_Struct(klass, ZtlItemData, &ztl_item_type, data);
  data->handle = handle;
  return object;
}

static VALUE wrap_member(VALUE klass, const rb_data_type_t* type, uint32_t handle, uint32_t owner) {
  ZtlMemberData* data;
  VALUE object = TypedData_Make_Struct(klass, ZtlMemberData, type, data);
  data->handle = handle;
  data->owner = owner;
  return object;
}

VALUE ztl_wrap_document(uint32_t handle, uint32_t owner) {
  return wrap_member(ztl_cItemDocument, &ztl_document_type, handle, owner);
}

VALUE ztl_wrap_filelink(uint32_t handle, uint32_t owner) {
  return wrap_member(ztl_cFileLink, &ztl_filelink_type, handle, owner);
}

VALUE ztl_wrap_project_option(uint32_t item_handle) {
  ZtlProjectOptionData* data;
  VALUE object = TypedData_Make_Struct(ztl_cProjectOption, ZtlProjectOptionData, &ztl_project_option_type, data);
  data->words[0] = item_handle;
  return object;
}

static void check_receiver(VALUE object) {
  if (NIL_P(object)) rb_raise(ztl_eError, "Can't access item");
}

ZtlItemData* ztl_item_data(VALUE object) {
  check_receiver(object);
  return rb_check_typeddata(object, &ztl_item_type);
}

ZtlMemberData* ztl_document_data(VALUE object) {
  check_receiver(object);
  return rb_check_typeddata(object, &ztl_document_type);
}

ZtlMemberData* ztl_filelink_data(VALUE object) {
  check_receiver(object);
  return rb_check_typeddata(object, &ztl_filelink_type);
}

ZtlProjectOptionData* ztl_project_option_data(VALUE object) {
  check_receiver(object);
  return rb_check_typeddata(object, &ztl_project_option_type);
}

ZtlItemData* ztl_item_arg(VALUE object) { return rb_check_typeddata(object, &ztl_item_type); }

ZtlMemberData* ztl_document_arg(VALUE object) { return rb_check_typeddata(object, &ztl_document_type); }

ZtlMemberData* ztl_filelink_arg(VALUE object) { return rb_check_typeddata(object, &ztl_filelink_type); }
