#include "main_window/editor_pane.h"

#include <QAbstractTextDocumentLayout>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

#include "api/exported.h"
#include "main_window/host_text.h"
#include "model/session.h"
#include "model/text_units.h"

namespace desktop {

namespace {

constexpr int kCommitPauseMs = 500;

const std::string* document_text(zentrella::Handle document) {
  const zentrella::Document* found = zentrella::session().store().document(document);
  return found != nullptr ? &found->data.text : nullptr;
}

std::string with_crlf(const QString& shown) {
  std::string text;
  for (const char c : to_host(shown)) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

}  // namespace

int ShownText::position_of(std::size_t byte) const {
  const auto found = std::lower_bound(byte_at.begin(), byte_at.end(), byte);
  return static_cast<int>(std::min<std::ptrdiff_t>(found - byte_at.begin(), text.size()));
}

ShownText shown_text(std::string_view text) {
  ShownText shown;
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == '\r' || text[at] == '\n') {
      shown.text += '\n';
      shown.byte_at.push_back(at);
      at += text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
      continue;
    }
    const std::size_t length = zentrella::char_length(text, at);
    const QString piece = from_host(text.substr(at, length));
    for (qsizetype unit = 0; unit < piece.size(); ++unit) shown.byte_at.push_back(at);
    shown.text += piece;
    at += length;
  }
  shown.byte_at.push_back(text.size());
  return shown;
}

EditorPane::EditorPane(QWidget* parent) : QTextEdit(parent) {
  setObjectName("EditorPane");
  setAcceptRichText(false);
  // The model's rows are kColumns bytes: in a fixed-pitch Japanese font a
  // full-width character is two columns wide, as it is two bytes in code page 932.
  QFont font(QStringLiteral("IPAGothic"));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  setFont(font);
  setLineWrapMode(QTextEdit::FixedColumnWidth);
  setLineWrapColumnOrWidth(zentrella::Editor::kColumns);
  setWordWrapMode(QTextOption::WrapAnywhere);
  setReadOnly(true);
  commit_timer_.setSingleShot(true);
  commit_timer_.setInterval(kCommitPauseMs);
  connect(&commit_timer_, &QTimer::timeout, this, [this] { commit(); });
  connect(this, &QTextEdit::textChanged, this, [this] {
    if (updating_) return;
    pending_ = true;
    commit_timer_.start();
  });
  connect(this, &QTextEdit::cursorPositionChanged, this, [this] {
    if (!updating_ && !pending_) user_moved();
  });
}

void EditorPane::set_locked(bool locked) {
  if (locked) commit();
  locked_ = locked;
  setReadOnly(locked_ || shown_document_ == 0);
}

void EditorPane::focusOutEvent(QFocusEvent* event) {
  commit();
  QTextEdit::focusOutEvent(event);
}

void EditorPane::follow() {
  if (pending_) return;  // the user's typing goes in first
  zentrella::Session& s = zentrella::session();
  const zentrella::Handle document = s.current_document();
  if (document != shown_document_) ZTLPlugin_GetDescriptionSize(document);  // a file's text is read afresh
  const std::string* text = document_text(document);
  const std::string& now = text != nullptr ? *text : std::string();
  if (document != shown_document_ || now != shown_raw_) show_document(document, now);
  if (s.editor().sel_start() != shown_start_ || s.editor().sel_length() != shown_length_) show_selection();
  if (s.editor().top_row() != shown_top_) show_top_row();
}

void EditorPane::show_document(zentrella::Handle document, const std::string& text) {
  updating_ = true;
  shown_document_ = document;
  shown_raw_ = text;
  shown_ = shown_text(text);
  setPlainText(shown_.text);
  setReadOnly(locked_ || document == 0);
  updating_ = false;
  shown_start_ = shown_length_ = shown_top_ = -1;
}

void EditorPane::show_selection() {
  const zentrella::Editor& editor = zentrella::session().editor();
  shown_start_ = editor.sel_start();
  shown_length_ = editor.sel_length();
  updating_ = true;
  QTextCursor cursor = textCursor();
  cursor.setPosition(shown_.position_of(static_cast<std::size_t>(shown_start_)));
  cursor.setPosition(shown_.position_of(static_cast<std::size_t>(shown_start_ + shown_length_)),
                     QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  updating_ = false;
}

// The model's top row is a row of a line: the pane scrolls to that line's
// block, and within it to the wrapped line that row is.
void EditorPane::show_top_row() {
  const zentrella::Editor& editor = zentrella::session().editor();
  shown_top_ = editor.top_row();
  const std::int32_t line = editor.row_to_line(shown_top_);
  if (line < 0) return;
  std::int32_t row_in_line = 0;
  for (std::int32_t row = shown_top_ - 1; row >= 0 && editor.row_to_line(row) == line; --row) ++row_in_line;
  const QTextBlock block = document()->findBlockByNumber(line);
  if (!block.isValid()) return;
  qreal top = document()->documentLayout()->blockBoundingRect(block).top();
  if (const QTextLayout* layout = block.layout(); layout != nullptr && row_in_line < layout->lineCount()) {
    top += layout->lineAt(row_in_line).y();
  }
  updating_ = true;
  verticalScrollBar()->setValue(static_cast<int>(top));
  updating_ = false;
}

void EditorPane::user_moved() {
  if (shown_document_ == 0) return;
  const QTextCursor cursor = textCursor();
  const auto byte_of = [this](int position) {
    return shown_.byte_at[static_cast<std::size_t>(std::clamp<int>(position, 0, static_cast<int>(shown_.text.size())))];
  };
  const std::size_t start = byte_of(cursor.selectionStart());
  const std::size_t end = byte_of(cursor.selectionEnd());
  ZTLPlugin_EditSetSelStart(static_cast<std::int32_t>(start));
  ZTLPlugin_EditSetSelLength(static_cast<std::int32_t>(end - start));
  const zentrella::Editor& editor = zentrella::session().editor();
  shown_start_ = editor.sel_start();
  shown_length_ = editor.sel_length();
}

bool EditorPane::commit() {
  commit_timer_.stop();
  if (!pending_) return true;
  pending_ = false;
  const zentrella::Handle document = shown_document_;
  const std::string text = with_crlf(toPlainText());
  const int position = textCursor().position();
  if (document_text(document) == nullptr || text == shown_raw_) return true;
  if (ZTLPlugin_SetDescriptionStr(document, text.c_str()) == ZTL_FALSE) {
    QMessageBox::warning(this, QString::fromUtf8("文書"), QString::fromUtf8("文書を保存できませんでした。"));
    shown_document_ = 0;
    follow();
    return false;
  }
  // The document's text is the pane's now; the caret stays where the user left it.
  show_document(document, *document_text(document));
  updating_ = true;
  QTextCursor cursor = textCursor();
  cursor.setPosition(std::min<int>(position, static_cast<int>(shown_.text.size())));
  setTextCursor(cursor);
  updating_ = false;
  user_moved();
  shown_top_ = zentrella::session().editor().top_row();
  return true;
}

}  // namespace desktop
