/* The dialog functions of Ztl: the host's item selection and date dialogs and
 * the plug-in's input dialog. Each sends one request and waits, without a
 * time-out, until the user has closed the dialog. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "wrappers.h"
#include "ztl.h"

enum { INPUT_DIALOG_TEXTS = 4 };

/* The flags of disp_item_select default to on: only false sends 0. */
static int32_t flag_arg(VALUE value) { return value == Qfalse ? 0 : 1; }

/* nil is the empty text; anything else goes through the text conversion. */
static VALUE optional_text(VALUE value) { return NIL_P(value) ? rb_str_new(NULL, 0) : ztl_text_value(value); }

/*
 * call-seq:
 *   Ztl.disp_item_select(first = true, second = true, third = true, item = nil, caption = nil) -> ZtlItem or nil
 *
 * Shows the host's item selection dialog, starting at item, and waits. Each
 * flag is on unless it is false: the first adds the special projects, the
 * second lets a project itself be chosen, the third offers tasks. Answers
 * the chosen item, nil when cancelled.
 *
 *   target = Ztl.disp_item_select(true, true, true, nil, "Move to")
 */
static VALUE disp_item_select(int argc, VALUE* argv, VALUE self) {
  (void)self;
  VALUE first, second, third, item, caption;
  rb_scan_args(argc, argv, "05", &first, &second, &third, &item, &caption);
  const uint32_t start = NIL_P(item) ? 0 : ztl_item_arg(item);
  caption = optional_text(caption);
  const ZtlText text = ztl_text_bytes(caption);
  ZtlPayload payload = ztl_payload_new(text.length + 17);
  ztl_payload_word(&payload, flag_arg(first));
  ztl_payload_word(&payload, flag_arg(second));
  ztl_payload_word(&payload, flag_arg(third));
  ztl_payload_handle(&payload, start);
  ztl_payload_text(&payload, text);
  RB_GC_GUARD(caption);
  return ztl_request_item(ZTL_REQ_DISP_ITEM_SELECT, 0, &payload);
}

/*
 * call-seq:
 *   Ztl.disp_date_dialog(time = nil, caption = nil) -> Time or nil
 *
 * Shows the host's date dialog with time (a Time, seconds or nil) and waits.
 * Answers the chosen time, nil when cancelled or no date was chosen.
 *
 *   due = Ztl.disp_date_dialog(Time.now, "Due")
 *--
 * A cancel (-1), no date and a date before the channel's epoch all read as nil.
 *++
 */
static VALUE disp_date_dialog(int argc, VALUE* argv, VALUE self) {
  (void)self;
  VALUE time, caption;
  rb_scan_args(argc, argv, "02", &time, &caption);
  const int32_t seconds = ztl_time_arg(time);
  caption = optional_text(caption);
  const ZtlText text = ztl_text_bytes(caption);
  ZtlPayload payload = ztl_payload_new(text.length + 5);
  ztl_payload_word(&payload, seconds);
  ztl_payload_text(&payload, text);
  RB_GC_GUARD(caption);
  return ztl_time_result(ztl_request_word(ZTL_REQ_DISP_DATE_DIALOG, 0, &payload));
}

/* No reply is a cancel; a confirmed empty field is one NUL, the empty String. */
static VALUE read_entered_text(const ZtlReply* reply, VALUE unused) {
  (void)unused;
  return reply->data == NULL ? Qnil : ztl_text_result(reply->data, reply->length);
}

/*
 * call-seq:
 *   Ztl.disp_input_dialog(caption = nil, prompt = nil, text = nil, choices = nil) -> String or nil
 *
 * Shows an input dialog and waits; choices is a text of lines offered in
 * its drop-down list. Answers the entered text ("" for an empty field), nil
 * when cancelled.
 *
 *   name = Ztl.disp_input_dialog("New task", "Title:", "", "Shop\nCall")
 */
static VALUE disp_input_dialog(int argc, VALUE* argv, VALUE self) {
  (void)self;
  VALUE texts[INPUT_DIALOG_TEXTS];
  rb_scan_args(argc, argv, "04", &texts[0], &texts[1], &texts[2], &texts[3]);
  /* Every conversion first: a script's to_str may raise. */
  for (int i = 0; i < INPUT_DIALOG_TEXTS; ++i) texts[i] = optional_text(texts[i]);
  ZtlText converted[INPUT_DIALOG_TEXTS];
  size_t total = 0;
  for (int i = 0; i < INPUT_DIALOG_TEXTS; ++i) {
    converted[i] = ztl_text_bytes(texts[i]);
    total += converted[i].length + 1;
  }
  ZtlPayload payload = ztl_payload_new(total);
  for (int i = 0; i < INPUT_DIALOG_TEXTS; ++i) ztl_payload_text(&payload, converted[i]);
  RB_GC_GUARD(texts[0]);
  RB_GC_GUARD(texts[1]);
  RB_GC_GUARD(texts[2]);
  RB_GC_GUARD(texts[3]);
  return ztl_request_read(ZTL_REQ_DISP_INPUT_DIALOG, 0, &payload, read_entered_text, Qnil);
}

/* The module (made by ztl.c) is looked up by name, so that RDoc sees which
 * module these belong to. */
void ztl_init_dialogs(void) {
  VALUE mZtl = rb_define_module("Ztl");
  rb_define_module_function(mZtl, "disp_item_select", disp_item_select, -1);
  rb_define_module_function(mZtl, "disp_date_dialog", disp_date_dialog, -1);
  rb_define_module_function(mZtl, "disp_input_dialog", disp_input_dialog, -1);
}
