// File versions (four 16-bit parts) kept in a note section of a library or an
// executable, written at build time and read back from the file on disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct FileVersion {
  std::uint32_t high = 0;  // major << 16 | minor
  std::uint32_t low = 0;   // release << 16 | build
};

// The version recorded in the file at path; nullopt when it has none or the
// file is not a readable ELF file.
std::optional<FileVersion> read_file_version(const std::string& path);

}  // namespace platform

// Place once in a source file of a library or executable to record its version.
#define ZTL_NOTE_NAME "ZtlVersion"
#define ZTL_NOTE_TYPE 0x5a56
#define ZTL_DEFINE_FILE_VERSION(major, minor, release, build)                                  \
  extern "C" {                                                                                \
  struct ZtlVersionNote {                                                                     \
    std::uint32_t namesz, descsz, type;                                                       \
    char name[12];                                                                            \
    std::uint32_t high, low;                                                                  \
  };                                                                                          \
  __attribute__((used, section(".note.ztl.version"), aligned(4)))                             \
  const ZtlVersionNote ztl_version_note = {11, 8, ZTL_NOTE_TYPE, ZTL_NOTE_NAME,                \
                                           ((major) << 16) | (minor), ((release) << 16) | (build)}; \
  }
