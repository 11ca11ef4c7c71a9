// Every front end, end to end: the real executable on private screens that
// these tests start themselves, watched and driven from outside as a person
// would. On X (Xvfb) keys and the mouse go through xdotool and pixels are
// read from the root window (which on a depth-30 screen gives every window's
// true levels); on Wayland (a headless sway with a 10-bit output) keys go
// through wtype and pixels are read back through screen copies of the
// output. One runner serves every program; the command line says which
// front end it is and how to start it:
//
//   e2e_tests [gtest flags] --front-end=linux -- build/linux/lumivane
//   e2e_tests --front-end=wayland -- build/linux/lumivane
//   e2e_tests --front-end=windows -- scripts/wine-run 64 PREFIX lumivane.exe
//   e2e_tests --front-end=windows-dxgi -- scripts/wine-run 64 PREFIX lumivane.exe --dxgi
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/facts.h"
#include "child_process.h"
#include "private_compositor.h"
#include "private_x_server.h"
#include "support/edid_bytes.h"
#include "viewer/viewer_state.h"
#include "wayland_screen.h"
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
  // "8-bit" window is at least as fine as 8 bits; through DXGI swap chains
  // it is a true 8-bit window again.
  bool trueEightBitWindow;
  // A plain X window that the test can resize as a window manager would.
  // (The Windows program's size rule is checked under Wine by its own tests.)
  bool resizedFromOutside;
  // The native front end names a display it cannot open; Wine does not get
  // as far as starting the program.
  bool namesMissingDisplay;
  // What a depth-24 screen gives: Wine's format choice itself fails there,
  // and the Windows program adds a note on what to try. Null where the
  // program goes on at 8 bits (DXGI swap chains on any screen).
  const char* noDeepColourLine;
  const char* noDeepColourNote;
  // Wine's console writes each line end as CR LF.
  bool consoleEndsLinesWithCrLf;
  // On a Wayland compositor rather than an X server: the compositor places
  // and sizes the windows (sway tiles them), and no tool here moves its pointer.
  bool wayland;
  // What the console shows after the banner on the deep-colour screen.
  const char* deepColourStartLines;
  // The front end answers --check and key I with its report.
  bool reports;
  // Presents through DXGI swap chains, whose windows under Wine may show a
  // black frame before the first copy reaches them.
  bool dxgi;
  const char* usage;
  // Key F and --fullscreen show the split view on one full-screen surface,
  // and the report's presentation line then names this presentation.
  bool hasFullScreen;
  const char* fullScreenPresentation;
};

const char wineEightBitNote[] =
    "NOTE: the 8-bit window got 10 bits per colour on this display, so it cannot show 8-bit "
    "bands.\n";

const char usage[] = "Usage: lumivane [--fullscreen] [--check | --blind]\n";
const char usageWithDxgi[] = "Usage: lumivane [--dxgi] [--fullscreen] [--check | --blind]\n";

const FrontEnd frontEnds[] = {
    {"linux", false, true, true, true, noTenBitFormatLine, "", false, false, "", true, false, usage,
     true, "full screen, borderless window"},
    {"windows", true, false, false, false, "ERROR: wglChoosePixelFormat failed!\n", tryDxgiNote,
     true, false, wineEightBitNote, true, false, usageWithDxgi, true,
     "full screen, borderless window"},
    {"wayland", false, true, false, true, noTenBitFormatLine, "", false, true, "", true, false,
     usage, true, "full screen (compositor)"},
    {"windows-dxgi", true, true, false, false, nullptr, "", true, false, "", true, true,
     usageWithDxgi, true, "full screen, exclusive"},
};

const FrontEnd* frontEnd = nullptr;
std::vector<std::string> launchCommand;

// What a program needs in its environment to show its windows on that X
// display (the Linux program would take a Wayland session's compositor).
std::vector<std::string> xProgramEnvironment(const std::string& display) {
  return {"DISPLAY=" + display, "LUMIVANE_PLATFORM=x11"};
}

// A window as the screen names it: an X window, or a sway container id.
using WindowId = unsigned long;

// The screen a program runs on, seen from outside: an X display or a
// private sway. What only X can tell (visuals, the pointer through xdotool)
// goes through x(), which is null on Wayland.
class Desktop {
 public:
  explicit Desktop(const std::string& xDisplay)
      : x_(std::make_unique<XScreen>(xDisplay)),
        // The Linux program would take a Wayland session's compositor instead.
        environment_(xProgramEnvironment(xDisplay)) {}
  explicit Desktop(const PrivateCompositor& compositor)
      : sway_(std::make_unique<SwayScreen>(compositor)), environment_{compositor.environment()} {}

  bool ok() const { return x_ ? x_->ok() : sway_->ok(); }
  XScreen* x() { return x_.get(); }
  // What a program needs in its environment to show its windows here.
  const std::vector<std::string>& environment() const { return environment_; }

  WindowId waitForWindow(const std::string& title, double timeoutSeconds) {
    return x_ ? x_->waitForWindow(title, timeoutSeconds)
              : sway_->waitForWindow(title, timeoutSeconds);
  }
  bool hasWindowTitled(const std::string& title) {
    return x_ ? x_->hasWindowTitled(title) : sway_->hasWindowTitled(title);
  }
  ScreenRect rectOf(WindowId window) { return x_ ? x_->rectOf(window) : sway_->rectOf(window); }
  ScreenImage grab(WindowId window) {
    return x_ ? x_->grab(x_->rectOf(window)) : sway_->grab(sway_->rectOf(window));
  }
  // On X the pointer is moved over the window first; on Wayland the key goes
  // to the focused window, which is one of the program's.
  bool typeKey(WindowId over, const std::string& key) {
    return x_ ? x_->typeKey(x_->rectOf(over), key) : sway_->typeKey(key);
  }
  bool requestClose(WindowId window) {
    if (sway_) return sway_->requestClose(window);
    x_->requestClose(window);
    return true;
  }
  std::vector<std::string> unexpectedErrors() const {
    return x_ ? x_->unexpectedErrors() : std::vector<std::string>{};
  }
  // The app ids of the windows in sway's tree; empty on X.
  std::vector<std::string> appIds() { return sway_ ? sway_->appIds() : std::vector<std::string>{}; }

 private:
  std::unique_ptr<XScreen> x_;
  std::unique_ptr<SwayScreen> sway_;
  std::vector<std::string> environment_;
};

// One deep-colour screen for the whole run, stopped when the tests end: a
// depth-30 Xvfb, or a sway whose output has 10 bits per colour.
struct DeepColourScreen {
  std::unique_ptr<PrivateXServer> xServer;
  std::unique_ptr<PrivateCompositor> compositor;
};

DeepColourScreen& deepColourScreen() {
  static DeepColourScreen screen;
  if (!screen.xServer && !screen.compositor) {
    if (frontEnd->wayland)
      screen.compositor = std::make_unique<PrivateCompositor>(CompositorKind::SwayTenBit);
    else
      screen.xServer = std::make_unique<PrivateXServer>(30);
  }
  return screen;
}

bool deepColourScreenStarted() {
  const DeepColourScreen& screen = deepColourScreen();
  return screen.xServer ? !screen.xServer->name().empty() : !screen.compositor->socket().empty();
}

std::unique_ptr<Desktop> deepColourDesktop() {
  DeepColourScreen& screen = deepColourScreen();
  return screen.xServer ? std::make_unique<Desktop>(screen.xServer->name())
                        : std::make_unique<Desktop>(*screen.compositor);
}

const char* const deepColourScreenMissing = "the deep-colour screen (Xvfb or sway) did not start";

// What the console shows on a screen without 10-bit colour after the banner.
std::string noDeepColourText() {
  return std::string(frontEnd->noDeepColourLine) + frontEnd->noDeepColourNote;
}

