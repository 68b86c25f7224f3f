// The editor pane over the host's current document: the text of the editor
// model that scripts drive, wrapped at the model's column count, with the
// model's selection, caret and top row. The user's typing goes back to the
// document as one change when the typing pauses or the pane loses the focus;
// the user's selection becomes the model's.
#pragma once

#include <QTextEdit>
#include <QTimer>
#include <cstdint>
#include <string>
#include <vector>

#include "model/item_data.h"

namespace desktop {

// A document's text as the pane shows it (line breaks as "\n") and the byte
// offset in the text of every position of the shown text, one past the end
// included.
struct ShownText {
  QString text;
  std::vector<std::size_t> byte_at;
  int position_of(std::size_t byte) const;
};
ShownText shown_text(std::string_view text);

class EditorPane final : public QTextEdit {
 public:
  explicit EditorPane(QWidget* parent = nullptr);

  // Shows what the model holds now, when anything of it changed.
  void follow();
  // Hands a pending edit of the user to the document; false when the host
  // refused it (the pane then shows the document again).
  bool commit();
  bool edit_pending() const { return pending_; }
  void set_locked(bool locked);

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void show_document(zentrella::Handle document, const std::string& text);
  void show_selection();
  void show_top_row();
  void user_moved();

  zentrella::Handle shown_document_ = 0;
  std::string shown_raw_;
  ShownText shown_;
  std::int32_t shown_start_ = -1;
  std::int32_t shown_length_ = -1;
  std::int32_t shown_top_ = -1;
  bool updating_ = false;
  bool pending_ = false;
  bool locked_ = false;
  QTimer commit_timer_;
};

}  // namespace desktop
