// What every end-to-end suite shares: which front end runs, the screens the
// program is shown on (seen from outside as a Desktop), starting the program,
// waiting for what a test checks, and reading pictures and reports.
//
// One runner serves every program; the command line says which front end it
// is and how to start it:
//
//   e2e_tests [gtest flags] --front-end=linux -- build/linux/lumivane
//   e2e_tests --front-end=wayland -- build/linux/lumivane
//   e2e_tests --front-end=wayland --compositor=kwin -- build/linux/lumivane
//   e2e_tests --front-end=windows -- scripts/wine-run 64 PREFIX lumivane.exe
//   e2e_tests --front-end=windows-dxgi -- scripts/wine-run 64 PREFIX lumivane.exe --dxgi
#pragma once

// Before Xlib, whose macros (None, Bool) would clash with its names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/facts.h"
#include "child_process.h"
#include "private_compositor.h"
#include "private_x_server.h"
#include "wayland_screen.h"
#include "x_screen.h"

// Which front end this run tests: the X11 one, the Wayland one, or the
// Windows program under Wine (presenting through WGL or DXGI swap chains).
enum class FrontEndKind { X11, Wayland, Windows, WindowsDxgi };

// What differs between the front ends, as a person sees them, beyond what
// their kind says; the defaults are the native front ends'.
struct FrontEnd {
  const char* name = "linux";  // as --front-end= names it
  FrontEndKind kind = FrontEndKind::X11;
  // The native front ends take a true 8-bit visual beside the 10-bit one;
  // Wine on a depth-30 screen offers only 10-bit window formats, so its
  // "8-bit" window is at least as fine as 8 bits; through DXGI swap chains
  // it is a true 8-bit window again.
  bool trueEightBitWindow = true;
  // What a depth-24 screen gives: Wine's format choice itself fails there,
  // and the Windows program adds a note on what to try. Null where the
  // program goes on at 8 bits (DXGI swap chains on any screen).
  const char* noDeepColourLine = noTenBitFormatLine;
  const char* noDeepColourNote = "";
  // What the console shows after the banner on the deep-colour screen.
  const char* deepColourStartLines = "";
  const char* usage = "Usage: lumivane [--fullscreen] [--check | --blind]\n";
  // The report's presentation line in full screen.
  const char* fullScreenPresentation = "full screen, borderless window";
};

extern const FrontEnd* frontEnd;
extern std::vector<std::string> launchCommand;
// The compositor the Wayland front end runs on: sway unless
// --compositor=mutter or --compositor=kwin says otherwise.
extern CompositorKind waylandCompositor;
// Whether the deep-colour screen can be read back, by the program's check
// and by the tests: an X screen, or sway's screen copy; Mutter and KWin copy
// the screen for no client.
inline bool screenReadBack() {
  return waylandCompositor != CompositorKind::Mutter && waylandCompositor != CompositorKind::Kwin;
}

// The one way to ask which front end runs.
inline bool on(FrontEndKind kind) {
  return frontEnd->kind == kind;
}
// The Windows program under Wine, either presentation: Wine draws its own
// frames and writes each console line end as CR LF.
inline bool onWine() {
  return on(FrontEndKind::Windows) || on(FrontEndKind::WindowsDxgi);
}

// What a program needs in its environment to show its windows on that X
// display (the Linux program would take a Wayland session's compositor).
inline std::vector<std::string> xProgramEnvironment(const std::string& display) {
  return {"DISPLAY=" + display, "LUMIVANE_PLATFORM=x11"};
}

// A window as the screen names it: an X window, a sway container id, or
// the compositor driver's number for a KWin window.
using WindowId = unsigned long;

// The screen a program runs on, seen from outside: an X display, a private
// sway, or Mutter or KWin through the compositor driver. What only X can
// tell (visuals, the pointer through xdotool) goes through x(), which is
// null on Wayland. What a screen cannot show, it says why: a test skips
// with that reason.
class Desktop {
 public:
  explicit Desktop(const std::string& xDisplay)
      : x_(std::make_unique<XScreen>(xDisplay)), environment_(xProgramEnvironment(xDisplay)) {}
  explicit Desktop(PrivateCompositor& compositor) : environment_{compositor.environment()} {
    if (compositor.kind() == CompositorKind::Mutter || compositor.kind() == CompositorKind::Kwin)
      driven_ = std::make_unique<DrivenScreen>(compositor);
    else
      sway_ = std::make_unique<SwayScreen>(compositor);
  }

  bool ok() const { return x_ ? x_->ok() : sway_ ? sway_->ok() : driven_->ok(); }
  XScreen* x() { return x_.get(); }
  // What a program needs in its environment to show its windows here.
  const std::vector<std::string>& environment() const { return environment_; }
  // Null where the windows are seen by title, with their rectangles.
  const char* cannotListWindows() const { return driven_ ? driven_->cannotListWindows() : nullptr; }
  // Null where the windows' pictures can be read.
  const char* cannotCopyPictures() const {
    return driven_ ? "Mutter and KWin copy the screen for no client" : nullptr;
  }

