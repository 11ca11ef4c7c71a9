// Either front end, end to end: the real executable on private Xvfb servers
// that these tests start themselves, watched and driven from outside as a
// person would, with keys and the mouse through xdotool and pixels read from
// the root window (which on a depth-30 screen gives every window's true
// levels). One runner serves every program; the command line says which
// front end it is and how to start it:
//
//   e2e_tests [gtest flags] --front-end=linux -- build/linux/lumivane
//   e2e_tests --front-end=windows -- scripts/wine-run 64 PREFIX lumivane.exe
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/facts.h"
#include "child_process.h"
#include "private_x_server.h"
#include "viewer/viewer_state.h"
#include "window_manager.h"
#include "x_screen.h"

namespace {

// What differs between the front ends, as a person sees them.
struct FrontEnd {
  const char* name;
  // Wine draws its own frames: the window found by title is the client area,
  // inset in a 400 by 400 frame. The native windows are the 400 by 400
  // windows themselves, with no window manager to frame them.
  bool framedByItself;
  // The native front end takes a true 8-bit visual beside the 10-bit one;
  // Wine on a depth-30 screen offers only 10-bit window formats, so its
  // "8-bit" window is at least as fine as 8 bits.
  bool trueEightBitWindow;
  // A plain X window that the test can resize as a window manager would.
  // (The Windows program's size rule is checked under Wine by its own tests.)
  bool resizedFromOutside;
  // The native front end names a display it cannot open; Wine does not get
  // as far as starting the program.
  bool namesMissingDisplay;
  // What a depth-24 screen gives: Wine's format choice itself fails there.
  const char* noDeepColourLine;
  // Wine's console writes each line end as CR LF.
  bool consoleEndsLinesWithCrLf;
};

const FrontEnd frontEnds[] = {
    {"linux", false, true, true, true, noTenBitFormatLine, false},
    {"windows", true, false, false, false, "ERROR: wglChoosePixelFormat failed!\n", true},
};

const FrontEnd* frontEnd = nullptr;
std::vector<std::string> launchCommand;

// One depth-30 server for the whole run, stopped when the tests end.
const std::string& deepColourDisplay() {
  static PrivateXServer server(30);
  return server.name();
}

std::unique_ptr<ChildProcess> startProgram(const std::string& display) {
  return std::make_unique<ChildProcess>(launchCommand,
                                        std::vector<std::string>{"DISPLAY=" + display});
}

// The program's console text with the front end's line ends made "\n".
std::string consoleText(const std::string& text) {
  if (!frontEnd->consoleEndsLinesWithCrLf) return text;
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  return result;
}

// Grey values between low and high (fractions of full scale).
std::set<int> greyLevels(const ScreenImage& image, double low, double high) {
  std::set<int> levels;
  for (const ScreenPixel& p : image.pixels)
    if (p.r == p.g && p.g == p.b && p.r >= low * image.maxLevel - 1 &&
        p.r <= high * image.maxLevel + 1)
      levels.insert(p.r);
  return levels;
}

// The levels the ramp from bottom to top can show at `maxLevel`: it runs
// over the square viewport (side = the larger client dimension), of which
// the client shows the lower `height` rows, sampled at pixel centres.
int rampLevels(double bottom, double top, int width, int height, int maxLevel) {
  const int side = std::max(width, height);
  std::set<long> levels;
  for (int y = 0; y < height; ++y)
    levels.insert(std::lround((bottom + (top - bottom) * (y + 0.5) / side) * maxLevel));
  return static_cast<int>(levels.size());
}

// An 8-bit value u shows on a 10-bit screen as u widened by bit replication.
bool onEightBitGrid(int level10) {
  const int u = level10 >> 2;
  return level10 == ((u << 2) | (u >> 6));
}

// Share of the picture at one grey level (a fraction of full scale).
double greyShare(const ScreenImage& image, double fraction) {
  const int level = static_cast<int>(std::lround(fraction * image.maxLevel));
  int count = 0;
  for (const ScreenPixel& p : image.pixels)
    count += p.r == p.g && p.g == p.b && std::abs(p.r - level) <= 1;
  return image.pixels.empty()
             ? 0.0
             : static_cast<double>(count) / static_cast<double>(image.pixels.size());
}

// The widest and tallest window Mesa's software rasteriser (llvmpipe) draws.
constexpr int largestSoftwareDrawable = 16384;

bool nativeFrontEnd() {
  return std::string(frontEnd->name) == "linux";
}

// Where the logo stands: the lower right quarter of a window's client area.
ScreenRect logoCorner(const ScreenImage& image) {
  return {image.width * 3 / 4, image.height * 3 / 4, image.width / 4, image.height / 4};
}

int logoPixels(const ScreenImage& image) {
  return countStrongBluePixels(image, logoCorner(image));
}

// One running program on the depth-30 screen, shared by the tests of the
// suite in their order; each test leaves the program as it found it: preset
// 3 (0.6 to 0.4), both lights on, the logo shown, running.
class RunningProgramTest : public ::testing::Test {
 protected:
  static std::unique_ptr<XScreen> screen;
  static std::unique_ptr<ChildProcess> program;
  static Window window10, window8;

