// Windows nobody sees on Wayland: sway tells a client nothing when its
// window goes to a workspace nobody sees; the program learns it from the
// frame callbacks that stop coming. (X11's hidden windows are tested under
// openbox.)
#include <gtest/gtest.h>

#include <iostream>

#include "e2e.h"

TEST(HiddenWindowTest, WindowsOnAnotherWorkspaceCostLittleNeverStallTheOtherAndComeBack) {
  if (!on(FrontEndKind::Wayland)) GTEST_SKIP() << "X11's hidden windows are tested under openbox";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  SwayScreen sway(*deepColourScreen().compositor);
  auto program = startProgram({deepColourScreen().compositor->environment()});
  const WindowId window10 = sway.waitForWindow(title10, 90);
  const WindowId window8 = sway.waitForWindow(title8, 30);
  ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
  ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  // Painted with its logo, and a later picture that differs.
  const auto animates = [&](WindowId window) {
    const ScreenImage first = sway.grab(sway.rectOf(window));
    return waitUntil(
        [&] {
          const ScreenImage now = sway.grab(sway.rectOf(window));
          return logoPixels(now) > 100 && !samePicture(first, now);
        },
        10);
  };
  const double shown = cpuSecondsOver(program->pid(), 3.0);

  ASSERT_TRUE(sway.moveToWorkspace(window8, "2"));
  EXPECT_TRUE(animates(window10)) << "the 10-bit window stopped with the hidden 8-bit window";
  ASSERT_TRUE(sway.moveToWorkspace(window10, "2"));
  const double hidden = cpuSecondsOver(program->pid(), 3.0);
  std::cout << "CPU over 3 s: " << shown << " s with both windows shown, " << hidden
            << " s with both on a workspace nobody sees\n";
  ASSERT_GT(shown, 0.0) << "the program's CPU time could not be read";
  EXPECT_LT(hidden, shown / 4) << "hidden windows are still drawn";

  // Back in their order, both are painted again with the scene run on.
  ASSERT_TRUE(sway.moveToWorkspace(window10, "1"));
  ASSERT_TRUE(sway.moveToWorkspace(window8, "1"));
  EXPECT_TRUE(animates(window10)) << "the 10-bit window did not come back painted";
  EXPECT_TRUE(animates(window8)) << "the 8-bit window did not come back painted";
  EXPECT_TRUE(sway.requestClose(window8));
  EXPECT_EQ(exitStatus(*program), 0) << "closing the 8-bit window ends it";
  EXPECT_EQ(consoleText(program->output()), startText());
}
