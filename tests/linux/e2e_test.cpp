// The native Linux program end to end: the real executable on private Xvfb
// servers that these tests start themselves, watched and driven from
// outside as a person would, with keys and the mouse through xdotool,
// windows resized as a window manager would, and pixels read from the root
// window (which on a depth-30 screen gives every window's true levels).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <set>
#include <string>

#include "child_process.h"
#include "private_x_server.h"
#include "program_facts.h"
#include "x_screen.h"

// After GoogleTest: Xlib defines None and Bool as macros.
#include <X11/Xutil.h>

namespace {

// One depth-30 server for the whole run, stopped when the tests end.
const std::string& deepColourDisplay() {
  static PrivateXServer server(30);
  return server.name();
}

std::unique_ptr<ChildProcess> startProgram(const std::string& display) {
  return std::make_unique<ChildProcess>(std::vector<std::string>{LUMIVANE_EXECUTABLE},
                                        std::vector<std::string>{"DISPLAY=" + display});
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

// One running program on the depth-30 screen, shared by the tests of the
// suite; each test leaves the program as it found it.
class DeepColourScreenTest : public ::testing::Test {
 protected:
  static std::unique_ptr<XScreen> screen;
  static std::unique_ptr<ChildProcess> program;
  static Display* control;  // for what a window manager does: resizing
  static Window window10, window8;

  static void SetUpTestSuite() {
    if (deepColourDisplay().empty()) return;
    screen = std::make_unique<XScreen>(deepColourDisplay());
    control = XOpenDisplay(deepColourDisplay().c_str());
    program = startProgram(deepColourDisplay());
    window10 = screen->waitForWindow(title10, 60);
    window8 = screen->waitForWindow(title8, 30);
    pause(0.5);  // the timer has painted, the glyph lists exist
  }
  static void TearDownTestSuite() {
    program.reset();
    if (control != nullptr) XCloseDisplay(control);
    control = nullptr;
    screen.reset();
  }
  void SetUp() override {
    ASSERT_FALSE(deepColourDisplay().empty()) << "Xvfb at depth 30 did not start";
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  }

  static ScreenImage grab(Window window) { return screen->grab(screen->rectOf(window)); }
  static void type(const std::string& key) {
    screen->typeKey(screen->rectOf(window8), key);
    pause(0.3);
  }
  static void mouse(const std::string& commands) {
    const std::string command = "DISPLAY=" + deepColourDisplay() + " xdotool " + commands;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  static std::string centreOf(Window window) {
    const ScreenRect r = screen->rectOf(window);
    return std::to_string(r.x + r.width / 2) + " " + std::to_string(r.y + r.height / 2);
  }
  static int visualDepthOf(Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(control, window, &attributes) ? attributes.depth : 0;
  }
  // Pixels of the window's own ARGB contents that are less than opaque.
  static int seeThroughPixels(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(control, window, &attributes) || attributes.depth != 32) return -1;
    XImage* image = XGetImage(control, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr) return -1;
    int count = 0;
    for (int y = 0; y < attributes.height; ++y)
      for (int x = 0; x < attributes.width; ++x) count += (XGetPixel(image, x, y) >> 24) != 0xff;
    XDestroyImage(image);
    return count;
  }
  static void resize(Window window, unsigned width, unsigned height) {
    XResizeWindow(control, window, width, height);
    XSync(control, False);
    pause(0.5);
  }
};

std::unique_ptr<XScreen> DeepColourScreenTest::screen;
std::unique_ptr<ChildProcess> DeepColourScreenTest::program;
Display* DeepColourScreenTest::control = nullptr;
Window DeepColourScreenTest::window10 = 0;
Window DeepColourScreenTest::window8 = 0;

TEST_F(DeepColourScreenTest, ConsoleShowsTheBannerAndTheKeysOnly) {
  EXPECT_EQ(program->output(), banner);
  EXPECT_TRUE(program->running());
}

TEST_F(DeepColourScreenTest, WindowsStandSideBySideWithTheirOwnVisuals) {
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  EXPECT_EQ(r8.x, 0);
  EXPECT_EQ(r8.y, 0);
  EXPECT_EQ(r8.width, 400);
  EXPECT_EQ(r8.height, 400);
  EXPECT_EQ(r10.x, 400);
  EXPECT_EQ(r10.y, 0);
  EXPECT_EQ(r10.width, 400);
  EXPECT_EQ(r10.height, 400);
  EXPECT_EQ(screen->redBitsOf(window10), 10);
  EXPECT_EQ(visualDepthOf(window10), 30);
  EXPECT_EQ(screen->redBitsOf(window8), 8);
  EXPECT_EQ(visualDepthOf(window8), 32) << "the ARGB visual, the screen's only 8-bit one";
  // One client's resource ids grow in the order it creates things.
  EXPECT_LT(window10, window8) << "the 10-bit window is created first";
}

TEST_F(DeepColourScreenTest, BackgroundShowsEightAndTenBitGreyLevels) {
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
    std::cout << preset.name << ": 8-bit window " << levels8.size() << " grey levels (expected "
              << expected8 << "), 10-bit window " << levels10.size() << " (expected " << expected10
              << ")\n";
    EXPECT_NEAR(static_cast<int>(levels10.size()), expected10, 1) << preset.name;
    EXPECT_NEAR(static_cast<int>(levels8.size()), expected8, 1) << preset.name;
    EXPECT_TRUE(std::all_of(levels8.begin(), levels8.end(), onEightBitGrid))
        << preset.name << ": the 8-bit window shows only 8-bit values";
    EXPECT_FALSE(std::all_of(levels10.begin(), levels10.end(), onEightBitGrid)) << preset.name;
  }
  for (const char* key : {"b", "b", "b", "b", "b", "1", "2", "n"}) type(key);
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

TEST_F(DeepColourScreenTest, KeysSwitchLightsAndLogoInBothWindows) {
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
  ScreenImage image = grab(window8);
  EXPECT_GT(countStrongBluePixels(image, logoCorner(image)), 100) << "Shift+N shows it again";

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
  // would let the desktop show through the ARGB window unless it is filled.
  EXPECT_EQ(seeThroughPixels(window8), 0) << "the 8-bit window stays opaque";
  for (const char* key : {"b", "b", "b"}) type(key);
  image = grab(window8);
  EXPECT_GT(countStrongBluePixels(image, logoCorner(image)), 100);
  EXPECT_GT(brightest(image), 0.9);
}

TEST_F(DeepColourScreenTest, PauseFreezesBothWindows) {
  type("p");
  const ScreenImage first10 = grab(window10), first8 = grab(window8);
  pause(0.5);
  EXPECT_TRUE(samePicture(first10, grab(window10))) << "paused timer ticks must paint nothing";
  EXPECT_TRUE(samePicture(first8, grab(window8)));
  type("space");
  EXPECT_TRUE(samePicture(first8, grab(window8))) << "Space is consumed and repaints nothing";
  type("P");
  const ScreenImage running = grab(window8);
  pause(0.3);
  EXPECT_FALSE(samePicture(running, grab(window8))) << "running again, the scene turns";
}

TEST_F(DeepColourScreenTest, EightBitWindowSizeCarriesOverOneWay) {
  resize(window8, 500, 300);
  ScreenRect r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.x, 400);
  EXPECT_EQ(r10.y, 0);
  EXPECT_EQ(r10.width, 500);
  EXPECT_EQ(r10.height, 300);

  resize(window10, 450, 350);
  const ScreenRect r8 = screen->rectOf(window8);
  EXPECT_EQ(r8.width, 500) << "resizing the 10-bit window changes nothing else";
  EXPECT_EQ(r8.height, 300);

  resize(window8, 400, 400);
  r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.width, 400);
  EXPECT_EQ(r10.height, 400);
  // The 10-bit window repaints at its new size: the background reaches its
  // top edge again.
  const ScreenImage image = grab(window10);
  EXPECT_GT(image.at(2, 2).r, 0);
}

