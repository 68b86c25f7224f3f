/* Typed data for the wrapper classes: each object owns one zero-filled block
 * from the interpreter's allocator, freed when the object is collected; an
 * item wrapper holds its handle in place of a block. */
#include "wrappers.h"

#include "ztl.h"

static void free_block(void* block) { ruby_xfree(block); }

static size_t member_size(const void* block) { return block == NULL ? 0 : sizeof(ZtlMemberData); }
static size_t option_size(const void* block) { return block == NULL ? 0 : sizeof(ZtlProjectOptionData); }

/* Each class has its own type, so that a wrapper of one is never taken for
 * another even where the blocks are alike. */
#define ZTL_DATA_TYPE(name, size_function)                                     \
  {                                                                           \
    .wrap_struct_name = name,                                                 \
    .function = {.dmark = NULL, .dfree = free_block, .dsize = size_function}, \
    .flags = RUBY_TYPED_FREE_IMMEDIATELY,                                     \
  }

/* Nothing to free or count: the data pointer is the handle itself. */
const rb_data_type_t ztl_item_type = {
    .wrap_struct_name = "Ztl::ZtlItem",
    .function = {.dmark = NULL, .dfree = NULL, .dsize = NULL},
    .flags = RUBY_TYPED_FREE_IMMEDIATELY,
};
const rb_data_type_t ztl_document_type = ZTL_DATA_TYPE("Ztl::ZtlItemDocument", member_size);
const rb_data_type_t ztl_project_option_type = ZTL_DATA_TYPE("Ztl::ZtlProjectOption", option_size);
const rb_data_type_t ztl_file_link_type = ZTL_DATA_TYPE("Ztl::ZtlFileLink", member_size);

VALUE ztl_wrap_item(uint32_t handle, VALUE klass) {
  return TypedData_Wrap_Struct(klass, &ztl_item_type, (void*)(uintptr_t)handle);
}

VALUE ztl_wrap_document(uint32_t handle, uint32_t owner) {
  ZtlMemberData* data;
  VALUE object = TypedData_Make_Struct(ztl_cItemDocument, ZtlMemberData, &ztl_document_type, data);
  data->handle = handle;
  data->owner = owner;
  return object;
}

VALUE ztl_wrap_project_option(ZtlProjectOptionData** data) {
  return TypedData_Make_Struct(ztl_cProjectOption, ZtlProjectOptionData, &ztl_project_option_type, *data);
}

VALUE ztl_wrap_file_link(uint32_t handle, uint32_t owner) {
  ZtlMemberData* data;
  VALUE object = TypedData_Make_Struct(ztl_cFileLink, ZtlMemberData, &ztl_file_link_type, data);
  data->handle = handle;
  data->owner = owner;
  return object;
}

uint32_t ztl_item_handle(VALUE object) {
  if (NIL_P(object)) rb_raise(ztl_eError, "Can't access item");
  return ztl_item_arg(object);
}

uint32_t ztl_item_arg(VALUE object) { return (uint32_t)(uintptr_t)rb_check_typeddata(object, &ztl_item_type); }

void ztl_item_forget(VALUE object) {
  (void)ztl_item_handle(object);
  RTYPEDDATA_DATA(object) = NULL;
}

ZtlProjectOptionData* ztl_project_option_data(VALUE object) {
  return rb_check_typeddata(object, &ztl_project_option_type);
}

ZtlMemberData* ztl_member_data(VALUE object, const rb_data_type_t* type) { return rb_check_typeddata(object, type); }
