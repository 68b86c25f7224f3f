// The default namespace: a random key kept in the user's private runtime
// folder, the same for every process of the user, refused when tampered with.
#include "platform/error.h"
#include "platform/kernel_namespace.h"
#include "platform/named_mapping.h"
#include "../../platform/src/keyed_hash.h"
#include "scratch_space.h"
#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

using test::ScopedVariable;
using test::ScratchFolder;

class DefaultNamespace : public ::testing::Test {
 protected:
  std::string folder() const { return runtime / "zentrella"; }
  std::string key_file() const { return folder() + "/namespace-key"; }
  std::string prefix() const { return "u" + std::to_string(::geteuid()) + "-"; }

  // A key file put there by hand, as a tamperer would.
  void plant_key(const std::string& content, mode_t mode) {
    ASSERT_EQ(::mkdir(folder().c_str(), 0700), 0);
    test::write_text(key_file(), content);
    ASSERT_EQ(::chmod(key_file().c_str(), mode), 0);
  }

  std::string refusal() {
    try {
      kernel_namespace();
    } catch (const SystemError& error) {
      return error.what();
    }
    ADD_FAILURE() << "not refused";
    return {};
  }

  ScratchFolder runtime;
  ScopedVariable runtime_dir{"XDG_RUNTIME_DIR", runtime.path()};
  ScopedVariable no_choice{kNamespaceVariable, std::nullopt};
};

