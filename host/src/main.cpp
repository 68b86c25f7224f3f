// The stand-in host's executable.
#include <platform/file_version.h>

#include "cli/host_main.h"

ZTL_DEFINE_FILE_VERSION(ZTL_VERSION_MAJOR, ZTL_VERSION_MINOR, ZTL_VERSION_RELEASE, ZTL_VERSION_BUILD)

int main(int argc, char** argv) { return zentrella::cli::host_main(argc, argv); }
