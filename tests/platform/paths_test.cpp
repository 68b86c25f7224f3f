#include "platform/error.h"
#include "platform/paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::paths {
namespace {

TEST(Paths, RelativeToTheScriptFolderAndBack) {
  const std::string base = "/u/Script/";
  EXPECT_EQ(make_relative("/u/Script/a.rb", base), "a.rb");
  EXPECT_EQ(make_relative("/u/Script/sub/a.rb", base), "sub/a.rb");
  EXPECT_EQ(make_relative("/u/other/b.rb", base), "../other/b.rb");
  EXPECT_EQ(make_relative("/x/y.rb", base), "../../x/y.rb");
  EXPECT_EQ(make_relative("/u/Script", base), "../Script");
  EXPECT_EQ(make_relative("/u/Scripts/c.rb", "/u/Script"), "../Scripts/c.rb");
  EXPECT_EQ(make_relative("rel/a.rb", base), "rel/a.rb");

  EXPECT_EQ(make_absolute("sub/a.rb", base), "/u/Script/sub/a.rb");
  EXPECT_EQ(make_absolute("../other/./b.rb", base), "/u/other/b.rb");
  EXPECT_EQ(make_absolute("../../../../b.rb", base), "/b.rb");
  EXPECT_EQ(make_absolute("/abs/a.rb", base), "/abs/a.rb");
  EXPECT_EQ(make_absolute("", base), "");
  for (const char* path : {"/u/Script/sub/a.rb", "/u/other/b.rb", "/x/y.rb"})
    EXPECT_EQ(make_absolute(make_relative(path, base), base), path);
}

TEST(Paths, PartsOfAPath) {
  EXPECT_EQ(folder_of("a/b.txt"), "a/");
  EXPECT_EQ(folder_of("b.txt"), "");
  EXPECT_EQ(file_name_of("/a/b.txt"), "b.txt");
  EXPECT_EQ(extension_of("a/b.txt"), ".txt");
  EXPECT_EQ(extension_of("a.d/b"), "");
  EXPECT_EQ(stem_of("a/*.txt"), "*");
  EXPECT_EQ(with_trailing_slash("a"), "a/");
  EXPECT_EQ(with_trailing_slash("a/"), "a/");
  EXPECT_EQ(with_trailing_slash(""), "");
}

TEST(Paths, CreatesMissingFolders) {
  std::string root = ::testing::TempDir() + "ztl_paths_" + std::to_string(::getpid());
  std::string deep = root + "/one/two/";
  create_folders(deep);
  create_folders(deep);  // already there: fine
  struct stat info {};
  ASSERT_EQ(::stat(deep.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_FALSE(file_exists(deep));

  std::ofstream(root + "/file") << "x";
  EXPECT_TRUE(file_exists(root + "/file"));
  EXPECT_THROW(create_folders(root + "/file/below"), SystemError);
  ::unlink((root + "/file").c_str());
  ::rmdir((root + "/one/two").c_str());
  ::rmdir((root + "/one").c_str());
  ::rmdir(root.c_str());
}

}  // namespace
}  // namespace platform::paths
