#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/testing.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
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
  std::string read_link(const std::string& path) const {
    char target[256] = {};
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
    return length < 0 ? std::string("(not a link)") : std::string(target, static_cast<std::size_t>(length));
  }
  mode_t kind(const std::string& path) const {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
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

TEST_F(AtomicFileTest, LinksStayAndTheirTargetsGetTheBytes) {
  const std::string target = folder_ + "target.json";
  write_file_atomically(target, "old");
  ::chmod(target.c_str(), 0600);
  ASSERT_EQ(::symlink("target.json", (folder_ + "link.json").c_str()), 0);
  ASSERT_EQ(::symlink((folder_ + "link.json").c_str(), (folder_ + "chain.json").c_str()), 0);

  write_file_atomically(folder_ + "chain.json", "through two links");
  EXPECT_EQ(read_link(folder_ + "chain.json"), folder_ + "link.json");
  EXPECT_EQ(read_link(folder_ + "link.json"), "target.json");
  EXPECT_EQ(read_whole_file(target), "through two links");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // A dangling link names the file to create.
  ASSERT_EQ(::symlink("made.json", (folder_ + "dangling.json").c_str()), 0);
  write_file_atomically(folder_ + "dangling.json", "new");
  EXPECT_EQ(read_link(folder_ + "dangling.json"), "made.json");
  EXPECT_EQ(read_whole_file(folder_ + "made.json"), "new");
  EXPECT_EQ(entries().size(), 5u);  // no temporary left

  ASSERT_EQ(::symlink("loop-b", (folder_ + "loop-a").c_str()), 0);
  ASSERT_EQ(::symlink("loop-a", (folder_ + "loop-b").c_str()), 0);
  EXPECT_THROW(write_file_atomically(folder_ + "loop-a", "x"), SystemError);
  EXPECT_EQ(kind(folder_ + "loop-a"), S_IFLNK);
}

TEST_F(AtomicFileTest, AFifoIsWrittenInPlaceAndNeverReplaced) {
  const std::string fifo = folder_ + "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // No reader: refused at once rather than waiting for one.
  EXPECT_THROW(write_file_atomically(fifo, "nobody"), FileRefused);
  EXPECT_EQ(kind(fifo), S_IFIFO);

  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  write_file_atomically(fifo, "hello");
  EXPECT_EQ(kind(fifo), S_IFIFO);
  char got[16] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 5);
  EXPECT_STREQ(got, "hello");
  ::close(reader);
  EXPECT_EQ(entries(), std::vector<std::string>{"pipe"});
}

TEST_F(AtomicFileTest, AFolderIsNeitherWrittenNorReplaced) {
  const std::string folder = folder_ + "sub";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  EXPECT_THROW(write_file_atomically(folder, "x"), FileRefused);
  EXPECT_EQ(kind(folder), S_IFDIR);
  EXPECT_EQ(entries(), std::vector<std::string>{"sub"});
  ::rmdir(folder.c_str());
}

TEST_F(AtomicFileTest, UntrustedReadsRefuseSpecialFilesAndOversizeAtOnce) {
  const std::string path = folder_ + "ten";
  write_file_atomically(path, "0123456789");
  EXPECT_EQ(read_regular_file(path, 10), "0123456789");
  EXPECT_FALSE(read_regular_file(folder_ + "absent", 10).has_value());
  try {
    read_regular_file(path, 9);
    ADD_FAILURE() << "an oversize file was read";
  } catch (const FileRefused& error) {
    EXPECT_NE(std::string(error.what()).find("larger than the limit of 9 bytes"), std::string::npos) << error.what();
  }

  const std::string fifo = folder_ + "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  try {
    read_regular_file(fifo, 10);  // would wait for a writer for ever if opened plainly
    ADD_FAILURE() << "a FIFO was read";
  } catch (const FileRefused& error) {
    EXPECT_NE(std::string(error.what()).find("is a FIFO, not a regular file"), std::string::npos) << error.what();
  }
  EXPECT_THROW(read_regular_file("/dev/zero", 1 << 20), FileRefused);
  EXPECT_THROW(read_regular_file(folder_, 10), FileRefused);
}

}  // namespace
}  // namespace platform