// Whether a picture shows anything at all.
bool allBlack(const ScreenImage& image) {
  return std::all_of(image.pixels.begin(), image.pixels.end(),
                     [](const ScreenPixel& p) { return p.r == 0 && p.g == 0 && p.b == 0; });
}

// A window's picture. A DXGI window under Wine may show black before the
// first frame is copied into it: it is grabbed again until it shows
// something, for at most five seconds.
ScreenImage grabShown(Desktop& screen, WindowId window) {
  ScreenImage image = screen.grab(window);
  for (int i = 0; i < 50 && frontEnd->dxgi && allBlack(image); ++i) {
    sleepSeconds(0.1);
    image = screen.grab(window);
  }
  return image;
}

std::unique_ptr<ChildProcess> startProgram(const std::vector<std::string>& environment,
                                           const std::vector<std::string>& arguments = {}) {
  std::vector<std::string> command = launchCommand;
  command.insert(command.end(), arguments.begin(), arguments.end());
  return std::make_unique<ChildProcess>(command, environment);
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

// Red values between low and high (fractions of full scale) where green and
// blue are 0: key C's red ramp.
std::set<int> redLevels(const ScreenImage& image, double low, double high) {
  std::set<int> levels;
  for (const ScreenPixel& p : image.pixels)
    if (p.g == 0 && p.b == 0 && p.r >= low * image.maxLevel - 1 && p.r <= high * image.maxLevel + 1)
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

// One running program on the deep-colour screen, shared by the tests of the
// suite in their order; each test leaves the program as it found it: preset
// 3 (0.6 to 0.4), both lights on, the logo shown, running.
class RunningProgramTest : public ::testing::Test {
 protected:
  static std::unique_ptr<Desktop> screen;
  static std::unique_ptr<ChildProcess> program;
  static WindowId window10, window8;

  static void SetUpTestSuite() {
    if (!deepColourScreenStarted()) return;
    screen = deepColourDesktop();
    program = startProgram(screen->environment());
    window10 = screen->waitForWindow(title10, 90);
    window8 = screen->waitForWindow(title8, 30);
    sleepSeconds(1.0);  // the timer has painted a few frames, the glyph lists exist
  }
  static void TearDownTestSuite() {
    program.reset();
    screen.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
    ASSERT_TRUE(screen->ok());
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  }
  void TearDown() override {
    for (const std::string& error : screen->unexpectedErrors())
      ADD_FAILURE() << "X error: " << error;
  }

  static ScreenImage grab(WindowId window) { return grabShown(*screen, window); }
  static void type(const std::string& key) {
    EXPECT_TRUE(screen->typeKey(window8, key)) << "could not type " << key;
    sleepSeconds(0.3);
  }
  static void mouse(const std::vector<std::string>& commands) {
    EXPECT_TRUE(screen->x()->xdotool(commands)) << "xdotool could not move the mouse";
  }
  static std::vector<std::string> moveToCentreOf(WindowId window) {
    const ScreenRect r = screen->rectOf(window);
    return {"mousemove", std::to_string(r.x + r.width / 2), std::to_string(r.y + r.height / 2)};
  }
  static std::vector<std::string> join(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }
};

std::unique_ptr<Desktop> RunningProgramTest::screen;
std::unique_ptr<ChildProcess> RunningProgramTest::program;
WindowId RunningProgramTest::window10 = 0;
WindowId RunningProgramTest::window8 = 0;

// The banner, the keys and, where the 8-bit window is no true reference, the
// line that says so.
std::string startText() {
  return std::string(consoleBanner) + frontEnd->deepColourStartLines;
}

TEST_F(RunningProgramTest, ConsoleShowsTheBannerAndTheKeysOnly) {
  EXPECT_EQ(consoleText(program->output()), startText());
  EXPECT_TRUE(program->running());
}

// What a desktop finds the program by: on X the class names the desktop
// entry, the icon holds the desktop icon's images up to 128 pixels and the
// process id is the program's; on Wayland the app id does all of it.
TEST_F(RunningProgramTest, WindowsCarryTheProgramsIdentity) {
  if (frontEnd->wayland) {
    EXPECT_EQ(screen->appIds(), (std::vector<std::string>{LUMIVANE_APP_ID, LUMIVANE_APP_ID}));
    return;
  }
  if (!nativeFrontEnd()) GTEST_SKIP() << "the Windows program's icon is checked under Wine";
  for (WindowId window : {window10, window8}) {
    EXPECT_EQ(screen->x()->windowClass(window), "lumivane/" LUMIVANE_APP_ID);
    EXPECT_EQ(screen->x()->cardinals(window, "_NET_WM_PID"),
              (std::vector<unsigned long>{static_cast<unsigned long>(program->pid())}));
    const std::vector<unsigned long> icon = screen->x()->cardinals(window, "_NET_WM_ICON");
    std::size_t at = 0, opaque = 0;
    for (unsigned long size : {16, 32, 48, 64, 128}) {
      ASSERT_LT(at + 1, icon.size()) << size;
      EXPECT_EQ(icon[at], size);
      EXPECT_EQ(icon[at + 1], size);
      for (std::size_t i = 0; i < size * size && at + 2 + i < icon.size(); ++i)
        opaque += (icon[at + 2 + i] >> 24 & 0xff) == 0xff;  // Xlib widens items to long
      at += 2 + size * size;
    }
    EXPECT_EQ(at, icon.size());
    EXPECT_GT(opaque, icon.size() / 3) << "the icons' drawing, not an empty image";
  }
}

TEST_F(RunningProgramTest, WindowsStandSideBySideWithTheirOwnVisuals) {
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.y, r8.y);
  EXPECT_EQ(r8.width, r10.width);
  EXPECT_EQ(r8.height, r10.height);
  if (frontEnd->wayland) {
    // sway tiles the windows in the order they appear: the 10-bit window
    // first, on the left. Each gets half the 800 by 400 output.
    EXPECT_EQ(r10.x + windowSize, r8.x) << "the 10-bit window is created first";
    EXPECT_EQ(r8.width, windowSize);
    EXPECT_EQ(r8.height, windowSize);
    EXPECT_EQ(grab(window10).maxLevel, 1023) << "the output holds 10 bits per colour";
    return;
  }
  EXPECT_EQ(r10.x - r8.x, window10Left - window8Left);
  EXPECT_EQ(screen->x()->redBitsOf(window10), 10);
  if (frontEnd->framedByItself) {
    EXPECT_EQ(r8.width + 2 * (r8.x - window8Left), windowSize) << "outer width of the 8-bit window";
    EXPECT_GT(r8.height, windowSize * 3 / 4);
    EXPECT_LT(r8.height, windowSize);
  } else {
    EXPECT_EQ(r8.x, window8Left);
    EXPECT_EQ(r8.y, window8Top);
    EXPECT_EQ(r8.width, windowSize);
    EXPECT_EQ(r8.height, windowSize);
    EXPECT_EQ(screen->x()->visualDepthOf(window10), 30);
    EXPECT_EQ(screen->x()->redBitsOf(window8), 8);
    EXPECT_EQ(screen->x()->visualDepthOf(window8), 32)
        << "the ARGB visual, the screen's only 8-bit one";
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
  // On Wayland the 10-bit buffer carries alpha: the compositor's picture
  // shows any see-through pixel as the black behind the window.
  if (screen->x() != nullptr && screen->x()->visualDepthOf(window8) == 32) {
    EXPECT_EQ(screen->x()->seeThroughPixels(window8), 0) << "the 8-bit window stays opaque";
  }
  for (const char* key : {"b", "b", "b"}) type(key);
  // The logo rocks, and a presented frame may trail the keys by a tick or
  // two: look again for a little while before calling it missing.
  ScreenImage image = grab(window8);
  for (int i = 0; i < 30 && (logoPixels(image) <= 100 || brightest(image) <= 0.9); ++i) {
    sleepSeconds(0.1);
    image = grab(window8);
  }
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
  // Key C: the same narrow ramp in red alone, as finely as the grey one;
  // three more presses (green, blue, grey) give grey again for what follows.
  type("c");
  const ScreenImage red10 = grab(window10), red8 = grab(window8);
  const std::set<int> reds10 = redLevels(red10, 0.45, 0.55), reds8 = redLevels(red8, 0.45, 0.55);
  std::cout << "red ramp: 8-bit window " << reds8.size() << " levels, 10-bit window "
            << reds10.size() << "\n";
  EXPECT_NEAR(static_cast<int>(reds10.size()),
              rampLevels(0.45, 0.55, red10.width, red10.height, 1023), 1);
  EXPECT_TRUE(greyLevels(red10, 0.45, 0.55).empty()) << "no grey left in the red ramp";
  if (frontEnd->trueEightBitWindow) {
    EXPECT_NEAR(static_cast<int>(reds8.size()),
                rampLevels(0.45, 0.55, red8.width, red8.height, 255), 1);
    EXPECT_TRUE(std::all_of(reds8.begin(), reds8.end(), onEightBitGrid));
  }
  for (const char* key : {"c", "c", "c"}) type(key);
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
    GTEST_SKIP() << "the windows' sizes are not the test's to set (Wine manages its own, with "
                    "its size rule tested under Wine; a tiling compositor sizes them itself)";
  screen->x()->resize(window8, 500, 300);
  sleepSeconds(0.5);
  ScreenRect r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.x, window10Left);
  EXPECT_EQ(r10.y, window10Top);
  EXPECT_EQ(r10.width, 500);
  EXPECT_EQ(r10.height, 300);

  screen->x()->resize(window10, 450, 350);
  sleepSeconds(0.5);
  const ScreenRect r8 = screen->rectOf(window8);
  EXPECT_EQ(r8.width, 500) << "resizing the 10-bit window changes nothing else";
  EXPECT_EQ(r8.height, 300);

  screen->x()->resize(window8, windowSize, windowSize);
  sleepSeconds(0.5);
  r10 = screen->rectOf(window10);
  EXPECT_EQ(r10.width, windowSize);
  EXPECT_EQ(r10.height, windowSize);
  // The 10-bit window repaints at its new size: the background reaches its
  // top edge again.
  EXPECT_GT(grab(window10).at(2, 2).r, 0);
}

TEST_F(RunningProgramTest, DragRepaintsUntilAReleaseAnywhere) {
  if (screen->x() == nullptr) GTEST_SKIP() << "no tool here moves a Wayland pointer";
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

// The numbers of the report's row that begins with this label.
std::vector<int> reportRow(const std::string& report, const std::string& label) {
  std::vector<int> numbers;
  const std::size_t start = report.find("\n" + label);
  if (start == std::string::npos) return numbers;
  const std::size_t from = start + 1 + label.size();
  std::istringstream row(report.substr(from, report.find('\n', from) - from));
  std::string word;
  while (row >> word)
    if (word != "/") numbers.push_back(std::atoi(word.c_str()));
  return numbers;
}

// The X11 front end alone reads back what the screen holds; the Windows
// program cannot tell it under Wine, and no Wayland client can read the
// screen in general.
bool reportsTheScreen() {
  return nativeFrontEnd();
}

// The Wayland report's last two lines on the 10-bit sway, where each window
// is 400 pixels square.
const char waylandReportEnd[] =
    "Output: unknown (a Wayland client cannot read the screen or the output)\n"
    "Verdict: no link seen loses bits: the 10-bit window holds 104 of 104 levels; a Wayland "
    "client sees neither the screen nor the display output, so check that the compositor drives "
    "the output at 10 bits per colour (sway: output NAME render_bit_depth 10) and the monitor's "
    "own settings.\n";

// What every front end's report shows of the windows on the deep-colour
// screen: the 10-bit window's full count, and 8-bit levels on the left where
// the 8-bit window is a true reference.
void expectDeepColourReport(const std::string& report) {
  EXPECT_NE(report.find("\nPresentation: two windows\n"), std::string::npos) << report;
  const std::vector<int> bits = reportRow(report, "Framebuffer bits (R G B A)");
  ASSERT_EQ(bits.size(), 8u) << report;
  EXPECT_NE(report.find("\n8-bit window pixels: 1:1\n10-bit window pixels: 1:1\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(std::vector<int>(bits.begin() + 4, bits.end()), (std::vector<int>{10, 10, 10, 2}));
  const std::vector<int> drawn = reportRow(report, "Narrow ramp: levels drawn");
  const std::size_t narrow = report.find("Narrow ramp");
  const std::vector<int> allowed = reportRow(report.substr(narrow), "  levels 8 / 10 bits allow");
  ASSERT_EQ(drawn.size(), 2u) << report;
  ASSERT_EQ(allowed.size(), 4u) << report;
  EXPECT_NEAR(drawn[1], allowed[3], 1) << "the 10-bit window holds every 10-bit level";
  if (frontEnd->trueEightBitWindow) {
    EXPECT_EQ(std::vector<int>(bits.begin(), bits.begin() + 3), (std::vector<int>{8, 8, 8}));
    EXPECT_NEAR(drawn[0], allowed[0], 1) << "the 8-bit window holds 8-bit levels";
    if (frontEnd->dxgi) {
      // What the program reads back from each swap chain's back buffer, and
      // Wine's DXGI output, which tells no bits per colour.
      EXPECT_NE(report.find("\nDXGI swap chain                 R8G8B8A8_UNORM    "
                            "R10G10B10A2_UNORM\n"),
                std::string::npos)
          << report;
      const std::vector<int> backBuffer =
          reportRow(report.substr(narrow), "  levels in the back buffer");
      ASSERT_EQ(backBuffer.size(), 2u) << report;
      EXPECT_NEAR(backBuffer[0], allowed[0], 1) << "the 8-bit swap chain holds 8-bit levels";
      EXPECT_NEAR(backBuffer[1], allowed[3], 1) << "the 10-bit swap chain holds 10-bit levels";
      EXPECT_NE(report.find(", unknown bits per colour\nDesktop composition: unknown\nVerdict: "
                            "no link seen loses bits: the 10-bit window holds "),
                std::string::npos)
          << report;
      return;
    }
    if (!reportsTheScreen()) {
      EXPECT_EQ(report.find("levels on screen"), std::string::npos) << report;
      EXPECT_EQ(report.substr(report.find("Output: ")), waylandReportEnd);
      return;
    }
    const std::vector<int> onScreen = reportRow(report.substr(narrow), "  levels on screen");
    ASSERT_EQ(onScreen.size(), 2u) << report;
    EXPECT_NEAR(onScreen[0], allowed[0], 1);
    EXPECT_NEAR(onScreen[1], allowed[3], 1) << "the X server holds the 10-bit levels";
    EXPECT_NE(report.find("Screen depth: 30\n"), std::string::npos);
  } else {
    EXPECT_GT(drawn[0], allowed[0] + 1) << "Wine's 8-bit window holds 10-bit levels";
    // Wine answers no advanced colour request: the compositor stays unknown.
    EXPECT_NE(report.find("\nDesktop composition: unknown\nVerdict: "), std::string::npos)
        << report;
    EXPECT_NE(report.find("the 8-bit window is not a true 8-bit reference on this display"),
              std::string::npos)
        << report;
  }
}

TEST_F(RunningProgramTest, KeyIPrintsTheReportAndTheProgramGoesOn) {
  if (!frontEnd->reports) GTEST_SKIP() << "this front end has no report yet";
  type("i");
  for (int i = 0; i < 300 && program->output().find("Verdict: ") == std::string::npos; ++i)
    sleepSeconds(0.05);
  const std::string output = consoleText(program->output());
  ASSERT_NE(output.find("Verdict: "), std::string::npos) << "no report after key I";
  EXPECT_EQ(output.rfind(startText() + "Display chain check\n", 0), 0u) << output;
  expectDeepColourReport(output);
  EXPECT_TRUE(program->running());
  sleepSeconds(0.5);
  EXPECT_GT(logoPixels(grab(window10)), 100) << "the scene is back after the measuring";
  EXPECT_GT(logoPixels(grab(window8)), 100);
}

TEST_F(RunningProgramTest, EightBitWindowStaysOpaqueAtEveryPreset) {
  if (screen->x() == nullptr || screen->x()->visualDepthOf(window8) != 32)
    GTEST_SKIP() << "only an ARGB X window can see through";
  // Six presets round to the start again; preset 0 draws no background.
  for (int step = 0; step < shadePresetCount; ++step) {
    EXPECT_EQ(screen->x()->seeThroughPixels(window8), 0) << "after " << step << " presses of B";
    type("b");
  }
}

TEST_F(RunningProgramTest, AWindowTooLargeToDrawIsBroughtBackWithinReach) {
  if (!frontEnd->resizedFromOutside)
    GTEST_SKIP() << "Wine manages its own windows; the limit is tested under a window manager";
  // No window manager here to honour the maximum size: the program itself
  // keeps both windows within what Mesa's software rasteriser draws.
  screen->x()->resize(window8, 32767, 300);
  sleepSeconds(1.5);
  ASSERT_TRUE(program->running()) << "a window too large to draw ended the program";
  const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
  EXPECT_LE(r8.width, largestSoftwareDrawable);
  EXPECT_GT(r8.width, windowSize);
  EXPECT_LE(r10.width, largestSoftwareDrawable) << "the size rule asked for more than can be drawn";
  EXPECT_EQ(r10.width, r8.width);
  EXPECT_EQ(r10.height, 300);
  screen->x()->resize(window8, windowSize, windowSize);
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
  const std::string output = consoleText(program->output());
  EXPECT_EQ(output.substr(0, output.find("Display chain check")), startText())
      << "no error line on the way out";
}

TEST(ClosingAWindowTest, ClosingOrDestroyingEitherWindowEndsTheProgramWithZero) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  ASSERT_TRUE(screen->ok());
  // Another client may also destroy a window outright (xkill's kin); Wine's
  // own X windows are not the Windows program's to mend.
  for (const bool destroy : {false, true}) {
    if (destroy && !nativeFrontEnd()) continue;
    const std::string how = destroy ? "destroying" : "closing";
    for (const char* title : {title10, title8}) {
      auto program = startProgram(screen->environment());
      ASSERT_NE(screen->waitForWindow(title8, 90), 0u) << "the 8-bit window never appeared";
      const WindowId window = screen->waitForWindow(title, 1);
      ASSERT_NE(window, 0u) << title;
      if (destroy) {
        sleepSeconds(0.5);  // the timer paints the window it is about to lose
        screen->x()->destroy(window);
      } else {
        EXPECT_TRUE(screen->requestClose(window)) << title;
      }
      int status = -1;
      ASSERT_TRUE(program->waitForExit(60, status)) << how << " '" << title << "' did not end it";
      EXPECT_EQ(status, 0) << how << " '" << title << "'";
      EXPECT_EQ(consoleText(program->output()), startText()) << how << " '" << title << "'";
    }
  }
  for (const std::string& error : screen->unexpectedErrors()) ADD_FAILURE() << "X error: " << error;
}

// Each output the program talks to has the line it would print a person and
// the status a script sees: the start of the console, one error line, 255.
void expectOneErrorLineAndMinusOne(ChildProcess& program, const std::string& errorLine) {
  int status = 0;
  ASSERT_TRUE(program.waitForExit(30, status)) << "still running after " << errorLine;
  EXPECT_EQ(consoleText(program.output()), std::string(consoleBanner) + errorLine);
  EXPECT_EQ(status, 255) << "-1 as an 8-bit exit status";
}

// A screen without 10-bit colour, stopped when it goes: on X a depth-24
// server; on Wayland Weston without a renderer, which offers clients only
// 8-bit buffers, so EGL has no 10-bit configuration.
struct ShallowScreen {
  std::unique_ptr<PrivateXServer> server;
  std::unique_ptr<PrivateCompositor> compositor;
  std::unique_ptr<Desktop> desktop;  // null when the screen did not start

  ShallowScreen() {
    if (frontEnd->wayland) {
      compositor = std::make_unique<PrivateCompositor>(CompositorKind::WestonWithoutRenderer);
      if (!compositor->socket().empty()) desktop = std::make_unique<Desktop>(*compositor);
    } else {
      server = std::make_unique<PrivateXServer>(24);
      if (!server->name().empty()) desktop = std::make_unique<Desktop>(server->name());
    }
  }
};
const char* const shallowScreenMissing =
    "the screen without 10 bits (Xvfb or Weston) did not start";

TEST(StartupFailureTest, ScreenWithoutTenBitColourGivesOneErrorLineAndMinusOne) {
  if (frontEnd->noDeepColourLine == nullptr) GTEST_SKIP() << "this front end goes on at 8 bits";
  const ShallowScreen shallow;
  ASSERT_NE(shallow.desktop, nullptr) << shallowScreenMissing;
  Desktop* screen = shallow.desktop.get();
  auto program = startProgram(screen->environment());
  const std::string expected = consoleBanner + noDeepColourText();
  for (int i = 0; i < 600 && consoleText(program->output()) != expected && program->running(); ++i)
    sleepSeconds(0.05);
  EXPECT_EQ(consoleText(program->output()), expected);
  EXPECT_TRUE(program->running()) << "the error line stays readable for a while";
  // A Wayland client's windows go with it; on X they are looked for.
  XScreen* x = screen->x();
  if (x != nullptr) {
    EXPECT_FALSE(x->hasWindowTitled(title10));
    EXPECT_FALSE(x->hasWindowTitled(title8));
  }
  int status = 0;
  ASSERT_TRUE(program->waitForExit(60, status)) << "still running long after the error line";
  EXPECT_EQ(status, 255) << "-1 as an 8-bit exit status";
  if (x != nullptr) {
    EXPECT_FALSE(x->hasWindowTitled(title10)) << "no window left behind";
    EXPECT_FALSE(x->hasWindowTitled("Dummy")) << "no probe window left behind";
  }
}

TEST(ShallowScreenTest, DxgiWindowsShowEightBitLevelsAndTheProgramGoesOn) {
  if (frontEnd->noDeepColourLine != nullptr) GTEST_SKIP() << "this front end needs 10 bits";
  const ShallowScreen shallow;
  ASSERT_NE(shallow.desktop, nullptr) << shallowScreenMissing;
  Desktop& screen = *shallow.desktop;
  auto program = startProgram(screen.environment());
  const WindowId window10 = screen.waitForWindow(title10, 90);
  const WindowId window8 = screen.waitForWindow(title8, 30);
  ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
  ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  sleepSeconds(1.0);
  // Lights off, logo hidden, the narrowest preset (0.45 to 0.55).
  for (const char* key : {"1", "2", "n", "b"}) {
    EXPECT_TRUE(screen.typeKey(window8, key)) << "could not type " << key;
    sleepSeconds(0.3);
  }
  for (const WindowId window : {window10, window8}) {
    const ScreenImage image = grabShown(screen, window);
    ASSERT_EQ(image.maxLevel, 255);
    const std::set<int> levels = greyLevels(image, 0.45, 0.55);
    const int expected = rampLevels(0.45, 0.55, image.width, image.height, 255);
    std::cout << (window == window10 ? "10-bit" : "8-bit")
              << " window on a depth-24 screen: " << levels.size() << " grey levels (8-bit ramp "
              << expected << ")\n";
    EXPECT_NEAR(static_cast<int>(levels.size()), expected, 1);
  }
  EXPECT_TRUE(program->running());
  EXPECT_TRUE(screen.typeKey(window8, "Escape"));
  int status = -1;
  ASSERT_TRUE(program->waitForExit(60, status)) << "still running after Escape";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(consoleText(program->output()), consoleBanner) << "no error line at 8 bits";
}

struct CheckRun {
  int status = -1;
  std::string output;
};

CheckRun runCheck(const std::vector<std::string>& environment,
                  const std::vector<std::string>& arguments) {
  auto program = startProgram(environment, arguments);
  CheckRun run;
  EXPECT_TRUE(program->waitForExit(120, run.status)) << "still running after two minutes";
  run.output = consoleText(program->output());
  return run;
}

TEST(CheckTest, ReportsWhatEachWindowHoldsOnADeepColourScreen) {
  if (!frontEnd->reports) GTEST_SKIP() << "this front end has no report yet";
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
  EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'),
            std::count(start.begin(), start.end(), '\n') + (reportsTheScreen()  ? 15
                                                            : frontEnd->dxgi    ? 17
                                                            : frontEnd->wayland ? 12
                                                                                : 13))
      << "the presentation line, the table, the two pixels lines, the desktop's composition "
         "on Windows and one verdict line:\n"
      << run.output;
  EXPECT_FALSE(screen->hasWindowTitled(title10)) << "no window left behind";
}

TEST(CheckTest, VerdictFollowsTheOutputsMaxBpcAndTheMonitorsEdid) {
  if (!nativeFrontEnd()) GTEST_SKIP() << "only the X11 front end reads the X output's properties";
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
    const CheckRun run = runCheck(Desktop(server.name()).environment(), {"--check"});
    std::cout << run.output.substr(run.output.find("Output: "));
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.outputLine), std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(run.output.find("Verdict: ")), c.verdict);
  }
  for (const std::string& error : screen.unexpectedErrors()) ADD_FAILURE() << "X error: " << error;
}

