#include "model/editor.h"

#include <algorithm>

#include "model/text_units.h"

namespace zentrella {

namespace {

// Length of the line break at pos: CR LF, a lone CR or a lone LF.
std::size_t break_length(const std::string& text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  if (text[pos] == '\r') return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
  return text[pos] == '\n' ? 1 : 0;
}

std::int32_t to_int(std::size_t value) { return static_cast<std::int32_t>(std::min<std::size_t>(value, INT32_MAX)); }

}  // namespace

void Editor::open(Handle document) {
  document_ = store_.document(document) != nullptr ? document : 0;
  sel_start_ = 0;
  sel_length_ = 0;
  top_row_ = 0;
}

Handle Editor::document() const { return store_.document(document_) != nullptr ? document_ : 0; }

const std::string* Editor::text() const {
  Document* doc = store_.document(document_);
  return doc != nullptr ? &doc->data.text : nullptr;
}

std::string* Editor::mutable_text() {
  Document* doc = store_.document(document_);
  return doc != nullptr ? &doc->data.text : nullptr;
}

void Editor::changed() {
  clamp();
  if (Document* doc = store_.document(document_); doc != nullptr && on_change_) on_change_(doc->owner);
}

void Editor::clamp() {
  const std::size_t size = text() != nullptr ? text()->size() : 0;
  sel_start_ = std::min(sel_start_, size);
  sel_length_ = std::min(sel_length_, size - sel_start_);
}

std::vector<Editor::Span> Editor::lines() const {
  std::vector<Span> result;
  const std::string* t = text();
  if (t == nullptr) return result;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < t->size()) {
    const std::size_t brk = break_length(*t, pos);
    if (brk == 0) {
      pos += char_length(*t, pos);
      continue;
    }
    result.push_back({start, pos - start, to_int(result.size())});
    pos += brk;
    start = pos;
  }
  if (start < t->size()) result.push_back({start, t->size() - start, to_int(result.size())});
  return result;
}

std::vector<Editor::Span> Editor::rows() const {
  std::vector<Span> result;
  const std::string* t = text();
  for (const Span& line : lines()) {
    std::size_t start = line.start;
    const std::size_t end = line.start + line.length;
    do {
      std::size_t stop = start;
      while (stop < end && stop - start + char_length(*t, stop) <= static_cast<std::size_t>(kColumns)) {
        stop += char_length(*t, stop);
      }
      if (stop == start && start < end) stop += char_length(*t, start);  // a character wider than a row
      result.push_back({start, stop - start, line.line});
      start = stop;
    } while (start < end);
  }
  return result;
}

std::int32_t Editor::sel_start() const { return to_int(sel_start_); }
std::int32_t Editor::sel_length() const { return to_int(sel_length_); }

std::int32_t Editor::set_sel_start(std::int32_t start) {
  const std::string* t = text();
  if (t == nullptr || start < 0 || static_cast<std::size_t>(start) > t->size()) return -1;
  sel_start_ = char_start(*t, static_cast<std::size_t>(start));
  sel_length_ = 0;
  return 0;
}

std::int32_t Editor::set_sel_length(std::int32_t length) {
  const std::string* t = text();
  if (t == nullptr || length < 0 || sel_start_ + static_cast<std::size_t>(length) > t->size()) return -1;
  const std::size_t end = sel_start_ + static_cast<std::size_t>(length);
  const std::size_t start = char_start(*t, end);
  const std::size_t aligned = start == end ? end : start + char_length(*t, start);
  sel_length_ = aligned - sel_start_;
  return 0;
}

std::string Editor::sel_text() const {
  const std::string* t = text();
  return t == nullptr ? std::string() : t->substr(sel_start_, sel_length_);
}

bool Editor::set_sel_text(const std::string& replacement) {
  std::string* t = mutable_text();
  if (t == nullptr) return false;
  t->replace(sel_start_, sel_length_, replacement);
  sel_start_ += replacement.size();
  sel_length_ = 0;
  changed();
  return true;
}

