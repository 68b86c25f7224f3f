/* How the wrappers print and compare. A wrapper is a value: two objects that
 * hold the same handle name the same host object, so they are ==, eql? and
 * of one hash, also when one is of a subclass of ZtlItem (its instances name
 * items all the same). A wrapper whose handle went to 0 (ZtlItem#delete)
 * names nothing and equals only itself.
 *
 * inspect sends at most one request (the title), and prints without it when
 * the host cannot answer, so a script can still show what it held. */
#include <stddef.h>

#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

_Static_assert(offsetof(ZtlMemberData, handle) == 0, "a member block starts with its handle");

/* --- Printing ---------------------------------------------------------------- */

typedef struct TitleRequest {
  uint32_t code;
  uint32_t handle;
} TitleRequest;

static VALUE ask_title(VALUE arg) {
  const TitleRequest* request = (const TitleRequest*)arg;
  return ztl_request_text(request->code, request->handle, NULL);
}

static VALUE no_title(VALUE arg, VALUE error) {
  (void)arg;
  (void)error;
  return Qnil;
}

/* The title's inspect form, or nil when the host is gone or refused. */
static VALUE title_or_nil(uint32_t code, uint32_t handle) {
  TitleRequest request = {code, handle};
  const VALUE title = rb_rescue2(ask_title, (VALUE)&request, no_title, Qnil, ztl_eError, (VALUE)0);
  return NIL_P(title) ? Qnil : rb_str_inspect(title);
}

static VALUE class_name_of(VALUE self) { return rb_class_name(rb_obj_class(self)); }

/*
 * call-seq:
 *   item.inspect -> String
 *
 * The class, the handle and the title, asked in one request:
 * <tt>#<Ztl::ZtlItem 42 "Milk"></tt>. Without an answer (the host has gone)
 * only the handle shows, <tt>#<Ztl::ZtlItem 42></tt>; a deleted item shows
 * <tt>#<Ztl::ZtlItem deleted></tt> and sends nothing.
 *
 *   p Ztl.ztl_current_item   # prints #<Ztl::ZtlItem 42 "Milk">
 */
static VALUE item_inspect(VALUE self) {
  const uint32_t handle = ztl_item_handle(self);
  const VALUE name = class_name_of(self);
  if (handle == 0) return rb_sprintf("#<%" PRIsVALUE " deleted>", name);
  const VALUE title = title_or_nil(ZTL_REQ_ITEM_TITLE_GET, handle);
  if (NIL_P(title)) return rb_sprintf("#<%" PRIsVALUE " %u>", name, handle);
  return rb_sprintf("#<%" PRIsVALUE " %u %" PRIsVALUE ">", name, handle, title);
}

static VALUE member_inspect(VALUE self, const rb_data_type_t* type, uint32_t title_code) {
  const ZtlMemberData* data = ztl_member_data(self, type);
  const VALUE name = class_name_of(self);
  const VALUE title = data->handle == 0 ? Qnil : title_or_nil(title_code, data->handle);
  if (NIL_P(title)) return rb_sprintf("#<%" PRIsVALUE " %u of item %u>", name, data->handle, data->owner);
  return rb_sprintf("#<%" PRIsVALUE " %u of item %u %" PRIsVALUE ">", name, data->handle, data->owner, title);
}

/*
 * call-seq:
 *   document.inspect -> String
 *
 * The handle, the owner item's handle and the title (one request):
 * <tt>#<Ztl::ZtlItemDocument 7 of item 42 "Notes"></tt>; without an answer
 * the title is left out.
 *
 *   p item.documents.first   # prints #<Ztl::ZtlItemDocument 7 of item 42 "Notes">
 */
static VALUE document_inspect(VALUE self) {
  return member_inspect(self, &ztl_document_type, ZTL_REQ_DOCUMENT_TITLE_GET);
}

/*
 * call-seq:
 *   link.inspect -> String
 *
 * The handle, the owner item's handle and the title (one request):
 * <tt>#<Ztl::ZtlFileLink 9 of item 42 "Manual"></tt>; without an answer the
 * title is left out.
 *
 *   p item.filelinks.first   # prints #<Ztl::ZtlFileLink 9 of item 42 "Manual">
 */
