// A program that records its version, for the file-version tests.
#include "platform/file_version.h"

ZTL_DEFINE_FILE_VERSION(1, 2, 3, 4)

int main() { return 0; }