TEST_F(DeepColourScreenTest, DragRepaintsUntilAReleaseAnywhere) {
  // Paused, only repaints move anything (the logo rocks on every paint).
  type("p");
  const ScreenImage still = grab(window8);
  mouse("mousemove " + centreOf(window8) + " mousedown 1 sleep 0.1 " +
        "mousemove_relative 4 4 sleep 0.05 mousemove_relative 4 4 sleep 0.05 " +
        "mousemove_relative 4 4 sleep 0.05 mousemove_relative 4 4 sleep 0.3");
  EXPECT_FALSE(samePicture(still, grab(window8))) << "moves during a drag repaint";

  // Released far outside both windows: the grab still delivers it.
  mouse("mousemove 1000 900 sleep 0.1 mouseup 1 sleep 0.3");
  const ScreenImage released = grab(window8);
  mouse("mousemove " + centreOf(window8) + " sleep 0.05 mousemove_relative 5 5 sleep 0.05 " +
        "mousemove_relative -- -5 -5 sleep 0.3");
  EXPECT_TRUE(samePicture(released, grab(window8)))
      << "mouse moves after the release still repaint: the drag never ended";
  type("p");
}

TEST_F(DeepColourScreenTest, EscapeEndsTheProgramWithZero) {
  type("Escape");
  int status = -1;
  ASSERT_TRUE(program->waitForExit(30, status)) << "still running after Escape";
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(screen->hasWindowTitled(title10));
  EXPECT_FALSE(screen->hasWindowTitled(title8));
  EXPECT_EQ(program->output(), banner) << "no error line on the way out";
}