  static void SetUpTestSuite() {
    if (deepColourDisplay().empty()) return;
    screen = std::make_unique<XScreen>(deepColourDisplay());
    program = startProgram(deepColourDisplay());
    window10 = screen->waitForWindow(title10, 90);
    window8 = screen->waitForWindow(title8, 30);
    sleepSeconds(1.0);  // the timer has painted a few frames, the glyph lists exist
  }
  static void TearDownTestSuite() {
    program.reset();
    screen.reset();
  }
  void SetUp() override {
    ASSERT_FALSE(deepColourDisplay().empty()) << "Xvfb at depth 30 did not start";
    ASSERT_TRUE(screen->ok());
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  }
  void TearDown() override {
    for (const std::string& error : screen->unexpectedErrors())
      ADD_FAILURE() << "X error: " << error;
  }

  static ScreenImage grab(Window window) { return screen->grab(screen->rectOf(window)); }
  static void type(const std::string& key) {
    EXPECT_TRUE(screen->typeKey(screen->rectOf(window8), key)) << "xdotool could not type " << key;
    sleepSeconds(0.3);
  }
  static void mouse(const std::vector<std::string>& commands) {
    EXPECT_TRUE(screen->xdotool(commands)) << "xdotool could not move the mouse";
  }
  static std::vector<std::string> moveToCentreOf(Window window) {
    const ScreenRect r = screen->rectOf(window);
    return {"mousemove", std::to_string(r.x + r.width / 2), std::to_string(r.y + r.height / 2)};
  }
  static std::vector<std::string> join(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

std::unique_ptr<XScreen> RunningProgramTest::screen;
std::unique_ptr<ChildProcess> RunningProgramTest::program;
Window RunningProgramTest::window10 = 0;
Window RunningProgramTest::window8 = 0;

TEST_F(RunningProgramTest, ConsoleShowsTheBannerAndTheKeysOnly) {
  EXPECT_EQ(consoleText(program->output()), consoleBanner);
  EXPECT_TRUE(program->running());
}

TEST_F(RunningProgramTest, WindowsStandSideBySideWithTheirOwnVisuals) {
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.x - r8.x, window10Left - window8Left);
  EXPECT_EQ(r10.y, r8.y);
  EXPECT_EQ(r8.width, r10.width);
  EXPECT_EQ(r8.height, r10.height);
  EXPECT_EQ(screen->redBitsOf(window10), 10);
  if (frontEnd->framedByItself) {
    EXPECT_EQ(r8.width + 2 * (r8.x - window8Left), windowSize) << "outer width of the 8-bit window";
    EXPECT_GT(r8.height, windowSize * 3 / 4);
    EXPECT_LT(r8.height, windowSize);
  } else {
    EXPECT_EQ(r8.x, window8Left);
    EXPECT_EQ(r8.y, window8Top);
    EXPECT_EQ(r8.width, windowSize);
    EXPECT_EQ(r8.height, windowSize);
    EXPECT_EQ(screen->visualDepthOf(window10), 30);
    EXPECT_EQ(screen->redBitsOf(window8), 8);
    EXPECT_EQ(screen->visualDepthOf(window8), 32) << "the ARGB visual, the screen's only 8-bit one";
    // One client's resource ids grow in the order it creates things.
    EXPECT_LT(window10, window8) << "the 10-bit window is created first";
  }
}

TEST_F(RunningProgramTest, LogoShowsInBothWindowsAndNHidesIt) {
  EXPECT_GT(logoPixels(grab(window10)), 100) << "the 10-bit window shows no logo";
  EXPECT_GT(logoPixels(grab(window8)), 100) << "the 8-bit window shows no logo";
  type("n");
  EXPECT_EQ(logoPixels(grab(window10)), 0);
  EXPECT_EQ(logoPixels(grab(window8)), 0);
  type("N");
  EXPECT_GT(logoPixels(grab(window8)), 100) << "Shift+N shows it again";
}

TEST_F(RunningProgramTest, LightKeysSwitchBothContexts) {
  // Preset 5 is one flat grey of 0.5. Unlit, everything stays at or below
  // it; the main light, behind the viewer, makes the logo's blue face shine.
  type("b");
  type("b");
  type("1");
  type("2");
  EXPECT_LT(brightest(grab(window10)), 0.51) << "both lights off in the 10-bit context";
  EXPECT_LT(brightest(grab(window8)), 0.51) << "both lights off in the 8-bit context";
  type("1");
  EXPECT_GT(brightest(grab(window10)), 0.9) << "the main light on in the 10-bit context";
  EXPECT_GT(brightest(grab(window8)), 0.9) << "the main light on in the 8-bit context";
  type("1");
  EXPECT_LT(brightest(grab(window10)), 0.51);
  EXPECT_LT(brightest(grab(window8)), 0.51);
  type("2");
  type("1");
  type("b");
  // Preset 0 clears to black with alpha 0; a compositing window manager
  // would let the desktop show through an ARGB window unless it is filled.
  if (screen->visualDepthOf(window8) == 32) {
    EXPECT_EQ(screen->seeThroughPixels(window8), 0) << "the 8-bit window stays opaque";
  }
  for (const char* key : {"b", "b", "b"}) type(key);
  const ScreenImage image = grab(window8);
  EXPECT_GT(logoPixels(image), 100);
  EXPECT_GT(brightest(image), 0.9);
}

TEST_F(RunningProgramTest, BackgroundPresetsShowTheirGreyLevels) {
  // Unlit objects turn nearly black and the logo goes, so the greys within
  // the preset's range all belong to the background ramp.
  type("1");
  type("2");
  type("n");
  struct Preset {
    const char* name;
    double bottom, top;
  };
  for (const Preset& preset : {Preset{"preset 3", 0.4, 0.6}, Preset{"preset 4", 0.45, 0.55}}) {
    if (preset.bottom == 0.45) type("b");
    const ScreenImage image10 = grab(window10), image8 = grab(window8);
    ASSERT_EQ(image10.maxLevel, 1023);
    EXPECT_LT(brightest(image10), preset.top + 0.01) << "lights off leave the objects dark";
    EXPECT_LT(brightest(image8), preset.top + 0.01);
    const std::set<int> levels10 = greyLevels(image10, preset.bottom, preset.top);
    const std::set<int> levels8 = greyLevels(image8, preset.bottom, preset.top);
    const int expected10 =
        rampLevels(preset.bottom, preset.top, image10.width, image10.height, 1023);
    const int expected8 = rampLevels(preset.bottom, preset.top, image8.width, image8.height, 255);
    std::cout << preset.name << ": 8-bit window " << levels8.size() << " grey levels (8-bit ramp "
              << expected8 << "), 10-bit window " << levels10.size() << " (10-bit ramp "
              << expected10 << ")\n";
    EXPECT_NEAR(static_cast<int>(levels10.size()), expected10, 1) << preset.name;
    EXPECT_FALSE(std::all_of(levels10.begin(), levels10.end(), onEightBitGrid)) << preset.name;
    if (frontEnd->trueEightBitWindow) {
      EXPECT_NEAR(static_cast<int>(levels8.size()), expected8, 1) << preset.name;
      EXPECT_TRUE(std::all_of(levels8.begin(), levels8.end(), onEightBitGrid))
          << preset.name << ": the 8-bit window shows only 8-bit values";
    } else {
      EXPECT_GE(static_cast<int>(levels8.size()), expected8 - 1) << preset.name;
    }
  }
  type("b");
  EXPECT_GT(greyShare(grab(window10), 0.5), 0.3) << "preset 5 is one flat mid grey";
  type("b");
  EXPECT_GT(greyShare(grab(window10), 0.0), 0.3) << "preset 0 is black";
  EXPECT_GT(greyShare(grab(window8), 0.0), 0.3) << "preset 0 is black";

  for (const char* key : {"b", "b", "b", "1", "2", "n"}) type(key);
  EXPECT_GT(brightest(grab(window10)), 0.75) << "lit again: highlights come back";
  // Back at preset 3: the ramp starts at 0.4 in the bottom row, beside
  // whatever objects stand there.
  const ScreenImage image = grab(window10);
  const long start = std::lround(0.4 * 1023);
  bool found = false;
  for (int x = 0; x < image.width && !found; ++x) {
    const ScreenPixel& p = image.at(x, image.height - 1);
    found = p.r == p.g && p.g == p.b && std::abs(p.r - start) <= 1;
  }
  EXPECT_TRUE(found) << "back at preset 3";
}

TEST_F(RunningProgramTest, PauseFreezesBothWindows) {
  type("p");
  const ScreenImage first10 = grab(window10), first8 = grab(window8);
  sleepSeconds(0.5);
  EXPECT_TRUE(samePicture(first10, grab(window10))) << "paused timer ticks must paint nothing";
  EXPECT_TRUE(samePicture(first8, grab(window8)));
  type("space");
  EXPECT_TRUE(samePicture(first8, grab(window8))) << "Space is consumed and repaints nothing";
  type("P");
  const ScreenImage running = grab(window8);
  sleepSeconds(0.3);
  EXPECT_FALSE(samePicture(running, grab(window8))) << "running again, the scene turns";
}

TEST_F(RunningProgramTest, EightBitWindowSizeCarriesOverOneWay) {
  if (!frontEnd->resizedFromOutside)
    GTEST_SKIP() << "Wine manages its own windows; the size rule is tested under Wine";
  screen->resize(window8, 500, 300);
  sleepSeconds(0.5);
  ScreenRect r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.x, window10Left);
  EXPECT_EQ(r10.y, window10Top);
  EXPECT_EQ(r10.width, 500);
  EXPECT_EQ(r10.height, 300);