void Editor::caret(std::int32_t& row, std::int32_t& col) const {
  row = 0;
  col = 0;
  const std::size_t pos = sel_start_ + sel_length_;
  const std::vector<Span> all = rows();
  for (std::size_t i = 0; i < all.size() && all[i].start <= pos; ++i) {
    row = to_int(i);
    col = to_int(std::min(pos - all[i].start, all[i].length));
  }
}

std::size_t Editor::position_of(std::int32_t row, std::int32_t col) const {
  const std::vector<Span> all = rows();
  if (all.empty()) return 0;
  const Span& at = all[static_cast<std::size_t>(std::clamp<std::int32_t>(row, 0, to_int(all.size() - 1)))];
  const std::size_t offset = std::min<std::size_t>(static_cast<std::size_t>(std::max(col, 0)), at.length);
  return char_start(*text(), at.start + offset);
}

void Editor::set_caret(std::int32_t row, std::int32_t col) {
  if (text() == nullptr) return;
  sel_start_ = position_of(row, col);
  sel_length_ = 0;
}

void Editor::set_top_row(std::int32_t row) { top_row_ = std::clamp(row, 0, std::max(row_count() - 1, 0)); }

std::int32_t Editor::line_count() const { return to_int(lines().size()); }

std::string Editor::line(std::int32_t index) const {
  const std::vector<Span> all = lines();
  if (index < 0 || static_cast<std::size_t>(index) >= all.size()) return {};
  return text()->substr(all[static_cast<std::size_t>(index)].start, all[static_cast<std::size_t>(index)].length);
}

bool Editor::set_line(std::int32_t index, const std::string& replacement) {
  std::string* t = mutable_text();
  if (t == nullptr || index < 0) return false;
  const std::vector<Span> all = lines();
  const auto at = static_cast<std::size_t>(index);
  if (at < all.size()) {
    t->replace(all[at].start, all[at].length, replacement);
  } else if (at == all.size()) {
    if (!t->empty() && break_length(*t, t->size() - 1) == 0) t->append("\r\n");
    t->append(replacement);
  } else {
    return false;
  }
  changed();
  return true;
}

std::int32_t Editor::row_to_line(std::int32_t row) const {
  const std::vector<Span> all = rows();
  if (row < 0 || static_cast<std::size_t>(row) >= all.size()) return -1;
  return all[static_cast<std::size_t>(row)].line;
}

std::int32_t Editor::row_count() const { return to_int(rows().size()); }

std::string Editor::row(std::int32_t index) const {
  const std::vector<Span> all = rows();
  if (index < 0 || static_cast<std::size_t>(index) >= all.size()) return {};
  return text()->substr(all[static_cast<std::size_t>(index)].start, all[static_cast<std::size_t>(index)].length);
}

std::int32_t Editor::col_to_char(std::int32_t row, std::int32_t col) const {
  const std::vector<Span> all = rows();
  if (row < 0 || static_cast<std::size_t>(row) >= all.size()) return -1;
  const Span& at = all[static_cast<std::size_t>(row)];
  const std::size_t limit = at.start + std::min<std::size_t>(static_cast<std::size_t>(std::max(col, 0)), at.length);
  std::int32_t count = 0;
  for (std::size_t pos = at.start; pos < limit; pos += char_length(*text(), pos)) ++count;
  return count;
}

template <typename Belongs>
std::string Editor::run_at(std::int32_t row, std::int32_t col, Belongs belongs) const {
  const std::string* t = text();
  if (t == nullptr || row < 0 || row >= row_count()) return {};
  const std::vector<Span> all = lines();
  const std::size_t pos = position_of(row, col);
  for (const Span& line : all) {
    if (pos < line.start || pos > line.start + line.length) continue;
    // Walk the line's characters, keeping the run that holds (or starts at) pos.
    std::size_t run_start = line.start;
    for (std::size_t at = line.start; at <= line.start + line.length;) {
      const bool end = at == line.start + line.length;
      if (end || !belongs(*t, at)) {
        if (run_start <= pos && pos <= at && run_start < at) return t->substr(run_start, at - run_start);
        if (end) break;
        at += char_length(*t, at);
        run_start = at;
        continue;
      }
      at += char_length(*t, at);
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
