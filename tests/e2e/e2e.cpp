#include "e2e.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {

// The table of front ends, each told by what differs from the defaults.
std::vector<FrontEnd> frontEnds() {
  FrontEnd x11, wayland, windows, dxgi;
  wayland.name = "wayland";
  wayland.kind = FrontEndKind::Wayland;
  wayland.fullScreenPresentation = "full screen (compositor)";
  windows.name = "windows";
  windows.kind = FrontEndKind::Windows;
  windows.trueEightBitWindow = false;
  windows.noDeepColourLine = "ERROR: wglChoosePixelFormat failed!\n";
  windows.noDeepColourNote = tryDxgiNote;
  windows.deepColourStartLines =
      "NOTE: the 8-bit window got 10 bits per colour on this display, so it cannot show 8-bit "
      "bands.\n";
  windows.usage = "Usage: lumivane [--dxgi] [--fullscreen] [--check | --blind]\n";
  dxgi.name = "windows-dxgi";
  dxgi.kind = FrontEndKind::WindowsDxgi;
  dxgi.noDeepColourLine = nullptr;
  dxgi.usage = windows.usage;
  dxgi.fullScreenPresentation = "full screen, exclusive";
  return {x11, wayland, windows, dxgi};
}

bool allBlack(const ScreenImage& image) {
  return std::all_of(image.pixels.begin(), image.pixels.end(),
                     [](const ScreenPixel& p) { return p.r == 0 && p.g == 0 && p.b == 0; });
}

// The Wayland report's last four lines on the 10-bit sway, where each window
// is 400 pixels square. The program is started without SWAYSOCK, so it knows
// the wlroots family and no more.
const char waylandReportEnd[] =
    "Output: HEADLESS-1, monitor unknown\n"
    "Compositor: sway or another wlroots compositor\n"
    "Composition: 10 bits per colour (the compositor's screen copy is XRGB2101010)\n"
    "Verdict: no link seen loses bits: the 10-bit window holds 104 of 104 levels on screen; "
    "output HEADLESS-1's bits per colour are unknown here, so check the monitor's own "
    "settings.\n";

}  // namespace

const FrontEnd* frontEnd = nullptr;
std::vector<std::string> launchCommand;
CompositorKind waylandCompositor = CompositorKind::SwayTenBit;

ScreenImage Desktop::grab(WindowId window) {
  if (driven_) {
    ADD_FAILURE() << "a test without pictures here grabbed one: " << cannotCopyPictures();
    return ScreenImage();
  }
  const auto once = [&] {
    return x_ ? x_->grab(x_->rectOf(window)) : sway_->grab(sway_->rectOf(window));
  };
  ScreenImage image = once();
  if (on(FrontEndKind::WindowsDxgi) && allBlack(image))
    waitUntil([&] { return !allBlack(image = once()); }, 5);
  return image;
}

void expectNoErrors(const std::vector<std::string>& xErrors) {
  for (const std::string& error : xErrors) ADD_FAILURE() << "X error: " << error;
}