TEST(CheckTest, ScreenWithoutTenBitColourEndsWithTheErrorLineAndMinusOne) {
  if (!frontEnd->reports || frontEnd->noDeepColourLine == nullptr)
    GTEST_SKIP() << "this front end has no report here";
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
void stepsDown(const ScreenImage& image, int x, int& even, int& odd) {
  even = odd = 0;
  for (int y = 1; y < image.height; ++y)
    if (image.at(x, y).r != image.at(x, y - 1).r) ++(y % 2 ? odd : even);
}

// The column with the most background greys (between low and high), where
// the ramp shows from top to bottom.
int backgroundColumn(const ScreenImage& image, double low, double high) {
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
  if (!frontEnd->wayland) GTEST_SKIP() << "whole-number output scales are Wayland's";
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
    for (const char* key : {"1", "2", "n"}) EXPECT_TRUE(sway.typeKey(key)) << key;
    const ScreenRect rect10 = sway.rectOf(window10), rect8 = sway.rectOf(window8);
    ASSERT_EQ(rect10.height, 400) << "logical pixels";
    const int expected8 = rampLevels(0.4, 0.6, 2 * rect8.width, 2 * rect8.height, 255);
    const int expected10 = rampLevels(0.4, 0.6, 2 * rect10.width, 2 * rect10.height, 1023);
    ScreenImage image10, image8;
    std::set<int> levels10, levels8;
    int even = 0, odd = 0;
    for (int i = 0; i < 100; ++i) {  // up to ten seconds for the keys' frames
      image10 = sway.grabScaled(rect10, 2);
      image8 = sway.grabScaled(rect8, 2);
      levels10 = greyLevels(image10, 0.4, 0.6);
      levels8 = greyLevels(image8, 0.4, 0.6);
      if (image10.height > 0) stepsDown(image10, backgroundColumn(image10, 0.4, 0.6), even, odd);
      if (std::abs(static_cast<int>(levels10.size()) - expected10) <= 1 &&
          std::abs(static_cast<int>(levels8.size()) - expected8) <= 1 && brightest(image10) < 0.61)
        break;
      sleepSeconds(0.1);
    }
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
    int status = -1;
    EXPECT_TRUE(program->waitForExit(30, status));
    EXPECT_EQ(status, 0);
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

TEST(StartupFailureTest, MissingDisplayIsNamed) {
  if (!frontEnd->namesMissingDisplay) GTEST_SKIP() << "Wine reports a missing display itself";
  if (frontEnd->wayland) {
    // A socket no compositor listens on.
    const std::string socket = "/nonexistent/lumivane-test/wayland-9";
    auto program = startProgram({"WAYLAND_DISPLAY=" + socket});
    expectOneErrorLineAndMinusOne(
        *program, "ERROR: Unable to connect to the Wayland display '" + socket + "'!\n");
    return;
  }
  // A display number no server here answers on.
  auto program = startProgram({"DISPLAY=:4093", "LUMIVANE_PLATFORM=x11"});
  expectOneErrorLineAndMinusOne(*program, "ERROR: Unable to open the X display ':4093'!\n");
}

TEST(StartupFailureTest, ForcedDisplaySystemIsTheOneTried) {
  if (!frontEnd->wayland)
    GTEST_SKIP() << "the Linux program's choice is tested with its Wayland suite";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::string compositor = deepColourScreen().compositor->socket();
  {
    // No WAYLAND_DISPLAY and no runtime folder: libwayland's default name.
    auto program = startProgram(
        {"LUMIVANE_PLATFORM=wayland", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=/nonexistent"});
    expectOneErrorLineAndMinusOne(*program,
                                  "ERROR: Unable to connect to the Wayland display 'wayland-0'!\n");
  }
  {
    // X11 forced inside a live Wayland session.
    auto program =
        startProgram({"LUMIVANE_PLATFORM=x11", "WAYLAND_DISPLAY=" + compositor, "DISPLAY=:4093"});
    expectOneErrorLineAndMinusOne(*program, "ERROR: Unable to open the X display ':4093'!\n");
  }
  {
    auto program = startProgram({"LUMIVANE_PLATFORM=mir", "WAYLAND_DISPLAY=" + compositor});
    expectOneErrorLineAndMinusOne(
        *program, "ERROR: LUMIVANE_PLATFORM is 'mir'; it can be 'wayland' or 'x11'!\n");
  }
}

// A Wayland socket whose "compositor" ends every connection at once, as
// one that crashes during a client's start does; gone with the object.
class DyingCompositor {
 public:
  DyingCompositor() {
    char pattern[] = "/tmp/lumivane-dying-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    folder_ = pattern;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const std::string path = folder_ + "/wayland-dying";
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 4) != 0)
      return;
    socket_ = path;
    closer_ = std::thread([this] {
      while (!stopping_) {
        pollfd wait = {listener_, POLLIN, 0};
        if (poll(&wait, 1, 100) > 0) close(accept(listener_, nullptr, nullptr));
      }
    });
  }
  ~DyingCompositor() {
    stopping_ = true;
    if (closer_.joinable()) closer_.join();
    if (listener_ >= 0) close(listener_);
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  const std::string& socket() const { return socket_; }

 private:
  std::string folder_, socket_;
  int listener_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread closer_;
};

TEST(StartupFailureTest, AWaylandConnectionThatFailsIsNamedAsTried) {
  if (!frontEnd->wayland) GTEST_SKIP() << "the Wayland front end's connection";
  {
    const DyingCompositor dying;
    ASSERT_FALSE(dying.socket().empty());
    auto program = startProgram({"LUMIVANE_PLATFORM=wayland", "WAYLAND_DISPLAY=" + dying.socket()});
    int status = 0;
    ASSERT_TRUE(program->waitForExit(30, status));
    const std::string output = consoleText(program->output());
    const std::string line =
        "ERROR: The connection to the Wayland display '" + dying.socket() + "' was lost at start (";
    EXPECT_EQ(output.rfind(std::string(consoleBanner) + line, 0), 0u) << output;
    EXPECT_EQ(output.substr(output.size() - 3), ")!\n") << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'),
              std::count(consoleBanner, consoleBanner + std::strlen(consoleBanner), '\n') + 1)
        << output;
    EXPECT_EQ(status, 255);
  }
  // A descriptor handed over by a parent: standard output is no socket, and
  // a name is no descriptor; neither is taken for the default display.
  for (const std::string value : {"1", "abc"}) {
    auto program = startProgram({"LUMIVANE_PLATFORM=wayland", "WAYLAND_SOCKET=" + value});
    expectOneErrorLineAndMinusOne(
        *program, "ERROR: Unable to connect to the Wayland socket handed over as WAYLAND_SOCKET=" +
                      value + "!\n");
  }
}

TEST(StartupFailureTest, AStaleWaylandSocketGivesWayToXUnlessWaylandIsForced) {
  if (!nativeFrontEnd()) GTEST_SKIP() << "the Linux program's choice, tested on its X display";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  // The default socket of a compositor that ended without removing it.
  char pattern[] = "/tmp/lumivane-runtime-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string runtime = pattern;
  // Removed however the test ends.
  const std::unique_ptr<const std::string, void (*)(const std::string*)> removal(
      &runtime, [](const std::string* folder) { std::filesystem::remove_all(*folder); });
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, (runtime + "/wayland-0").c_str(), sizeof address.sun_path - 1);
  const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(stale);
  const std::string display = deepColourScreen().xServer->name();
  const std::vector<std::string> session = {
      "XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=", "WAYLAND_SOCKET=", "DISPLAY=" + display};
  {
    std::vector<std::string> environment = session;
    environment.push_back("LUMIVANE_PLATFORM=");
    auto program = startProgram(environment);
    XScreen screen(display);
    const Window window8 = screen.waitForWindow(title8, 90);
    ASSERT_NE(window8, 0u) << "no X window after the Wayland connection failed";
    screen.requestClose(window8);
    int status = -1;
    ASSERT_TRUE(program->waitForExit(60, status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(program->output(), std::string(consoleBanner) +
                                     "NOTE: Unable to connect to the Wayland display 'wayland-0', "
                                     "so the X display '" +
                                     display + "' is used instead.\n");
  }
  {
    std::vector<std::string> environment = session;
    environment.push_back("LUMIVANE_PLATFORM=wayland");
    auto program = startProgram(environment);
    expectOneErrorLineAndMinusOne(*program,
                                  "ERROR: Unable to connect to the Wayland display 'wayland-0'!\n");
  }
}

TEST(SignalTest, InterruptAndTerminateCloseTheWindowsAndExitAsShellsExpect) {
  if (!nativeFrontEnd() && !frontEnd->wayland)
    GTEST_SKIP() << "Wine turns signals into its own process ending";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  for (const int number : {SIGTERM, SIGINT}) {
    auto program = startProgram(screen->environment());
    ASSERT_NE(screen->waitForWindow(title8, 90), 0u) << "the 8-bit window never appeared";
    sleepSeconds(0.3);
    ASSERT_TRUE(program->signal(number));
    int status = -1;
    ASSERT_TRUE(program->waitForExit(30, status)) << "signal " << number << " did not end it";
    EXPECT_EQ(status, 128 + number) << "signal " << number;
    EXPECT_FALSE(program->endedBySignal())
        << "signal " << number << " ended the program abruptly, without closing anything";
    EXPECT_EQ(consoleText(program->output()), startText());
    EXPECT_FALSE(screen->hasWindowTitled(title10));
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

// The program runs as the 32-bit Windows build ("wine-run 32 ...").
bool thirtyTwoBitWine() {
  for (std::size_t k = 0; k + 1 < launchCommand.size(); ++k) {
    const std::string& word = launchCommand[k];
    const std::string runner = "wine-run";
    if (word.size() >= runner.size() &&
        word.compare(word.size() - runner.size(), runner.size(), runner) == 0 &&
        launchCommand[k + 1] == "32")
      return true;
  }
  return false;
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
    if (frontEnd->wayland) return;
    session = std::make_unique<WindowManagerSession>(false);
    if (session->display().empty()) return;
    screen = std::make_unique<XScreen>(session->display());
    program = startProgram(xProgramEnvironment(session->display()));
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
    if (frontEnd->wayland) GTEST_SKIP() << "a Wayland compositor is its own window manager";
    ASSERT_TRUE(screen != nullptr) << session->error();
    ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
    ASSERT_TRUE(program->running()) << "the program has ended";
  }
  void TearDown() override {
    if (screen == nullptr) return;
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

// The 8-bit window dragged to sizes the screen cannot hold and back, then
// both windows minimised and restored in crossed order: each time the
// 8-bit window leaves room, the 10-bit window stands beside it, its size,
// and wholly on the screen.
TEST_F(UnderWindowManagerTest, AfterExtremeSizesAndMinimisingTheTenBitWindowStandsBesideAgain) {
  if (thirtyTwoBitWine()) GTEST_SKIP() << "the 64-bit build runs the same window procedure";
  const ScreenRect root = screen->rootRect(), start8 = screen->rectOf(window8);
  const auto placeText = [&] {
    const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
    return "8-bit window at (" + std::to_string(r8.x) + ", " + std::to_string(r8.y) + ") " +
           std::to_string(r8.width) + "x" + std::to_string(r8.height) + ", 10-bit window at (" +
           std::to_string(r10.x) + ", " + std::to_string(r10.y) + ") " + std::to_string(r10.width) +
           "x" + std::to_string(r10.height);
  };
  const auto besideOnScreen = [&] {
    const ScreenRect r8 = screen->rectOf(window8), r10 = screen->rectOf(window10);
    const bool apart = r10.x >= r8.x + r8.width || r8.x >= r10.x + r10.width ||
                       r10.y >= r8.y + r8.height || r8.y >= r10.y + r10.height;
    const bool onScreen = r10.x >= root.x && r10.y >= root.y &&
                          r10.x + r10.width <= root.x + root.width &&
                          r10.y + r10.height <= root.y + root.height;
    return sameSize(r8, start8) && sameSize(r10, r8) && apart && onScreen;
  };
  for (const auto& size : {std::make_pair(1, 1), std::make_pair(5000, 5000),
                           std::make_pair(1, 5000), std::make_pair(5000, 1)}) {
    const ScreenRect before8 = screen->rectOf(window8), before10 = screen->rectOf(window10);
    screen->resize(window8, size.first, size.second);
    EXPECT_TRUE(waitUntil([&] { return !sameSize(screen->rectOf(window8), before8); }, 20))
        << "openbox did not resize the 8-bit window to " << size.first << "x" << size.second;
    // Wine keeps a window no smaller than its frame: sizes differ in part.
    waitUntil([&] { return !sameSize(screen->rectOf(window10), before10); }, 10);
  }
  screen->resize(window8, start8.width, start8.height);
  ASSERT_TRUE(waitUntil([&] { return sameSize(screen->rectOf(window8), start8); }, 20));
  EXPECT_TRUE(waitUntil(besideOnScreen, 10)) << "after the extreme sizes: " << placeText();
  std::cout << "after the extreme sizes: " << placeText() << "\n";

  minimise(window8);
  minimise(window10);
  ASSERT_TRUE(
      waitUntil([] { return !screen->viewable(window8) && !screen->viewable(window10); }, 20))
      << "openbox did not minimise both windows";
  restore(window10);
  restore(window8);
  ASSERT_TRUE(waitUntil([] { return screen->viewable(window8) && screen->viewable(window10); }, 20))
      << "openbox did not restore both windows";
  EXPECT_TRUE(waitUntil(besideOnScreen, 10)) << "after minimising: " << placeText();
  std::cout << "after minimising and restoring: " << placeText() << "\n";
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

template <typename Condition>
bool waitUntil(Condition condition, double timeoutSeconds) {
  for (double waited = 0; waited < timeoutSeconds; waited += 0.1) {
    if (condition()) return true;
    sleepSeconds(0.1);
  }
  return condition();
}

// sway tells a client nothing when its window goes to a workspace nobody
// sees; the program learns it from the frame callbacks that stop coming.
TEST(HiddenWindowTest, WindowsOnAnotherWorkspaceCostLittleNeverStallTheOtherAndComeBack) {
  if (!frontEnd->wayland) GTEST_SKIP() << "X11's hidden windows are tested under openbox";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  SwayScreen sway(*deepColourScreen().compositor);
  auto program = startProgram({deepColourScreen().compositor->environment()});
  const WindowId window10 = sway.waitForWindow(title10, 90);
  const WindowId window8 = sway.waitForWindow(title8, 30);
  ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
  ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  const auto cpuOver = [&](double seconds) {
    const double before = cpuSecondsOf(program->pid());
    sleepSeconds(seconds);
    return cpuSecondsOf(program->pid()) - before;
  };
  const auto animates = [&](WindowId window) {
    return waitUntil(
        [&] {
          const ScreenImage first = sway.grab(sway.rectOf(window));
          sleepSeconds(0.1);
          return logoPixels(first) > 100 && !samePicture(first, sway.grab(sway.rectOf(window)));
        },
        10);
  };
  const double shown = cpuOver(3.0);

  ASSERT_TRUE(sway.moveToWorkspace(window8, "2"));
  EXPECT_TRUE(animates(window10)) << "the 10-bit window stopped with the hidden 8-bit window";
  ASSERT_TRUE(sway.moveToWorkspace(window10, "2"));
  const double hidden = cpuOver(3.0);
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
  int status = -1;
  ASSERT_TRUE(program->waitForExit(60, status)) << "closing the 8-bit window did not end it";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(consoleText(program->output()), startText());
}

TEST(HiddenStartUpTest, WindowsOpenedMinimisedDoNotHoldUpTheProgram) {
  if (frontEnd->wayland) GTEST_SKIP() << "a Wayland compositor is its own window manager";
  WindowManagerSession session(true);
  ASSERT_FALSE(session.display().empty()) << session.error();
  XScreen screen(session.display());
  auto program = startProgram(xProgramEnvironment(session.display()));
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
  EXPECT_EQ(consoleText(program->output()), startText());
}

// Full screen: key F and --fullscreen show the split view on one surface,
// the 8-bit picture on the left, the 10-bit one on the right.

// A 10-bit level that an 8-bit value widened to 10 bits gives: the 8-bit
// level nearest to it, widened back, is itself.
bool widenedEightBitLevel(int level10) {
  const long level8 = std::lround(level10 * 255.0 / 1023.0);
  return std::lround(static_cast<double>(level8) * 1023.0 / 255.0) == level10;
}

struct SplitHalves {
  std::set<int> left, right;            // the background's grey levels in each half
  int yellowLeft = 0, yellowRight = 0;  // label pixels in each half's top quarter
};

SplitHalves halvesOf(const ScreenImage& image, double low, double high) {
  SplitHalves halves;
  const int half = image.width / 2, max = image.maxLevel;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const ScreenPixel& p = image.at(x, y);
      const bool left = x < half;
      if (p.r > max * 9 / 10 && p.g > max * 9 / 10 && p.b < max / 10 && y < image.height / 4)
        ++(left ? halves.yellowLeft : halves.yellowRight);
      if (p.r == p.g && p.g == p.b && p.r >= low * max - 1 && p.r <= high * max + 1)
        (left ? halves.left : halves.right).insert(p.r);
    }
  return halves;
}

// Its own program: the running one's suite ends with Escape.
TEST(FullScreenTest, KeyFShowsBothPicturesAndFAgainTheTwoWindowsAndEscapeEndsIt) {
  if (!frontEnd->hasFullScreen) GTEST_SKIP() << "this front end has no full screen yet";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  // Exclusive full screen may set a display mode of its own: it must be
  // given back however full screen ends.
  const std::string modeBefore = screen->x() != nullptr ? screen->x()->screenMode() : "";
  auto program = startProgram(screen->environment());
  const WindowId window10 = screen->waitForWindow(title10, 90);
  const WindowId window8 = screen->waitForWindow(title8, 30);
  ASSERT_NE(window8, 0u) << "the 8-bit window never appeared";
  ASSERT_NE(window10, 0u) << "the 10-bit window never appeared";
  const ScreenRect start8 = screen->rectOf(window8), start10 = screen->rectOf(window10);
  const auto type = [&](const char* key) {
    EXPECT_TRUE(screen->typeKey(window8, key)) << "could not type " << key;
  };
  type("f");
  const WindowId full = screen->waitForWindow(fullScreenTitle, 20);
  ASSERT_NE(full, 0u) << "no full-screen window after F";
  // The narrow preset, both lights off, the logo hidden: typed in full screen.
  for (const char* key : {"b", "1", "2", "n"}) type(key);
  const struct {
    double shadeBottom, shadeTop;
  } narrow = {0.45, 0.55};  // preset 4, the narrowest ramp
  SplitHalves halves;
  ScreenRect r;
  int allowed8 = 0, allowed10 = 0;
  const bool shown = waitUntil(
      [&] {
        r = screen->rectOf(full);
        allowed8 = rampLevels(narrow.shadeBottom, narrow.shadeTop, r.width / 2, r.height, 255);
        allowed10 = rampLevels(narrow.shadeBottom, narrow.shadeTop, r.width / 2, r.height, 1023);
        halves = halvesOf(screen->grab(full), narrow.shadeBottom, narrow.shadeTop);
        return static_cast<int>(halves.left.size()) == allowed8 &&
               static_cast<int>(halves.right.size()) == allowed10;
      },
      10);
  std::cout << "Full screen " << r.width << "x" << r.height << ": background levels "
            << halves.left.size() << " in the left half (8 bits allow " << allowed8 << "), "
            << halves.right.size() << " in the right half (10 bits allow " << allowed10 << ")\n";
  EXPECT_TRUE(shown) << "the halves never showed the narrow ramp at 8 and at 10 bits";
  EXPECT_GE(r.width, start8.width + start10.width) << "the window covers the screen";
  for (int level : halves.left) EXPECT_TRUE(widenedEightBitLevel(level)) << level;
  EXPECT_GT(halves.yellowLeft, 20) << "the \"8-bit\" label";
  EXPECT_GT(halves.yellowRight, halves.yellowLeft) << "the \"10-bit\" label";

  // Key I measures both halves and names how the surface reaches the screen.
  type("i");
  EXPECT_TRUE(
      waitUntil([&] { return program->output().find("Verdict: ") != std::string::npos; }, 20));
  const std::string report = consoleText(program->output());
  EXPECT_NE(report.find(std::string("\nPresentation: ") + frontEnd->fullScreenPresentation + "\n"),
            std::string::npos)
      << report;
  const std::vector<int> drawn = reportRow(report, "Narrow ramp: levels drawn");
  const std::vector<int> allowed =
      reportRow(report.substr(report.find("Narrow ramp")), "  levels 8 / 10 bits allow");
  ASSERT_EQ(drawn.size(), 2u) << report;
  ASSERT_EQ(allowed.size(), 4u) << report;
  EXPECT_EQ(drawn[0], allowed[0]) << "key I: the left half holds 8-bit levels";
  EXPECT_EQ(drawn[1], allowed[3]) << "key I: the right half holds 10-bit levels";

  type("f");
  EXPECT_TRUE(waitUntil([&] { return !screen->hasWindowTitled(fullScreenTitle); }, 10))
      << "the full-screen window stays after F again";
  const ScreenRect back8 = screen->rectOf(window8), back10 = screen->rectOf(window10);
  EXPECT_TRUE(back8.x == start8.x && back8.y == start8.y && back8.width == start8.width &&
              back8.height == start8.height);
  EXPECT_TRUE(back10.x == start10.x && back10.y == start10.y && back10.width == start10.width &&
              back10.height == start10.height);
  EXPECT_TRUE(waitUntil(
      [&] {
        return countGreyLevels(screen->grab(window10), narrow.shadeBottom, narrow.shadeTop) ==
               rampLevels(narrow.shadeBottom, narrow.shadeTop, back10.width, back10.height, 1023);
      },
      10))
      << "the 10-bit window shows the scene again";

  type("f");
  const WindowId again = screen->waitForWindow(fullScreenTitle, 20);
  ASSERT_NE(again, 0u) << "no full screen at the second F";
  if (frontEnd->wayland) {
    // The compositor may take full screen away (a person's Mod+F on sway):
    // the two windows come back as after F.
    EXPECT_TRUE(SwayScreen(*deepColourScreen().compositor).endFullScreen(again));
    EXPECT_TRUE(waitUntil([&] { return !screen->hasWindowTitled(fullScreenTitle); }, 10))
        << "full screen taken away, the split view's window stays";
    type("f");
    ASSERT_NE(screen->waitForWindow(fullScreenTitle, 20), 0u) << "no full screen at the third F";
  }
  type("Escape");
  int status = -1;
  ASSERT_TRUE(program->waitForExit(60, status)) << "still running after Escape in full screen";
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(screen->hasWindowTitled(fullScreenTitle));
  EXPECT_FALSE(screen->hasWindowTitled(title10));
  const std::string output = consoleText(program->output());
  EXPECT_EQ(output.rfind(startText() + "Display chain check\n", 0), 0u) << output;
  EXPECT_EQ(output.find("Verdict: "), output.rfind("Verdict: "))
      << "no line but the banner and the report:\n"
      << output;
  EXPECT_EQ(output.substr(output.rfind('\n', output.size() - 2) + 1, 9), "Verdict: ") << output;
  if (screen->x() != nullptr) {
    EXPECT_EQ(screen->x()->screenMode(), modeBefore) << "the display mode stays changed";
  }
  for (const std::string& error : screen->unexpectedErrors()) ADD_FAILURE() << "X error: " << error;
}

TEST(FullScreenTest, CheckMeasuresBothHalvesAndNamesThePresentation) {
  if (!frontEnd->hasFullScreen) GTEST_SKIP() << "this front end has no full screen yet";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  const std::string modeBefore = screen->x() != nullptr ? screen->x()->screenMode() : "";
  const CheckRun run = runCheck(screen->environment(), {"--fullscreen", "--check"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find(std::string("\nPresentation: ") + frontEnd->fullScreenPresentation +
                            "\n                                8-bit half        10-bit half\n"),
            std::string::npos)
      << run.output;
  const std::size_t narrow = run.output.find("Narrow ramp");
  const std::vector<int> allowed =
      reportRow(run.output.substr(narrow), "  levels 8 / 10 bits allow");
  const std::vector<int> drawn = reportRow(run.output, "Narrow ramp: levels drawn");
  ASSERT_EQ(allowed.size(), 4u) << run.output;
  ASSERT_EQ(drawn.size(), 2u) << run.output;
  EXPECT_EQ(drawn[0], allowed[0]) << "the left half holds 8-bit levels";
  EXPECT_EQ(drawn[1], allowed[3]) << "the right half holds 10-bit levels";
  if (reportsTheScreen()) {
    const std::vector<int> onScreen = reportRow(run.output.substr(narrow), "  levels on screen");
    EXPECT_EQ(onScreen, (std::vector<int>{allowed[0], allowed[3]})) << run.output;
  }
  if (frontEnd->dxgi) {
    const std::vector<int> backBuffer =
        reportRow(run.output.substr(narrow), "  levels in the back buffer");
    EXPECT_EQ(backBuffer, (std::vector<int>{allowed[0], allowed[3]})) << run.output;
  }
  if (screen->x() != nullptr) {
    EXPECT_EQ(screen->x()->screenMode(), modeBefore) << "the display mode stays changed";
  }
}

// The blind test: ten rounds in full screen, the 8-bit picture on a half the
// program chooses; the test tells the halves apart by their background levels
// (the 8-bit half's all lie on the 8-bit grid) and answers right, wrong, or
// not at all (Escape in round 2) on X11; one whole run of right answers on
// the other front ends.
TEST(BlindTest, AnswersGiveTheScoreAndTheStatus) {
  if (!frontEnd->hasFullScreen) GTEST_SKIP() << "this front end has no full screen";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  enum class Answers { Right, Wrong, EscapeInRoundTwo };
  for (const Answers answers : {Answers::Right, Answers::Wrong, Answers::EscapeInRoundTwo}) {
    if (!nativeFrontEnd() && answers != Answers::Right) continue;
    SCOPED_TRACE(answers == Answers::Right   ? "right answers"
                 : answers == Answers::Wrong ? "wrong answers"
                                             : "Escape in round 2");
    const std::unique_ptr<Desktop> screen = deepColourDesktop();
    auto program = startProgram(screen->environment(), {"--blind"});
    const WindowId full = screen->waitForWindow(fullScreenTitle, 90);
    ASSERT_NE(full, 0u) << "--blind showed no full-screen window";
    const int rounds = answers == Answers::EscapeInRoundTwo ? 2 : 10;
    for (int round = 1; round <= rounds; ++round) {
      const std::string line = "Round " + std::to_string(round) +
                               " of 10: which half is smoother? Press Left or Right.\n";
      ASSERT_TRUE(waitUntil(
          [&] { return consoleText(program->output()).find(line) != std::string::npos; }, 20))
          << "no line for round " << round << ":\n"
          << program->output();
      if (round == rounds && answers == Answers::EscapeInRoundTwo) break;
      // A picture drawn after the round began: one that differs from the
      // first taken, whose 8-bit half then lies all on the 8-bit grid.
      const ScreenImage first = screen->grab(full);
      bool eightBitLeft = false;
      ASSERT_TRUE(waitUntil(
          [&] {
            const ScreenImage image = screen->grab(full);
            if (samePicture(image, first)) return false;
            const SplitHalves halves = halvesOf(image, 0.45, 0.55);
            const auto onGrid = [](const std::set<int>& levels) {
              return levels.size() > 10 &&
                     std::all_of(levels.begin(), levels.end(), widenedEightBitLevel);
            };
            eightBitLeft = onGrid(halves.left);
            return eightBitLeft != onGrid(halves.right);
          },
          10))
          << "round " << round << ": no half told itself apart as 8-bit";
      const bool pickLeft = (answers != Answers::Wrong) != eightBitLeft;
      EXPECT_TRUE(screen->typeKey(full, pickLeft ? "Left" : "Right"));
    }
    if (answers == Answers::EscapeInRoundTwo) {
      EXPECT_TRUE(screen->typeKey(full, "Escape"));
    }
    int status = -1;
    ASSERT_TRUE(program->waitForExit(60, status)) << program->output();
    const std::string output = consoleText(program->output());
    std::cout << output.substr(output.find("You picked"));
    const char* score = answers == Answers::Right   ? "in 10 of 10 rounds. Guessing does at "
                                                      "least that well in 0.1 % of tries.\n"
                        : answers == Answers::Wrong ? "in 0 of 10 rounds."
                                                    : "in 1 of 1 rounds.";
    EXPECT_NE(output.find(std::string("You picked the 10-bit half ") + score), std::string::npos)
        << output;
    EXPECT_EQ(status, answers == Answers::Right ? 0 : 1) << output;
    EXPECT_FALSE(screen->hasWindowTitled(fullScreenTitle));
  }
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
    std::cerr << "usage: e2e_tests [gtest flags] --front-end=linux|windows|windows-dxgi|wayland -- "
                 "COMMAND "
                 "[ARGS...]\n";
    return 2;
  }
  return RUN_ALL_TESTS();
}
