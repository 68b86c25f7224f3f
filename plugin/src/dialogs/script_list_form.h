// TScriptListForm: the dialog in which the user picks a script of the script
// folder to run, and creates, edits and deletes scripts. It holds a plain
// ScriptList, shows it through the prompt front end in force and keeps its
// window size in the settings file; it runs nothing itself.
#pragma once

#include <string>

#include <platform/script_list.h>

namespace scriptlink {

// The plug-in path with its extension replaced by ".ini".
std::string SettingsFilePath(const std::string& plugin_path);

class TScriptListForm {
 public:
  static constexpr const char* kSettingsSection = "ScriptForm";

  // Fills the list from the script folder and takes the size from the
  // settings file (the design size when it holds none that is usable).
  TScriptListForm(const std::string& script_folder, std::string settings_path,
                  platform::prompt::ScriptList::Actions actions);
  // Writes the window size back to the settings file.
  ~TScriptListForm();
  TScriptListForm(const TScriptListForm&) = delete;
  TScriptListForm& operator=(const TScriptListForm&) = delete;

  // Shows the form modally; true when it closed with Run.
  bool Run();

  // What a run takes; texts in the host's code page.
  std::string Script() const { return dialog_.script(); }
  std::string Options() const;
  std::string OutputFile() const;
  bool CopyToClipboard() const noexcept { return dialog_.copy_to_clipboard(); }
  bool HideConsole() const noexcept { return dialog_.hide_console; }

  platform::prompt::ScriptList& dialog() noexcept { return dialog_; }

 private:
  void ReadSize();
  void WriteSize() const;

  std::string settings_path_;
  platform::prompt::ScriptList dialog_;
};

}  // namespace scriptlink
