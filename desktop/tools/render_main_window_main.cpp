// Draws the main window on the sample projects, and with a wait form over it,
// into PNG files: render_main_window FOLDER SAMPLE [PLUGIN].
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <memory>
#include <string>

#include <platform/atomic_file.h>
#include <platform/codepage.h>
#include <platform/paths.h>
#include <platform/prompt.h>

#include "cli/plugin_host.h"
#include "desktop/desktop_front_end.h"
#include "main_window/run_main_window.h"
#include "model/session.h"
#include "storage/session_files.h"

namespace {

// The first task with a document, shown in the editor pane as a user would
// have it after a click.
zentrella::Handle first_task_with_document(zentrella::Session& s) {
  for (const zentrella::Handle project : s.loaded_projects()) {
    for (zentrella::Handle at = project; at != 0 && s.project_of(at) == project; at = s.next_item(at)) {
      const zentrella::Item* item = s.store().item(at);
      if (item->fields.kind == zentrella::ItemKind::task && !item->documents.empty()) return at;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s FOLDER SAMPLE [PLUGIN]\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  platform::codepage::set_current(platform::codepage::CodePage::utf8);
  platform::prompt::set_front_end(desktop::make_desktop_front_end());
  // A copy in a folder of its own, removed at the end: the window saves what changes.
  char scratch[] = "/tmp/ztl-render-XXXXXX";
  if (mkdtemp(scratch) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string folder = std::string(scratch) + "/";
  const std::string projects = folder + "sample-projects.json";
  platform::write_file_atomically(projects, *platform::read_whole_file(argv[2]));
  zentrella::Session& s = zentrella::session();
  s.user_folder = folder;
  s.station = false;
  zentrella::open_project_file(s, projects);
  zentrella::open_special_projects(s, folder + zentrella::kSpecialProjectsFile);
  if (const zentrella::Handle task = first_task_with_document(s)) {
    s.set_current_item(task);
    s.select_only({task});
  }
  std::unique_ptr<zentrella::cli::PluginHost> plugin;
  if (argc == 4) {
    setenv("ZTL_NAMESPACE", ("render-" + std::to_string(getpid())).c_str(), 1);
    plugin = std::make_unique<zentrella::cli::PluginHost>(argv[3]);
  }
  desktop::render_main_window(plugin.get(), argv[1]);
  plugin.reset();
  std::filesystem::remove_all(scratch);
  for (const char* name : {"main-window", "main-window-wait-form", "item-properties"}) {
    std::printf("%s/%s.png\n", argv[1], name);
  }
  return 0;
}