  WindowId waitForWindow(const std::string& title, double timeoutSeconds) {
    return x_      ? x_->waitForWindow(title, timeoutSeconds)
           : sway_ ? sway_->waitForWindow(title, timeoutSeconds)
                   : driven_->waitForWindow(title, timeoutSeconds);
  }
  bool hasWindowTitled(const std::string& title) {
    return x_      ? x_->hasWindowTitled(title)
           : sway_ ? sway_->hasWindowTitled(title)
                   : driven_->hasWindowTitled(title);
  }
  ScreenRect rectOf(WindowId window) {
    return x_ ? x_->rectOf(window) : sway_ ? sway_->rectOf(window) : driven_->rectOf(window);
  }
  // The window's picture. A DXGI window under Wine may show black before
  // the first frame is copied into it: it is grabbed again until it shows
  // something, for at most five seconds.
  ScreenImage grab(WindowId window);
  // Grabs the window until test(picture) holds, for at most timeoutSeconds;
  // the last picture grabbed.
  template <typename Test>
  ScreenImage grabUntil(WindowId window, Test test, double timeoutSeconds = 10) {
    ScreenImage image;
    waitUntil([&] { return test(image = grab(window)); }, timeoutSeconds);
    return image;
  }
  // Whether the window's picture changes within timeoutSeconds.
  bool changes(WindowId window, double timeoutSeconds = 5) {
    const ScreenImage first = grab(window);
    return waitUntil([&] { return !samePicture(first, grab(window)); }, timeoutSeconds);
  }
  // Whether the window's picture stays the same over the next `seconds`.
  bool staysStill(WindowId window, double seconds) {
    const ScreenImage first = grab(window);
    sleepSeconds(seconds);  // the span over which nothing may be painted
    return samePicture(first, grab(window));
  }
  // On X the pointer is moved over the window first; on Wayland the key goes
  // to the focused window, which is one of the program's. Keys are taken in
  // the order they are typed.
  bool typeKey(WindowId over, const std::string& key) {
    return x_ ? x_->typeKey(x_->rectOf(over), key) : typeKeys(over, {key});
  }
  // Keys in order; on sway through one virtual keyboard.
  bool typeKeys(WindowId over, const std::vector<std::string>& keys) {
    if (sway_) return sway_->typeKeys(keys);
    if (driven_) return driven_->typeKeys(keys);
    for (const std::string& key : keys)
      if (!x_->typeKey(x_->rectOf(over), key)) return false;
    return true;
  }
  bool requestClose(WindowId window) {
    if (sway_) return sway_->requestClose(window);
    if (driven_) return driven_->requestClose(window);
    x_->requestClose(window);
    return true;
  }
  // The X errors met; none on Wayland.
  std::vector<std::string> unexpectedErrors() const {
    return x_ ? x_->unexpectedErrors() : std::vector<std::string>{};
  }
  // The app ids of the windows on a Wayland screen; empty on X.
  std::vector<std::string> appIds() {
    return sway_ ? sway_->appIds() : driven_ ? driven_->appIds() : std::vector<std::string>{};
  }

 private:
  std::unique_ptr<XScreen> x_;
  std::unique_ptr<SwayScreen> sway_;
  std::unique_ptr<DrivenScreen> driven_;
  std::vector<std::string> environment_;
};

// Fails the running test once for each X error met.
void expectNoErrors(const std::vector<std::string>& xErrors);

// One deep-colour screen for the whole run, started at first use and
// stopped when the tests end: a depth-30 Xvfb, or the Wayland compositor
// (a sway whose output has 10 bits per colour; Mutter and KWin offer
// 10-bit buffers, though they compose at 8 bits headless).
struct DeepColourScreen {
  std::unique_ptr<PrivateXServer> xServer;
  std::unique_ptr<PrivateCompositor> compositor;
};
DeepColourScreen& deepColourScreen();
bool deepColourScreenStarted();
std::unique_ptr<Desktop> deepColourDesktop();
extern const char* const deepColourScreenMissing;

// A screen without 10-bit colour, stopped when it goes: on X a depth-24
// server; on Wayland Weston without a renderer, which offers clients only
// 8-bit buffers, so EGL has no 10-bit configuration.
struct ShallowScreen {
  std::unique_ptr<PrivateXServer> server;
  std::unique_ptr<PrivateCompositor> compositor;
  std::unique_ptr<Desktop> desktop;  // null when the screen did not start
  ShallowScreen();
};
extern const char* const shallowScreenMissing;

std::unique_ptr<ChildProcess> startProgram(const std::vector<std::string>& environment,
                                           const std::vector<std::string>& arguments = {});

// A program started on a desktop with both its windows found (0 for one
// that never appeared).
struct ShownProgram {
  std::unique_ptr<ChildProcess> process;
  WindowId window10 = 0, window8 = 0;
};
ShownProgram startShown(Desktop& screen, const std::vector<std::string>& arguments = {});

