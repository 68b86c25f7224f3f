// Arbitrary bytes as a project file. A crash, a sanitizer report, an exception
// other than ProjectFileError, or a file that loads but does not come back the
// same after a save and a second load is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "storage/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<zentrella::ItemTree> loaded;
  try {
    loaded = zentrella::parse_projects(text, "fuzz.json");
  } catch (const zentrella::ProjectFileError&) {
    return 0;  // refused with a reason: what a malformed file should get
  }
  // What loads must survive the host's own save: a save that loses or changes
  // something loses the user's work.
  const std::string saved = zentrella::serialize_projects(loaded);
  std::vector<zentrella::ItemTree> again;
  try {
    again = zentrella::parse_projects(saved, "saved.json");
  } catch (const zentrella::ProjectFileError& error) {
    std::fprintf(stderr, "a saved file does not load: %s\n", error.what());
    std::abort();
  }
  if (!(again == loaded)) {
    std::fprintf(stderr, "a saved file loads differently\n");
    std::abort();
  }
  return 0;
}