static VALUE link_inspect(VALUE self) { return member_inspect(self, &ztl_file_link_type, ZTL_REQ_FILELINK_TITLE_GET); }

static VALUE truth_name(int32_t word) { return rb_str_new_cstr(word != 0 ? "true" : "false"); }

/*
 * call-seq:
 *   option.inspect -> String
 *
 * The project's item handle and the five options as the snapshot holds them;
 * sends nothing.
 *
 *   p item.project_option
 *   # prints #<Ztl::ZtlProjectOption of item 3 save_caret_pos=true station_and_query_save=false ...>
 */
static VALUE option_inspect(VALUE self) {
  const int32_t* w = ztl_project_option_data(self)->words;
  return rb_sprintf("#<%" PRIsVALUE " of item %u save_caret_pos=%" PRIsVALUE " station_and_query_save=%" PRIsVALUE
                    " add_item_to_bottom=%" PRIsVALUE " folder_behind=%" PRIsVALUE " relative_path=%" PRIsVALUE ">",
                    class_name_of(self), (uint32_t)w[0], truth_name(w[1]), truth_name(w[2]), truth_name(w[3]),
                    truth_name(w[4]), truth_name(w[5]));
}

/* --- Comparing ----------------------------------------------------------------- */

/* The handle of a wrapper of type, or 0 for anything else (no wrapper of a
 * live object holds 0). An item wrapper holds the handle itself, a member
 * block starts with it. */
static uint32_t handle_if(VALUE object, const rb_data_type_t* type) {
  if (!rb_typeddata_is_kind_of(object, type)) return 0;
  if (type == &ztl_item_type) return (uint32_t)(uintptr_t)RTYPEDDATA_DATA(object);
  return *(const uint32_t*)RTYPEDDATA_DATA(object);
}

static VALUE same_handle(VALUE self, VALUE other, const rb_data_type_t* type) {
  if (self == other) return Qtrue;
  const uint32_t mine = handle_if(self, type);
  return mine != 0 && mine == handle_if(other, type) ? Qtrue : Qfalse;
}

/* Mixed with the type, so an item and a document of one number differ. */
static VALUE handle_hash(VALUE self, const rb_data_type_t* type) {
  const uint32_t handle = handle_if(self, type);
  if (handle == 0) return rb_obj_id(self);
  st_index_t h = rb_hash_start((st_index_t)(uintptr_t)type);
  h = rb_hash_uint32(h, handle);
  return ST2FIX(rb_hash_end(h));
}

/*
 * call-seq:
 *   item == other      -> true or false
 *   item.eql?(other)   -> true or false
 *
 * True when other is a ZtlItem (or of a subclass of it) of the same host
 * item. A deleted item equals only itself.
 *
 *   Ztl.ztl_current_item == Ztl::ZtlItem.new(Ztl::CURRENT_ITEM)   #=> true
 */
static VALUE item_equal(VALUE self, VALUE other) { return same_handle(self, other, &ztl_item_type); }

/*
 * call-seq:
 *   item.hash -> Integer
 *
 * Equal items have one hash, so items serve as Hash keys and in
 * <tt>Array#uniq</tt>. The hash of an item deleted through its wrapper
 * changes: rehash a Hash that holds it as a key.
 *
 *   seen = { Ztl.ztl_current_item => true }
 *   seen[Ztl::ZtlItem.new(Ztl::CURRENT_ITEM)]   #=> true
 */
static VALUE item_hash(VALUE self) { return handle_hash(self, &ztl_item_type); }

/*
 * call-seq:
 *   document == other      -> true or false
 *   document.eql?(other)   -> true or false
 *
 * True when other is a ZtlItemDocument of the same document.
 *
 *   Ztl.ztl_current_document == Ztl.ztl_current_item.documents.first   #=> true
 */
static VALUE document_equal(VALUE self, VALUE other) { return same_handle(self, other, &ztl_document_type); }

