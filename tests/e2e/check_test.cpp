// --check: the report on a deep-colour screen, the verdict from the X
// output's properties, the failures and the usage; and the report at a
// Wayland output's scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "e2e.h"
#include "support/edid_bytes.h"

TEST(CheckTest, ReportsWhatEachWindowHoldsOnADeepColourScreen) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  const CheckRun run = runCheck(screen->environment(), {"--check"});
  const std::size_t table = run.output.find("Display chain check");
  ASSERT_NE(table, std::string::npos) << run.output;
  std::cout << run.output.substr(table);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output.rfind(startText() + "Display chain check\n", 0), 0u) << run.output;
  expectDeepColourReport(run.output);
  const std::string start = startText();
  const int reportLines = on(FrontEndKind::X11)           ? 15
                          : on(FrontEndKind::WindowsDxgi) ? 17
                          : on(FrontEndKind::Wayland)     ? (screenReadBack() ? 16 : 14)
                                                          : 13;
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'),
            std::count(start.begin(), start.end(), '\n') + reportLines)
      << "the presentation line, the table (with the levels on screen where it is read back), "
         "the two pixels lines, the desktop's composition on Windows, the compositor and its "
         "composition on Wayland and one verdict line:\n"
      << run.output;
  EXPECT_FALSE(screen->hasWindowTitled(title10)) << "no window left behind";
}

TEST(CheckTest, VerdictFollowsTheOutputsMaxBpcAndTheMonitorsEdid) {
  if (!on(FrontEndKind::X11)) GTEST_SKIP() << "only the X11 front end reads the X output";
  PrivateXServer server(30);
  ASSERT_FALSE(server.name().empty()) << "Xvfb at depth 30 did not start";
  XScreen screen(server.name());
  ASSERT_TRUE(screen.ok());
  struct Case {
    long maxBpc;
    unsigned char videoInput;  // EDID 1.4: digital, DisplayPort, 8 or 10 bits
    int status;
    const char* outputLine;
    const char* verdict;
  };
  const Case cases[] = {
      {8, 0xb5, 1,
       "Output: screen, max bpc 8, monitor digital DisplayPort, 10 bits per colour (EDID 1.4)\n",
       "Verdict: the 10-bit window holds 104 of 104 levels on screen, but output screen runs at "
       "max bpc 8 (xrandr --output screen --set \"max bpc\" 10).\n"},
      {10, 0xa5, 1,
       "Output: screen, max bpc 10, monitor digital DisplayPort, 8 bits per colour (EDID 1.4)\n",
       "Verdict: the 10-bit window holds 104 of 104 levels on screen, but the monitor on output "
       "screen declares only 8 bits per colour: it cannot show 10 bits (at best it dithers).\n"},
      {10, 0xb5, 0,
       "Output: screen, max bpc 10, monitor digital DisplayPort, 10 bits per colour (EDID 1.4)\n",
       "Verdict: every link seen carries 10 bits: the 10-bit window holds 104 of 104 levels on "
       "screen, output screen and its monitor take 10 bits or more.\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(screen.setOutputProperties(c.maxBpc, edidBlock(4, c.videoInput)));
    const CheckRun run = runCheck(xProgramEnvironment(server.name()), {"--check"});
    std::cout << run.output.substr(run.output.find("Output: "));
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.outputLine), std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(run.output.find("Verdict: ")), c.verdict);
  }
  expectNoErrors(screen.unexpectedErrors());
}

// sway at its default render_bit_depth composes the output at 8 bits: both
// windows band alike on screen, in full screen too, and the check names the
// composition with sway's remedy.
TEST(CheckTest, OnAnEightBitSwayTheVerdictNamesTheComposition) {
  if (!on(FrontEndKind::Wayland)) GTEST_SKIP() << "sway's composition is Wayland's";
  PrivateCompositor compositor(CompositorKind::SwayEightBit);
  ASSERT_FALSE(compositor.socket().empty()) << "sway did not start";
  for (const char* presentation : {"two windows", "full screen (compositor)"}) {
    const bool full = std::string(presentation) != "two windows";
    const CheckRun run = runCheck({compositor.environment()},
                                  full ? std::vector<std::string>{"--fullscreen", "--check"}
                                       : std::vector<std::string>{"--check"});
    const std::string& report = run.output;
    std::cout << report.substr(std::min(report.find("Display chain check"), report.size()));
    EXPECT_EQ(run.status, 1) << report;
    EXPECT_NE(report.find(std::string("\nPresentation: ") + presentation + "\n"), std::string::npos)
        << report;
    EXPECT_EQ(reportRow(report.substr(report.find("Narrow ramp")), "  levels on screen"),
              (std::vector<int>{26, 26}))
        << report;
    EXPECT_EQ(report.substr(std::min(report.find("Composition: "), report.size())),
              std::string("Composition: 8 bits per colour (the compositor's screen copy is "
                          "XRGB8888)\nVerdict: the 10-bit ") +
                  (full ? "half" : "window") +
                  " holds 104 of 104 levels in its framebuffer, but only 26 reach the screen: the "
                  "compositor composes output HEADLESS-1 at 8 bits per colour (sway: output "
                  "HEADLESS-1 render_bit_depth 10; other wlroots compositors: their own output "
                  "settings).\n");
  }
}

TEST(CheckTest, ScreenWithoutTenBitColourEndsWithTheErrorLineAndMinusOne) {
  if (frontEnd->noDeepColourLine == nullptr) GTEST_SKIP() << "this front end goes on at 8 bits";
  const ShallowScreen shallow;
  ASSERT_NE(shallow.desktop, nullptr) << shallowScreenMissing;
  const CheckRun run = runCheck(shallow.desktop->environment(), {"--check"});
  EXPECT_EQ(run.output, consoleBanner + noDeepColourText());
  EXPECT_EQ(run.status, 255);
}

