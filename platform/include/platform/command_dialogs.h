// The logic of the plug-in's command list and command editor dialogs: the
// user commands as the dialogs show them, the numbers offered, the change
// and restart flags, the paths kept relative to the script folder and the
// limits of the record's text fields. Front ends only move data between
// these and their widgets or answer lines. Texts are UTF-8; the limits are
// counted in bytes of the code page in force, as the record stores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::prompt {

// One user command. Paths are as stored: relative to the script folder.
struct CommandEntry {
  std::uint32_t number = 0;
  std::string caption;
  std::string script;
  std::string options;
  std::string output;
  bool copy_to_clipboard = false;
  bool hide_console = false;
  int type = 0;   // 0 main, 1 editor, 2 filer, 3 launcher
  int icon = -1;  // kFirstIcon..kLastIcon, or kNoIcon

  bool operator==(const CommandEntry&) const = default;
};

inline constexpr int kFirstIcon = 10;
inline constexpr int kLastIcon = 36;
inline constexpr int kNoIcon = -1;
inline constexpr int kCommandTypes = 4;
inline constexpr std::uint32_t kFirstCommandNumber = 10;
inline constexpr std::size_t kOfferedNumbers = 20;
inline constexpr std::size_t kMaxCommands = 99;

// What each text field of the record holds, without its NUL.
inline constexpr std::size_t kCaptionBytes = 255;
inline constexpr std::size_t kScriptBytes = 260;
inline constexpr std::size_t kOptionsBytes = 1024;
inline constexpr std::size_t kOutputBytes = 260;

// The bytes the text takes in the code page in force.
std::size_t codepage_bytes(std::string_view text);
// The longest start of text, whole characters only, that takes at most
// max_bytes in the code page in force.
std::string fit_codepage_bytes(std::string_view text, std::size_t max_bytes);

// Opens a help page by name ("CommandForm.html"); set by whoever shows the dialog.
using HelpLauncher = std::function<void(std::string_view page)>;

// TCommandForm: one command, its number picked from the numbers offered.
class CommandEditor {
 public:
  static constexpr const char* kCaption = "コマンド設定";
  static constexpr const char* kHelpPage = "CommandForm.html";
  static constexpr const char* kScriptFilter = "Rubyスクリプト(*.rb)";

  // A new command: no number offered yet, the first icon, type 0.
  explicit CommandEditor(std::string script_folder);

  // The numbers offered; the first is selected.
  void offer_numbers(std::vector<std::uint32_t> numbers);
  const std::vector<std::uint32_t>& numbers() const noexcept { return numbers_; }
  std::optional<std::size_t> selected_number() const noexcept { return selected_number_; }
  // False (nothing changed) for an index out of range.
  bool select_number(std::size_t index);
  // Selects the offered number with this value; false when none has it.
  bool select_number_value(std::uint32_t number);

  // Edits the command: the fields as shown (paths made absolute).
  void load(const CommandEntry& entry);

  // The fields as shown. Texts are cut to what the record can hold (at whole
  // characters); the script and output paths are checked on confirming,
  // since the record holds them relative to the script folder.
  const std::string& script() const noexcept { return script_; }
  const std::string& caption() const noexcept { return caption_; }
  const std::string& options() const noexcept { return options_; }
  const std::string& output() const noexcept { return output_; }
  // With an empty caption, the caption becomes the script's name without
  // folder and extension, and follows the script (a path typed a character
  // at a time) until the user gives a caption of their own.
  void set_script(std::string_view path);
  void set_caption(std::string_view text);
  void set_options(std::string_view text);
  // A file picked for the options: appended in double quotes.
  void append_option_file(std::string_view path);
  void set_output(std::string_view path);

  bool copy_to_clipboard() const noexcept { return copy_to_clipboard_; }
  bool hide_console() const noexcept { return hide_console_; }
  void set_copy_to_clipboard(bool on) noexcept { copy_to_clipboard_ = on; }
  void set_hide_console(bool on) noexcept { hide_console_ = on; }
  // The output field is disabled while the output goes to the clipboard.
  bool output_enabled() const noexcept { return !copy_to_clipboard_; }

  int type() const noexcept { return type_; }
  // False (nothing changed) for a type outside 0..3.
  bool set_type(int type);

