// The host's own dialogs that plug-ins call: item selection and date choice.
// Without a desktop front end they take scripted answers from the file that
// ZTL_HOST_DIALOG_ANSWERS names, one line per dialog: an item as the titles of
// its path ("Project/Folder/Task") or a date ("2024-05-01 10:30"); "cancel"
// (or no line left) cancels. With neither, every dialog is cancelled.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/store.h"

namespace zentrella {

inline constexpr const char* kDialogAnswersVariable = "ZTL_HOST_DIALOG_ANSWERS";

class HostDialogs {
 public:
  virtual ~HostDialogs() = default;
  // 0 when cancelled.
  virtual Handle select_item(const std::string& caption, Handle start, bool flag1, bool flag2, bool flag3) = 0;
  // nullopt when cancelled.
  virtual std::optional<double> choose_date(const std::string& caption, double initial) = 0;
};

HostDialogs& host_dialogs();
// Installs other dialogs (a desktop front end, a test's); null restores the default.
void set_host_dialogs(std::unique_ptr<HostDialogs> dialogs);

// The item a title path names among the loaded and special projects; 0 if none.
Handle find_item_by_path(const std::string& path);

}  // namespace zentrella
