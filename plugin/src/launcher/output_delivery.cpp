#include "launcher/output_delivery.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include <platform/atomic_file.h>
#include <platform/clipboard.h>
#include <platform/error.h>
#include <platform/paths.h>
#include <platform/shell.h>

namespace scriptlink {

namespace {

constexpr int kMaxKeptFilesPerDay = 10000;

// A descriptor of a file being made for kept output; the file is removed
// unless it was completely written.
class KeptFile {
 public:
  explicit KeptFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  }
  ~KeptFile() {
    if (fd_ >= 0) ::close(fd_);
    if (fd_ >= 0 && !complete_) ::unlink(path_.c_str());
  }
  KeptFile(const KeptFile&) = delete;
  KeptFile& operator=(const KeptFile&) = delete;

  bool created() const noexcept { return fd_ >= 0; }

  void Write(std::string_view bytes) {
    const std::string what = "write the file " + path_;
    while (!bytes.empty()) {
      const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) platform::throw_errno(what);
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::fsync(fd_) != 0) platform::throw_errno(what);
    complete_ = true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool complete_ = false;
};

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

// The refusal of a delivery, its text for the user; keeps the output on the way.
DeliveryError Refused(const std::string& target, const std::string& reason, std::string_view output,
                      const std::string& user_folder) {
  const std::string head = target + "に書き込めませんでした（" + reason + "）。";
  try {
    std::string kept = KeepOutput(output, user_folder);
    return DeliveryError(head + "出力は「" + kept + "」に保存しました。", kept);
  } catch (const std::exception& error) {
    return DeliveryError(
        head + "出力を「" + user_folder + "」に保存することもできませんでした（" + error.what() + "）。", "");
  }
}

}  // namespace

OutputTarget ResolveOutputTarget(const std::string& output_file, const std::string& user_folder) {
  if (platform::paths::stem_of(output_file) != "*") return {output_file, false};
  return {user_folder + "Temp" + platform::paths::extension_of(output_file), true};
}

std::string KeepOutput(std::string_view output, const std::string& folder) {
  const std::string stem = folder + "Scriptlink-output-" + Today() + "-";
  for (int n = 1; n <= kMaxKeptFilesPerDay; ++n) {
    const std::string path = stem + std::to_string(n) + ".txt";
    KeptFile file(path);
    if (!file.created()) {
      if (errno == EEXIST) continue;
      platform::throw_errno("create the file " + path);
    }
    file.Write(output);
    return path;
  }
  throw platform::SystemError("create a file for the output in " + folder, EEXIST);
}

Delivered DeliverOutput(const std::string& output, const OutputSettings& settings, const std::string& user_folder) {
  if (settings.copy_to_clipboard) {
    try {
      platform::clipboard::set_text(output);
    } catch (const std::exception& error) {
      throw Refused("クリップボード", error.what(), output, user_folder);
    }
    return {true, {}};
  }
  if (settings.output_file.empty()) return {};
  const OutputTarget target = ResolveOutputTarget(settings.output_file, user_folder);
  try {
    platform::write_file_atomically(target.path, output);
  } catch (const std::exception& error) {
    throw Refused("出力ファイル「" + target.path + "」", error.what(), output, user_folder);
  }
  if (target.open_afterwards) platform::shell::open(target.path);
  return {false, target.path};
}

}  // namespace scriptlink