  screen->resize(window10, 450, 350);
  sleepSeconds(0.5);
  const ScreenRect r8 = screen->rectOf(window8);
  EXPECT_EQ(r8.width, 500) << "resizing the 10-bit window changes nothing else";
  EXPECT_EQ(r8.height, 300);

  screen->resize(window8, windowSize, windowSize);
  sleepSeconds(0.5);
  r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.width, windowSize);
  EXPECT_EQ(r10.height, windowSize);
  // The 10-bit window repaints at its new size: the background reaches its
  // top edge again.
  EXPECT_GT(grab(window10).at(2, 2).r, 0);
}

TEST_F(RunningProgramTest, DragRepaintsUntilAReleaseAnywhere) {
  // Paused, only repaints move anything (the logo rocks on every paint).
  type("p");
  const ScreenImage still = grab(window8);
  mouse(join(moveToCentreOf(window8), {"mousedown", "1", "sleep", "0.1",  "mousemove_relative",
                                       "4",         "4", "sleep", "0.05", "mousemove_relative",
                                       "4",         "4", "sleep", "0.05", "mousemove_relative",
                                       "4",         "4", "sleep", "0.05", "mousemove_relative",
                                       "4",         "4", "sleep", "0.3"}));
  EXPECT_FALSE(samePicture(still, grab(window8))) << "moves during a drag repaint";

  // Released far outside both windows: the grab (or mouse capture) still
  // delivers it.
  mouse({"mousemove", "1000", "900", "sleep", "0.1", "mouseup", "1", "sleep", "0.3"});
  const ScreenImage released = grab(window8);
  mouse(join(moveToCentreOf(window8),
             {"sleep", "0.05", "mousemove_relative", "5", "5", "sleep", "0.05",
              "mousemove_relative", "--", "-5", "-5", "sleep", "0.3"}));
  EXPECT_TRUE(samePicture(released, grab(window8)))
      << "mouse moves after the release still repaint: the drag never ended";
  type("p");
}

