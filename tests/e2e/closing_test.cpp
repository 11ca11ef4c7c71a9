// Ending the program from outside: closing or destroying either window ends
// it as Escape does; SIGINT and SIGTERM end the native program as a shell
// expects.
#include <gtest/gtest.h>
#include <signal.h>

#include "e2e.h"

TEST(ClosingAWindowTest, ClosingOrDestroyingEitherWindowEndsTheProgramWithZero) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  ASSERT_TRUE(screen->ok());
  if (const char* why = screen->cannotListWindows()) GTEST_SKIP() << why;
  // Another client may also destroy a window outright (xkill's kin); Wine's
  // own X windows are not the Windows program's to mend.
  for (const bool destroy : {false, true}) {
    if (destroy && !on(FrontEndKind::X11)) continue;
    const std::string how = destroy ? "destroying" : "closing";
    for (const char* title : {title10, title8}) {
      SCOPED_TRACE(how + " '" + title + "'");
      const ShownProgram shown = startShown(*screen);
      ASSERT_NE(shown.window10, 0u) << "the 10-bit window never appeared";
      ASSERT_NE(shown.window8, 0u) << "the 8-bit window never appeared";
      const WindowId window = std::string(title) == title10 ? shown.window10 : shown.window8;
      if (destroy) {
        // The timer paints the window it is about to lose.
        EXPECT_TRUE(screen->changes(window));
        screen->x()->destroy(window);
      } else {
        EXPECT_TRUE(screen->requestClose(window));
      }
      EXPECT_EQ(exitStatus(*shown.process), 0);
      EXPECT_EQ(consoleText(shown.process->output()), startText());
    }
  }
  expectNoErrors(screen->unexpectedErrors());
}

TEST(SignalTest, InterruptAndTerminateCloseTheWindowsAndExitAsShellsExpect) {
  if (onWine()) GTEST_SKIP() << "Wine turns signals into its own process ending";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  for (const int number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE("signal " + std::to_string(number));
    const ShownProgram shown = startShown(*screen);
    ASSERT_NE(shown.window8, 0u) << "the 8-bit window never appeared";
    // Running its loop: the timer paints.
    EXPECT_TRUE(screen->changes(shown.window8));
    ASSERT_TRUE(shown.process->signal(number));
    EXPECT_EQ(exitStatus(*shown.process, 30), 128 + number);
    EXPECT_FALSE(shown.process->endedBySignal())
        << "the program ended abruptly, without closing anything";
    EXPECT_EQ(consoleText(shown.process->output()), startText());
    EXPECT_FALSE(screen->hasWindowTitled(title10));
  }
}