TEST(CheckTest, AnyOtherArgumentPrintsTheUsageAndTwo) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--chek"}, std::vector<std::string>{"--check", "now"}}) {
    const CheckRun run = runCheck(screen->environment(), arguments);
    EXPECT_EQ(run.output, frontEnd->usage);
    EXPECT_EQ(run.status, 2);
  }
}

// Rows of the image where the grey of this column changes from the row above,
// counted apart for even and odd rows.
static void stepsDown(const ScreenImage& image, int x, int& even, int& odd) {
  even = odd = 0;
  for (int y = 1; y < image.height; ++y)
    if (image.at(x, y).r != image.at(x, y - 1).r) ++(y % 2 ? odd : even);
}

// The column with the most background greys (between low and high), where
// the ramp shows from top to bottom.
static int backgroundColumn(const ScreenImage& image, double low, double high) {
  int best = 0, bestCount = -1;
  for (int x = 0; x < image.width; ++x) {
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
      const ScreenPixel& p = image.at(x, y);
      count += p.r == p.g && p.g == p.b && p.r >= low * image.maxLevel - 1 &&
               p.r <= high * image.maxLevel + 1;
    }
    if (count > bestCount) {
      best = x;
      bestCount = count;
    }
  }
  return best;
}

// On an output of scale 2 each window's buffer is drawn at twice its
// logical size, so the compositor shows its pixels 1:1: the 8-bit window's
// ramp stays on the 8-bit grid (an enlarged buffer would blend its bands'
// edges), and the 10-bit window's steps fall on odd rows as well as even
// ones (a buffer of half the size, doubled, steps on even rows only).
TEST(ScaledOutputTest, WindowsAreDrawnAtTheOutputsScaleOneToOne) {
  if (!on(FrontEndKind::Wayland)) GTEST_SKIP() << "whole-number output scales are Wayland's";
  PrivateCompositor compositor(CompositorKind::SwayTenBitScaleTwo);
  ASSERT_FALSE(compositor.socket().empty()) << "sway at scale 2 did not start";
  SwayScreen sway(compositor);
  {
    const std::unique_ptr<ChildProcess> program = startProgram({compositor.environment()});
    const unsigned long window10 = sway.waitForWindow(title10, 90);
    const unsigned long window8 = sway.waitForWindow(title8, 30);
    ASSERT_NE(window10, 0u);
    ASSERT_NE(window8, 0u);
    EXPECT_EQ(sway.appIds(), (std::vector<std::string>{LUMIVANE_APP_ID, LUMIVANE_APP_ID}));
    // Lights and logo off: the greys from 0.4 to 0.6 are the background's.
    EXPECT_TRUE(sway.typeKeys({"1", "2", "n"}));
    const ScreenRect rect10 = sway.rectOf(window10), rect8 = sway.rectOf(window8);
    ASSERT_EQ(rect10.height, 400) << "logical pixels";
    const int expected8 = rampLevels(0.4, 0.6, 2 * rect8.width, 2 * rect8.height, 255);
    const int expected10 = rampLevels(0.4, 0.6, 2 * rect10.width, 2 * rect10.height, 1023);
    ScreenImage image10, image8;
    std::set<int> levels10, levels8;
    int even = 0, odd = 0;
    waitUntil(
        [&] {
          image10 = sway.grabScaled(rect10, 2);
          image8 = sway.grabScaled(rect8, 2);
          levels10 = greyLevels(image10, 0.4, 0.6);
          levels8 = greyLevels(image8, 0.4, 0.6);
          if (image10.height > 0)
            stepsDown(image10, backgroundColumn(image10, 0.4, 0.6), even, odd);
          return std::abs(static_cast<int>(levels10.size()) - expected10) <= 1 &&
                 std::abs(static_cast<int>(levels8.size()) - expected8) <= 1 &&
                 brightest(image10) < 0.61;
        },
        10);
    std::cout << "scale 2: windows " << image8.width << "x" << image8.height << " and "
              << image10.width << "x" << image10.height << " pixels; 8-bit window "
              << levels8.size() << " grey levels (" << expected8 << " expected), 10-bit window "
              << levels10.size() << " (" << expected10 << "); 10-bit steps on " << even
              << " even and " << odd << " odd rows\n";
    EXPECT_EQ(image10.height, 800);
    EXPECT_EQ(image8.height, 800);
    EXPECT_NEAR(static_cast<int>(levels8.size()), expected8, 1);
    EXPECT_TRUE(std::all_of(levels8.begin(), levels8.end(), onEightBitGrid))
        << "the 8-bit window's bands are not blended";
    EXPECT_NEAR(static_cast<int>(levels10.size()), expected10, 1);
    EXPECT_FALSE(std::all_of(levels10.begin(), levels10.end(), onEightBitGrid));
    EXPECT_GT(odd, expected10 / 4) << "the 10-bit buffer has the output's own rows";
    EXPECT_GT(even, expected10 / 4);
    EXPECT_TRUE(sway.typeKey("Escape"));
    EXPECT_EQ(exitStatus(*program, 30), 0);
  }
  // The check measures each buffer at its size in pixels: the full ramp
  // holds one level per row of the 800 at 10 bits.
  const CheckRun check = runCheck({compositor.environment()}, {"--check"});
  const std::string& report = check.output;
  std::cout << report.substr(std::min(report.find("Display chain check"), report.size()));
  EXPECT_EQ(check.status, 0) << report;
  EXPECT_EQ(reportRow(report, "Full ramp: levels drawn"), (std::vector<int>{256, 800})) << report;
  EXPECT_NE(report.find("\n8-bit window pixels: 1:1\n10-bit window pixels: 1:1\n"),
            std::string::npos)
      << report;
}
