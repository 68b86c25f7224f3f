#include "platform/atomic_file.h"
#include "platform/file_version.h"

#include <gtest/gtest.h>

#include <cstring>
#include <elf.h>
#include <unistd.h>

namespace platform {
namespace {

std::string scratch_path(const std::string& name) {
  return ::testing::TempDir() + "ztl_fv_" + std::to_string(::getpid()) + "_" + name;
}

std::string versioned_program() { return *read_whole_file(ZTL_TEST_VERSIONED_PROGRAM); }

TEST(FileVersion, ReadsTheNoteOfAProgramThatHasOne) {
  auto version = read_file_version(ZTL_TEST_VERSIONED_PROGRAM);
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->high, (1u << 16) | 2u);
  EXPECT_EQ(version->low, (3u << 16) | 4u);
}

TEST(FileVersion, NoneForProgramsWithoutNoteOrNonElfOrMissingFiles) {
  EXPECT_FALSE(read_file_version(ZTL_TEST_PLAIN_PROGRAM).has_value());
  EXPECT_FALSE(read_file_version("/no/such/file").has_value());
  EXPECT_FALSE(read_file_version("/").has_value());
  std::string text = scratch_path("text");
  write_file_atomically(text, "just text, not a program\n");
  EXPECT_FALSE(read_file_version(text).has_value());
  ::unlink(text.c_str());
}

// Every prefix of the file, and headers pointing anywhere, are read without
// crash or over-read (the sanitizer build checks the latter).
TEST(FileVersion, TruncatedOrCorruptFilesGiveNone) {
  const std::string program = versioned_program();
  const std::string path = scratch_path("cut");
  for (std::size_t length : {std::size_t{0}, std::size_t{4}, std::size_t{63}, std::size_t{64},
                             std::size_t{0x3a0}, program.size() / 2, program.size() - 1}) {
    write_file_atomically(path, program.substr(0, length));
    auto version = read_file_version(path);
    // A cut that keeps the note segment may still find it, but never a wrong version.
    if (version) {
      EXPECT_EQ(version->high, (1u << 16) | 2u) << length;
    }
  }

  std::string corrupt = program;
  Elf64_Ehdr header;
  std::memcpy(&header, corrupt.data(), sizeof header);
  header.e_shoff = ~0ull - 8;
  header.e_phoff = corrupt.size() - 8;
  header.e_phnum = 0xffff;
  std::memcpy(corrupt.data(), &header, sizeof header);
  write_file_atomically(path, corrupt);
  EXPECT_FALSE(read_file_version(path).has_value());

  // A note whose lengths run past its area.
  corrupt = program;
  std::size_t note = corrupt.find("ZtlVersion");
  ASSERT_NE(note, std::string::npos);
  std::uint32_t huge = 0xfffffff0u;
  std::memcpy(corrupt.data() + note - 8, &huge, 4);  // descsz
  write_file_atomically(path, corrupt);
  EXPECT_FALSE(read_file_version(path).has_value());
  ::unlink(path.c_str());
}

}  // namespace
}  // namespace platform
