// The editor pane over the current document.
#include "api/api_support.h"
#include "model/text_units.h"

using namespace zentrella;
using namespace zentrella::api;

namespace {

Editor& ed() { return s().editor(); }

std::int32_t size_of(std::string_view text) { return static_cast<std::int32_t>(std::min<std::size_t>(text.size(), INT32_MAX)); }

// A text longer than the caller's buffer is cut at its last whole character.
std::int32_t fill_whole(char* buffer, std::int32_t size, std::string_view text) {
  if (size < 0 || text.size() <= static_cast<std::size_t>(size)) return fill_buffer(buffer, size, text);
  return fill_buffer(buffer, size, text.substr(0, whole_chars_length(text, static_cast<std::size_t>(size))));
}

std::string caret_token(bool words) {
  std::int32_t row = 0;
  std::int32_t col = 0;
  ed().caret(row, col);
  return words ? ed().word_at(row, col) : ed().token_at(row, col);
}

}  // namespace

extern "C" int32_t ZTLPlugin_EditGetSelStart(void) {
  return guarded<int32_t>("EditGetSelStart", 0, [] { return ed().sel_start(); });
}

extern "C" int32_t ZTLPlugin_EditSetSelStart(int32_t start) {
  return guarded<int32_t>("EditSetSelStart", -1, [&] { return ed().set_sel_start(start); });
}

extern "C" int32_t ZTLPlugin_EditGetSelLength(void) {
  return guarded<int32_t>("EditGetSelLength", 0, [] { return ed().sel_length(); });
}

extern "C" int32_t ZTLPlugin_EditSetSelLength(int32_t length) {
  return guarded<int32_t>("EditSetSelLength", -1, [&] { return ed().set_sel_length(length); });
}

extern "C" int32_t ZTLPlugin_EditGetSelText(char* buffer, int32_t size) {
  return guarded<int32_t>("EditGetSelText", 0, [&] { return fill_whole(buffer, size, ed().sel_text()); });
}

extern "C" ZtlBool ZTLPlugin_EditSetSelText(const char* text) {
  return guarded<ZtlBool>("EditSetSelText", ZTL_FALSE,
                          [&] { return truth(text != nullptr && ed().set_sel_text(text)); });
}

extern "C" void ZTLPlugin_EditGetCaretPos(int32_t* row, int32_t* col) {
  guarded_void("EditGetCaretPos", [&] {
    std::int32_t r = 0;
    std::int32_t c = 0;
    ed().caret(r, c);
    if (row != nullptr) *row = r;
    if (col != nullptr) *col = c;
  });
}

extern "C" void ZTLPlugin_EditSetCaretPos(int32_t row, int32_t col) {
  guarded_void("EditSetCaretPos", [&] { ed().set_caret(row, col); });
}

extern "C" void ZTLPlugin_EditGetTopRow(int32_t* row) {
  guarded_void("EditGetTopRow", [&] {
    if (row != nullptr) *row = ed().top_row();
  });
}

extern "C" void ZTLPlugin_EditSetTopRow(int32_t row) {
  guarded_void("EditSetTopRow", [&] { ed().set_top_row(row); });
}

extern "C" int32_t ZTLPlugin_EditRowToLines(int32_t row) {
  return guarded<int32_t>("EditRowToLines", -1, [&] { return ed().row_to_line(row); });
}

extern "C" int32_t ZTLPlugin_EditGetLinesStrSize(int32_t line) {
  return guarded<int32_t>("EditGetLinesStrSize", 0, [&] { return size_of(ed().line(line)); });
}

extern "C" int32_t ZTLPlugin_EditGetLinesStr(int32_t line, char* buffer, int32_t size) {
  return guarded<int32_t>("EditGetLinesStr", 0, [&] { return fill_whole(buffer, size, ed().line(line)); });
}

extern "C" int32_t ZTLPlugin_EditSetLinesStr(int32_t line, const char* text) {
  return guarded<int32_t>("EditSetLinesStr", ZTL_FALSE,
                          [&] { return truth(text != nullptr && ed().set_line(line, text)); });
}

extern "C" int32_t ZTLPlugin_EditGetLinesCount(void) {
  return guarded<int32_t>("EditGetLinesCount", 0, [] { return ed().line_count(); });
}

extern "C" int32_t ZTLPlugin_EditGetListStrSize(int32_t row) {
  return guarded<int32_t>("EditGetListStrSize", 0, [&] { return size_of(ed().row(row)); });
}

extern "C" int32_t ZTLPlugin_EditGetListStr(int32_t row, char* buffer, int32_t size) {
  return guarded<int32_t>("EditGetListStr", 0, [&] { return fill_whole(buffer, size, ed().row(row)); });
}

extern "C" int32_t ZTLPlugin_EditGetListCount(void) {
  return guarded<int32_t>("EditGetListCount", 0, [] { return ed().row_count(); });
}

extern "C" int32_t ZTLPlugin_EditGetRowCount(void) {
  return guarded<int32_t>("EditGetRowCount", 0, [] { return ed().row_count(); });
}

extern "C" int32_t ZTLPlugin_EditGetColCount(void) {
  return guarded<int32_t>("EditGetColCount", 0, [] { return ed().document() != 0 ? Editor::kColumns : 0; });
}

extern "C" int32_t ZTLPlugin_EditColToChar(int32_t row, int32_t col) {
  return guarded<int32_t>("EditColToChar", -1, [&] { return ed().col_to_char(row, col); });
}

// Token and word lookups give the length of what they find; the ...Str
// forms copy it into a caller buffer of size + 1 bytes.
extern "C" int32_t ZTLPlugin_EditTokenFromCaret(void) {
  return guarded<int32_t>("EditTokenFromCaret", 0, [] { return size_of(caret_token(false)); });
}

extern "C" int32_t ZTLPlugin_EditTokenFromPos(int32_t row, int32_t col) {
  return guarded<int32_t>("EditTokenFromPos", 0, [&] { return size_of(ed().token_at(row, col)); });
}

extern "C" int32_t ZTLPlugin_EditTokenFromCaretStr(char* buffer, int32_t size) {
  return guarded<int32_t>("EditTokenFromCaretStr", 0, [&] { return fill_whole(buffer, size, caret_token(false)); });
}

extern "C" int32_t ZTLPlugin_EditTokenFromPosStr(int32_t row, int32_t col, char* buffer, int32_t size) {
  return guarded<int32_t>("EditTokenFromPosStr", 0,
                          [&] { return fill_whole(buffer, size, ed().token_at(row, col)); });
}

extern "C" int32_t ZTLPlugin_EditWordFromCaret(void) {
  return guarded<int32_t>("EditWordFromCaret", 0, [] { return size_of(caret_token(true)); });
}

extern "C" int32_t ZTLPlugin_EditWordFromPos(int32_t row, int32_t col) {
  return guarded<int32_t>("EditWordFromPos", 0, [&] { return size_of(ed().word_at(row, col)); });
}

extern "C" int32_t ZTLPlugin_EditWordFromCaretStr(char* buffer, int32_t size) {
  return guarded<int32_t>("EditWordFromCaretStr", 0, [&] { return fill_whole(buffer, size, caret_token(true)); });
}

extern "C" int32_t ZTLPlugin_EditWordFromPosStr(int32_t row, int32_t col, char* buffer, int32_t size) {
  return guarded<int32_t>("EditWordFromPosStr", 0, [&] { return fill_whole(buffer, size, ed().word_at(row, col)); });
}