/*
 * call-seq:
 *   document.hash -> Integer
 *
 * Equal documents have one hash.
 *
 *   item.documents.uniq.size
 */
static VALUE document_hash(VALUE self) { return handle_hash(self, &ztl_document_type); }

/*
 * call-seq:
 *   link == other      -> true or false
 *   link.eql?(other)   -> true or false
 *
 * True when other is a ZtlFileLink of the same file link.
 *
 *   item.filelinks.first == item.filelinks.first   #=> true
 */
static VALUE link_equal(VALUE self, VALUE other) { return same_handle(self, other, &ztl_file_link_type); }

/*
 * call-seq:
 *   link.hash -> Integer
 *
 * Equal file links have one hash.
 *
 *   item.filelinks.to_h { |link| [link, link.filename] }
 */
static VALUE link_hash(VALUE self) { return handle_hash(self, &ztl_file_link_type); }

/*
 * call-seq:
 *   option == other      -> true or false
 *   option.eql?(other)   -> true or false
 *
 * True when other is a snapshot of the same project holding the same five
 * options (each compared as true or false, as the readers answer).
 *
 *   item.project_option == item.project_option   #=> true
 */
static VALUE option_equal(VALUE self, VALUE other) {
  if (!rb_typeddata_is_kind_of(other, &ztl_project_option_type)) return Qfalse;
  const int32_t* mine = ztl_project_option_data(self)->words;
  const int32_t* theirs = ztl_project_option_data(other)->words;
  if (mine[0] != theirs[0]) return Qfalse;
  for (int i = 1; i < 6; ++i) {
    if ((mine[i] != 0) != (theirs[i] != 0)) return Qfalse;
  }
  return Qtrue;
}

/*
 * call-seq:
 *   option.hash -> Integer
 *
 * Equal snapshots have one hash.
 *
 *   [item.project_option, item.project_option].uniq.size   #=> 1
 */
static VALUE option_hash(VALUE self) {
  const int32_t* words = ztl_project_option_data(self)->words;
  st_index_t h = rb_hash_start((st_index_t)(uintptr_t)&ztl_project_option_type);
  h = rb_hash_uint32(h, (uint32_t)words[0]);
  for (int i = 1; i < 6; ++i) h = rb_hash_uint32(h, words[i] != 0);
  return ST2FIX(rb_hash_end(h));
}

/* --- Registration -------------------------------------------------------------- */

/* The module and classes (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_value_objects(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cZtlItem = rb_define_class_under(mZtl, "ZtlItem", rb_cObject);
  VALUE cZtlItemDocument = rb_define_class_under(mZtl, "ZtlItemDocument", rb_cObject);
  VALUE cZtlFileLink = rb_define_class_under(mZtl, "ZtlFileLink", rb_cObject);
  VALUE cZtlProjectOption = rb_define_class_under(mZtl, "ZtlProjectOption", rb_cObject);
  rb_define_method(cZtlItem, "inspect", item_inspect, 0);
  rb_define_method(cZtlItem, "==", item_equal, 1);
  rb_define_method(cZtlItem, "eql?", item_equal, 1);
  rb_define_method(cZtlItem, "hash", item_hash, 0);
  rb_define_method(cZtlItemDocument, "inspect", document_inspect, 0);
  rb_define_method(cZtlItemDocument, "==", document_equal, 1);
  rb_define_method(cZtlItemDocument, "eql?", document_equal, 1);
  rb_define_method(cZtlItemDocument, "hash", document_hash, 0);
  rb_define_method(cZtlFileLink, "inspect", link_inspect, 0);
  rb_define_method(cZtlFileLink, "==", link_equal, 1);
  rb_define_method(cZtlFileLink, "eql?", link_equal, 1);
  rb_define_method(cZtlFileLink, "hash", link_hash, 0);
  rb_define_method(cZtlProjectOption, "inspect", option_inspect, 0);
  rb_define_method(cZtlProjectOption, "==", option_equal, 1);
  rb_define_method(cZtlProjectOption, "eql?", option_equal, 1);
  rb_define_method(cZtlProjectOption, "hash", option_hash, 0);
}
