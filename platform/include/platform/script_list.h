// The logic of the script list dialog: the "*.rb" files of the script folder
// with their descriptions, the name field's incremental search, the selection
// rules, the buttons and the five values a run takes. Front ends only move
// data between it and their widgets or lines. Texts are UTF-8; the paths are
// the file system's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace platform::prompt {

struct ScriptEntry {
  std::string name;         // file name with ".rb"
  std::string description;  // the leading comment
  std::string path;         // script folder + file name
};

// Window sizes in pixels; the dialog's stored design size is the least.
struct WindowSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

// A new script's bytes in the code page: "#! ruby", the description line, two
// "#", require and include, each ending in CR LF, then two empty lines.
std::string script_template(codepage::CodePage page);

class ScriptList {
 public:
  static constexpr const char* kCaption = "Rubyスクリプト一覧";
  static constexpr const char* kNoScriptWarning = "マクロがないか、指定されていません";
  static constexpr const char* kDeleteQuestion = "を削除します。よろしいですか";
  static constexpr const char* kOverwriteQuestion = "ファイルが存在します。上書きしますか？";
  static constexpr const char* kHelpPage = "ScriptListForm.html";
  static constexpr WindowSize kDesignSize{448, 365};

  // What the dialog asks of its owner.
  struct Actions {
    std::function<void()> help;
    // The command list, shown over the dialog; the dialog closes after it.
    std::function<void()> assign_commands;
  };

  ScriptList(std::string script_folder, Actions actions);

  // Reads the folder again: every "*.rb" entry, sorted by name without
  // regard to case. Selection and focus mark are cleared.
  void fill();
  const std::vector<ScriptEntry>& entries() const noexcept { return entries_; }
  const std::string& script_folder() const noexcept { return folder_; }

  // The name field. Typing searches: a single entry beginning with the text
  // is selected (and completes the field), an entry named exactly so is
  // selected (the field stays as typed), otherwise nothing is.
  const std::string& name() const noexcept { return name_; }
  void type_name(std::string text);
  // The list's selection, and the entry that carries the focus mark.
  std::optional<std::size_t> selected() const noexcept { return selected_; }
  std::optional<std::size_t> focused() const noexcept { return focused_; }
  // The user selects an entry in the list (nullopt: none); the name field
  // follows. False (nothing changed) for an index out of range.
  bool select(std::optional<std::size_t> index);
  // Down in the name field: the next entry, or the first after the last.
  void down_key();

  std::string options;
  std::string output;
  bool hide_console = false;
  void set_copy_to_clipboard(bool on) noexcept { copy_to_clipboard_ = on; }
  bool copy_to_clipboard() const noexcept { return copy_to_clipboard_; }
  // The output file's label, field and browse button.
  bool output_enabled() const noexcept { return !copy_to_clipboard_; }
  // Edit and Delete.
  bool entry_buttons_enabled() const noexcept { return entry_buttons_enabled_; }

  // Run: true when the dialog may close with OK; with nothing selected the
  // user is warned and it stays open.
  bool run();
  // Opens the selected script with the desktop's editor for it.
  void edit();
  // Asks, deletes the selected script and reads the folder again.
  void remove();
  // Asks for a name in the script folder, writes the template (after the
  // overwrite question for an existing file), reads the folder again, selects
  // the new script and opens it.
  void create();
  // The chooser's file, quoted, goes to the end of the options.
  void browse_options();
  // The chooser's file becomes the output file.
  void browse_output();
  void help();
  // The dialog then closes as cancelled.
  void assign_commands();

  // The values of a run, read after the dialog closed with OK.
  std::string script() const;
  std::string output_file() const { return copy_to_clipboard_ ? std::string() : output; }

  // The window's size: what the settings gave, then what the user left.
  WindowSize size = kDesignSize;
  // A stored size made usable: missing or below the design size gives the
  // design size, larger than the screen (when known, non-zero) the screen's.
  static WindowSize fit_size(std::optional<int> width, std::optional<int> height, WindowSize screen);

 private:
  void selection_changed();
  // Shows a failure of a button's action without closing the dialog.
  void report(const std::string& what);

  std::string folder_;
  Actions actions_;
  std::vector<ScriptEntry> entries_;
  std::string name_;
  std::optional<std::size_t> selected_;
  std::optional<std::size_t> focused_;
  bool copy_to_clipboard_ = false;
  bool entry_buttons_enabled_ = false;
};

}  // namespace platform::prompt
