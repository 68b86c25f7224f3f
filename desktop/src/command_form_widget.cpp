#include "command_form_widget.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>

#include <platform/module_resources.h>

#include "dialog_layout.h"

namespace desktop {

namespace {

namespace prompt = platform::prompt;

QString text_of(const std::string& text) { return QString::fromStdString(text); }

// A check box or radio button as wide as its text needs, where the stand-in
// font is wider than the designed one.
void fit_to_text(QAbstractButton& button) {
  const int needed = button.sizeHint().width();
  if (needed > button.width()) button.resize(needed, button.height());
}

// A command icon as the host shows it: purple is transparent.
QIcon command_icon(void* module, int id) {
  const std::optional<platform::Bitmap> bitmap = platform::load_bitmap(module, id);
  QImage image(16, 16, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  if (bitmap && bitmap->width == 16 && bitmap->height == 16) {
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const std::uint32_t rgb = bitmap->pixels[static_cast<std::size_t>(y * 16 + x)];
        if (rgb != 0x800080) image.setPixel(x, y, 0xFF000000u | rgb);
      }
    }
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace

CommandFormWidget::CommandFormWidget(prompt::CommandEditor& editor, QWidget* parent)
    : QDialog(parent), editor_(editor) {
  setObjectName("CommandForm");
  set_up_dialog(*this, QString::fromUtf8(prompt::CommandEditor::kCaption), kWidth, kHeight);

  number_ = new QComboBox(this);
  number_->setObjectName("CommandIdCombo");
  number_->setGeometry(scaled(*this, QRect(96, 4, 89, 20)));
  for (std::uint32_t number : editor.numbers()) number_->addItem(QString::number(number));
  label("Label1", "コマンド番号(&C)", QRect(8, 8, 79, 12), number_);

  script_ = line_edit("MacroEdit", QRect(96, 28, 217, 20), editor.script());
  label("Label6", "スクリプト名(&T)", QRect(8, 32, 76, 12), script_);
  auto* script_button = button("MacroRefButton", "参照(&R)", QRect(319, 28, 50, 20));

  caption_ = line_edit("CaptionEdit", QRect(96, 52, 273, 20), editor.caption());
  label("Label2", "コマンド名(&N)", QRect(8, 56, 67, 12), caption_);

  options_ = line_edit("OptionEdit", QRect(136, 76, 177, 20), editor.options());
  label("Label4", "スクリプトオプション(&A)", QRect(8, 80, 116, 12), options_);
  auto* option_button = button("OptionRefButton", "参照(&P)", QRect(319, 76, 50, 20));

  output_ = line_edit("StdoutEdit", QRect(96, 100, 217, 20), editor.output());
  output_label_ = label("Label5", "出力先(&S)", QRect(8, 104, 51, 12), output_);
  output_button_ = button("StdOutRefButton", "参照(&Q)", QRect(319, 100, 50, 20));

  clipboard_ = new QCheckBox(QString::fromUtf8("出力をクリップボードにコピー(&L)"), this);
  clipboard_->setObjectName("CopyClipbrdCheck");
  clipboard_->setGeometry(scaled(*this, QRect(8, 128, 185, 17)));
  hide_console_ = new QCheckBox(QString::fromUtf8("DOSプロンプトを隠す(&I)"), this);
  hide_console_->setObjectName("HideDosPromptCheck");
  hide_console_->setGeometry(scaled(*this, QRect(200, 128, 145, 17)));
  fit_to_text(*clipboard_);
  fit_to_text(*hide_console_);

  auto* group = new QGroupBox(QString::fromUtf8("コマンドタイプ"), this);
  group->setObjectName("GroupBox1");
  group->setGeometry(scaled(*this, QRect(8, 152, 361, 57)));
  static constexpr const char* kTypeNames[] = {"メインコマンド(&1)", "エディタコマンド(&2)", "ファイラコマンド(&3)",
                                               "ランチャコマンド(&4)"};
  static constexpr QRect kTypePlaces[] = {QRect(8, 16, 105, 17), QRect(8, 32, 113, 17), QRect(152, 16, 113, 17),
                                          QRect(152, 32, 113, 17)};
  auto* type_group = new QButtonGroup(this);
  for (int type = 0; type < prompt::kCommandTypes; ++type) {
    auto* radio = new QRadioButton(QString::fromUtf8(kTypeNames[type]), group);
    radio->setObjectName(QString("RadioButton%1").arg(type + 1));
    radio->setGeometry(scaled(*this, kTypePlaces[type]));
    fit_to_text(*radio);
    type_group->addButton(radio, type);
    types_[static_cast<std::size_t>(type)] = radio;
  }

  icons_ = new QListWidget(this);
  icons_->setObjectName("ListView");
  icons_->setGeometry(scaled(*this, QRect(8, 232, 361, 41)));
  label("Label3", "コマンド用アイコン(&F)", QRect(8, 216, 107, 12), icons_);
  fill_icons();

  auto* ok = button("OKButton", "&OK", QRect(128, 280, 75, 20));
  ok->setDefault(true);
  auto* cancel = button("CancelButton", "キャンセル", QRect(208, 280, 75, 20));
  auto* help = button("Button1", "ヘルプ(&H)", QRect(288, 280, 75, 20));

  show_fields();

  connect(number_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) editor_.select_number(static_cast<std::size_t>(index));
  });
  connect(script_, &QLineEdit::textChanged, this, [this](const QString& text) {
    editor_.set_script(text.toStdString());
    const QString caption = text_of(editor_.caption());
    if (caption_->text() != caption) caption_->setText(caption);
  });
  limit_typing(caption_, [this](std::string_view text) {
    editor_.set_caption(text);
    return editor_.caption();
  });
  limit_typing(options_, [this](std::string_view text) {
    editor_.set_options(text);
    return editor_.options();
  });
  connect(output_, &QLineEdit::textChanged, this, [this](const QString& text) { editor_.set_output(text.toStdString()); });
  connect(clipboard_, &QCheckBox::toggled, this, [this](bool on) {
    editor_.set_copy_to_clipboard(on);
    apply_clipboard_rule();
  });
  connect(hide_console_, &QCheckBox::toggled, this, [this](bool on) { editor_.set_hide_console(on); });
  connect(type_group, &QButtonGroup::idClicked, this, [this](int type) { editor_.set_type(type); });
  connect(icons_, &QListWidget::itemSelectionChanged, this, [this] {
    const QList<QListWidgetItem*> chosen = icons_->selectedItems();
    if (chosen.isEmpty()) editor_.clear_icon();
    else editor_.select_icon(icons_->row(chosen.front()));
  });
  connect(script_button, &QPushButton::clicked, this, &CommandFormWidget::browse_script);
  connect(option_button, &QPushButton::clicked, this, &CommandFormWidget::browse_option_file);
  connect(output_button_, &QPushButton::clicked, this, &CommandFormWidget::browse_output);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] { editor_.show_help(); });

  QWidget* order[] = {number_, script_, script_button, caption_, options_, option_button, output_, output_button_,
                      clipboard_, hide_console_, types_[0], icons_, ok, cancel, help};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  number_->setFocus();
  new AbandonWatch(*this);
}

