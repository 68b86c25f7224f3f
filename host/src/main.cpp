// The stand-in host's executable.
#include <platform/file_version.h>

#include "cli/desktop_runner.h"
#include "cli/host_main.h"
#ifdef ZTL_HAVE_DESKTOP
#include "main_window/run_main_window.h"
#endif

ZTL_DEFINE_FILE_VERSION(ZTL_VERSION_MAJOR, ZTL_VERSION_MINOR, ZTL_VERSION_RELEASE, ZTL_VERSION_BUILD)

int main(int argc, char** argv) {
#ifdef ZTL_HAVE_DESKTOP
  zentrella::cli::set_desktop_runner(&desktop::run_main_window);
#endif
  return zentrella::cli::host_main(argc, argv);
}