TEST_F(RunningProgramTest, EightBitWindowStaysOpaqueAtEveryPreset) {
  if (screen->visualDepthOf(window8) != 32) GTEST_SKIP() << "only an ARGB window can see through";
  // Six presets round to the start again; preset 0 draws no background.
  for (int step = 0; step < shadePresetCount; ++step) {
    EXPECT_EQ(screen->seeThroughPixels(window8), 0) << "after " << step << " presses of B";
    type("b");
  }
}

TEST_F(RunningProgramTest, AWindowTooLargeToDrawIsBroughtBackWithinReach) {
  if (!frontEnd->resizedFromOutside)
    GTEST_SKIP() << "Wine manages its own windows; the limit is tested under a window manager";
  // No window manager here to honour the maximum size: the program itself
  // keeps both windows within what Mesa's software rasteriser draws.
  screen->resize(window8, 32767, 300);
  sleepSeconds(1.5);
  ASSERT_TRUE(program->running()) << "a window too large to draw ended the program";
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  EXPECT_LE(r8.width, largestSoftwareDrawable);
  EXPECT_GT(r8.width, windowSize);
  EXPECT_LE(r10.width, largestSoftwareDrawable) << "the size rule asked for more than can be drawn";
  EXPECT_EQ(r10.width, r8.width);
  EXPECT_EQ(r10.height, 300);
  screen->resize(window8, windowSize, windowSize);
  sleepSeconds(0.5);
  EXPECT_EQ(screen->rectOf(window10).width, windowSize);
}

