#include "script_list_widget.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <exception>

#include <platform/prompt.h>

#include "dialog_layout.h"

namespace desktop {

namespace {

namespace prompt = platform::prompt;

QString text_of(const std::string& text) { return QString::fromStdString(text); }

constexpr int kFirstColumnWidth = 20;
constexpr int kNameColumnWidth = 120;
constexpr int kGripSize = 10;

}  // namespace

ScriptListWidget::ScriptListWidget(prompt::ScriptList& dialog, QWidget* parent) : QDialog(parent), dialog_(dialog) {
  setObjectName("ScriptListForm");
  const prompt::WindowSize design = prompt::ScriptList::kDesignSize;
  set_up_dialog(*this, QString::fromUtf8(prompt::ScriptList::kCaption), design.width, design.height);
  // Resizable from the design size up, with a maximise box.
  setMinimumSize(scaled(*this, design.width), scaled(*this, design.height));
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  build();
  connect_actions();
  fill_list();
  show_state();

  const QScreen* screen = this->screen();
  const QSize room = screen != nullptr ? screen->availableGeometry().size() : QSize();
  const prompt::WindowSize size =
      prompt::ScriptList::fit_size(dialog.size.width, dialog.size.height, {room.width(), room.height()});
  resize(size.width, size.height);
  name_->setFocus();
  new AbandonWatch(*this);
}

template <typename T>
T* ScriptListWidget::place(T* widget, const char* name, QRect design, int anchors) {
  widget->setObjectName(name);
  placed_.push_back(Placed{widget, design, anchors});
  widget->setGeometry(scaled(*this, design));
  return widget;
}

void ScriptListWidget::build() {
  const int stretch = kWidthFollows;
  const int right = kRight;
  const int bottom = kBottom;
  auto* label1 = place(new QLabel(QString::fromUtf8("スクリプト名(&T)"), this), "Label1", {8, 8, 76, 12}, 0);
  name_ = place(new QLineEdit(this), "MacroEdit", {88, 4, 345, 20}, stretch);
  // Script names are typed in Latin letters: the input method starts closed.
  name_->setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
  label1->setBuddy(name_);
  auto* label2 = place(new QLabel(QString::fromUtf8("オプション(&O)"), this), "Label2", {8, 32, 67, 12}, 0);
  options_ = place(new QLineEdit(this), "OptionEdit", {88, 28, 289, 20}, stretch);
  label2->setBuddy(options_);
  options_button_ =
      place(new QPushButton(QString::fromUtf8("参照(&P)"), this), "OptionRefButton", {384, 28, 50, 20}, right);
  output_label_ = place(new QLabel(QString::fromUtf8("出力先(&S)"), this), "Label3", {8, 56, 51, 12}, 0);
  output_ = place(new QLineEdit(this), "StdoutEdit", {88, 52, 289, 20}, stretch);
  output_label_->setBuddy(output_);
  output_button_ = place(new QPushButton(QString::fromUtf8("参照(&Q)"), this), "RefButton", {384, 52, 50, 20}, right);
  clipboard_ = place(new QCheckBox(QString::fromUtf8("出力をクリップボードにコピー(&L)"), this), "CopyClipbrdCheck",
                     {8, 76, 185, 17}, 0);
  hide_console_ = place(new QCheckBox(QString::fromUtf8("DOSプロンプトを隠す(&I)"), this), "HideDosPromptCheck",
                        {208, 76, 161, 17}, 0);

  list_ = place(new QTreeWidget(this), "MacroListView", {0, 96, 442, 217}, stretch | kHeightFollows);
  list_->setColumnCount(3);
  list_->setHeaderLabels({"", QString::fromUtf8("スクリプト名"), QString::fromUtf8("スクリプトの説明")});
  list_->header()->setSectionsClickable(false);
  list_->header()->setSectionsMovable(false);
  list_->header()->setStretchLastSection(false);
  list_->setColumnWidth(0, scaled(*this, kFirstColumnWidth));
  list_->setColumnWidth(1, scaled(*this, kNameColumnWidth));
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // The selection stays visible while the name field has the focus.
  QPalette palette = list_->palette();
  palette.setBrush(QPalette::Inactive, QPalette::Highlight, palette.brush(QPalette::Active, QPalette::Highlight));
  palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                   palette.brush(QPalette::Active, QPalette::HighlightedText));
  list_->setPalette(palette);

