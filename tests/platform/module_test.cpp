#include "platform/module.h"

#include <gtest/gtest.h>

extern "C" __attribute__((visibility("default"))) int ztl_test_exported_function() { return 42; }

namespace platform {
namespace {

TEST(Module, HandleIsFixedAndAbove32AndProceduresAreFoundByName) {
  std::uint32_t handle = executable_module_handle();
  EXPECT_GT(handle, 32u);
  EXPECT_EQ(executable_module_handle(), handle);

  auto* found = reinterpret_cast<int (*)()>(executable_procedure("ztl_test_exported_function"));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found(), 42);
  EXPECT_EQ(executable_procedure("ztl_no_such_function"), nullptr);
}

}  // namespace
}  // namespace platform