  // The selected icon's position (0 for icon 10), or nullopt for none.
  std::optional<int> icon_position() const noexcept { return icon_position_; }
  // False (nothing changed) for a position outside the icons.
  bool select_icon(int position);
  void clear_icon() noexcept { icon_position_.reset(); }

  const std::string& script_folder() const noexcept { return script_folder_; }

  // OK: builds the command from the fields. Returns the reason when it
  // cannot be confirmed (no number selected, a path the record cannot hold);
  // the dialog then stays open.
  std::optional<std::string> confirm();
  // After confirm(): the command, and whether its number, caption, type or
  // icon differ from what was loaded (what the host learns only at a restart).
  const CommandEntry& result() const noexcept { return result_; }
  bool changed() const noexcept { return changed_; }

  HelpLauncher help;
  void show_help() const {
    if (help) help(kHelpPage);
  }
  // The loaded module whose bitmaps kFirstIcon..kLastIcon are the icons
  // (module_resources.h); null shows them blank.
  void* icon_module = nullptr;

 private:
  std::string script_folder_;
  std::vector<std::uint32_t> numbers_;
  std::optional<std::size_t> selected_number_;
  std::string script_;
  std::string caption_;
  bool caption_from_script_ = false;
  std::string options_;
  std::string output_;
  bool copy_to_clipboard_ = false;
  bool hide_console_ = false;
  int type_ = 0;
  std::optional<int> icon_position_ = 0;
  CommandEntry loaded_;
  CommandEntry result_;
  bool changed_ = false;
};

// TCommandListForm: the user commands, added, edited and deleted in a working
// list that the caller saves after OK.
class CommandList {
 public:
  static constexpr const char* kCaption = "コマンド一覧";
  static constexpr const char* kHelpPage = "CommandListForm.html";
  static constexpr const char* kRestartQuestion =
      "コマンドの編集を行った場合、Zentrellaを再起動する必要があります。Zentrellaを終了しますか";
  static constexpr const char* kTooManyCommands = "コマンドは99個までしか登録できません";

  CommandList(std::vector<CommandEntry> working, std::string script_folder);

  // The working list in file order.
  const std::vector<CommandEntry>& entries() const noexcept { return entries_; }
  // The rows as shown: working-list indices sorted by the number as text
  // (so 100 comes between 10 and 11).
  std::vector<std::size_t> rows() const;
  // The entry a row shows.
  const CommandEntry& at_row(std::size_t row) const { return entries_[rows().at(row)]; }

  std::optional<std::size_t> selected_row() const noexcept { return selected_row_; }
  // nullopt, or a row out of range, clears the selection.
  void select_row(std::optional<std::size_t> row);
  bool can_edit() const noexcept { return selected_row_.has_value(); }
  bool can_delete() const noexcept { return selected_row_.has_value(); }
  // Refused at 99 commands: the command file holds no more.
  bool can_add() const noexcept { return entries_.size() < kMaxCommands; }

  // From 10 upwards, the first 20 numbers no command uses.
  std::vector<std::uint32_t> offered_numbers() const;

  // An editor for a new command (the lowest offered number selected), or for
  // the selected one (its own number first and selected). Throws
  // std::logic_error when Add or Edit is not allowed now.
  CommandEditor editor_for_add() const;
  CommandEditor editor_for_edit() const;
  // Takes a confirmed editor's command back: appended (the restart flag set),
  // or put in place of the selected one (the row stays selected, and the
  // restart flag takes the editor's change flag unless already set).
  void add(const CommandEditor& editor);
  void replace_selected(const CommandEditor& editor);
  // Removes the selected command; the same row (or the last) stays selected.
  void delete_selected();

  bool restart_needed() const noexcept { return restart_needed_; }

  // OK: with the restart flag set, asks kRestartQuestion (Yes/Cancel) through
  // the front end in force. False when the dialog stays open; true when it
  // closes with OK, and then close_host() says whether the user chose to end
  // the host.
  bool confirm();
  bool close_host() const noexcept { return close_host_; }

  HelpLauncher help;
  void show_help() const {
    if (help) help(kHelpPage);
  }
  // Handed to every editor the list opens.
  void* icon_module = nullptr;

 private:
  CommandEditor new_editor() const;

  std::vector<CommandEntry> entries_;
  std::string script_folder_;
  std::optional<std::size_t> selected_row_;
  bool restart_needed_ = false;
  bool close_host_ = false;
};

}  // namespace platform::prompt
