#include "viewer/size_rule.h"

#include <gtest/gtest.h>

namespace {

TEST(SizeRule, TenBitWindowTakesTheEightBitSizeAtItsOwnPlace) {
  const WindowBox moved = window10FollowingWindow8({0, 0, 500, 300}, {400, 0, 400, 400});
  EXPECT_EQ(moved.left, 400);
  EXPECT_EQ(moved.top, 0);
  EXPECT_EQ(moved.width, 500);
  EXPECT_EQ(moved.height, 300);

  // Wherever the two stand (a window manager may have moved either), only
  // the size carries over.
  const WindowBox elsewhere = window10FollowingWindow8({-30, 700, 120, 90}, {1200, 35, 640, 480});
  EXPECT_EQ(elsewhere.left, 1200);
  EXPECT_EQ(elsewhere.top, 35);
  EXPECT_EQ(elsewhere.width, 120);
  EXPECT_EQ(elsewhere.height, 90);
}

}  // namespace
