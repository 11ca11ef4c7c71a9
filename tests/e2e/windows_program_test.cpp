// The whole Windows program, end to end: the real executable under Wine on
// private X servers (started by scripts/test), watched and driven from
// outside as a person would, with keys typed over its windows and pixels
// read from the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "child_process.h"
#include "program_facts.h"
#include "x_screen.h"

namespace {

// The console's text mode writes each line end as CR LF.
std::string unixLines(std::string text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  return result;
}

std::string displayFor(int depth) {
  const char* value = std::getenv(depth == 30 ? "LUMIVANE_DISPLAY30" : "LUMIVANE_DISPLAY24");
  return value != nullptr ? value : "";
}

std::unique_ptr<ChildProcess> startProgram(int depth) {
  const std::string root = LUMIVANE_SOURCE_DIR;
  return std::make_unique<ChildProcess>(
      std::vector<std::string>{root + "/scripts/wine-run", std::to_string(depth),
                               root + "/build/windows/lumivane.exe"},
      std::vector<std::string>{});
}

// One running program shared by the tests of the suite, in their order.
class RunningProgramTest : public ::testing::Test {
 protected:
  static std::unique_ptr<ChildProcess> program;
  static std::unique_ptr<XScreen> screen;
  static Window window10, window8;

  static void SetUpTestSuite() {
    screen = std::make_unique<XScreen>(displayFor(30));
    if (!screen->ok()) return;
    program = startProgram(30);
    window10 = screen->waitForWindow(title10, 60);
    window8 = screen->waitForWindow(title8, 30);
    pause(1.0);  // the timer has painted a few frames, the glyph lists exist
  }
  static void TearDownTestSuite() {
    program.reset();
    screen.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(screen->ok()) << "no X server at depth 30: run the tests through scripts/test";
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  }