TEST_F(RunningProgramTest, EscapeEndsTheProgramWithZero) {
  type("Escape");
  int status = -1;
  ASSERT_TRUE(program->waitForExit(60, status)) << "still running after Escape";
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(screen->hasWindowTitled(title10));
  EXPECT_FALSE(screen->hasWindowTitled(title8));
  EXPECT_EQ(consoleText(program->output()), consoleBanner) << "no error line on the way out";
}

TEST(ClosingAWindowTest, ClosingOrDestroyingEitherWindowEndsTheProgramWithZero) {
  ASSERT_FALSE(deepColourDisplay().empty()) << "Xvfb at depth 30 did not start";
  XScreen screen(deepColourDisplay());
  ASSERT_TRUE(screen.ok());
  // Another client may also destroy a window outright (xkill's kin); Wine's
  // own X windows are not the Windows program's to mend.
  for (const bool destroy : {false, true}) {
    if (destroy && !nativeFrontEnd()) continue;
    const std::string how = destroy ? "destroying" : "closing";
    for (const char* title : {title10, title8}) {
      auto program = startProgram(deepColourDisplay());
      ASSERT_NE(screen.waitForWindow(title8, 90), 0u) << "the 8-bit window never appeared";
      const Window window = screen.waitForWindow(title, 1);
      ASSERT_NE(window, 0u) << title;
      if (destroy) {
        sleepSeconds(0.5);  // the timer paints the window it is about to lose
        screen.destroy(window);
      } else {
        screen.requestClose(window);
      }
      int status = -1;
      ASSERT_TRUE(program->waitForExit(60, status)) << how << " '" << title << "' did not end it";
      EXPECT_EQ(status, 0) << how << " '" << title << "'";
      EXPECT_EQ(consoleText(program->output()), consoleBanner) << how << " '" << title << "'";
    }
  }
  for (const std::string& error : screen.unexpectedErrors()) ADD_FAILURE() << "X error: " << error;
}

TEST(StartupFailureTest, ScreenWithoutTenBitColourGivesOneErrorLineAndMinusOne) {
  PrivateXServer server(24);
  ASSERT_FALSE(server.name().empty()) << "Xvfb at depth 24 did not start";
  XScreen screen(server.name());
  auto program = startProgram(server.name());
  const std::string expected = std::string(consoleBanner) + frontEnd->noDeepColourLine;
  for (int i = 0; i < 600 && consoleText(program->output()) != expected && program->running(); ++i)
    sleepSeconds(0.05);
  EXPECT_EQ(consoleText(program->output()), expected);
  EXPECT_TRUE(program->running()) << "the error line stays readable for a while";
  EXPECT_FALSE(screen.hasWindowTitled(title10));
  EXPECT_FALSE(screen.hasWindowTitled(title8));
  int status = 0;
  ASSERT_TRUE(program->waitForExit(60, status)) << "still running long after the error line";
  EXPECT_EQ(status, 255) << "-1 as an 8-bit exit status";
  EXPECT_FALSE(screen.hasWindowTitled(title10)) << "no window left behind";
  EXPECT_FALSE(screen.hasWindowTitled("Dummy")) << "no probe window left behind";
}