  const auto button = [this](const char* caption, const char* name, QRect design, int anchors) {
    auto* made = place(new QPushButton(QString::fromUtf8(caption), this), name, design, anchors);
    made->setAutoDefault(false);
    return made;
  };
  edit_ = button("編集(&E)", "EditButton", {4, 320, 53, 20}, bottom);
  new_ = button("作成(&N)", "NewButton", {60, 320, 53, 20}, bottom);
  delete_ = button("削除(&D)", "DeleteButton", {115, 320, 49, 20}, bottom);
  commands_ = button("コマンド割付(&A)", "CommandButton", {5, 342, 108, 20}, bottom);
  run_ = button("実行(&R)", "OKButton", {201, 342, 75, 20}, right | bottom);
  run_->setDefault(true);
  close_ = button("閉じる", "Button2", {281, 342, 75, 20}, right | bottom);
  help_ = button("ヘルプ(&H)", "Button1", {361, 342, 75, 20}, right | bottom);
  options_button_->setAutoDefault(false);
  output_button_->setAutoDefault(false);

  const std::vector<QWidget*> order{
      name_, options_, options_button_, output_,   output_button_, clipboard_, hide_console_, list_,
      edit_, new_,     delete_,         commands_, run_,           close_,     help_};
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  name_->installEventFilter(this);
}

template <typename Action>
void ScriptListWidget::act(Action&& action) {
  try {
    action();
  } catch (const std::exception& error) {
    prompt::message_box(error.what(), "Scriptlink", prompt::Buttons::ok, prompt::Icon::error);
  }
}

void ScriptListWidget::connect_actions() {
  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    dialog_.type_name(text.toStdString());
    show_selection();
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (showing_) return;
    const QList<QTreeWidgetItem*> chosen = list_->selectedItems();
    dialog_.select(chosen.isEmpty() ? std::nullopt
                                    : std::optional<std::size_t>(list_->indexOfTopLevelItem(chosen.front())));
    show_selection();
  });
  connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
    if (dialog_.selected()) accept();
  });
  connect(options_, &QLineEdit::textEdited, this,
          [this](const QString& text) { dialog_.options = text.toStdString(); });
  connect(output_, &QLineEdit::textEdited, this, [this](const QString& text) { dialog_.output = text.toStdString(); });
  connect(clipboard_, &QCheckBox::toggled, this, [this](bool on) {
    dialog_.set_copy_to_clipboard(on);
    show_state();
  });
  connect(hide_console_, &QCheckBox::toggled, this, [this](bool on) { dialog_.hide_console = on; });
  connect(run_, &QPushButton::clicked, this, [this] {
    if (dialog_.run()) accept();
  });
  connect(close_, &QPushButton::clicked, this, &QDialog::reject);
  connect(edit_, &QPushButton::clicked, this, [this] { act([this] { dialog_.edit(); }); });
  connect(new_, &QPushButton::clicked, this, [this] {
    act([this] { dialog_.create(); });
    fill_list();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    act([this] { dialog_.remove(); });
    fill_list();
  });
  connect(options_button_, &QPushButton::clicked, this, [this] {
    act([this] { dialog_.browse_options(); });
    show_state();
    options_->setFocus();
    options_->deselect();
    options_->end(false);
  });
  connect(output_button_, &QPushButton::clicked, this, [this] {
    act([this] { dialog_.browse_output(); });
    show_state();
    output_->setFocus();
  });
  connect(help_, &QPushButton::clicked, this, [this] { act([this] { dialog_.help(); }); });
  connect(commands_, &QPushButton::clicked, this, [this] {
    act([this] { dialog_.assign_commands(); });
    reject();
  });
}

