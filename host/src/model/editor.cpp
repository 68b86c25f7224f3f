#include "model/editor.h"

#include <algorithm>

#include "model/text_units.h"

namespace zentrella {

namespace {

// Length of the line break at pos: CR LF, a lone CR or a lone LF.
std::size_t break_length(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  if (text[pos] == '\r') return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
  return text[pos] == '\n' ? 1 : 0;
}

std::int32_t to_int(std::size_t value) { return static_cast<std::int32_t>(std::min<std::size_t>(value, INT32_MAX)); }

// A text whose last character lacks bytes would take the bytes after it (a
// line break, say) for its own once it is in the document.
bool is_complete(std::string_view text) { return whole_chars_length(text, text.size()) == text.size(); }

const std::string kEmpty;

}  // namespace

void Editor::open(Handle document) {
  document_ = store_.document(document) != nullptr ? document : 0;
  sel_start_ = 0;
  sel_length_ = 0;
  top_row_ = 0;
  forget_layout();
}

Handle Editor::document() const { return store_.document(document_) != nullptr ? document_ : 0; }

const std::string* Editor::text() const {
  const Document* doc = store_.document(document_);
  return doc != nullptr ? &doc->data.text : nullptr;
}

const std::string& Editor::text_or_empty() const {
  const std::string* t = text();
  return t != nullptr ? *t : kEmpty;
}

const std::vector<Editor::Span>& Editor::lines() const {
  const std::string& t = text_or_empty();
  const auto page = platform::codepage::current();
  if (layout_.valid && layout_.document == document_ && layout_.data == t.data() && layout_.size == t.size() &&
      layout_.page == page) {
    return layout_.lines;
  }
  layout_ = Layout{true, false, document_, t.data(), t.size(), page, {}, {}};
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < t.size()) {
    const std::size_t brk = break_length(t, pos);
    if (brk == 0) {
      pos += char_length(t, pos);
      continue;
    }
    layout_.lines.push_back({start, pos - start, to_int(layout_.lines.size())});
    pos += brk;
    start = pos;
  }
  if (start < t.size()) layout_.lines.push_back({start, t.size() - start, to_int(layout_.lines.size())});
  return layout_.lines;
}

const std::vector<Editor::Span>& Editor::rows() const {
  const std::vector<Span>& all = lines();
  if (layout_.has_rows) return layout_.rows;
  const std::string& t = text_or_empty();
  for (const Span& line : all) {
    std::size_t start = line.start;
    do {
      std::size_t stop = start;
      while (stop < line.end() && stop - start + char_length(t, stop) <= static_cast<std::size_t>(kColumns)) {
        stop += char_length(t, stop);
      }
      if (stop == start && start < line.end()) stop += char_length(t, start);  // a character wider than a row
      layout_.rows.push_back({start, stop - start, line.line});
      start = stop;
    } while (start < line.end());
  }
  // After a final break the caret has a row of its own, empty, where a new line would go.
  if (!t.empty() && (all.empty() || all.back().end() < t.size())) layout_.rows.push_back({t.size(), 0, to_int(all.size())});
  layout_.has_rows = true;
  return layout_.rows;
}

const Editor::Span* Editor::row_at(std::int32_t row) const {
  const std::vector<Span>& all = rows();
  return row < 0 || static_cast<std::size_t>(row) >= all.size() ? nullptr : &all[static_cast<std::size_t>(row)];
}

std::size_t Editor::align_down(std::size_t pos) const {
  const std::string& t = text_or_empty();
  if (pos >= t.size()) return t.size();
  const std::vector<Span>& all = lines();
  // The last line that starts at or before pos: lines start on boundaries.
  auto after = std::upper_bound(all.begin(), all.end(), pos, [](std::size_t p, const Span& s) { return p < s.start; });
  if (after == all.begin()) return 0;
  const Span& line = *(after - 1);
  if (pos >= line.end()) return line.end();  // in the line's break
  std::size_t at = line.start;
  while (at + char_length(t, at) <= pos) at += char_length(t, at);
  return at;
}

std::size_t Editor::align_up(std::size_t pos) const {
  const std::string& t = text_or_empty();
  const std::size_t down = align_down(pos);
  if (down == pos || down >= t.size()) return down;
  const std::size_t brk = break_length(t, down);
  return down + (brk != 0 ? brk : char_length(t, down));
}

Editor::Range Editor::selection() const {
  const std::size_t size = text_or_empty().size();
  const std::size_t start = align_down(std::min(sel_start_, size));
  const std::size_t end = align_up(std::min(start + std::min(sel_length_, size), size));
  return {start, std::max(start, end)};
}

std::int32_t Editor::sel_start() const { return to_int(selection().start); }

std::int32_t Editor::sel_length() const {
  const Range range = selection();
  return to_int(range.end - range.start);
}

std::int32_t Editor::set_sel_start(std::int32_t start) {
  const std::string* t = text();
  if (t == nullptr || start < 0 || static_cast<std::size_t>(start) > t->size()) return -1;
  sel_start_ = align_down(static_cast<std::size_t>(start));
  sel_length_ = 0;
  return 0;
}

std::int32_t Editor::set_sel_length(std::int32_t length) {
  const std::string* t = text();
  const std::size_t start = selection().start;
  if (t == nullptr || length < 0 || start + static_cast<std::size_t>(length) > t->size()) return -1;
  sel_start_ = start;
  sel_length_ = align_up(start + static_cast<std::size_t>(length)) - start;
  return 0;
}