DeepColourScreen& deepColourScreen() {
  static DeepColourScreen screen;
  if (!screen.xServer && !screen.compositor) {
    if (on(FrontEndKind::Wayland))
      screen.compositor = std::make_unique<PrivateCompositor>(waylandCompositor);
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

const char* const deepColourScreenMissing =
    "the deep-colour screen (Xvfb, or the Wayland compositor) did not start";

ShallowScreen::ShallowScreen() {
  if (on(FrontEndKind::Wayland)) {
    compositor = std::make_unique<PrivateCompositor>(CompositorKind::WestonWithoutRenderer);
    if (!compositor->socket().empty()) desktop = std::make_unique<Desktop>(*compositor);
  } else {
    server = std::make_unique<PrivateXServer>(24);
    if (!server->name().empty()) desktop = std::make_unique<Desktop>(server->name());
  }
}

const char* const shallowScreenMissing =
    "the screen without 10 bits (Xvfb or Weston) did not start";

std::unique_ptr<ChildProcess> startProgram(const std::vector<std::string>& environment,
                                           const std::vector<std::string>& arguments) {
  std::vector<std::string> command = launchCommand;
  command.insert(command.end(), arguments.begin(), arguments.end());
  return std::make_unique<ChildProcess>(command, environment);
}

ShownProgram startShown(Desktop& screen, const std::vector<std::string>& arguments) {
  ShownProgram shown;
  shown.process = startProgram(screen.environment(), arguments);
  shown.window10 = screen.waitForWindow(title10, 90);
  shown.window8 = screen.waitForWindow(title8, 30);
  return shown;
}

std::string consoleText(const std::string& text) {
  if (!onWine()) return text;
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) result += text[i];
  return result;
}

void expectOneErrorLineAndMinusOne(ChildProcess& program, const std::string& errorLine) {
  int status = 0;
  ASSERT_TRUE(program.waitForExit(30, status)) << "still running after " << errorLine;
  EXPECT_EQ(consoleText(program.output()), std::string(consoleBanner) + errorLine);
  EXPECT_EQ(status, 255) << "-1 as an 8-bit exit status";
}

CheckRun runCheck(const std::vector<std::string>& environment,
                  const std::vector<std::string>& arguments) {
  auto program = startProgram(environment, arguments);
  CheckRun run;
  EXPECT_TRUE(program->waitForExit(120, run.status)) << "still running after two minutes";
  run.output = consoleText(program->output());
  return run;
}

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

// The DXGI report: what the program reads back from each swap chain's back
// buffer, and Wine's DXGI output, which tells no bits per colour.
static void expectDxgiReport(const std::string& report, const std::vector<int>& allowed) {
  EXPECT_NE(report.find("\nDXGI swap chain                 R8G8B8A8_UNORM    "
                        "R10G10B10A2_UNORM\n"),
            std::string::npos)
      << report;
  const std::vector<int> backBuffer =
      reportRow(report.substr(report.find("Narrow ramp")), "  levels in the back buffer");
  ASSERT_EQ(backBuffer.size(), 2u) << report;
  EXPECT_NEAR(backBuffer[0], allowed[0], 1) << "the 8-bit swap chain holds 8-bit levels";
  EXPECT_NEAR(backBuffer[1], allowed[3], 1) << "the 10-bit swap chain holds 10-bit levels";
  EXPECT_NE(report.find(", unknown bits per colour\nDesktop composition: unknown\nVerdict: "
                        "no link seen loses bits: the 10-bit window holds "),
            std::string::npos)
      << report;
}

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
  if (!frontEnd->trueEightBitWindow) {
    EXPECT_GT(drawn[0], allowed[0] + 1) << "Wine's 8-bit window holds 10-bit levels";
    // Wine answers no advanced colour request: the compositor stays unknown.
    EXPECT_NE(report.find("\nDesktop composition: unknown\nVerdict: "), std::string::npos)
        << report;
    EXPECT_NE(report.find("the 8-bit window is not a true 8-bit reference on this display"),
              std::string::npos)
        << report;
    return;
  }
  EXPECT_EQ(std::vector<int>(bits.begin(), bits.begin() + 3), (std::vector<int>{8, 8, 8}));
  EXPECT_NEAR(drawn[0], allowed[0], 1) << "the 8-bit window holds 8-bit levels";
  if (on(FrontEndKind::WindowsDxgi)) {
    expectDxgiReport(report, allowed);
  } else if (!screenReadBack()) {
    EXPECT_EQ(report.find("levels on screen"), std::string::npos) << report;
    EXPECT_NE(report.find("\nCompositor: " + deepColourScreen().compositor->name() +
                          "\nComposition: unknown (the compositor offers no screen copy)\n"),
              std::string::npos)
        << report;
  } else {
    // The X11 front end reads back what the screen holds, the Wayland one
    // what sway's copy of its output holds.
    const std::vector<int> onScreen = reportRow(report.substr(narrow), "  levels on screen");
    ASSERT_EQ(onScreen.size(), 2u) << report;
    EXPECT_NEAR(onScreen[0], allowed[0], 1);
    EXPECT_NEAR(onScreen[1], allowed[3], 1) << "the screen holds the 10-bit levels";
    if (on(FrontEndKind::Wayland))
      EXPECT_EQ(report.substr(report.find("Output: ")), waylandReportEnd);
    else
      EXPECT_NE(report.find("Screen depth: 30\n"), std::string::npos);
  }
}

void expectHalvesFillTheOutput(const std::string& report, int width, int height) {
  const int allowed8 = rampLevels(0.0, 1.0, width / 2, height, 255);
  const int allowed10 = rampLevels(0.0, 1.0, width / 2, height, 1023);
  // The first "allow" row is the full ramp's.
  EXPECT_EQ(reportRow(report, "  levels 8 / 10 bits allow"),
            (std::vector<int>{allowed8, allowed10, allowed8, allowed10}))
      << "halves as tall as the " << width << "x" << height << " output:\n"
      << report;
  const std::vector<int> drawn = reportRow(report, "Full ramp: levels drawn");
  ASSERT_EQ(drawn.size(), 2u) << report;
  EXPECT_NEAR(drawn[1], allowed10, 1) << report;
}

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

// CPU time a process has used so far, in seconds; -1 when it cannot be read.
static double cpuSecondsOf(pid_t pid) {
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

double cpuSecondsOver(pid_t pid, double seconds) {
  const double before = cpuSecondsOf(pid);
  sleepSeconds(seconds);  // the span whose CPU time is measured
  return cpuSecondsOf(pid) - before;
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  static const std::vector<FrontEnd> table = frontEnds();
  bool known = true;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    const std::string option = argv[i];
    for (const FrontEnd& candidate : table)
      if (option == std::string("--front-end=") + candidate.name) frontEnd = &candidate;
    if (option.rfind("--compositor=", 0) == 0) {
      const std::string name = option.substr(13);
      known = name == "sway" || name == "mutter" || name == "kwin";
      waylandCompositor = name == "mutter" ? CompositorKind::Mutter
                          : name == "kwin" ? CompositorKind::Kwin
                                           : CompositorKind::SwayTenBit;
    }
  }
  launchCommand.assign(argv + std::min(i + 1, argc), argv + argc);
  if (frontEnd == nullptr || launchCommand.empty() || !known) {
    std::cerr << "usage: e2e_tests [gtest flags] --front-end=linux|windows|windows-dxgi|wayland "
                 "[--compositor=sway|mutter|kwin] -- COMMAND [ARGS...]\n";
    return 2;
  }
  return RUN_ALL_TESTS();
}