TEST(ClosingAWindowTest, ClosingEitherWindowEndsTheProgramWithZero) {
  ASSERT_FALSE(deepColourDisplay().empty());
  XScreen screen(deepColourDisplay());
  ASSERT_TRUE(screen.ok());
  for (const char* title : {title10, title8}) {
    auto program = startProgram(deepColourDisplay());
    ASSERT_NE(screen.waitForWindow(title8, 60), 0u);
    const Window window = screen.waitForWindow(title, 1);
    ASSERT_NE(window, 0u) << title;
    screen.requestClose(window);
    int status = -1;
    ASSERT_TRUE(program->waitForExit(30, status)) << "closing '" << title << "' did not end it";
    EXPECT_EQ(status, 0);
  }
}

TEST(StartupFailureTest, ScreenWithoutTenBitColourGivesOneErrorLineAndMinusOne) {
  PrivateXServer server(24);
  ASSERT_FALSE(server.name().empty()) << "Xvfb at depth 24 did not start";
  XScreen screen(server.name());
  auto program = startProgram(server.name());
  const std::string expected =
      std::string(banner) +
      "ERROR: 10 bit video is either not supported, or not currently enabled on this video "
      "card.\n";
  for (int i = 0; i < 200 && program->output() != expected && program->running(); ++i) pause(0.05);
  EXPECT_EQ(program->output(), expected);
  EXPECT_TRUE(program->running()) << "the error line stays readable for a while";
  EXPECT_FALSE(screen.hasWindowTitled(title10));
  EXPECT_FALSE(screen.hasWindowTitled(title8));
  int status = 0;
  ASSERT_TRUE(program->waitForExit(30, status));
  EXPECT_EQ(status, 255) << "-1 as an 8-bit exit status";
}

TEST(StartupFailureTest, MissingDisplayIsNamed) {
  // A display number no server here answers on.
  auto program = startProgram(":4093");
  int status = 0;
  ASSERT_TRUE(program->waitForExit(30, status));
  EXPECT_EQ(program->output(),
            std::string(banner) + "ERROR: Unable to open the X display ':4093'!\n");
  EXPECT_EQ(status, 255);
}

}  // namespace
