#include "dialogs/script_list_form.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>

#include <platform/codepage.h>
#include <platform/ini_file.h>
#include <platform/paths.h>
#include <platform/prompt.h>

namespace scriptlink {
namespace {

// A whole decimal number, or nothing: a malformed value counts as missing.
std::optional<int> SizeValue(const std::optional<std::string>& text) {
  if (!text || text->empty()) return std::nullopt;
  int value = 0;
  const char* end = text->data() + text->size();
  const auto [last, error] = std::from_chars(text->data(), end, value);
  if (error != std::errc() || last != end) return std::nullopt;
  return value;
}

}  // namespace

std::string SettingsFilePath(const std::string& plugin_path) {
  const std::string extension = platform::paths::extension_of(plugin_path);
  return plugin_path.substr(0, plugin_path.size() - extension.size()) + ".ini";
}

TScriptListForm::TScriptListForm(const std::string& script_folder, std::string settings_path,
                                 platform::prompt::ScriptList::Actions actions)
    : settings_path_(std::move(settings_path)), dialog_(script_folder, std::move(actions)) {
  dialog_.fill();
  ReadSize();
}

TScriptListForm::~TScriptListForm() { WriteSize(); }

bool TScriptListForm::Run() { return platform::prompt::front_end().script_list(dialog_); }

std::string TScriptListForm::Options() const { return platform::codepage::from_utf8(dialog_.options); }

std::string TScriptListForm::OutputFile() const { return platform::codepage::from_utf8(dialog_.output_file()); }

void TScriptListForm::ReadSize() {
  // A settings file that cannot be read is no reason to refuse the list.
  platform::IniFile settings;
  try {
    settings = platform::IniFile::load(settings_path_);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Scriptlink: settings not read: %s\n", error.what());
  }
  dialog_.size = platform::prompt::ScriptList::fit_size(SizeValue(settings.value(kSettingsSection, "Width")),
                                                        SizeValue(settings.value(kSettingsSection, "Height")), {});
}

void TScriptListForm::WriteSize() const {
  // Runs in the destructor: a failure is told, never thrown.
  try {
    platform::IniFile settings = platform::IniFile::load(settings_path_);
    settings.set(kSettingsSection, "Width", std::to_string(dialog_.size.width));
    settings.set(kSettingsSection, "Height", std::to_string(dialog_.size.height));
    settings.save(settings_path_);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Scriptlink: settings not written to %s: %s\n", settings_path_.c_str(), error.what());
  }
}

}  // namespace scriptlink
