/* Ztl::Edit: the host's editor, through class methods only (the class has no
 * instances). Every method is one request; the payloads are those the
 * plug-in's editor handlers read, and line breaks are turned between the
 * script's LF and the host's CR LF on the host side. */
#include "conversions.h"
#include "payload.h"
#include "request_helpers.h"
#include "ztl.h"

/* Document-class: Ztl::Edit
 *
 * The host's editor, through class methods only (it has no instances):
 * the caret, the selection and the lines of the text.
 *
 *   Ztl::Edit.sel_text = Ztl::Edit.sel_text.upcase
 */

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

/* Document-method: Ztl::Edit::sel_start
 * call-seq:
 *   Edit.sel_start -> Integer
 *
 * Where the editor's selection starts, in bytes of the text (in the host's
 * code page, lines ending in CR LF).
 *
 *   Ztl::Edit.sel_start
 */
EDIT_GETTER(edit_sel_start, ZTL_REQ_EDIT_SEL_START_GET)
/* Document-method: Ztl::Edit::sel_length
 * call-seq:
 *   Edit.sel_length -> Integer
 *
 * The selection's length in bytes.
 *
 *   Ztl::Edit.sel_length
 */
EDIT_GETTER(edit_sel_length, ZTL_REQ_EDIT_SEL_LENGTH_GET)
/* Document-method: Ztl::Edit::row
 * call-seq:
 *   Edit.row -> Integer
 *
 * The caret's row.
 *
 *   Ztl::Edit.row
 */
EDIT_GETTER(edit_row, ZTL_REQ_EDIT_ROW_GET)
/* Document-method: Ztl::Edit::col
 * call-seq:
 *   Edit.col -> Integer
 *
 * The caret's column: bytes into its row.
 *
 *   Ztl::Edit.col
 */
EDIT_GETTER(edit_col, ZTL_REQ_EDIT_COL_GET)
/* Document-method: Ztl::Edit::top_row
 * call-seq:
 *   Edit.top_row -> Integer
 *
 * The first row shown.
 *
 *   Ztl::Edit.top_row
 */
EDIT_GETTER(edit_top_row, ZTL_REQ_EDIT_TOP_ROW_GET)
/* Document-method: Ztl::Edit::lines_size
 * call-seq:
 *   Edit.lines_size -> Integer
 *
 * The number of lines of the text.
 *
 *   (0...Ztl::Edit.lines_size).map { |i| Ztl::Edit[i] }
 */
EDIT_GETTER(edit_lines_size, ZTL_REQ_EDIT_LINES_SIZE)
/* Document-method: Ztl::Edit::list_size
 * call-seq:
 *   Edit.list_size -> Integer
 *
 * The number of entries of the pane's list, which are its rows.
 *
 *   Ztl::Edit.list_size
 */
EDIT_GETTER(edit_list_size, ZTL_REQ_EDIT_LIST_SIZE)
/* Document-method: Ztl::Edit::row_size
 * call-seq:
 *   Edit.row_size -> Integer
 *
 * The number of rows: lines as the pane wraps them.
 *
 *   Ztl::Edit.row_size
 */
EDIT_GETTER(edit_row_size, ZTL_REQ_EDIT_ROW_SIZE)
/* Document-method: Ztl::Edit::col_size
 * call-seq:
 *   Edit.col_size -> Integer
 *
 * The width of a row in bytes (80).
 *
 *   Ztl::Edit.col_size
 */
EDIT_GETTER(edit_col_size, ZTL_REQ_EDIT_COL_SIZE)

/*
 * call-seq:
 *   Edit.sel_start = start
 *
 * Moves the selection's start (emptying the selection); false for a
 * position outside the text.
 *
 *   Ztl::Edit.sel_start = 0
 */
static VALUE edit_set_sel_start(VALUE klass, VALUE start) {
  (void)klass;
  return status_request(ZTL_REQ_EDIT_SEL_START_SET, start);
}

/*
 * call-seq:
 *   Edit.sel_length = length
 *
 * Sets the selection's length; false when it would reach outside the text.
 *
 *   Ztl::Edit.sel_length = 5
 */
static VALUE edit_set_sel_length(VALUE klass, VALUE length) {
  (void)klass;
  return status_request(ZTL_REQ_EDIT_SEL_LENGTH_SET, length);
}

/*
 * call-seq:
 *   Edit.sel_text -> String
 *
 * The selected text, lines ending in LF.
 *
 *   Ztl::Edit.sel_text
 */
static VALUE edit_sel_text(VALUE klass) {
  (void)klass;
  return ztl_request_text(ZTL_REQ_EDIT_SEL_TEXT_GET, 0, NULL);
}

/*
 * call-seq:
 *   Edit.sel_text = text
 *
 * Replaces the selection with text.
 *
 *   Ztl::Edit.sel_text = Ztl::Edit.sel_text.upcase
 */
static VALUE edit_set_sel_text(VALUE klass, VALUE text) {
  (void)klass;
  return ztl_request_set_text(ZTL_REQ_EDIT_SEL_TEXT_SET, 0, text);
}