void ScriptListWidget::fill_list() {
  showing_ = true;
  list_->setUpdatesEnabled(false);
  list_->clear();
  for (const prompt::ScriptEntry& entry : dialog_.entries()) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(1, text_of(entry.name));
    item->setText(2, text_of(entry.description));
    item->setToolTip(2, text_of(entry.description));
  }
  list_->setUpdatesEnabled(true);
  showing_ = false;
  show_selection();
  fit_description_column();
}

void ScriptListWidget::show_selection() {
  showing_ = true;
  const std::optional<std::size_t> selected = dialog_.selected();
  const std::optional<std::size_t> focused = dialog_.focused();
  list_->clearSelection();
  if (focused) {
    QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(*focused));
    list_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    list_->scrollToItem(item);
  }
  if (selected) list_->topLevelItem(static_cast<int>(*selected))->setSelected(true);
  if (name_->text() != text_of(dialog_.name())) name_->setText(text_of(dialog_.name()));
  showing_ = false;
  show_state();
}

void ScriptListWidget::show_state() {
  edit_->setEnabled(dialog_.entry_buttons_enabled());
  delete_->setEnabled(dialog_.entry_buttons_enabled());
  output_label_->setEnabled(dialog_.output_enabled());
  output_->setEnabled(dialog_.output_enabled());
  output_button_->setEnabled(dialog_.output_enabled());
  if (options_->text() != text_of(dialog_.options)) options_->setText(text_of(dialog_.options));
  if (output_->text() != text_of(dialog_.output)) output_->setText(text_of(dialog_.output));
  clipboard_->setChecked(dialog_.copy_to_clipboard());
  hide_console_->setChecked(dialog_.hide_console);
}

// The description takes what the first two columns leave, less a scroll
// bar's width when the entries do not all fit.
void ScriptListWidget::fit_description_column() {
  int width = list_->width() - list_->columnWidth(0) - list_->columnWidth(1) - scaled(*this, 5);
  const int row = list_->sizeHintForRow(0);
  const int visible = row > 0 ? list_->viewport()->height() / row : 0;
  if (visible < list_->topLevelItemCount()) width -= list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  list_->setColumnWidth(2, std::max(width, 0));
}

void ScriptListWidget::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const prompt::WindowSize design = prompt::ScriptList::kDesignSize;
  const int grow_x = width() - scaled(*this, design.width);
  const int grow_y = height() - scaled(*this, design.height);
  for (const Placed& placed : placed_) {
    QRect rect = scaled(*this, placed.design);
    if (placed.anchors & kRight) rect.translate(grow_x, 0);
    if (placed.anchors & kBottom) rect.translate(0, grow_y);
    if (placed.anchors & kWidthFollows) rect.setWidth(rect.width() + grow_x);
    if (placed.anchors & kHeightFollows) rect.setHeight(rect.height() + grow_y);
    placed.widget->setGeometry(rect);
  }
  fit_description_column();
  update();
}

// The size grip: a black right triangle in the bottom-right corner.
void ScriptListWidget::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  const int grip = scaled(*this, kGripSize);
  const QPoint corner(width(), height());
  const QPoint triangle[] = {corner, corner - QPoint(grip, 0), corner - QPoint(0, grip)};
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPolygon(triangle, 3);
}

// Down in the name field walks the list, which then takes the focus.
bool ScriptListWidget::eventFilter(QObject* watched, QEvent* event) {
  if (watched == name_ && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
    dialog_.down_key();
    show_selection();
    list_->setFocus();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ScriptListWidget::done(int result) {
  dialog_.size = prompt::WindowSize{width(), height()};
  QDialog::done(result);
}

}  // namespace desktop
