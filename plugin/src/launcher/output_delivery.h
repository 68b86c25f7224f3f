// Where a captured run's output goes when the script has ended: the clipboard,
// an output file, or the temporary file "Temp" in the user folder, which is then
// opened with its default program. Output that its target refuses is kept in a
// file of the user folder, so a failed delivery never loses it.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace scriptlink {

struct OutputSettings {
  bool copy_to_clipboard = false;
  std::string output_file;  // empty for none
};

// The file that receives the output, and whether it is opened afterwards.
struct OutputTarget {
  std::string path;
  bool open_afterwards = false;
};

// The target refused the output. what() is the user's text: the target, the
// reason, and the file that keeps the output (or why none could be made).
class DeliveryError : public std::runtime_error {
 public:
  DeliveryError(const std::string& text, std::string kept_path)
      : std::runtime_error(text), kept_path_(std::move(kept_path)) {}
  // The file that keeps the output; empty when none could be made.
  const std::string& kept_path() const noexcept { return kept_path_; }

 private:
  std::string kept_path_;
};

// Where delivered output went: the clipboard, a file, or nowhere (not captured).
struct Delivered {
  bool clipboard = false;
  std::string path;  // the file written, or empty
};

// An output file named "*" (any extension) means user folder + "Temp" + extension.
OutputTarget ResolveOutputTarget(const std::string& output_file, const std::string& user_folder);

// Delivers the bytes as they are; the clipboard wins over a file. The file is
// written atomically, so a failed write leaves an earlier file whole. When the
// clipboard or the file cannot take the output, it is kept by KeepOutput and
// DeliveryError is thrown.
Delivered DeliverOutput(const std::string& output, const OutputSettings& settings, const std::string& user_folder);

// Writes the output to a new file of the folder, "Scriptlink-output-YYYYMMDD-N.txt"
// with the first N from 1 that names no existing file, and returns its path.
// Throws platform::SystemError; an incomplete file is removed.
std::string KeepOutput(std::string_view output, const std::string& folder);

}  // namespace scriptlink