// Typing beyond what the record holds is taken back at once, at a whole character.
void CommandFormWidget::limit_typing(QLineEdit* edit, std::function<std::string(std::string_view)> keep) {
  connect(edit, &QLineEdit::textEdited, this, [edit, keep](const QString& text) {
    const QString kept = text_of(keep(text.toStdString()));
    if (kept != text) edit->setText(kept);
  });
}

QLabel* CommandFormWidget::label(const char* name, const char* text, const QRect& at, QWidget* buddy) {
  auto* made = new QLabel(QString::fromUtf8(text), this);
  made->setObjectName(name);
  made->setGeometry(scaled(*this, at));
  // Sized to its text, like the design's auto-sized labels.
  const int text_width = made->fontMetrics().horizontalAdvance(made->text().remove('&'));
  if (text_width > made->width()) made->resize(text_width, made->height());
  made->setBuddy(buddy);
  return made;
}

QLineEdit* CommandFormWidget::line_edit(const char* name, const QRect& at, const std::string& text) {
  auto* made = new QLineEdit(text_of(text), this);
  made->setObjectName(name);
  made->setGeometry(scaled(*this, at));
  return made;
}

QPushButton* CommandFormWidget::button(const char* name, const char* text, const QRect& at) {
  auto* made = new QPushButton(QString::fromUtf8(text), this);
  made->setObjectName(name);
  made->setGeometry(scaled(*this, at));
  made->setAutoDefault(false);
  return made;
}

