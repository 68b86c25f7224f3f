// Where a captured run's output goes when the script has ended: the clipboard,
// an output file, or the temporary file "Temp" in the user folder, which is then
// opened with its default program.
#pragma once

#include <string>

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

// An output file named "*" (any extension) means user folder + "Temp" + extension.
OutputTarget ResolveOutputTarget(const std::string& output_file, const std::string& user_folder);

// Delivers the bytes as they are; the clipboard wins over a file. The file is
// written atomically, so a failed write leaves an earlier file whole; a write
// failure throws platform::SystemError.
void DeliverOutput(const std::string& output, const OutputSettings& settings, const std::string& user_folder);

}  // namespace scriptlink
