// The editor pane over the current document. Positions are byte offsets in
// the document's text (code page, CR LF breaks). Lines are the text's lines;
// rows are lines wrapped at kColumns bytes (never inside a character), as the
// pane shows them, and the pane's list is its rows. The caret sits at the end
// of the selection; caret row and column count rows and bytes in the row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/store.h"

namespace zentrella {

class Editor {
 public:
  static constexpr std::int32_t kColumns = 80;

  explicit Editor(Store& store) : store_(store) {}

  // Shows a document (0 = none); selection, caret and top row start at 0.
  void open(Handle document);
  Handle document() const;
  // Called with the owning item after every change of the text.
  void on_change(std::function<void(Handle)> callback) { on_change_ = std::move(callback); }

  std::int32_t sel_start() const;
  std::int32_t sel_length() const;
  // 0 when set; -1 (nothing changed) when outside the text or no document.
  std::int32_t set_sel_start(std::int32_t start);
  std::int32_t set_sel_length(std::int32_t length);
  std::string sel_text() const;
  bool set_sel_text(const std::string& text);

  void caret(std::int32_t& row, std::int32_t& col) const;
  void set_caret(std::int32_t row, std::int32_t col);
  std::int32_t top_row() const { return top_row_; }
  void set_top_row(std::int32_t row);

  std::int32_t line_count() const;
  // Line text without its break; empty for a line that does not exist.
  std::string line(std::int32_t index) const;
  // Replaces a line, or appends one when index is the line count.
  bool set_line(std::int32_t index, const std::string& text);
  // The line that holds a row; -1 for a row that does not exist.
  std::int32_t row_to_line(std::int32_t row) const;

  std::int32_t row_count() const;
  std::string row(std::int32_t index) const;
  // Characters in the row's first col bytes (a multi-byte character counts
  // once); -1 for a row that does not exist.
  std::int32_t col_to_char(std::int32_t row, std::int32_t col) const;

  // The blank-delimited token and the word at a row and column ("" if none).
  std::string token_at(std::int32_t row, std::int32_t col) const;
  std::string word_at(std::int32_t row, std::int32_t col) const;

 private:
  struct Span {
    std::size_t start = 0;
    std::size_t length = 0;
    std::int32_t line = 0;
  };
  const std::string* text() const;
  std::string* mutable_text();
  std::vector<Span> lines() const;
  std::vector<Span> rows() const;
  std::size_t position_of(std::int32_t row, std::int32_t col) const;
  template <typename Belongs>
  std::string run_at(std::int32_t row, std::int32_t col, Belongs belongs) const;
  void changed();
  void clamp();

  Store& store_;
  Handle document_ = 0;
  std::size_t sel_start_ = 0;
  std::size_t sel_length_ = 0;
  std::int32_t top_row_ = 0;
  std::function<void(Handle)> on_change_;
};

}  // namespace zentrella
