// Named objects that another user made first, or that others can reach, are
// refused with an error naming the object and its owner, and never joined.
#include "platform/error.h"
#include "platform/kernel_namespace.h"
#include "platform/named_event.h"
#include "platform/named_mapping.h"
#include "platform/named_mutex.h"
#include "platform/orphaned_objects.h"
#include "test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <sys/stat.h>

namespace platform {
namespace {

using test::ScopedNamespace;

std::string shm_path(const std::string& name) { return "/dev/shm" + shm_name_for(name); }

struct stat stat_of(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) ADD_FAILURE() << "no " << path;
  return info;
}

// The message of what call throws as SystemError; empty (and a failure) if it throws nothing.
std::string refusal(const std::function<void()>& call) {
  try {
    call();
  } catch (const SystemError& error) {
    return error.what();
  }
  ADD_FAILURE() << "not refused";
  return {};
}

bool have_setpriv() { return std::system("command -v setpriv >/dev/null 2>&1") == 0; }

// The squatting side runs as nobody, which takes root to become.
class AnotherUser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "acting as another user needs root; run the tests as root";
    if (!have_setpriv()) GTEST_SKIP() << "setpriv is not installed";
  }
  void TearDown() override {
    for (const std::string& path : planted_) ::unlink(path.c_str());
  }

  // Runs a shell command as nobody; the test fails if it does not succeed.
  void as_nobody(const std::string& command) {
    std::string line = "setpriv --reuid=nobody --regid=nogroup --clear-groups sh -c '" + command + "'";
    ASSERT_EQ(std::system(line.c_str()), 0) << line;
  }

  // nobody makes the object's name first, with the given mode.
  void squat(const std::string& name, const char* mode) {
    std::string path = shm_path(name);
    planted_.push_back(path);
    as_nobody("printf squatted > " + path + " && chmod " + mode + " " + path);
  }

  ScopedNamespace ns;
  std::vector<std::string> planted_;
};

TEST_F(AnotherUser, SquattedObjectsAreRefusedNamingTheOwner) {
  squat("FILEMAP_SQUATTED", "666");
  squat("EVENT_SQUATTED", "644");
  squat("MUTEX_SQUATTED", "600");

  for (const std::string& message :
       {refusal([] { NamedMapping::create_or_open("FILEMAP_SQUATTED", 1024); }),
        refusal([] { NamedMapping::open("FILEMAP_SQUATTED", 1024); }),
        refusal([] { NamedMapping::try_open("FILEMAP_SQUATTED", 1024); })}) {
    EXPECT_NE(message.find("the named object FILEMAP_SQUATTED belongs to user nobody (uid 65534)"),
              std::string::npos)
        << message;
  }
  EXPECT_NE(refusal([] { NamedEvent::create_or_open("EVENT_SQUATTED"); }).find("nobody"), std::string::npos);
  EXPECT_NE(refusal([] { NamedEvent::try_open("EVENT_SQUATTED"); }).find("nobody"), std::string::npos);
  EXPECT_NE(refusal([] { NamedMutex::create_or_open("MUTEX_SQUATTED"); }).find("nobody"), std::string::npos);

  // Not joined: the squatter's object is exactly as he left it, and still his.
  for (const char* name : {"FILEMAP_SQUATTED", "EVENT_SQUATTED", "MUTEX_SQUATTED"}) {
    struct stat info = stat_of(shm_path(name));
    EXPECT_EQ(info.st_uid, 65534u) << name;
    EXPECT_EQ(info.st_size, 8) << name;
  }
}

TEST_F(AnotherUser, PlantedLinkIsRefusedNamingItsOwner) {
  auto ours = NamedMapping::create_or_open("FILEMAP_TARGET", 64);
  std::string link = shm_path("FILEMAP_LINKED");
  planted_.push_back(link);
  as_nobody("ln -s " + shm_path("FILEMAP_TARGET") + " " + link);
  std::string message = refusal([] { NamedMapping::create_or_open("FILEMAP_LINKED", 64); });
  EXPECT_NE(message.find("FILEMAP_LINKED belongs to user nobody"), std::string::npos) << message;
}

TEST_F(AnotherUser, SweepLeavesOtherUsersObjectsAlone) {
  squat("swept-not", "600");
  remove_orphaned_objects();
  EXPECT_EQ(stat_of(shm_path("swept-not")).st_uid, 65534u);
}

// A user that cannot open the squatted object at all (no root powers) still
// learns whose it is, not just "Permission denied".
TEST_F(AnotherUser, UnopenableObjectNamesItsOwner) {
  auto ours = NamedEvent::create_or_open("EVENT_OF_ROOT");
  int code = test::run_in_child([] {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
    try {
      NamedEvent::create_or_open("EVENT_OF_ROOT");
    } catch (const SystemError& error) {
      std::string message = error.what();
      return message.find("EVENT_OF_ROOT belongs to user root (uid 0)") != std::string::npos ? 0 : 1;
    }
    return 4;  // joined
  });
  EXPECT_EQ(code, 0);
}

// Our own name, but made by someone (an older build, a slip of umask) so that
// others can reach it: refused, not joined, and left where it is.
TEST(OwnObject, OpenToOthersIsRefused) {
  ScopedNamespace ns;
  std::string path = shm_path("FILEMAP_OPEN");
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fchmod(fd, 0644), 0);
  ::close(fd);

  std::string message = refusal([] { NamedMapping::create_or_open("FILEMAP_OPEN", 64); });
  EXPECT_NE(message.find("the named object FILEMAP_OPEN is open to other users (mode 0644)"),
            std::string::npos)
      << message;
  EXPECT_NE(refusal([] { NamedMapping::try_open("FILEMAP_OPEN", 64); }).find("mode 0644"),
            std::string::npos);
  remove_orphaned_objects();
  struct stat info = stat_of(path);
  EXPECT_EQ(info.st_size, 0);
  ::unlink(path.c_str());
}

TEST(OwnObject, LongestNamespaceAndNameStillMakeAnObject) {
  test::ScopedNamespace ns;
  ::setenv(kNamespaceVariable, std::string(64, 'n').c_str(), 1);
  std::string name(400, '/');
  EXPECT_LE(shm_name_for(name).size() - 1, static_cast<std::size_t>(NAME_MAX));
  auto mapping = NamedMapping::create_or_open(name, 64);
  EXPECT_TRUE(NamedMapping::try_open(name, 64).has_value());
}

}  // namespace
}  // namespace platform
