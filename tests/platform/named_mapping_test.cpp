#include "platform/error.h"
#include "platform/kernel_namespace.h"
#include "platform/named_mapping.h"
#include "platform/orphaned_objects.h"
#include "scratch_space.h"
#include "test_support.h"

#include <csignal>
#include <fcntl.h>
#include <cstring>
#include <sys/stat.h>

namespace platform {
namespace {

using test::run_in_child;
using test::ScopedNamespace;

bool shm_exists(const std::string& name) {
  struct stat info {};
  return ::stat(("/dev/shm" + shm_name_for(name)).c_str(), &info) == 0;
}

// Starts a child that becomes the only holder of a mapping filled with 0xAB,
// then is killed. Returns once the child is dead (reaped).
void leave_object_of_killed_holder(const std::string& name) {
  test::ReadyPipe ready;
  pid_t child = test::start_child([&] {
    auto mapping = NamedMapping::create_or_open(name, 256);
    std::memset(mapping.view().data(), 0xAB, 256);
    ready.signal();
    ::pause();
    return 0;
  });
  ASSERT_TRUE(ready.wait());
  ::kill(child, SIGKILL);
  EXPECT_EQ(test::wait_child(child), 128 + SIGKILL);
}

TEST(NamedMapping, ContentsAreSharedAcrossProcesses) {
  ScopedNamespace ns;
  auto mapping = NamedMapping::create_or_open("FILEMAP_TEST", 8192);
  auto view = mapping.view();
  std::strcpy(reinterpret_cast<char*>(view.data()), "from parent");
  view.flush(0, 12);

  int code = run_in_child([] {
    auto other = NamedMapping::open("FILEMAP_TEST", 8192);
    auto seen = other.view();
    if (std::strcmp(reinterpret_cast<const char*>(seen.data()), "from parent") != 0) return 1;
    // An unaligned view inside the object lands on the same bytes.
    auto part = other.view(5000, 16);
    std::strcpy(reinterpret_cast<char*>(part.data()), "from child");
    part.flush(0, 11);
    return 0;
  });
  ASSERT_EQ(code, 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(view.data() + 5000), "from child");
}

TEST(NamedMapping, OpenFindsOnlyExistingObjects) {
  ScopedNamespace ns;
  EXPECT_THROW(NamedMapping::open("missing", 64), NotFound);
  EXPECT_FALSE(NamedMapping::try_open("missing", 64).has_value());

  auto created = NamedMapping::create_or_open("present", 64);
  created.view().data()[0] = 7;
  auto again = NamedMapping::create_or_open("present", 64);
  EXPECT_EQ(again.view().data()[0], 7);
  auto opened = NamedMapping::open("present", 64);
  EXPECT_EQ(opened.size(), 64u);
  // Asking for more than the object has is refused, not mapped past its end.
  EXPECT_THROW(NamedMapping::open("present", 65), SystemError);
  EXPECT_THROW(opened.view(60, 8), SystemError);
}

TEST(NamedMapping, LastCloseRemovesTheObject) {
  ScopedNamespace ns;
  {
    auto mapping = NamedMapping::create_or_open("short-lived", 64);
    // A child that opens and closes it again does not end it for us.
    ASSERT_EQ(run_in_child([] { return NamedMapping::try_open("short-lived", 64) ? 0 : 1; }), 0);
    EXPECT_TRUE(NamedMapping::try_open("short-lived", 64).has_value());
    EXPECT_TRUE(shm_exists("short-lived"));
  }
  EXPECT_FALSE(shm_exists("short-lived"));
  EXPECT_FALSE(NamedMapping::try_open("short-lived", 64).has_value());
}

TEST(NamedMapping, ObjectOfAKilledHolderIsNotInherited) {
  ScopedNamespace ns;
  leave_object_of_killed_holder("orphan");
  EXPECT_TRUE(shm_exists("orphan"));
  EXPECT_FALSE(NamedMapping::try_open("orphan", 256).has_value());
  EXPECT_FALSE(shm_exists("orphan"));

  leave_object_of_killed_holder("orphan");
  auto fresh = NamedMapping::create_or_open("orphan", 256);
  auto view = fresh.view();
  for (std::size_t i = 0; i < 256; ++i) ASSERT_EQ(view.data()[i], 0) << i;
}

TEST(NamedMapping, SweepRemovesOnlyOrphanedObjects) {
  ScopedNamespace ns;
  leave_object_of_killed_holder("swept");
  auto alive = NamedMapping::create_or_open("kept", 64);
  EXPECT_GE(remove_orphaned_objects(), 1u);
  EXPECT_FALSE(shm_exists("swept"));
  EXPECT_TRUE(shm_exists("kept"));

  // A header lock whose owner died without the kernel handing it over must not
  // make the sweep (or an open) wait for ever.
  leave_object_of_killed_holder("wrecked");
  {
    int fd = ::open(("/dev/shm" + shm_name_for("wrecked")).c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    pid_t gone = test::start_child([] { return 0; });
    test::wait_child(gone);
    int word = gone;
    ASSERT_EQ(::pwrite(fd, &word, sizeof word, 32), static_cast<ssize_t>(sizeof word));
    ::close(fd);
  }
  EXPECT_GE(remove_orphaned_objects(), 1u);
  EXPECT_FALSE(shm_exists("wrecked"));
}

TEST(NamedMapping, NamespacesAreKeptApart) {
  ::setenv("ZTL_NAMESPACE", ("ns_a_" + std::to_string(::getpid())).c_str(), 1);
  auto in_a = NamedMapping::create_or_open("shared name", 64);
  ::setenv("ZTL_NAMESPACE", ("ns_b_" + std::to_string(::getpid())).c_str(), 1);
  EXPECT_FALSE(NamedMapping::try_open("shared name", 64).has_value());
  ::unsetenv("ZTL_NAMESPACE");
  // Without a choice it is the user's own, with a key other users cannot guess.
  test::ScratchFolder runtime;
  test::ScopedVariable runtime_dir{"XDG_RUNTIME_DIR", runtime.path()};
  std::string user = "u" + std::to_string(::geteuid()) + "-";
  EXPECT_EQ(kernel_namespace().substr(0, user.size()), user);
  EXPECT_EQ(kernel_namespace().size(), user.size() + 32);
}

TEST(NamedMapping, NamesAreEscapedAndModeIsOwnerOnly) {
  ScopedNamespace ns;
  EXPECT_EQ(shm_name_for("a/b c").find('/', 1), std::string::npos);
  EXPECT_NE(shm_name_for("a/b"), shm_name_for("a%2Fb"));
  EXPECT_NE(shm_name_for(std::string(300, 'x')), shm_name_for(std::string(301, 'x')));

  mode_t old_mask = ::umask(0);
  auto mapping = NamedMapping::create_or_open("a/b c", 64);
  ::umask(old_mask);
  struct stat info {};
  ASSERT_EQ(::stat(("/dev/shm" + shm_name_for("a/b c")).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace platform
