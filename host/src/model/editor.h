// The editor pane over the current document. Positions are byte offsets in
// the document's text (code page, CR LF breaks). Lines are the text's lines;
// rows are lines wrapped at kColumns bytes (never inside a character), as the
// pane shows them, and the pane's list is its rows. The caret sits at the end
// of the selection; caret row and column count rows and bytes in the row.
// docs/host.md, "The editor", gives the rules in full.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <platform/codepage.h>

#include "model/store.h"

namespace zentrella {

class Editor {
 public:
  static constexpr std::int32_t kColumns = 80;

  explicit Editor(Store& store) : store_(store) {}

  // Shows a document (0 = none); selection, caret and top row start at 0.
  void open(Handle document);
  Handle document() const;
  // Called with the owning item before every change of the text is made; if
  // it throws, the text stays as it was.
  void on_change(std::function<void(Handle)> callback) { on_change_ = std::move(callback); }
  // The text may have changed behind the editor: lines and rows are found again.
  void forget_layout() { layout_.valid = false; }

  std::int32_t sel_start() const;
  std::int32_t sel_length() const;
  // 0 when set; -1 (nothing changed) when outside the text or no document.
  std::int32_t set_sel_start(std::int32_t start);
  std::int32_t set_sel_length(std::int32_t length);
  std::string sel_text() const;
  // Replaces the selection; false (nothing changed) without a document or for
  // a text whose last character is incomplete.
  bool set_sel_text(std::string_view text);

  void caret(std::int32_t& row, std::int32_t& col) const;
  void set_caret(std::int32_t row, std::int32_t col);
  std::int32_t top_row() const;
  void set_top_row(std::int32_t row);

  std::int32_t line_count() const;
  // Line text without its break; empty for a line that does not exist.
  // Valid until the text or the current document changes.
  std::string_view line(std::int32_t index) const;
  // Replaces a line, or appends one when index is the line count; false
  // (nothing changed) otherwise, as for set_sel_text.
  bool set_line(std::int32_t index, std::string_view text);
  // The line that holds a row (the line count for the empty row after a
  // final break); -1 for a row that does not exist.
  std::int32_t row_to_line(std::int32_t row) const;

  std::int32_t row_count() const;
  std::string row(std::int32_t index) const;
  // The index in the row of the character that byte column col falls in: the
  // whole characters before it (a multi-byte character counts once); -1 for
  // a row that does not exist.
  std::int32_t col_to_char(std::int32_t row, std::int32_t col) const;

  // The blank-delimited token and the word at a row and column ("" if none).
  std::string token_at(std::int32_t row, std::int32_t col) const;
  std::string word_at(std::int32_t row, std::int32_t col) const;

 private:
  struct Span {
    std::size_t start = 0;
    std::size_t length = 0;
    std::int32_t line = 0;
    std::size_t end() const { return start + length; }
  };
  // Lines and rows of the text as last seen, found again when the document,
  // the text's buffer or size, or the code page differ, or when forgotten.
  struct Layout {
    bool valid = false;
    bool has_rows = false;
    Handle document = 0;
    const char* data = nullptr;
    std::size_t size = 0;
    platform::codepage::CodePage page = platform::codepage::CodePage::utf8;
    std::vector<Span> lines;
    std::vector<Span> rows;
  };
  struct Range {
    std::size_t start = 0;
    std::size_t end = 0;
  };
  const std::string* text() const;
  const std::string& text_or_empty() const;
  const std::vector<Span>& lines() const;
  const std::vector<Span>& rows() const;
  const Span* row_at(std::int32_t row) const;
  // pos moved back (or on) to the nearest character boundary; the inside of
  // a CR LF is not one.
  std::size_t align_down(std::size_t pos) const;
  std::size_t align_up(std::size_t pos) const;
  // The selection as it stands in the text now, whatever changed it.
  Range selection() const;
  std::size_t position_of(std::int32_t row, std::int32_t col) const;
  template <typename Belongs>
  std::string run_at(std::int32_t row, std::int32_t col, Belongs belongs) const;
  // Puts text[start, start + length) = with as one change: the document holds
  // either the old text or the new one.
  bool replace(std::size_t start, std::size_t length, std::string_view with);

  Store& store_;
  Handle document_ = 0;
  std::size_t sel_start_ = 0;
  std::size_t sel_length_ = 0;
  std::int32_t top_row_ = 0;
  std::function<void(Handle)> on_change_;
  mutable Layout layout_;
};

}  // namespace zentrella
