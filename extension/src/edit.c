/* Ztl::Edit: the host's editor, through class methods only (the class has no
 * instances). Every method is one request; the payloads are those the
 * plug-in's editor handlers read, and line breaks are turned between the
 * script's LF and the host's CR LF on the host side. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "ztl.h"

static ZtlPayload word_payload(int32_t value) {
  ZtlPayload payload = ztl_payload_new(4);
  ztl_payload_word(&payload, value);
  return payload;
}

static VALUE int_request(uint32_t code, VALUE value) {
  const ZtlPayload payload = word_payload(ztl_int_arg(value));
  return ztl_int_result(ztl_request_word(code, 0, &payload));
}

/* The host relays its own status for the selection: 0 means done. */
static VALUE status_request(uint32_t code, VALUE value) {
  const ZtlPayload payload = word_payload(ztl_int_arg(value));
  return ztl_request_word(code, 0, &payload) == 0 ? Qtrue : Qfalse;
}

/* The caret and top row setters answer nothing: they always report true. */
static VALUE move_request(uint32_t code, VALUE value) {
  const ZtlPayload payload = word_payload(ztl_int_arg(value));
  ztl_request_word(code, 0, &payload);
  return Qtrue;
}

#define EDIT_GETTER(function, code) \
  static VALUE function(VALUE klass) { (void)klass; return ztl_int_result(ztl_request_word(code, 0, NULL)); }

EDIT_GETTER(edit_sel_start, ZTL_REQ_EDIT_SEL_START_GET)
EDIT_GETTER(edit_sel_length, ZTL_REQ_EDIT_SEL_LENGTH_GET)
EDIT_GETTER(edit_row, ZTL_REQ_EDIT_ROW_GET)
EDIT_GETTER(edit_col, ZTL_REQ_EDIT_COL_GET)
EDIT_GETTER(edit_top_row, ZTL_REQ_EDIT_TOP_ROW_GET)
EDIT_GETTER(edit_lines_size, ZTL_REQ_EDIT_LINES_SIZE)
EDIT_GETTER(edit_list_size, ZTL_REQ_EDIT_LIST_SIZE)
EDIT_GETTER(edit_row_size, ZTL_REQ_EDIT_ROW_SIZE)
EDIT_GETTER(edit_col_size, ZTL_REQ_EDIT_COL_SIZE)

static VALUE edit_set_sel_start(VALUE klass, VALUE start) {
  (void)klass;
  return status_request(ZTL_REQ_EDIT_SEL_START_SET, start);
}

static VALUE edit_set_sel_length(VALUE klass, VALUE length) {
  (void)klass;
  return status_request(ZTL_REQ_EDIT_SEL_LENGTH_SET, length);
}

static VALUE edit_sel_text(VALUE klass) {
  (void)klass;
  return ztl_request_text(ZTL_REQ_EDIT_SEL_TEXT_GET, 0, NULL);
}

static VALUE edit_set_sel_text(VALUE klass, VALUE text) {
  (void)klass;
  return ztl_request_set_text(ZTL_REQ_EDIT_SEL_TEXT_SET, 0, text);
}

static VALUE edit_set_row(VALUE klass, VALUE row) {
  (void)klass;
  return move_request(ZTL_REQ_EDIT_ROW_SET, row);
}

static VALUE edit_set_col(VALUE klass, VALUE col) {
  (void)klass;
  return move_request(ZTL_REQ_EDIT_COL_SET, col);
}

static VALUE edit_set_top_row(VALUE klass, VALUE row) {
  (void)klass;
  return move_request(ZTL_REQ_EDIT_TOP_ROW_SET, row);
}

static VALUE edit_row2lines(VALUE klass, VALUE row) {
  (void)klass;
  return int_request(ZTL_REQ_EDIT_ROW_TO_LINES, row);
}

static VALUE edit_line(VALUE klass, VALUE index) {
  (void)klass;
  const ZtlPayload payload = word_payload(ztl_int_arg(index));
  return ztl_request_text(ZTL_REQ_EDIT_LINE_GET, 0, &payload);
}

/* The line index goes in the header's value word, not in the payload. */
static VALUE edit_set_line(VALUE klass, VALUE index, VALUE text) {
  (void)klass;
  const int32_t line = ztl_int_arg(index);
  return ztl_request_set_text(ZTL_REQ_EDIT_LINE_SET, (uint32_t)line, text);
}

static VALUE edit_col2char(VALUE klass, VALUE first, VALUE second) {
  (void)klass;
  const int32_t first_word = ztl_int_arg(first);
  const int32_t second_word = ztl_int_arg(second);
  ZtlPayload payload = ztl_payload_new(8);
  ztl_payload_word(&payload, first_word);
  ztl_payload_word(&payload, second_word);
  return ztl_int_result(ztl_request_word(ZTL_REQ_EDIT_COL_TO_CHAR, 0, &payload));
}

void ztl_init_edit(void) {
  const VALUE c = ztl_cEdit;
  rb_define_singleton_method(c, "sel_start", edit_sel_start, 0);
  rb_define_singleton_method(c, "sel_start=", edit_set_sel_start, 1);
  rb_define_singleton_method(c, "sel_length", edit_sel_length, 0);
  rb_define_singleton_method(c, "sel_length=", edit_set_sel_length, 1);
  rb_define_singleton_method(c, "sel_text", edit_sel_text, 0);
  rb_define_singleton_method(c, "sel_text=", edit_set_sel_text, 1);
  rb_define_singleton_method(c, "row", edit_row, 0);
  rb_define_singleton_method(c, "row=", edit_set_row, 1);
  rb_define_singleton_method(c, "col", edit_col, 0);
  rb_define_singleton_method(c, "col=", edit_set_col, 1);
  rb_define_singleton_method(c, "top_row", edit_top_row, 0);
  rb_define_singleton_method(c, "top_row=", edit_set_top_row, 1);
  rb_define_singleton_method(c, "row2lines", edit_row2lines, 1);
  rb_define_singleton_method(c, "[]", edit_line, 1);
  rb_define_singleton_method(c, "[]=", edit_set_line, 2);
  rb_define_singleton_method(c, "lines_size", edit_lines_size, 0);
  rb_define_singleton_method(c, "list_size", edit_list_size, 0);
  rb_define_singleton_method(c, "row_size", edit_row_size, 0);
  rb_define_singleton_method(c, "col_size", edit_col_size, 0);
  rb_define_singleton_method(c, "col2char", edit_col2char, 2);
}