void CommandFormWidget::fill_icons() {
  icons_->setViewMode(QListView::ListMode);
  icons_->setFlow(QListView::LeftToRight);
  icons_->setWrapping(true);
  icons_->setResizeMode(QListView::Adjust);
  icons_->setIconSize(QSize(scaled(*this, 16), scaled(*this, 16)));
  // Two whole rows show in the designed height; a number never runs into the next icon.
  icons_->setGridSize(QSize(scaled(*this, 44), scaled(*this, 19)));
  icons_->setSelectionMode(QAbstractItemView::SingleSelection);
  icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int id = prompt::kFirstIcon; id <= prompt::kLastIcon; ++id) {
    icons_->addItem(new QListWidgetItem(command_icon(editor_.icon_module, id), QString::number(id - prompt::kFirstIcon + 1)));
  }
}

void CommandFormWidget::show_fields() {
  if (editor_.selected_number()) number_->setCurrentIndex(static_cast<int>(*editor_.selected_number()));
  clipboard_->setChecked(editor_.copy_to_clipboard());
  hide_console_->setChecked(editor_.hide_console());
  types_[static_cast<std::size_t>(editor_.type())]->setChecked(true);
  if (editor_.icon_position()) {
    icons_->setCurrentRow(*editor_.icon_position());
    icons_->scrollToItem(icons_->currentItem());
  } else {
    icons_->clearSelection();
  }
  apply_clipboard_rule();
}

void CommandFormWidget::apply_clipboard_rule() {
  const bool enabled = editor_.output_enabled();
  output_label_->setEnabled(enabled);
  output_->setEnabled(enabled);
  output_button_->setEnabled(enabled);
}

QString CommandFormWidget::pick_file(const QString& folder, const QString& filter, const QString& suffix) {
  QFileDialog dialog(this, QString(), folder, filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void CommandFormWidget::browse_script() {
  const QString picked = pick_file(text_of(editor_.script_folder()),
                                   QString::fromUtf8(prompt::CommandEditor::kScriptFilter), "rb");
  if (!picked.isEmpty()) script_->setText(picked);
  script_->setFocus();
}

void CommandFormWidget::browse_option_file() {
  const QString picked = pick_file(QString(), QString(), QString());
  if (!picked.isEmpty()) {
    editor_.append_option_file(picked.toStdString());
    options_->setText(text_of(editor_.options()));
    options_->deselect();
    options_->end(false);
  }
  options_->setFocus();
}

void CommandFormWidget::browse_output() {
  const QString picked = pick_file(QString(), QString(), QString());
  if (!picked.isEmpty()) output_->setText(picked);
  output_->setFocus();
}

void CommandFormWidget::accept() {
  if (const std::optional<std::string> refused = editor_.confirm()) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), text_of(*refused), QMessageBox::Ok, this);
    box.setObjectName("MessageBox");
    box.setFont(dialog_font(box));
    box.exec();
    return;
  }
  QDialog::accept();
}

}  // namespace desktop