  ScreenImage grab(Window window) { return screen->grab(screen->rectOf(window)); }
  void type(const std::string& key) {
    screen->typeKey(screen->rectOf(window8), key);
    pause(0.3);
  }
};

std::unique_ptr<ChildProcess> RunningProgramTest::program;
std::unique_ptr<XScreen> RunningProgramTest::screen;
Window RunningProgramTest::window10 = 0;
Window RunningProgramTest::window8 = 0;

TEST_F(RunningProgramTest, ConsoleShowsTheBannerAndTheKeysOnly) {
  EXPECT_EQ(unixLines(program->output()), banner);
  EXPECT_TRUE(program->running());
}

TEST_F(RunningProgramTest, WindowsStandSideBySideWithTheSameSize) {
  const ScreenRect r8 = screen->rectOf(window8);
  const ScreenRect r10 = screen->rectOf(window10);
  // Wine shows the client areas; the frames around them are 400 by 400 at
  // (0, 0) and (400, 0), so the client is inset by the same border.
  EXPECT_EQ(r10.x - r8.x, 400);
  EXPECT_EQ(r10.y, r8.y);
  EXPECT_EQ(r8.width, r10.width);
  EXPECT_EQ(r8.height, r10.height);
  EXPECT_EQ(r8.width + 2 * r8.x, 400) << "outer width of the 8-bit window";
  EXPECT_LT(r8.height, 400);
  EXPECT_GT(r8.height, 300);
  EXPECT_EQ(screen->redBitsOf(window10), 10);
}

TEST_F(RunningProgramTest, LogoShowsInBothWindowsAndNHidesIt) {
  for (Window window : {window10, window8}) {
    const ScreenImage image = grab(window);
    EXPECT_GT(countStrongBluePixels(image, logoCorner(image)), 100)
        << (window == window10 ? "10-bit" : "8-bit") << " window shows no logo";
  }
  type("n");
  for (Window window : {window10, window8}) {
    const ScreenImage image = grab(window);
    EXPECT_EQ(countStrongBluePixels(image, logoCorner(image)), 0);
  }
  type("N");
  const ScreenImage image = grab(window10);
  EXPECT_GT(countStrongBluePixels(image, logoCorner(image)), 100) << "Shift+N shows it again";
}

TEST_F(RunningProgramTest, TenBitWindowShowsTenBitGreyLevels) {
  // Unlit objects turn nearly black and the logo goes, so every grey pixel
  // between 0.4 and 0.6 belongs to the background ramp.
  type("1");
  type("2");
  type("n");
  const ScreenImage image10 = grab(window10);
  const ScreenImage image8 = grab(window8);
  EXPECT_LT(brightest(image10), 0.62) << "both lights off leave the objects dark";

  // The ramp runs over the square viewport, as tall as the client is wide;
  // the client shows its lower part.
  const double visible = 0.2 * image10.height / std::max(image10.width, image10.height);
  const int expected10 = static_cast<int>(std::lround(1023 * visible)) + 1;
  EXPECT_EQ(image10.maxLevel, 1023);
  EXPECT_NEAR(countGreyLevels(image10, 0.4, 0.6), expected10, 3);
  // Wine on a depth-30 screen offers only 10-bit window formats, so the
  // "8-bit" window is at least as fine as 8 bits.
  EXPECT_GE(countGreyLevels(image8, 0.4, 0.6), std::lround(255 * visible) + 1);

  type("1");
  type("2");
  type("n");
  EXPECT_GT(brightest(grab(window10)), 0.75) << "lit again: highlights come back";
}

TEST_F(RunningProgramTest, PauseFreezesThePicture) {
  type("p");
  const ScreenImage first = grab(window10);
  pause(0.5);
  const ScreenImage second = grab(window10);
  EXPECT_TRUE(samePicture(first, second)) << "paused timer ticks must paint nothing";

  type("p");
  const ScreenImage third = grab(window10);
  pause(0.3);
  const ScreenImage fourth = grab(window10);
  EXPECT_FALSE(samePicture(third, fourth)) << "running again, the scene turns";
}

TEST_F(RunningProgramTest, BThreeTimesGivesABlackBackground) {
  // Share of the picture at one grey level: the background covers well over
  // a third of it whatever the objects' angles.
  auto greyShare = [](const ScreenImage& image, double fraction) {
    const int level = static_cast<int>(std::lround(fraction * image.maxLevel));
    int count = 0;
    for (const ScreenPixel& p : image.pixels)
      count += p.r == p.g && p.g == p.b && std::abs(p.r - level) <= 1;
    return static_cast<double>(count) / static_cast<double>(image.pixels.size());
  };
  EXPECT_LT(greyShare(grab(window10), 0.0), 0.01);
  type("b");
  type("b");
  EXPECT_GT(greyShare(grab(window10), 0.5), 0.3) << "preset 5 is one flat mid grey";
  type("b");
  EXPECT_GT(greyShare(grab(window10), 0.0), 0.3);
  EXPECT_GT(greyShare(grab(window8), 0.0), 0.3);
}

TEST_F(RunningProgramTest, ADragReleasedOutsideBothWindowsEnds) {
  // Paused, only repaints move anything (the logo rocks on every paint), so
  // a still picture while the pointer wanders over the window means no
  // drag is left over.
  type("p");
  const ScreenRect r8 = screen->rectOf(window8);
  const std::string display = "DISPLAY=" + displayFor(30) + " xdotool ";
  const std::string centre =
      std::to_string(r8.x + r8.width / 2) + " " + std::to_string(r8.y + r8.height / 2);
  ASSERT_EQ(std::system((display + "mousemove " + centre + " mousedown 1 sleep 0.2 mousemove " +
                         "1000 900 sleep 0.2 mouseup 1 sleep 0.3")
                            .c_str()),
            0);
  const ScreenImage before = grab(window8);
  ASSERT_EQ(std::system((display + "mousemove " + centre + " sleep 0.1 mousemove_relative 5 5 " +
                         "sleep 0.1 mousemove_relative -- -5 -5 sleep 0.3")
                            .c_str()),
            0);
  const ScreenImage after = grab(window8);
  EXPECT_TRUE(samePicture(before, after))
      << "mouse moves after the release still repaint: the drag never ended";
  type("p");
}

TEST_F(RunningProgramTest, EscapeEndsTheProgramWithZero) {
  type("Escape");
  int status = -1;
  ASSERT_TRUE(program->waitForExit(60, status)) << "still running after Escape";
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(screen->hasWindowTitled(title10));
  EXPECT_FALSE(screen->hasWindowTitled(title8));
}

TEST(ClosingAWindowTest, ClosingEitherWindowEndsTheProgramWithZero) {
  XScreen screen(displayFor(30));
  ASSERT_TRUE(screen.ok());
  for (const char* title : {title10, title8}) {
    auto program = startProgram(30);
    const Window window = screen.waitForWindow(title, 60);
    ASSERT_NE(window, 0u) << title;
    ASSERT_NE(screen.waitForWindow(title8, 30), 0u);
    screen.requestClose(window);
    int status = -1;
    ASSERT_TRUE(program->waitForExit(60, status)) << "closing '" << title << "' did not end it";
    EXPECT_EQ(status, 0);
  }
}

TEST(NoDeepColourScreenTest, PrintsOneErrorLineAndEndsWithMinusOne) {
  XScreen screen(displayFor(24));
  ASSERT_TRUE(screen.ok()) << "no X server at depth 24: run the tests through scripts/test";
  auto program = startProgram(24);
  int status = 0;
  ASSERT_TRUE(program->waitForExit(90, status));
  // Under Wine the format choice itself reports failure on this screen.
  EXPECT_EQ(unixLines(program->output()),
            std::string(banner) + "ERROR: wglChoosePixelFormat failed!\n");
  EXPECT_EQ(status, 255) << "-1 as an 8-bit exit status";
  EXPECT_FALSE(screen.hasWindowTitled(title10));
  EXPECT_FALSE(screen.hasWindowTitled("Dummy"));
}

}  // namespace
