#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

class AtomicFileTest : public ::testing::Test {
 protected:
  AtomicFileTest() {
    folder_ = ::testing::TempDir() + "ztl_atomic_" + std::to_string(::getpid()) + "/";
    ::mkdir(folder_.c_str(), 0755);
  }
  ~AtomicFileTest() override {
    testing::stop_failing_writes();
    for (const auto& name : entries()) ::unlink((folder_ + name).c_str());
    ::rmdir(folder_.c_str());
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder_.c_str())) {
      while (dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
      ::closedir(dir);
    }
    return names;
  }
  std::string folder_;
};

TEST_F(AtomicFileTest, WritesReplacesAndKeepsTheMode) {
  const std::string path = folder_ + "project.json";
  EXPECT_FALSE(read_whole_file(path).has_value());
  write_file_atomically(path, "first");
  EXPECT_EQ(read_whole_file(path), "first");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);

  ::chmod(path.c_str(), 0600);
  write_file_atomically(path, std::string(200000, 'x'));
  EXPECT_EQ(read_whole_file(path)->size(), 200000u);
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(entries().size(), 1u);
}

TEST_F(AtomicFileTest, FailedWriteLeavesTheOldFileWhole) {
  const std::string path = folder_ + "project.json";
  write_file_atomically(path, "old content");
  for (std::size_t fail_after : {std::size_t{0}, std::size_t{5}, std::size_t{70000}}) {
    testing::fail_writes_after(fail_after);
    EXPECT_THROW(write_file_atomically(path, std::string(100000, 'n')), SystemError) << fail_after;
    testing::stop_failing_writes();
    EXPECT_EQ(read_whole_file(path), "old content");
    EXPECT_EQ(entries(), std::vector<std::string>{"project.json"});  // no temporary left
  }
  EXPECT_THROW(write_file_atomically(folder_ + "missing/x", "x"), SystemError);
  EXPECT_THROW(read_whole_file(folder_), SystemError);
}

}  // namespace
}  // namespace platform