/*
 * call-seq:
 *   Edit.row = row
 *
 * Moves the caret to a row.
 *
 *   Ztl::Edit.row = 0
 */
static VALUE edit_set_row(VALUE klass, VALUE row) {
  (void)klass;
  return move_request(ZTL_REQ_EDIT_ROW_SET, row);
}

/*
 * call-seq:
 *   Edit.col = column
 *
 * Moves the caret to a column.
 *
 *   Ztl::Edit.col = 0
 */
static VALUE edit_set_col(VALUE klass, VALUE col) {
  (void)klass;
  return move_request(ZTL_REQ_EDIT_COL_SET, col);
}

/*
 * call-seq:
 *   Edit.top_row = row
 *
 * Scrolls so that row is the first shown.
 *
 *   Ztl::Edit.top_row = 10
 */
static VALUE edit_set_top_row(VALUE klass, VALUE row) {
  (void)klass;
  return move_request(ZTL_REQ_EDIT_TOP_ROW_SET, row);
}

/*
 * call-seq:
 *   Edit.row2lines(row) -> Integer
 *
 * The line that holds a row; -1 for a row that does not exist.
 *
 *   Ztl::Edit.row2lines(Ztl::Edit.row)
 */
static VALUE edit_row2lines(VALUE klass, VALUE row) {
  (void)klass;
  return int_request(ZTL_REQ_EDIT_ROW_TO_LINES, row);
}

/*
 * call-seq:
 *   Edit[index] -> String
 *
 * The text of line index (from 0).
 *
 *   Ztl::Edit[0]
 */
static VALUE edit_line(VALUE klass, VALUE index) {
  (void)klass;
  const ZtlPayload payload = word_payload(ztl_int_arg(index));
  return ztl_request_text(ZTL_REQ_EDIT_LINE_GET, 0, &payload);
}

/*
 * call-seq:
 *   Edit[index] = text
 *
 * Replaces line index with text, or appends a line when index is the line
 * count; answers whether the host took it.
 *
 *   Ztl::Edit[0] = "# " + Ztl::Edit[0]
 *--
 * The line index goes in the header's value word, not in the payload.
 *++
 */
static VALUE edit_set_line(VALUE klass, VALUE index, VALUE text) {
  (void)klass;
  const int32_t line = ztl_int_arg(index);
  return ztl_request_set_text(ZTL_REQ_EDIT_LINE_SET, (uint32_t)line, text);
}

/*
 * call-seq:
 *   Edit.col2char(row, column) -> Integer
 *
 * The index in row of the character that byte column falls in; -1 for a
 * row that does not exist.
 *
 *   Ztl::Edit.col2char(Ztl::Edit.row, Ztl::Edit.col)
 */
static VALUE edit_col2char(VALUE klass, VALUE first, VALUE second) {
  (void)klass;
  const int32_t first_word = ztl_int_arg(first);
  const int32_t second_word = ztl_int_arg(second);
  ZtlPayload payload = ztl_payload_new(8);
  ztl_payload_word(&payload, first_word);
  ztl_payload_word(&payload, second_word);
  return ztl_int_result(ztl_request_word(ZTL_REQ_EDIT_COL_TO_CHAR, 0, &payload));
}

/* The module and class (made by ztl.c) are looked up by name, so that RDoc
 * sees which class these methods belong to. */
void ztl_init_edit(void) {
  VALUE mZtl = rb_define_module("Ztl");
  VALUE cEdit = rb_define_class_under(mZtl, "Edit", rb_cObject);
  rb_define_singleton_method(cEdit, "sel_start", edit_sel_start, 0);
  rb_define_singleton_method(cEdit, "sel_start=", edit_set_sel_start, 1);
  rb_define_singleton_method(cEdit, "sel_length", edit_sel_length, 0);
  rb_define_singleton_method(cEdit, "sel_length=", edit_set_sel_length, 1);
  rb_define_singleton_method(cEdit, "sel_text", edit_sel_text, 0);
  rb_define_singleton_method(cEdit, "sel_text=", edit_set_sel_text, 1);
  rb_define_singleton_method(cEdit, "row", edit_row, 0);
  rb_define_singleton_method(cEdit, "row=", edit_set_row, 1);
  rb_define_singleton_method(cEdit, "col", edit_col, 0);
  rb_define_singleton_method(cEdit, "col=", edit_set_col, 1);
  rb_define_singleton_method(cEdit, "top_row", edit_top_row, 0);
  rb_define_singleton_method(cEdit, "top_row=", edit_set_top_row, 1);
  rb_define_singleton_method(cEdit, "row2lines", edit_row2lines, 1);
  rb_define_singleton_method(cEdit, "[]", edit_line, 1);
  rb_define_singleton_method(cEdit, "[]=", edit_set_line, 2);
  rb_define_singleton_method(cEdit, "lines_size", edit_lines_size, 0);
  rb_define_singleton_method(cEdit, "list_size", edit_list_size, 0);
  rb_define_singleton_method(cEdit, "row_size", edit_row_size, 0);
  rb_define_singleton_method(cEdit, "col_size", edit_col_size, 0);
  rb_define_singleton_method(cEdit, "col2char", edit_col2char, 2);
}
