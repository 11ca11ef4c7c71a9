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

// What a window manager does with a window that no longer fits where it
// stands: moves it towards the screen's corner.
WindowBox fittedByWindowManager(WindowBox box, const WindowBox& screen) {
  if (box.left + box.width > screen.left + screen.width) box.left = screen.left;
  if (box.top + box.height > screen.top + screen.height) box.top = screen.top;
  return box;
}

TEST(SizeRule, AfterSizesTheScreenCannotHoldTheTenBitWindowStandsBesideAgainOnTheScreen) {
  const WindowBox screen = {0, 0, 1280, 1024};
  Window10Place place;
  WindowBox window10 = {403, 20, 400, 400};
  const auto resize8 = [&](int width, int height) {
    WindowBox target = window10;
    if (window10FollowingWindow8({1, 20, width, height}, Window8Shape::Normal, window10, noLimit,
                                 noLimit, screen, place, target))
      window10 = fittedByWindowManager(target, screen);
  };
  resize8(1, 1);
  expectBox(window10, 403, 20, 1, 1);
  resize8(5000, 5000);
  expectBox(window10, 0, 0, 5000, 5000);
  EXPECT_TRUE(place.held);
  resize8(1, 5000);
  expectBox(window10, 403, 0, 1, 5000);
  resize8(5000, 1);
  expectBox(window10, 0, 20, 5000, 1);
  // Room again: beside the 8-bit window, where it stood before.
  resize8(400, 400);
  expectBox(window10, 403, 20, 400, 400);
  EXPECT_FALSE(place.held);

  // Left where none of it is on the screen, or hardly any (a window
  // manager's doing), it comes back wholly onto the screen, as little moved
  // as it takes; a screen need not start at 0.
  window10 = {235, 1022, 400, 400};
  resize8(420, 420);
  expectBox(window10, 235, 604, 420, 420);
  window10 = {-3000, -50, 400, 400};
  resize8(400, 400);
  expectBox(window10, 0, 0, 400, 400);
  WindowBox target;
  ASSERT_TRUE(window10FollowingWindow8({0, 0, 300, 200}, Window8Shape::Normal, {5000, 10, 1, 1},
                                       noLimit, noLimit, {-1280, 0, 2560, 1024}, place, target));
  expectBox(target, 980, 10, 300, 200);

  // As large as the screen still fits; a maximised 8-bit window holds the
  // place however large it is.
  window10 = {403, 20, 400, 400};
  resize8(1280, 1024);
  expectBox(window10, 0, 0, 1280, 1024);
  EXPECT_FALSE(place.held);
  window10 = {403, 20, 400, 400};
  ASSERT_TRUE(window10FollowingWindow8({0, 0, 1280, 1000}, Window8Shape::Maximised, window10,
                                       noLimit, noLimit, screen, place, target));
  expectBox(target, 403, 20, 1280, 1000);
  EXPECT_TRUE(place.held);
  // A place off the screen is not held as it is.
  place = Window10Place{};
  ASSERT_TRUE(window10FollowingWindow8({0, 0, 5000, 5000}, Window8Shape::Normal,
                                       {-3000, 5000, 400, 400}, noLimit, noLimit, screen, place,
                                       target));
  expectBox(target, 0, 1023, 5000, 5000);
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
