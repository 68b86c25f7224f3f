// Renders every dialog into PNG files: render_dialogs FOLDER.
#include <QApplication>
#include <cstdio>

#include "desktop/desktop_front_end.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  for (const std::string& file : desktop::render_dialogs(argv[1])) std::printf("%s\n", file.c_str());
  return 0;
}