TEST_F(DefaultNamespace, IsTheUserAndARandomKeyKeptPrivately) {
  std::string ns = kernel_namespace();
  ASSERT_EQ(ns.size(), prefix().size() + 32) << ns;
  EXPECT_EQ(ns.substr(0, prefix().size()), prefix());
  EXPECT_EQ(ns.find_first_not_of("0123456789abcdef", prefix().size()), std::string::npos) << ns;
  EXPECT_EQ(kernel_namespace(), ns);
  EXPECT_EQ(test::file_text(key_file()), ns.substr(prefix().size()));

  struct stat info {};
  ASSERT_EQ(::lstat(key_file().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  ASSERT_EQ(::lstat(folder().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);

  // Another runtime folder is another user session: a key of its own.
  ScratchFolder elsewhere;
  ScopedVariable moved{"XDG_RUNTIME_DIR", elsewhere.path()};
  EXPECT_NE(kernel_namespace(), ns);
}

TEST_F(DefaultNamespace, ProcessesStartingTogetherAgreeOnOneKey) {
  constexpr int kProcesses = 4;
  test::ReadyPipe go;
  std::vector<pid_t> children;
  for (int i = 0; i < kProcesses; ++i) {
    children.push_back(test::start_child([&, i] {
      go.wait();
      test::write_text(runtime / ("seen" + std::to_string(i)), kernel_namespace());
      return 0;
    }));
  }
  for (int i = 0; i < kProcesses; ++i) go.signal();
  for (pid_t child : children) ASSERT_EQ(test::wait_child(child), 0);
  std::string ns = kernel_namespace();
  for (int i = 0; i < kProcesses; ++i) EXPECT_EQ(test::file_text(runtime / ("seen" + std::to_string(i))), ns);
}

TEST_F(DefaultNamespace, ChosenNamespaceNeedsNoKey) {
  ScopedVariable chosen{kNamespaceVariable, "chosen.ns-1"};
  EXPECT_EQ(kernel_namespace(), "chosen.ns-1");
  EXPECT_NE(::access(folder().c_str(), F_OK), 0);
}

TEST_F(DefaultNamespace, KeyOthersCanReadIsRefused) {
  plant_key(std::string(32, 'a'), 0644);
  std::string message = refusal();
  EXPECT_NE(message.find(key_file() + " is open to other users (mode 0644)"), std::string::npos) << message;
}

TEST_F(DefaultNamespace, DamagedKeyIsRefused) {
  for (const std::string& content : {std::string(), std::string(31, 'a'), std::string(32, 'a') + "\n",
                                     std::string(32, 'A'), std::string(31, 'a') + "g"}) {
    ScratchFolder other;
    ScopedVariable moved{"XDG_RUNTIME_DIR", other.path()};
    std::string file = other / "zentrella/namespace-key";
    ASSERT_EQ(::mkdir((other / "zentrella").c_str(), 0700), 0);
    test::write_text(file, content);
    ::chmod(file.c_str(), 0600);
    std::string message = refusal();
    EXPECT_NE(message.find(file + " does not hold 32 hex digits"), std::string::npos) << message;
    EXPECT_EQ(test::file_text(file), content) << "replaced";
  }
}

TEST_F(DefaultNamespace, KeyThatIsALinkIsRefused) {
  ASSERT_EQ(::mkdir(folder().c_str(), 0700), 0);
  test::write_text(runtime / "elsewhere", std::string(32, 'b'));
  ::chmod((runtime / "elsewhere").c_str(), 0600);
  ASSERT_EQ(::symlink((runtime / "elsewhere").c_str(), key_file().c_str()), 0);
  EXPECT_NE(refusal().find("is a link"), std::string::npos);
}

TEST_F(DefaultNamespace, FolderOthersCanReachIsRefused) {
  ASSERT_EQ(::mkdir(folder().c_str(), 0755), 0);
  ::chmod(folder().c_str(), 0755);
  std::string message = refusal();
  EXPECT_NE(message.find("the runtime folder " + folder() + " is open to other users (mode 0755)"),
            std::string::npos)
      << message;
}

TEST_F(DefaultNamespace, FolderThatIsALinkIsRefused) {
  ScratchFolder target;
  ASSERT_EQ(::symlink(target.path().c_str(), folder().c_str()), 0);
  std::string message = refusal();
  EXPECT_NE(message.find(folder()), std::string::npos) << message;
  EXPECT_NE(::access((target / "namespace-key").c_str(), F_OK), 0);
}

// Files of another owner take root to make (chown).
TEST_F(DefaultNamespace, KeyOrFolderOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root; run the tests as root";
  plant_key(std::string(32, 'c'), 0600);
  ASSERT_EQ(::chown(key_file().c_str(), 65534, 65534), 0);
  std::string message = refusal();
  EXPECT_NE(message.find(key_file() + " belongs to user nobody (uid 65534)"), std::string::npos) << message;

  ASSERT_EQ(::chown(folder().c_str(), 65534, 65534), 0);
  message = refusal();
  EXPECT_NE(message.find("the runtime folder " + folder() + " belongs to user nobody"), std::string::npos)
      << message;
}

// The reference vectors of the 128-bit keyed hash (key 00..0f, messages 00..n-1).
TEST(KeyedHash, MatchesTheReferenceVectors) {
  detail::HashKey key{};
  for (std::size_t i = 0; i < key.size(); ++i) key[i] = static_cast<std::uint8_t>(i);
  auto hex = [](const detail::Hash128& hash) {
    std::string text;
    for (std::uint8_t byte : hash) text += "0123456789abcdef"[byte >> 4], text += "0123456789abcdef"[byte & 15];
    return text;
  };
  std::string message;
  EXPECT_EQ(hex(detail::keyed_hash(key, message)), "a3817f04ba25a8e66df67214c7550293");
  for (char c = 0; c < 15; ++c) message += c;
  EXPECT_EQ(hex(detail::keyed_hash(key, message)), "5493e99933b0a8117e08ec0f97cfc3d9");
}

// Everyone can list /dev/shm: a name there must give away neither the key nor
// which object it is, or another user could take the next channel's name first.
TEST_F(DefaultNamespace, ObjectNamesShowNeitherKeyNorObject) {
  const std::string ns = kernel_namespace();
  const std::string key = ns.substr(prefix().size());
  const std::string name = shm_name_for("EVENT_ZTL_RUBY_HOST_WAIT");
  EXPECT_EQ(name.rfind("/ztl+" + prefix().substr(0, prefix().size() - 1) + "=", 0), 0u) << name;
  EXPECT_EQ(name.find(key), std::string::npos) << name;
  EXPECT_EQ(name.find("EVENT"), std::string::npos) << name;
  EXPECT_EQ(shm_name_for("EVENT_ZTL_RUBY_HOST_WAIT"), name);
  EXPECT_NE(shm_name_for("EVENT_ZTL_RUBY_HOST_WAIT1"), name);

  auto mapping = NamedMapping::create_or_open("EVENT_ZTL_RUBY_HOST_WAIT", 64);
  struct stat info {};
  EXPECT_EQ(::stat(("/dev/shm" + name).c_str(), &info), 0);

  ScratchFolder elsewhere;
  ScopedVariable moved{"XDG_RUNTIME_DIR", elsewhere.path()};
  EXPECT_NE(shm_name_for("EVENT_ZTL_RUBY_HOST_WAIT"), name) << "another key, other names";
}

}  // namespace
}  // namespace platform