TEST(StartupFailureTest, MissingDisplayIsNamed) {
  if (!frontEnd->namesMissingDisplay) GTEST_SKIP() << "Wine reports a missing display itself";
  // A display number no server here answers on.
  auto program = startProgram(":4093");
  int status = 0;
  ASSERT_TRUE(program->waitForExit(30, status));
  EXPECT_EQ(consoleText(program->output()),
            std::string(consoleBanner) + "ERROR: Unable to open the X display ':4093'!\n");
  EXPECT_EQ(status, 255);
}

TEST(SignalTest, InterruptAndTerminateCloseTheWindowsAndExitAsShellsExpect) {
  if (!nativeFrontEnd()) GTEST_SKIP() << "Wine turns signals into its own process ending";
  ASSERT_FALSE(deepColourDisplay().empty()) << "Xvfb at depth 30 did not start";
  XScreen screen(deepColourDisplay());
  for (const int number : {SIGTERM, SIGINT}) {
    auto program = startProgram(deepColourDisplay());
    ASSERT_NE(screen.waitForWindow(title8, 90), 0u) << "the 8-bit window never appeared";
    sleepSeconds(0.3);
    ASSERT_TRUE(program->signal(number));
    int status = -1;
    ASSERT_TRUE(program->waitForExit(30, status)) << "signal " << number << " did not end it";
    EXPECT_EQ(status, 128 + number) << "signal " << number;
    EXPECT_FALSE(program->endedBySignal())
        << "signal " << number << " ended the program abruptly, without closing anything";
    EXPECT_EQ(consoleText(program->output()), consoleBanner);
    EXPECT_FALSE(screen.hasWindowTitled(title10));
  }
}