// The program's exit status once it ends within timeoutSeconds; -1 while it
// still runs.
inline int exitStatus(ChildProcess& program, double timeoutSeconds = 60) {
  int status = -1;
  return program.waitForExit(timeoutSeconds, status) ? status : -1;
}

// The program's console text with the front end's line ends made "\n".
std::string consoleText(const std::string& text);
// The banner, the keys and, where the 8-bit window is no true reference,
// the line that says so.
inline std::string startText() {
  return std::string(consoleBanner) + frontEnd->deepColourStartLines;
}
// What the console shows on a screen without 10-bit colour after the banner.
inline std::string noDeepColourText() {
  return std::string(frontEnd->noDeepColourLine) + frontEnd->noDeepColourNote;
}

// Each output the program talks to has the line it would print a person and
// the status a script sees: the start of the console, one error line, 255.
void expectOneErrorLineAndMinusOne(ChildProcess& program, const std::string& errorLine);

struct CheckRun {
  int status = -1;
  std::string output;
};
CheckRun runCheck(const std::vector<std::string>& environment,
                  const std::vector<std::string>& arguments);

// The numbers of the report's row that begins with this label.
std::vector<int> reportRow(const std::string& report, const std::string& label);
// What every front end's report shows of the windows on the deep-colour
// screen: the 10-bit window's full count, and 8-bit levels on the left where
// the 8-bit window is a true reference.
void expectDeepColourReport(const std::string& report);

// Pictures.
// Grey values between low and high (fractions of full scale).
inline std::set<int> greyLevels(const ScreenImage& image, double low, double high) {
  std::set<int> levels;
  for (const ScreenPixel& p : image.pixels)
    if (p.r == p.g && p.g == p.b && p.r >= low * image.maxLevel - 1 &&
        p.r <= high * image.maxLevel + 1)
      levels.insert(p.r);
  return levels;
}
// Red values between low and high where green and blue are 0: key C's ramp.
inline std::set<int> redLevels(const ScreenImage& image, double low, double high) {
  std::set<int> levels;
  for (const ScreenPixel& p : image.pixels)
    if (p.g == 0 && p.b == 0 && p.r >= low * image.maxLevel - 1 && p.r <= high * image.maxLevel + 1)
      levels.insert(p.r);
  return levels;
}
// The levels the ramp from bottom to top can show at `maxLevel`: it runs
// over the square viewport (side = the larger client dimension), of which
// the client shows the lower `height` rows, sampled at pixel centres.
inline int rampLevels(double bottom, double top, int width, int height, int maxLevel) {
  const int side = std::max(width, height);
  std::set<long> levels;
  for (int y = 0; y < height; ++y)
    levels.insert(std::lround((bottom + (top - bottom) * (y + 0.5) / side) * maxLevel));
  return static_cast<int>(levels.size());
}
// An 8-bit value u shows on a 10-bit screen as u widened by bit replication.
inline bool onEightBitGrid(int level10) {
  const int u = level10 >> 2;
  return level10 == ((u << 2) | (u >> 6));
}
// A 10-bit level that an 8-bit value widened to 10 bits by rounding gives.
inline bool widenedEightBitLevel(int level10) {
  const long level8 = std::lround(level10 * 255.0 / 1023.0);
  return std::lround(static_cast<double>(level8) * 1023.0 / 255.0) == level10;
}
// Share of the picture at one grey level (a fraction of full scale).
inline double greyShare(const ScreenImage& image, double fraction) {
  const int level = static_cast<int>(std::lround(fraction * image.maxLevel));
  int count = 0;
  for (const ScreenPixel& p : image.pixels)
    count += p.r == p.g && p.g == p.b && std::abs(p.r - level) <= 1;
  return image.pixels.empty()
             ? 0.0
             : static_cast<double>(count) / static_cast<double>(image.pixels.size());
}
// Logo pixels: strong blue in the lower right quarter of a window.
inline int logoPixels(const ScreenImage& image) {
  return countStrongBluePixels(
      image, {image.width * 3 / 4, image.height * 3 / 4, image.width / 4, image.height / 4});
}

// That the report's full ramp (0 to 1) was measured on halves as tall as the
// output and half as wide: what 8 and 10 bits allow there, and about as many
// levels drawn in the 10-bit half.
void expectHalvesFillTheOutput(const std::string& report, int width, int height);

// The split view's halves: the background's grey levels in each, and the
// label pixels in each half's top quarter.
struct SplitHalves {
  std::set<int> left, right;
  int yellowLeft = 0, yellowRight = 0;
};
SplitHalves halvesOf(const ScreenImage& image, double low, double high);

// The widest and tallest window Mesa's software rasteriser (llvmpipe) draws.
constexpr int largestSoftwareDrawable = 16384;

// CPU time (user and system, all its threads) the process uses over the
// next `seconds`; below 0 when it cannot be read.
double cpuSecondsOver(pid_t pid, double seconds);
