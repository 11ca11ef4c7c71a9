// Start-up on a screen or a connection the program cannot use: one error
// line, status 255 and nothing left behind; and the 8-bit fallback that
// DXGI swap chains allow on a screen without 10 bits.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <thread>

#include "e2e.h"

TEST(StartupFailureTest, ScreenWithoutTenBitColourGivesOneErrorLineAndMinusOne) {
  if (frontEnd->noDeepColourLine == nullptr) GTEST_SKIP() << "this front end goes on at 8 bits";
  const ShallowScreen shallow;
  ASSERT_NE(shallow.desktop, nullptr) << shallowScreenMissing;
  Desktop* screen = shallow.desktop.get();
  auto program = startProgram(screen->environment());
  const std::string expected = consoleBanner + noDeepColourText();
  EXPECT_TRUE(waitUntil(
      [&] { return consoleText(program->output()) == expected || !program->running(); }, 30));
  EXPECT_EQ(consoleText(program->output()), expected);
  EXPECT_TRUE(program->running()) << "the error line stays readable for a while";
  // A Wayland client's windows go with it; on X they are looked for.
  XScreen* x = screen->x();
  if (x != nullptr) {
    EXPECT_FALSE(x->hasWindowTitled(title10));
    EXPECT_FALSE(x->hasWindowTitled(title8));
  }
  EXPECT_EQ(exitStatus(*program), 255) << "-1 as an 8-bit exit status, within a minute";
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
  const ShownProgram shown = startShown(screen);
  ASSERT_NE(shown.window10, 0u) << "the 10-bit window never appeared";
  ASSERT_NE(shown.window8, 0u) << "the 8-bit window never appeared";
  // Lights off, logo hidden, the narrowest preset (0.45 to 0.55).
  EXPECT_TRUE(screen.typeKeys(shown.window8, {"1", "2", "n", "b"}));
  for (const WindowId window : {shown.window10, shown.window8}) {
    const auto levelsOf = [](const ScreenImage& image) {
      return static_cast<int>(greyLevels(image, 0.45, 0.55).size());
    };
    const auto expectedOf = [](const ScreenImage& image) {
      return rampLevels(0.45, 0.55, image.width, image.height, 255);
    };
    const ScreenImage image = screen.grabUntil(window, [&](const ScreenImage& i) {
      return brightest(i) < 0.56 && std::abs(levelsOf(i) - expectedOf(i)) <= 1;
    });
    ASSERT_EQ(image.maxLevel, 255);
    std::cout << (window == shown.window10 ? "10-bit" : "8-bit")
              << " window on a depth-24 screen: " << levelsOf(image) << " grey levels (8-bit ramp "
              << expectedOf(image) << ")\n";
    EXPECT_NEAR(levelsOf(image), expectedOf(image), 1);
  }
  EXPECT_TRUE(shown.process->running());
  EXPECT_TRUE(screen.typeKey(shown.window8, "Escape"));
  EXPECT_EQ(exitStatus(*shown.process), 0);
  EXPECT_EQ(consoleText(shown.process->output()), consoleBanner) << "no error line at 8 bits";
}

TEST(StartupFailureTest, MissingDisplayIsNamed) {
  if (onWine()) GTEST_SKIP() << "Wine reports a missing display itself";
  if (on(FrontEndKind::Wayland)) {
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
  if (!on(FrontEndKind::Wayland))
    GTEST_SKIP() << "the Linux program's choice is tested with its Wayland suite";
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::string compositor = deepColourScreen().compositor->socket();
  struct Case {
    std::vector<std::string> environment;
    std::string errorLine;
  };
  const Case cases[] = {
      // No WAYLAND_DISPLAY and no runtime folder: libwayland's default name.
      {{"LUMIVANE_PLATFORM=wayland", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=/nonexistent"},
       "ERROR: Unable to connect to the Wayland display 'wayland-0'!\n"},
      // X11 forced inside a live Wayland session.
      {{"LUMIVANE_PLATFORM=x11", "WAYLAND_DISPLAY=" + compositor, "DISPLAY=:4093"},
       "ERROR: Unable to open the X display ':4093'!\n"},
      {{"LUMIVANE_PLATFORM=mir", "WAYLAND_DISPLAY=" + compositor},
       "ERROR: LUMIVANE_PLATFORM is 'mir'; it can be 'wayland' or 'x11'!\n"},
  };
  for (const Case& c : cases)
    expectOneErrorLineAndMinusOne(*startProgram(c.environment), c.errorLine);
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
  if (!on(FrontEndKind::Wayland)) GTEST_SKIP() << "the Wayland front end's connection";
  {
    const DyingCompositor dying;
    ASSERT_FALSE(dying.socket().empty());
    auto program = startProgram({"LUMIVANE_PLATFORM=wayland", "WAYLAND_DISPLAY=" + dying.socket()});
    EXPECT_EQ(exitStatus(*program, 30), 255);
    const std::string output = consoleText(program->output());
    const std::string line =
        "ERROR: The connection to the Wayland display '" + dying.socket() + "' was lost at start (";
    EXPECT_EQ(output.rfind(std::string(consoleBanner) + line, 0), 0u) << output;
    EXPECT_EQ(output.substr(output.size() - 3), ")!\n") << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'),
              std::count(consoleBanner, consoleBanner + std::strlen(consoleBanner), '\n') + 1)
        << output;
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
  if (!on(FrontEndKind::X11)) GTEST_SKIP() << "the Linux program's choice, tested on its X display";
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
  std::vector<std::string> environment = {
      "XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=", "WAYLAND_SOCKET=", "DISPLAY=" + display,
      "LUMIVANE_PLATFORM="};
  {
    auto program = startProgram(environment);
    XScreen screen(display);
    const Window window8 = screen.waitForWindow(title8, 90);
    ASSERT_NE(window8, 0u) << "no X window after the Wayland connection failed";
    screen.requestClose(window8);
    EXPECT_EQ(exitStatus(*program), 0);
    EXPECT_EQ(program->output(), std::string(consoleBanner) +
                                     "NOTE: Unable to connect to the Wayland display 'wayland-0', "
                                     "so the X display '" +
                                     display + "' is used instead.\n");
  }
  environment.back() = "LUMIVANE_PLATFORM=wayland";
  expectOneErrorLineAndMinusOne(*startProgram(environment),
                                "ERROR: Unable to connect to the Wayland display 'wayland-0'!\n");
}