// CPU time a process has used so far (user and system, all its threads), in
// seconds; -1 when it cannot be read.
double cpuSecondsOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return -1;
  // After the name: state (field 3) and on to utime (14) and stime (15).
  std::istringstream fields(text.substr(nameEnd + 1));
  std::string skipped;
  for (int field = 3; field < 14; ++field) fields >> skipped;
  long userTicks = 0, systemTicks = 0;
  if (!(fields >> userTicks >> systemTicks)) return -1;
  return static_cast<double>(userTicks + systemTicks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Under a window manager, as on a person's desktop: openbox frames, places,
// minimises and maximises the windows. One program is shared by the suite's
// tests in their order; each leaves both windows shown at their first size.
class UnderWindowManagerTest : public ::testing::Test {
 protected:
  static std::unique_ptr<WindowManagerSession> session;
  static std::unique_ptr<XScreen> screen;
  static std::unique_ptr<ChildProcess> program;
  static Window window10, window8;

  static void SetUpTestSuite() {
    session = std::make_unique<WindowManagerSession>(false);
    if (session->display().empty()) return;
    screen = std::make_unique<XScreen>(session->display());
    program = startProgram(session->display());
    window10 = screen->waitForWindow(title10, 90);
    window8 = screen->waitForWindow(title8, 30);
    sleepSeconds(1.0);
  }
  static void TearDownTestSuite() {
    program.reset();
    screen.reset();
    session.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(screen != nullptr) << session->error();
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
    ASSERT_TRUE(program->running()) << "the program has ended";
  }
  void TearDown() override {
    for (const std::string& error : screen->unexpectedErrors())
      ADD_FAILURE() << "X error: " << error;
  }

  static std::string id(Window window) { return std::to_string(window); }
  static void act(const std::vector<std::string>& commands) {
    EXPECT_TRUE(screen->xdotool(commands)) << "xdotool failed: " << commands.front();
  }
  // Keys go to the window with the focus, which the window manager gives.
  static void typeInto(Window window, const std::string& key) {
    act({"windowactivate", "--sync", id(window), "sleep", "0.2", "key", key});
    sleepSeconds(0.3);
  }
  static void minimise(Window window) {
    act({"windowminimize", "--sync", id(window)});
    sleepSeconds(0.5);
  }
  static void restore(Window window) {
    act({"windowactivate", "--sync", id(window)});
    sleepSeconds(1.0);
  }
  template <typename Condition>
  static bool waitUntil(Condition condition, double timeoutSeconds) {
    for (double waited = 0; waited < timeoutSeconds; waited += 0.1) {
      if (condition()) return true;
      sleepSeconds(0.1);
    }
    return condition();
  }
  static bool sameSize(const ScreenRect& a, const ScreenRect& b) {
    return a.width == b.width && a.height == b.height;
  }
};

std::unique_ptr<WindowManagerSession> UnderWindowManagerTest::session;
std::unique_ptr<XScreen> UnderWindowManagerTest::screen;
std::unique_ptr<ChildProcess> UnderWindowManagerTest::program;
Window UnderWindowManagerTest::window10 = 0;
Window UnderWindowManagerTest::window8 = 0;

TEST_F(UnderWindowManagerTest, MinimisingTheEightBitWindowLeavesTheTenBitWindowWhole) {
  const ScreenRect start10 = screen->rectOf(window10);
  ASSERT_TRUE(sameSize(start10, screen->rectOf(window8)));
  minimise(window8);
  sleepSeconds(0.5);
  EXPECT_FALSE(screen->viewable(window8)) << "openbox did not minimise the 8-bit window";
  const ScreenRect minimised10 = screen->rectOf(window10);
  EXPECT_EQ(minimised10.width, start10.width) << "the 10-bit window collapsed";
  EXPECT_EQ(minimised10.height, start10.height) << "the 10-bit window collapsed";
  EXPECT_TRUE(screen->viewable(window10));

  restore(window8);
  ASSERT_TRUE(waitUntil([] { return screen->viewable(window8); }, 20)) << "not restored";
  sleepSeconds(0.5);
  EXPECT_TRUE(sameSize(screen->rectOf(window8), start10));
  const ScreenRect restored10 = screen->rectOf(window10);
  EXPECT_EQ(restored10.width, start10.width);
  EXPECT_EQ(restored10.height, start10.height);
}

TEST_F(UnderWindowManagerTest, AfterMaximisingTheEightBitWindowBothStandSideBySideAgain) {
  const ScreenRect start8 = screen->rectOf(window8), start10 = screen->rectOf(window10);
  ASSERT_GE(start10.x, start8.x + start8.width) << "not side by side to begin with";
  screen->setMaximised(window8, true);
  ASSERT_TRUE(waitUntil([&] { return screen->rectOf(window8).width > 1000; }, 20))
      << "openbox did not maximise the 8-bit window";
  // The 10-bit window follows, and openbox moves it to fit it in.
  waitUntil([&] { return screen->rectOf(window10).width > 1000; }, 10);
  sleepSeconds(0.5);
  screen->setMaximised(window8, false);
  ASSERT_TRUE(waitUntil([&] { return sameSize(screen->rectOf(window8), start8); }, 20))
      << "openbox did not restore the 8-bit window";
  waitUntil([&] { return sameSize(screen->rectOf(window10), start10); }, 10);
  sleepSeconds(1.0);
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  EXPECT_TRUE(sameSize(r10, start10)) << "the 10-bit window kept the maximised size";
  EXPECT_EQ(r10.x, start10.x) << "the 10-bit window is not back at its place";
  EXPECT_EQ(r10.y, start10.y) << "the 10-bit window is not back at its place";
  EXPECT_GE(r10.x, r8.x + r8.width) << "the 10-bit window covers the 8-bit window";
}

TEST_F(UnderWindowManagerTest, WindowsNeverGrowBeyondWhatTheirContextsCanDraw) {
  // Asked of the window manager, which keeps to the windows' maximum size.
  screen->resize(window8, 32767, 300);
  ASSERT_TRUE(waitUntil([&] { return screen->rectOf(window8).width > windowSize; }, 20))
      << "openbox did not resize the 8-bit window at all";
  sleepSeconds(1.5);
  ASSERT_TRUE(program->running()) << "a window too large to draw ended the program";
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  // Wine does not pass a window's maximum size on to the window manager, so
  // its X window takes what openbox gives; the Windows program's own limit
  // is tested under Wine with real messages.
  if (nativeFrontEnd()) {
    EXPECT_LE(r8.width, largestSoftwareDrawable) << "the window manager was not told the limit";
  }
  EXPECT_LE(r10.width, largestSoftwareDrawable) << "the size rule asked for more than can be drawn";
  EXPECT_EQ(r10.height, r8.height);

  screen->resize(window8, windowSize, windowSize);
  ASSERT_TRUE(waitUntil([&] { return screen->rectOf(window8).width < 1000; }, 20));
  EXPECT_TRUE(
      waitUntil([&] { return sameSize(screen->rectOf(window10), screen->rectOf(window8)); }, 20));
}

TEST_F(UnderWindowManagerTest, ADragEndsWhenItsWindowIsMinimised) {
  typeInto(window10, "p");  // paused, only paints move the picture (the logo rocks on each)
  // Focused first: openbox takes a click into an unfocused window for itself.
  act({"windowactivate", "--sync", id(window8)});
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  const auto wiggle = [&](const ScreenRect& over) {
    act({"mousemove",
         std::to_string(over.x + over.width / 2),
         std::to_string(over.y + over.height / 2),
         "sleep",
         "0.05",
         "mousemove_relative",
         "5",
         "5",
         "sleep",
         "0.05",
         "mousemove_relative",
         "--",
         "-5",
         "-5",
         "sleep",
         "0.05",
         "mousemove_relative",
         "3",
         "0",
         "sleep",
         "0.3"});
  };
  act({"mousemove", std::to_string(r8.x + r8.width / 2), std::to_string(r8.y + r8.height / 2),
       "sleep", "0.1", "mousedown", "1", "sleep", "0.2"});
  const ScreenImage before = screen->grab(r10);
  wiggle(r8);
  EXPECT_FALSE(samePicture(before, screen->grab(r10))) << "the drag did not start";
  minimise(window8);
  // The grab went with the window; the release, where the window was,
  // reaches the desktop instead.
  act({"mouseup", "1", "sleep", "0.3"});
  const ScreenImage still = screen->grab(r10);
  wiggle(r10);
  EXPECT_TRUE(samePicture(still, screen->grab(r10)))
      << "pointer moves after the dragged window went still repaint: the drag never ended";
  restore(window8);
  typeInto(window10, "p");
}

TEST_F(UnderWindowManagerTest, MinimisedWindowsCostLittle) {
  if (!nativeFrontEnd()) GTEST_SKIP() << "Wine's process is not the one the runner starts";
  const auto cpuOver = [](double seconds) {
    const double before = cpuSecondsOf(program->pid());
    sleepSeconds(seconds);
    return cpuSecondsOf(program->pid()) - before;
  };
  const double shown = cpuOver(3.0);
  minimise(window8);
  minimise(window10);
  ASSERT_FALSE(screen->viewable(window10));
  ASSERT_FALSE(screen->viewable(window8));
  const double hidden = cpuOver(3.0);
  restore(window10);
  restore(window8);
  std::cout << "CPU over 3 s: " << shown << " s with both windows shown, " << hidden
            << " s with both minimised\n";
  ASSERT_GT(shown, 0.0) << "the program's CPU time could not be read";
  EXPECT_LT(hidden, shown / 4) << "minimised windows are still drawn";
  // Both come back with the animation run on, painted again.
  const ScreenImage first = screen->grab(screen->rectOf(window8));
  sleepSeconds(0.3);
  EXPECT_FALSE(samePicture(first, screen->grab(screen->rectOf(window8))));
}

TEST(HiddenStartUpTest, WindowsOpenedMinimisedDoNotHoldUpTheProgram) {
  WindowManagerSession session(true);
  ASSERT_FALSE(session.display().empty()) << session.error();
  XScreen screen(session.display());
  auto program = startProgram(session.display());
  const Window window10 = screen.waitForClient(title10, 90);
  ASSERT_NE(window10, 0u) << "the 10-bit window was never created";
  EXPECT_NE(screen.waitForClient(title8, 30), 0u)
      << "the 8-bit window waits for the 10-bit window to be shown";
  EXPECT_FALSE(screen.viewable(window10)) << "openbox was to open it minimised";
  sleepSeconds(0.5);
  screen.requestClose(window10);
  int status = -1;
  ASSERT_TRUE(program->waitForExit(60, status)) << "a close request during start-up was ignored";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(consoleText(program->output()), consoleBanner);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
    for (const FrontEnd& candidate : frontEnds)
      if (std::string(argv[i]) == std::string("--front-end=") + candidate.name)
        frontEnd = &candidate;
  launchCommand.assign(argv + std::min(i + 1, argc), argv + argc);
  if (frontEnd == nullptr || launchCommand.empty()) {
    std::cerr << "usage: e2e_tests [gtest flags] --front-end=linux|windows -- COMMAND [ARGS...]\n";
    return 2;
  }
  return RUN_ALL_TESTS();
}
