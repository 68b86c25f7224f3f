/* Ztl::ZtlProjectOption: a snapshot of a project's five on/off options. The
 * readers answer from the snapshot; each writer changes one option and sends
 * all five back (request 84), so two snapshots of one project overwrite each
 * other: a write through the older brings back the four values it holds. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

enum {
  OPTION_WORDS = ZTL_PROJECT_OPTION_RECORD_SIZE / ZTL_WORD_SIZE,
  OPTION_HANDLE = ZTL_PROJECT_OPTION_HANDLE_OFFSET / ZTL_WORD_SIZE,
  OPTION_SAVE_CARET_POS = ZTL_PROJECT_OPTION_SAVE_CARET_POS_OFFSET / ZTL_WORD_SIZE,
  OPTION_STATION_AND_QUERY_SAVE = ZTL_PROJECT_OPTION_STATION_AND_QUERY_SAVE_OFFSET / ZTL_WORD_SIZE,
  OPTION_ADD_ITEM_TO_BOTTOM = ZTL_PROJECT_OPTION_ADD_ITEM_TO_BOTTOM_OFFSET / ZTL_WORD_SIZE,
  OPTION_FOLDER_BEHIND = ZTL_PROJECT_OPTION_FOLDER_BEHIND_OFFSET / ZTL_WORD_SIZE,
  OPTION_RELATIVE_PATH = ZTL_PROJECT_OPTION_RELATIVE_PATH_OFFSET / ZTL_WORD_SIZE
};

_Static_assert(sizeof(ZtlProjectOptionData) == ZTL_PROJECT_OPTION_RECORD_SIZE, "the block is the channel form");

/* A reply too short to hold the five options is no snapshot: writing back
 * the zeros it would leave would switch options off. The handle stays the one
 * asked about, so writes go where the script meant them to. */
VALUE ztl_project_option_of(uint32_t item) {
  ZtlProjectOptionData* data;
  VALUE object = ztl_wrap_project_option(&data);
  data->words[OPTION_HANDLE] = (int32_t)item;
  ZtlReply reply = ztl_send(ZTL_REQ_PROJECT_OPTION_GET, item, NULL);
  const int complete = reply.data != NULL && reply.length >= ZTL_PROJECT_OPTION_RECORD_SIZE;
  for (size_t i = OPTION_HANDLE + 1; complete && i < OPTION_WORDS; ++i) data->words[i] = ztl_reply_word(&reply, i);
  ztl_reply_free(&reply);
  return complete ? object : Qnil;
}

static VALUE option_value(VALUE self, int index) {
  return ztl_truth_result(ztl_project_option_data(self)->words[index]);
}

/* The snapshot takes the new value only when the host took the write, so its
 * readers never show what the project does not hold through this object. */
static VALUE option_write(VALUE self, int index, VALUE value) {
  ZtlProjectOptionData* data = ztl_project_option_data(self);
  int32_t words[OPTION_WORDS];
  for (int i = 0; i < OPTION_WORDS; ++i) words[i] = data->words[i];
  words[index] = ztl_truth_arg(value);
  ZtlPayload payload = ztl_payload_new(ZTL_PROJECT_OPTION_RECORD_SIZE);
  for (int i = 0; i < OPTION_WORDS; ++i) ztl_payload_word(&payload, words[i]);
  const VALUE taken = ztl_request_truth(ZTL_REQ_PROJECT_OPTION_SET, (uint32_t)words[OPTION_HANDLE], &payload);
  if (RTEST(taken)) data->words[index] = words[index];
  return taken;
}

#define PROJECT_OPTION(name, index)                                                                  \
  static VALUE option_##name(VALUE self) { return option_value(self, index); }                       \
  static VALUE option_set_##name(VALUE self, VALUE value) { return option_write(self, index, value); }

PROJECT_OPTION(save_caret_pos, OPTION_SAVE_CARET_POS)
PROJECT_OPTION(station_and_query_save, OPTION_STATION_AND_QUERY_SAVE)
PROJECT_OPTION(add_item_to_bottom, OPTION_ADD_ITEM_TO_BOTTOM)
PROJECT_OPTION(folder_behind, OPTION_FOLDER_BEHIND)
PROJECT_OPTION(relative_path, OPTION_RELATIVE_PATH)

#define DEFINE_PROJECT_OPTION(c, name)                            \
  rb_define_method(c, #name, option_##name, 0);                   \
  rb_define_method(c, #name "=", option_set_##name, 1)

void ztl_init_project_option(void) {
  DEFINE_PROJECT_OPTION(ztl_cProjectOption, save_caret_pos);
  DEFINE_PROJECT_OPTION(ztl_cProjectOption, station_and_query_save);
  DEFINE_PROJECT_OPTION(ztl_cProjectOption, add_item_to_bottom);
  DEFINE_PROJECT_OPTION(ztl_cProjectOption, folder_behind);
  DEFINE_PROJECT_OPTION(ztl_cProjectOption, relative_path);
}
