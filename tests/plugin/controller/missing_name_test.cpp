// A host that lacks one of the 121 names (which one is chosen at build time):
// start-up fails before it creates anything.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "fake_host.h"
#include "test_support.h"

namespace {

TEST(HostLackingAName, InitFailsAndCreatesNoFolder) {
  ASSERT_EQ(::dlsym(RTLD_DEFAULT, "ZTLPlugin_" ZTL_OMITTED_NAME), nullptr)
      << "the test host must not export the omitted name";
  scriptlink_test::TempFolder user;
  fake_host::user_folder = user.path();
  fake_host::PluginModule plugin;

  EXPECT_EQ(plugin.Init(fake_host::PluginModule::Path()), 0);
  EXPECT_FALSE(scriptlink_test::IsFolder(user.path() + "Script"));
  EXPECT_EQ(fake_host::user_folder_calls, 0) << "nothing may run after a missing name";
  // Nothing exists, so there are no commands to offer.
  EXPECT_EQ(plugin.SetPluginInfo(), nullptr);
  plugin.Unload();
}

}  // namespace
