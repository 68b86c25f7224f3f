// The command icons as a host reads them: from the loaded Scriptlink.so, by
// module handle and resource identifier.
#include <dlfcn.h>

#include <cstdint>
#include <set>
#include <vector>

#include <gtest/gtest.h>
#include <platform/module_resources.h>

namespace {

constexpr std::uint32_t kTransparent = 0x800080;

std::vector<int> IconIds() {
  std::vector<int> ids{1, 2};
  for (int id = 10; id <= 36; ++id) ids.push_back(id);
  return ids;
}

class CommandIcons : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = ::dlopen(SCRIPTLINK_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << ::dlerror();
  }
  void TearDown() override {
    if (module_ != nullptr) ::dlclose(module_);
  }
  void* module_ = nullptr;
};

TEST_F(CommandIcons, EveryIdentifierIsADistinctSixteenColourPictureWithTransparency) {
  std::set<std::vector<std::uint32_t>> seen;
  for (int id : IconIds()) {
    SCOPED_TRACE(id);
    const std::optional<platform::Bitmap> bitmap = platform::load_bitmap(module_, id);
    ASSERT_TRUE(bitmap.has_value());
    EXPECT_EQ(bitmap->width, 16);
    EXPECT_EQ(bitmap->height, 16);
    ASSERT_EQ(bitmap->pixels.size(), 256u);
    const std::set<std::uint32_t> colours(bitmap->pixels.begin(), bitmap->pixels.end());
    EXPECT_LE(colours.size(), 16u);
    // Drawn on the transparent colour, and not only of it.
    EXPECT_TRUE(colours.count(kTransparent));
    EXPECT_GE(colours.size(), 2u);
    for (std::uint32_t pixel : bitmap->pixels) EXPECT_EQ(pixel & 0xFF000000u, 0u);
    EXPECT_TRUE(seen.insert(bitmap->pixels).second) << "the same picture as another identifier";
  }
}

TEST_F(CommandIcons, IdentifiersWithoutAPictureAndModulesWithoutATableGiveNothing) {
  for (int id : {0, 3, 9, 37, -1}) EXPECT_FALSE(platform::load_bitmap(module_, id).has_value()) << id;
  EXPECT_FALSE(platform::load_bitmap(nullptr, 10).has_value());
  // The test program carries no table, though the platform layer it links does
  // the looking.
  void* self = ::dlopen(nullptr, RTLD_LAZY);
  EXPECT_FALSE(platform::load_bitmap(self, 10).has_value());
}

TEST_F(CommandIcons, AModuleIsFoundByAnAddressInsideIt) {
  const void* table = ::dlsym(module_, platform::kResourceTableSymbol);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(platform::module_containing(table), module_);
  void* self = ::dlopen(nullptr, RTLD_LAZY);
  static int local_variable = 0;
  EXPECT_EQ(platform::module_containing(&local_variable), self);
  EXPECT_EQ(platform::module_containing(nullptr), nullptr);
  // What module_containing hands out reads the module's own pictures.
  EXPECT_TRUE(platform::load_bitmap(platform::module_containing(table), 36).has_value());
}

}  // namespace
