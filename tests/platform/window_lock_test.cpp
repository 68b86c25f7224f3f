// One window of the process holds the redraw lock at a time, and the window
// that draws hears each change of it once.
#include <gtest/gtest.h>

#include <vector>

#include <platform/window_lock.h>

namespace {

TEST(WindowLock, OneHolderAtATimeAndEachChangeHeardOnce) {
  std::vector<platform::WindowId> heard;
  platform::set_window_lock_handler([&](platform::WindowId locked) { heard.push_back(locked); });
  EXPECT_TRUE(platform::lock_window_update(6));
  EXPECT_TRUE(platform::lock_window_update(6));  // held already: nothing new to hear
  EXPECT_FALSE(platform::lock_window_update(2)) << "another window holds it";
  EXPECT_EQ(platform::locked_window(), 6u);
  EXPECT_TRUE(platform::lock_window_update(0));
  EXPECT_TRUE(platform::lock_window_update(0));
  EXPECT_EQ(platform::locked_window(), 0u);
  EXPECT_TRUE(platform::lock_window_update(2)) << "free again";
  platform::lock_window_update(0);
  EXPECT_EQ(heard, (std::vector<platform::WindowId>{6, 0, 2, 0}));
  platform::set_window_lock_handler({});
}

}  // namespace
