#include "viewer/size_rule.h"

#include <gtest/gtest.h>

namespace {

constexpr int noLimit = 1 << 30;

// One size change of the 8-bit window; the 10-bit window's box afterwards.
WindowBox follow(const WindowBox& window8, Window8Shape shape, const WindowBox& window10,
                 Window10Place& place, int maxSide = noLimit) {
  WindowBox target = window10;
  if (!window10FollowingWindow8(window8, shape, window10, maxSide, maxSide, place, target))
    return window10;
  return target;
}

void expectBox(const WindowBox& box, int left, int top, int width, int height) {
  EXPECT_EQ(box.left, left);
  EXPECT_EQ(box.top, top);
  EXPECT_EQ(box.width, width);
  EXPECT_EQ(box.height, height);
}

TEST(SizeRule, TenBitWindowTakesTheEightBitSizeAtItsOwnPlace) {
  Window10Place place;
  expectBox(follow({0, 0, 500, 300}, Window8Shape::Normal, {400, 0, 400, 400}, place), 400, 0, 500,
            300);
  // Wherever the two stand (a window manager may have moved either), only
  // the size carries over.
  expectBox(follow({-30, 700, 120, 90}, Window8Shape::Normal, {1200, 35, 640, 480}, place), 1200,
            35, 120, 90);
  EXPECT_FALSE(place.held);
}

TEST(SizeRule, MinimisedOrEmptyEightBitWindowLeavesTheTenBitWindowAlone) {
  Window10Place place;
  const WindowBox window10 = {400, 0, 400, 400};
  WindowBox target = {1, 2, 3, 4};
  EXPECT_FALSE(window10FollowingWindow8({-32000, -32000, 152, 1}, Window8Shape::Minimised, window10,
                                        noLimit, noLimit, place, target));
  EXPECT_FALSE(window10FollowingWindow8({0, 0, 0, 400}, Window8Shape::Normal, window10, noLimit,
                                        noLimit, place, target));
  EXPECT_FALSE(window10FollowingWindow8({0, 0, 400, 0}, Window8Shape::Normal, window10, noLimit,
                                        noLimit, place, target));
  // Restored: the restored size again.
  expectBox(follow({0, 0, 450, 420}, Window8Shape::Normal, window10, place), 400, 0, 450, 420);
}

TEST(SizeRule, AfterAMaximisedEightBitWindowTheTenBitWindowGoesBackToItsPlace) {
  Window10Place place;
  WindowBox window10 = {401, 20, 400, 400};
  window10 = follow({0, 0, 1280, 1004}, Window8Shape::Maximised, window10, place);
  expectBox(window10, 401, 20, 1280, 1004);
  EXPECT_TRUE(place.held);
  // The window manager fits the grown window onto the screen, and may send
  // more size changes while the 8-bit window stays maximised.
  window10.left = 1;
  window10 = follow({0, 0, 1280, 1000}, Window8Shape::Maximised, window10, place);
  expectBox(window10, 401, 20, 1280, 1000);
  window10.left = 1;
  window10 = follow({0, 0, 400, 400}, Window8Shape::Normal, window10, place);
  expectBox(window10, 401, 20, 400, 400);
  EXPECT_FALSE(place.held);
  // From then on the 10-bit window's place is wherever it is moved to.
  window10.left = 900;
  expectBox(follow({0, 0, 300, 300}, Window8Shape::Normal, window10, place), 900, 20, 300, 300);
}

TEST(SizeRule, NeverLargerThanTheContextCanDraw) {
  Window10Place place;
  expectBox(follow({0, 0, 32767, 32767}, Window8Shape::Normal, {400, 0, 400, 400}, place, 16384),
            400, 0, 16384, 16384);
  expectBox(follow({0, 0, 20000, 300}, Window8Shape::Normal, {400, 0, 400, 400}, place, 16384), 400,
            0, 16384, 300);
  expectBox(follow({0, 0, 16384, 16384}, Window8Shape::Normal, {400, 0, 400, 400}, place, 16384),
            400, 0, 16384, 16384);
  WindowBox target = {};
  ASSERT_TRUE(window10FollowingWindow8({0, 0, 700, 30000}, Window8Shape::Normal, {400, 0, 400, 400},
                                       16000, 8000, place, target));
  EXPECT_EQ(target.width, 700);
  EXPECT_EQ(target.height, 8000);
}

}  // namespace