std::string Editor::sel_text() const {
  const Range range = selection();
  return text_or_empty().substr(range.start, range.end - range.start);
}

bool Editor::replace(std::size_t start, std::size_t length, std::string_view with) {
  const Document* doc = store_.document(document_);
  if (doc == nullptr || !is_complete(with)) return false;
  std::string changed = doc->data.text;
  changed.replace(start, length, with);
  // Marked first: should marking fail, the text has not changed yet.
  if (on_change_) on_change_(doc->owner);
  if (Document* target = store_.document(document_); target != nullptr) target->data.text.swap(changed);
  forget_layout();
  return true;
}

bool Editor::set_sel_text(std::string_view replacement) {
  const Range range = selection();
  if (!replace(range.start, range.end - range.start, replacement)) return false;
  sel_start_ = range.start + replacement.size();
  sel_length_ = 0;
  return true;
}

void Editor::caret(std::int32_t& row, std::int32_t& col) const {
  row = 0;
  col = 0;
  const std::size_t pos = selection().end;
  const std::vector<Span>& all = rows();
  // The last row that starts at or before the caret.
  auto after = std::upper_bound(all.begin(), all.end(), pos, [](std::size_t p, const Span& s) { return p < s.start; });
  if (after == all.begin()) return;
  const Span& at = *(after - 1);
  row = to_int(static_cast<std::size_t>(after - 1 - all.begin()));
  col = to_int(std::min(pos - at.start, at.length));
}

std::size_t Editor::position_of(std::int32_t row, std::int32_t col) const {
  const std::vector<Span>& all = rows();
  if (all.empty()) return 0;
  const Span& at = all[static_cast<std::size_t>(std::clamp<std::int32_t>(row, 0, to_int(all.size() - 1)))];
  const std::size_t offset = std::min<std::size_t>(static_cast<std::size_t>(std::max(col, 0)), at.length);
  return align_down(at.start + offset);
}

void Editor::set_caret(std::int32_t row, std::int32_t col) {
  if (text() == nullptr) return;
  sel_start_ = position_of(row, col);
  sel_length_ = 0;
}

std::int32_t Editor::top_row() const { return std::min(top_row_, std::max(row_count() - 1, 0)); }

void Editor::set_top_row(std::int32_t row) { top_row_ = std::clamp(row, 0, std::max(row_count() - 1, 0)); }

std::int32_t Editor::line_count() const { return to_int(lines().size()); }

std::string_view Editor::line(std::int32_t index) const {
  const std::vector<Span>& all = lines();
  if (index < 0 || static_cast<std::size_t>(index) >= all.size()) return {};
  const Span& at = all[static_cast<std::size_t>(index)];
  return std::string_view(text_or_empty()).substr(at.start, at.length);
}

bool Editor::set_line(std::int32_t index, std::string_view replacement) {
  const std::string* t = text();
  if (t == nullptr || index < 0) return false;
  const std::vector<Span>& all = lines();
  const auto at = static_cast<std::size_t>(index);
  if (at < all.size()) return replace(all[at].start, all[at].length, replacement);
  if (at != all.size()) return false;
  // A new last line: after a break of its own, unless the text ends with one.
  const bool needs_break = !t->empty() && (all.empty() || all.back().end() == t->size());
  std::string appended = needs_break ? "\r\n" : "";
  appended.append(replacement);
  return replace(t->size(), 0, appended);
}

std::int32_t Editor::row_to_line(std::int32_t row) const {
  const Span* at = row_at(row);
  return at != nullptr ? at->line : -1;
}

std::int32_t Editor::row_count() const { return to_int(rows().size()); }

std::string Editor::row(std::int32_t index) const {
  const Span* at = row_at(index);
  return at != nullptr ? text_or_empty().substr(at->start, at->length) : std::string();
}

std::int32_t Editor::col_to_char(std::int32_t row, std::int32_t col) const {
  const Span* at = row_at(row);
  if (at == nullptr) return -1;
  const std::string& t = text_or_empty();
  const std::size_t limit = at->start + std::min<std::size_t>(static_cast<std::size_t>(std::max(col, 0)), at->length);
  std::int32_t count = 0;
  for (std::size_t pos = at->start; pos + char_length(t, pos) <= limit; pos += char_length(t, pos)) ++count;
  return count;
}

template <typename Belongs>
std::string Editor::run_at(std::int32_t row, std::int32_t col, Belongs belongs) const {
  if (row_at(row) == nullptr) return {};
  const std::string& t = text_or_empty();
  const std::size_t pos = position_of(row, col);
  for (const Span& line : lines()) {
    if (pos < line.start || pos > line.end()) continue;
    // Walk the line's characters, keeping the run that holds (or starts at) pos.
    std::size_t run_start = line.start;
    for (std::size_t at = line.start; at <= line.end();) {
      const bool end = at == line.end();
      if (end || !belongs(t, at)) {
        if (run_start <= pos && pos <= at && run_start < at) return t.substr(run_start, at - run_start);
        if (end) break;
        at += char_length(t, at);
        run_start = at;
        continue;
      }
      at += char_length(t, at);
    }
    return {};
  }
  return {};
}

std::string Editor::token_at(std::int32_t row, std::int32_t col) const {
  return run_at(row, col, [](std::string_view t, std::size_t at) { return blank_length(t, at) == 0; });
}

std::string Editor::word_at(std::int32_t row, std::int32_t col) const {
  return run_at(row, col, [](std::string_view t, std::size_t at) { return is_word_char(t, at); });
}

}  // namespace zentrella
