// Arbitrary bytes as the command file (Scriptlink.cmd). A crash, a sanitizer
// report, an exception, more user commands than the table holds, or a table
// that does not survive a save and a second load is a finding. The plug-in
// info the host reads is built from the loaded table as at start-up.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

#include "commands/command_file.h"
#include "controller/plugin_info.h"

namespace {

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The scratch folder, in memory where there is such a file system: the save
// syncs to disk, which would otherwise bound the rate of inputs.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string name = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/ztl-cmd-fuzz-XXXXXX");
    if (::mkdtemp(name.data()) == nullptr) Finding("cannot make a scratch folder");
    folder_ = name + "/";
  }
  ~ScratchFolder() {
    ::unlink(File().c_str());
    ::rmdir(folder_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string File() const { return folder_ + "Scriptlink.cmd"; }

 private:
  std::string folder_;
};

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out.flush()) Finding("cannot write the input file");
}

bool SameRecords(const scriptlink::TCommandArray& a, const scriptlink::TCommandArray& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::memcmp(&a[i], &b[i], sizeof(scriptlink::CommandRecord)) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFolder scratch;
  const std::string path = scratch.File();
  WriteInput(path, data, size);
  scriptlink::TCommandArray table = scriptlink::TCommandArray::WithBuiltins();
  scriptlink::TCommandArray users;
  try {
    scriptlink::LoadCommandFile(path, table);
    scriptlink::LoadCommandFile(path, users);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "a regular command file was not loaded: %s\n", error.what());
    std::abort();
  }
  if (users.size() > scriptlink::kMaxUserCommands) Finding("more user commands than the table holds");
  if (table.size() != 2 + users.size()) Finding("the table and the user list disagree");

  scriptlink::FreePluginInfo(scriptlink::BuildPluginInfo(table));

  scriptlink::SaveCommandFile(path, users);
  scriptlink::TCommandArray again;
  scriptlink::LoadCommandFile(path, again);
  if (!SameRecords(users, again)) Finding("a saved command file loads differently");
  return 0;
}
