#include "cli/desktop_runner.h"

namespace zentrella::cli {

namespace {
DesktopRunner& runner() {
  static DesktopRunner installed;
  return installed;
}
}  // namespace

void set_desktop_runner(DesktopRunner given) { runner() = std::move(given); }
const DesktopRunner& desktop_runner() { return runner(); }

}  // namespace zentrella::cli
