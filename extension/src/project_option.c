/* Ztl::ZtlProjectOption: a snapshot of a project's five on/off options. The
 * readers answer from the snapshot; each writer changes one option and sends
 * all five back (request 84), so two snapshots of one project overwrite each
 * other: a write through the older brings back the four values it holds. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

/* Document-class: Ztl::ZtlProjectOption
 *
 * A snapshot of a project's five on/off options, from ZtlItem#project_option.
 * The readers answer from the snapshot; each writer changes the option in
 * the host (sending all five), so a write through an older snapshot brings
 * back the other values it holds.
 *
 *   option = Ztl.ztl_current_project.project_option
 *   option.relative_path = true
 */

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

/* Document-method: Ztl::ZtlProjectOption#save_caret_pos
 * call-seq:
 *   option.save_caret_pos -> true or false
 *
 * The project's "save caret position" option, as the snapshot holds it.
 *
 *   option.save_caret_pos
 */
/* Document-method: Ztl::ZtlProjectOption#save_caret_pos=
 * call-seq:
 *   option.save_caret_pos = flag
 *
 * Sets the option in the host (true on, anything else off); the snapshot
 * follows when the host took it.
 *
 *   option.save_caret_pos = true
 */
PROJECT_OPTION(save_caret_pos, OPTION_SAVE_CARET_POS)
/* Document-method: Ztl::ZtlProjectOption#station_and_query_save
 * call-seq:
 *   option.station_and_query_save -> true or false
 *
 * The project's "station and query save" option.
 *
 *   option.station_and_query_save
 */
/* Document-method: Ztl::ZtlProjectOption#station_and_query_save=
 * call-seq:
 *   option.station_and_query_save = flag
 *
 * Sets the option (true on, anything else off).
 *
 *   option.station_and_query_save = false
 */
PROJECT_OPTION(station_and_query_save, OPTION_STATION_AND_QUERY_SAVE)
/* Document-method: Ztl::ZtlProjectOption#add_item_to_bottom
 * call-seq:
 *   option.add_item_to_bottom -> true or false
 *
 * Whether add puts a new item last among its siblings (else first).
 *
 *   option.add_item_to_bottom
 */
/* Document-method: Ztl::ZtlProjectOption#add_item_to_bottom=
 * call-seq:
 *   option.add_item_to_bottom = flag
 *
 * Sets the option (true on, anything else off).
 *
 *   option.add_item_to_bottom = true
 */
PROJECT_OPTION(add_item_to_bottom, OPTION_ADD_ITEM_TO_BOTTOM)
/* Document-method: Ztl::ZtlProjectOption#folder_behind
 * call-seq:
 *   option.folder_behind -> true or false
 *
 * The project's "folders behind" option.
 *
 *   option.folder_behind
 */
/* Document-method: Ztl::ZtlProjectOption#folder_behind=
 * call-seq:
 *   option.folder_behind = flag
 *
 * Sets the option (true on, anything else off).
 *
 *   option.folder_behind = true
 */
PROJECT_OPTION(folder_behind, OPTION_FOLDER_BEHIND)
/* Document-method: Ztl::ZtlProjectOption#relative_path
 * call-seq:
 *   option.relative_path -> true or false
 *
 * The project's "relative paths" option.
 *
 *   option.relative_path
 */
/* Document-method: Ztl::ZtlProjectOption#relative_path=
 * call-seq:
 *   option.relative_path = flag
 *
 * Sets the option (true on, anything else off).
 *
 *   option.relative_path = true
 */
PROJECT_OPTION(relative_path, OPTION_RELATIVE_PATH)

/* The module and class (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_project_option(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cZtlProjectOption = rb_define_class_under(mZtl, "ZtlProjectOption", rb_cObject);
  rb_define_method(cZtlProjectOption, "save_caret_pos", option_save_caret_pos, 0);
  rb_define_method(cZtlProjectOption, "save_caret_pos=", option_set_save_caret_pos, 1);
  rb_define_method(cZtlProjectOption, "station_and_query_save", option_station_and_query_save, 0);
  rb_define_method(cZtlProjectOption, "station_and_query_save=", option_set_station_and_query_save, 1);
  rb_define_method(cZtlProjectOption, "add_item_to_bottom", option_add_item_to_bottom, 0);
  rb_define_method(cZtlProjectOption, "add_item_to_bottom=", option_set_add_item_to_bottom, 1);
  rb_define_method(cZtlProjectOption, "folder_behind", option_folder_behind, 0);
  rb_define_method(cZtlProjectOption, "folder_behind=", option_set_folder_behind, 1);
  rb_define_method(cZtlProjectOption, "relative_path", option_relative_path, 0);
  rb_define_method(cZtlProjectOption, "relative_path=", option_set_relative_path, 1);
}
