#include "model/host_dialogs.h"

#include <cstdlib>
#include <fstream>

#include "model/date_scale.h"
#include "model/session.h"

namespace zentrella {

namespace {

std::vector<std::string> split_path(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::size_t end = slash == std::string::npos ? path.size() : slash;
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

Handle child_titled(const std::vector<Handle>& candidates, const std::string& title) {
  for (Handle h : candidates) {
    if (session().store().item(h)->fields.title == title) return h;
  }
  return 0;
}

class ScriptedDialogs : public HostDialogs {
 public:
  Handle select_item(const std::string&, Handle, bool, bool, bool) override {
    const std::optional<std::string> answer = next_answer();
    return answer ? find_item_by_path(*answer) : 0;
  }

  std::optional<double> choose_date(const std::string&, double) override {
    const std::optional<std::string> answer = next_answer();
    return answer ? parse_date_time(*answer) : std::nullopt;
  }

 private:
  // The lines are read afresh each time, so a test may write the file late.
  std::optional<std::string> next_answer() {
    const char* file = std::getenv(kDialogAnswersVariable);
    if (file == nullptr || *file == '\0') return std::nullopt;
    std::ifstream in(file);
    std::string line;
    for (std::size_t i = 0; std::getline(in, line); ++i) {
      if (i < used_) continue;
      ++used_;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == "cancel") return std::nullopt;
      return line;
    }
    return std::nullopt;
  }
  std::size_t used_ = 0;
};

std::unique_ptr<HostDialogs>& slot() {
  static std::unique_ptr<HostDialogs> dialogs;
  return dialogs;
}

}  // namespace

HostDialogs& host_dialogs() {
  if (!slot()) slot() = std::make_unique<ScriptedDialogs>();
  return *slot();
}

void set_host_dialogs(std::unique_ptr<HostDialogs> dialogs) { slot() = std::move(dialogs); }

Handle find_item_by_path(const std::string& path) {
  Session& s = session();
  std::vector<Handle> tops = s.loaded_projects();
  for (SpecialProject special : {SpecialProject::recycle_bin, SpecialProject::find, SpecialProject::templates,
                                 SpecialProject::scrap}) {
    tops.push_back(s.special(special));
  }
  Handle at = 0;
  for (const std::string& title : split_path(path)) {
    at = child_titled(at == 0 ? tops : s.store().item(at)->children, title);
    if (at == 0) return 0;
  }
  return at;
}

}  // namespace zentrella
