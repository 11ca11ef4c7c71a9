// What each Wayland compositor (sway, Mutter, KWin) makes of the running
// program, read from its window list where it tells one and from the
// program's own report (key I) everywhere: both windows, full screen filling
// the output at F and the two windows back at F again, the compositor named,
// and SIGTERM.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <iostream>

#include "e2e.h"

// Types I until the report it prints holds test, for at most 30 s or while
// the program runs; the last whole report (empty when none came). A key
// typed before a window of the program has the keyboard goes nowhere:
// Mutter tells no client when its windows are up, so the key is typed again.
template <typename Test>
static std::string reportWhere(Desktop& screen, ChildProcess& program, Test test) {
  std::string report;
  // The last whole report that began after `from`, or empty.
  const auto reportAfter = [&](std::size_t from) {
    const std::string& output = program.output();
    const std::size_t start = output.rfind("Display chain check\n");
    const std::size_t verdict = output.find("\nVerdict: ", start);
    const bool whole = start != std::string::npos && start >= from &&
                       verdict != std::string::npos &&
                       output.find('\n', verdict + 1) != std::string::npos;
    return report = whole ? output.substr(start) : std::string();
  };
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (program.running() && std::chrono::steady_clock::now() < deadline) {
    const std::size_t from = program.output().size();
    EXPECT_TRUE(screen.typeKey(0, "i"));
    if (waitUntil([&] { return !reportAfter(from).empty(); }, 5) && test(report)) break;
  }
  return report;
}

static bool sameRect(const ScreenRect& a, const ScreenRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST(CompositorTest, WindowsFullScreenThatFillsTheOutputTheWindowsAgainAndSigterm) {
  if (!on(FrontEndKind::Wayland)) GTEST_SKIP() << "the Wayland compositors";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  PrivateCompositor& compositor = *deepColourScreen().compositor;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  const char* unlisted = screen->cannotListWindows();
  if (unlisted != nullptr)
    std::cout << "Not checked here: the windows' places (" << unlisted
              << "); the program's own report stands in.\n";
  auto program = startProgram(screen->environment());
  WindowId window8 = 0, window10 = 0;
  ScreenRect start8, start10;
  if (unlisted == nullptr) {
    window10 = screen->waitForWindow(title10, 90);
    window8 = screen->waitForWindow(title8, 30);
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
    start8 = screen->rectOf(window8);
    start10 = screen->rectOf(window10);
    // Side by side, neither covering the other: a Wayland client cannot
    // place its windows, but KWin takes places through plasma-shell.
    EXPECT_TRUE(start8.x + start8.width <= start10.x || start10.x + start10.width <= start8.x)
        << "the 8-bit window at " << start8.x << "," << start8.y << " and the 10-bit one at "
        << start10.x << "," << start10.y << " overlap";
    EXPECT_EQ(screen->appIds(), (std::vector<std::string>{LUMIVANE_APP_ID, LUMIVANE_APP_ID}));
  }
  const auto twoWindows = [](const std::string& report) {
    return report.find("\nPresentation: two windows\n") != std::string::npos;
  };
  const auto fullScreen = [&](const std::string& report) { return !twoWindows(report); };
  std::string report = reportWhere(*screen, *program, twoWindows);
  ASSERT_TRUE(twoWindows(report)) << "no report of both windows:\n" << program->output();
  EXPECT_NE(report.find("\nCompositor: " + compositor.name()), std::string::npos) << report;
  const std::vector<int> bits = reportRow(report, "Framebuffer bits (R G B A)");
  ASSERT_EQ(bits.size(), 8u) << report;
  EXPECT_EQ(std::vector<int>(bits.begin(), bits.begin() + 3), (std::vector<int>{8, 8, 8}));
  EXPECT_EQ(std::vector<int>(bits.begin() + 4, bits.end()), (std::vector<int>{10, 10, 10, 2}));

  // F: one surface over the whole output, its halves as tall as the output.
  const int width = compositor.outputWidth(), height = compositor.outputHeight();
  EXPECT_TRUE(screen->typeKey(window8, "f"));
  if (unlisted == nullptr) {
    const WindowId full = screen->waitForWindow(fullScreenTitle, 20);
    ASSERT_NE(full, 0u) << "no full-screen window after F";
    ScreenRect r;
    EXPECT_TRUE(waitUntil(
        [&] {
          return sameRect(r = screen->rectOf(full), {0, 0, width, height});
        },
        10))
        << "the full-screen window is " << r.width << "x" << r.height << " at " << r.x << "," << r.y
        << " on a " << width << "x" << height << " output";
  }
  report = reportWhere(*screen, *program, fullScreen);
  EXPECT_NE(report.find("\nPresentation: full screen (compositor)\n"), std::string::npos)
      << "the surface covers the output:\n"
      << report;
  expectHalvesFillTheOutput(report, width, height);

  // F again: the two windows where they were.
  EXPECT_TRUE(screen->typeKey(window8, "f"));
  if (unlisted == nullptr) {
    EXPECT_TRUE(waitUntil([&] { return !screen->hasWindowTitled(fullScreenTitle); }, 10))
        << "the full-screen window stays after F again";
    EXPECT_TRUE(sameRect(screen->rectOf(window8), start8));
    EXPECT_TRUE(sameRect(screen->rectOf(window10), start10));
  }
  EXPECT_TRUE(twoWindows(reportWhere(*screen, *program, twoWindows)))
      << "no report of both windows after F again:\n"
      << program->output();

  // SIGTERM closes the windows and ends the program as a shell expects.
  ASSERT_TRUE(program->signal(SIGTERM));
  EXPECT_EQ(exitStatus(*program, 30), 128 + SIGTERM);
  EXPECT_FALSE(program->endedBySignal()) << "the program ended abruptly, without closing anything";
  if (unlisted == nullptr) {
    EXPECT_FALSE(screen->hasWindowTitled(title10));
    EXPECT_FALSE(screen->hasWindowTitled(title8));
  }
  const std::string output = consoleText(program->output());
  EXPECT_EQ(output.rfind(startText() + "Display chain check\n", 0), 0u) << output;
  EXPECT_EQ(output.find("ERROR: "), std::string::npos) << output;
  EXPECT_EQ(output.find("NOTE: "), std::string::npos) << output;
}
