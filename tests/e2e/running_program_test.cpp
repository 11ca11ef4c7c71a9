// The running program on the deep-colour screen, as a person uses it: its
// console, its windows, its keys and mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

#include "e2e.h"
#include "viewer/viewer_state.h"

// One running program shared by the suite's tests in their order. Each test
// starts from the same state (preset 3, 0.4 to 0.6; both lights on; the
// logo shown; running) and leaves it so; after a test that failed, the next
// one starts a new program rather than trust what the failure left.
class RunningProgramTest : public ::testing::Test {
 protected:
  static std::unique_ptr<Desktop> screen;
  static ShownProgram shown;
  static std::unique_ptr<ChildProcess>& program() { return shown.process; }
  static WindowId window10() { return shown.window10; }
  static WindowId window8() { return shown.window8; }
  static bool restart;

  static void SetUpTestSuite() { restart = true; }
  static void TearDownTestSuite() {
    shown = {};
    screen.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
    if (restart || !program()->running()) {
      shown = {};
      screen = deepColourDesktop();
      ASSERT_TRUE(screen->ok());
      shown = startShown(*screen);
      restart = false;
    }
    ASSERT_NE(window10(), 0u) << "the 10-bit window never appeared";
    ASSERT_NE(window8(), 0u) << "the 8-bit window never appeared";
    // Painted: the timer has drawn frames, the glyph lists exist.
    EXPECT_GT(logoPixels(screen->grabUntil(
                  window10(), [](const ScreenImage& i) { return logoPixels(i) > 100; })),
              100);
  }
  void TearDown() override {
    expectNoErrors(screen->unexpectedErrors());
    if (HasFailure()) restart = true;
  }

  static ScreenImage grab(WindowId window) { return screen->grab(window); }
  template <typename Test>
  static ScreenImage grabUntil(WindowId window, Test test) {
    return screen->grabUntil(window, test);
  }
  static void type(std::initializer_list<const char*> keys) {
    const std::vector<std::string> sequence(keys.begin(), keys.end());
    EXPECT_TRUE(screen->typeKeys(window8(), sequence)) << "could not type " << sequence.front();
  }
  static void mouse(const std::vector<std::string>& commands) {
    EXPECT_TRUE(screen->x()->xdotool(commands)) << "xdotool could not move the mouse";
  }
  static std::vector<std::string> moveToCentreOf(WindowId window) {
    const ScreenRect r = screen->rectOf(window);
    return {"mousemove", std::to_string(r.x + r.width / 2), std::to_string(r.y + r.height / 2)};
  }
  // Paused: waits until the picture stands still.
  static void pause() {
    type({"p"});
    EXPECT_TRUE(waitUntil([] { return screen->staysStill(window8(), 0.2); }, 10)) << "paused";
  }
};

std::unique_ptr<Desktop> RunningProgramTest::screen;
ShownProgram RunningProgramTest::shown;
bool RunningProgramTest::restart = true;

const auto logoShown = [](const ScreenImage& image) { return logoPixels(image) > 100; };
const auto logoHidden = [](const ScreenImage& image) { return logoPixels(image) == 0; };

TEST_F(RunningProgramTest, ConsoleShowsTheBannerAndTheKeysOnly) {
  EXPECT_EQ(consoleText(program()->output()), startText());
  EXPECT_TRUE(program()->running());
}

// What a desktop finds the program by: on X the class names the desktop
// entry, the icon holds the desktop icon's images up to 128 pixels and the
// process id is the program's; on Wayland the app id does all of it.
TEST_F(RunningProgramTest, WindowsCarryTheProgramsIdentity) {
  if (on(FrontEndKind::Wayland)) {
    EXPECT_EQ(screen->appIds(), (std::vector<std::string>{LUMIVANE_APP_ID, LUMIVANE_APP_ID}));
    return;
  }
  if (onWine()) GTEST_SKIP() << "the Windows program's icon is checked under Wine";
  for (WindowId window : {window10(), window8()}) {
    EXPECT_EQ(screen->x()->windowClass(window), "lumivane/" LUMIVANE_APP_ID);
    EXPECT_EQ(screen->x()->cardinals(window, "_NET_WM_PID"),
              (std::vector<unsigned long>{static_cast<unsigned long>(program()->pid())}));
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
  const ScreenRect r8 = screen->rectOf(window8()), r10 = screen->rectOf(window10());
  EXPECT_EQ(r10.y, r8.y);
  EXPECT_EQ(r8.width, r10.width);
  EXPECT_EQ(r8.height, r10.height);
  if (on(FrontEndKind::Wayland)) {
    // sway tiles the windows in the order they appear: the 10-bit window
    // first, on the left. Each gets half the 800 by 400 output.
    EXPECT_EQ(r10.x + windowSize, r8.x) << "the 10-bit window is created first";
    EXPECT_EQ(r8.width, windowSize);
    EXPECT_EQ(r8.height, windowSize);
    EXPECT_EQ(grab(window10()).maxLevel, 1023) << "the output holds 10 bits per colour";
    return;
  }
  EXPECT_EQ(r10.x - r8.x, window10Left - window8Left);
  EXPECT_EQ(screen->x()->redBitsOf(window10()), 10);
  if (onWine()) {
    // Wine draws its own frames: the window found by title is the client
    // area, inset in a 400 by 400 frame.
    EXPECT_EQ(r8.width + 2 * (r8.x - window8Left), windowSize) << "outer width of the 8-bit window";
    EXPECT_GT(r8.height, windowSize * 3 / 4);
    EXPECT_LT(r8.height, windowSize);
    return;
  }
  EXPECT_EQ(r8.x, window8Left);
  EXPECT_EQ(r8.y, window8Top);
  EXPECT_EQ(r8.width, windowSize);
  EXPECT_EQ(r8.height, windowSize);
  EXPECT_EQ(screen->x()->visualDepthOf(window10()), 30);
  EXPECT_EQ(screen->x()->redBitsOf(window8()), 8);
  EXPECT_EQ(screen->x()->visualDepthOf(window8()), 32)
      << "the ARGB visual, the screen's only 8-bit one";
  // One client's resource ids grow in the order it creates things.
  EXPECT_LT(window10(), window8()) << "the 10-bit window is created first";
}

TEST_F(RunningProgramTest, LogoShowsInBothWindowsAndNHidesIt) {
  EXPECT_GT(logoPixels(grabUntil(window8(), logoShown)), 100) << "the 8-bit window shows no logo";
  type({"n"});
  EXPECT_EQ(logoPixels(grabUntil(window10(), logoHidden)), 0);
  EXPECT_EQ(logoPixels(grabUntil(window8(), logoHidden)), 0);
  type({"N"});
  EXPECT_GT(logoPixels(grabUntil(window8(), logoShown)), 100) << "Shift+N shows it again";
  EXPECT_GT(logoPixels(grabUntil(window10(), logoShown)), 100);
}

TEST_F(RunningProgramTest, LightKeysSwitchBothContexts) {
  // Preset 5 is one flat grey of 0.5. Unlit, everything stays at or below
  // it; the main light, behind the viewer, makes the logo's blue face shine.
  const auto unlit = [](const ScreenImage& i) { return brightest(i) < 0.51; };
  const auto lit = [](const ScreenImage& i) { return brightest(i) > 0.9; };
  type({"b", "b", "1", "2"});
  EXPECT_TRUE(unlit(grabUntil(window10(), unlit))) << "both lights off in the 10-bit context";
  EXPECT_TRUE(unlit(grabUntil(window8(), unlit))) << "both lights off in the 8-bit context";
  type({"1"});
  EXPECT_TRUE(lit(grabUntil(window10(), lit))) << "the main light on in the 10-bit context";
  EXPECT_TRUE(lit(grabUntil(window8(), lit))) << "the main light on in the 8-bit context";
  type({"1"});
  EXPECT_TRUE(unlit(grabUntil(window10(), unlit)));
  EXPECT_TRUE(unlit(grabUntil(window8(), unlit)));
  // Preset 0 clears to black with alpha 0; a compositing window manager
  // would let the desktop show through an ARGB window unless it is filled.
  // On Wayland the 10-bit buffer carries alpha: the compositor's picture
  // shows any see-through pixel as the black behind the window.
  type({"2", "1", "b"});
  const auto black = [](const ScreenImage& i) { return greyShare(i, 0.0) > 0.3; };
  EXPECT_TRUE(black(grabUntil(window8(), black))) << "preset 0 is black";
  if (screen->x() != nullptr && screen->x()->visualDepthOf(window8()) == 32) {
    EXPECT_EQ(screen->x()->seeThroughPixels(window8()), 0) << "the 8-bit window stays opaque";
  }
  type({"b", "b", "b"});
  const ScreenImage image =
      grabUntil(window8(), [&](const ScreenImage& i) { return logoShown(i) && lit(i); });
  EXPECT_GT(logoPixels(image), 100);
  EXPECT_GT(brightest(image), 0.9);
}

// Both windows' background greys at a preset with lights and logo off.
static void expectPresetLevels(const ScreenImage& image10, const ScreenImage& image8,
                               const char* name, double bottom, double top) {
  ASSERT_EQ(image10.maxLevel, 1023);
  EXPECT_LT(brightest(image10), top + 0.01) << "lights off leave the objects dark";
  EXPECT_LT(brightest(image8), top + 0.01);
  const std::set<int> levels10 = greyLevels(image10, bottom, top);
  const std::set<int> levels8 = greyLevels(image8, bottom, top);
  const int expected10 = rampLevels(bottom, top, image10.width, image10.height, 1023);
  const int expected8 = rampLevels(bottom, top, image8.width, image8.height, 255);
  std::cout << name << ": 8-bit window " << levels8.size() << " grey levels (8-bit ramp "
            << expected8 << "), 10-bit window " << levels10.size() << " (10-bit ramp " << expected10
            << ")\n";
  EXPECT_NEAR(static_cast<int>(levels10.size()), expected10, 1) << name;
  EXPECT_FALSE(std::all_of(levels10.begin(), levels10.end(), onEightBitGrid)) << name;
  if (frontEnd->trueEightBitWindow) {
    EXPECT_NEAR(static_cast<int>(levels8.size()), expected8, 1) << name;
    EXPECT_TRUE(std::all_of(levels8.begin(), levels8.end(), onEightBitGrid))
        << name << ": the 8-bit window shows only 8-bit values";
  } else {
    EXPECT_GE(static_cast<int>(levels8.size()), expected8 - 1) << name;
  }
}

// A picture whose background shows the ramp from bottom to top in full,
// with nothing brighter than its top.
static auto showsRamp(double bottom, double top, int maxLevel) {
  return [=](const ScreenImage& i) {
    const int expected = rampLevels(bottom, top, i.width, i.height, maxLevel);
    return brightest(i) < top + 0.01 &&
           std::abs(static_cast<int>(greyLevels(i, bottom, top).size()) - expected) <= 1;
  };
}

TEST_F(RunningProgramTest, BackgroundPresetsShowTheirGreyLevels) {
  // Unlit objects turn nearly black and the logo goes, so the greys within
  // the preset's range all belong to the background ramp.
  type({"1", "2", "n"});
  ScreenImage image10 = grabUntil(window10(), showsRamp(0.4, 0.6, 1023));
  expectPresetLevels(image10, grab(window8()), "preset 3", 0.4, 0.6);
  type({"b"});
  image10 = grabUntil(window10(), showsRamp(0.45, 0.55, 1023));
  expectPresetLevels(image10, grab(window8()), "preset 4", 0.45, 0.55);

  // Key C: the same narrow ramp in red alone, as finely as the grey one;
  // three more presses (green, blue, grey) give grey again for what follows.
  type({"c"});
  const auto redRamp = [](const ScreenImage& i) {
    return greyLevels(i, 0.45, 0.55).empty() && !redLevels(i, 0.45, 0.55).empty();
  };
  const ScreenImage red10 = grabUntil(window10(), redRamp), red8 = grabUntil(window8(), redRamp);
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
  type({"c", "c", "c", "b"});
  const auto flatGrey = [](const ScreenImage& i) { return greyShare(i, 0.5) > 0.3; };
  EXPECT_TRUE(flatGrey(grabUntil(window10(), flatGrey))) << "preset 5 is one flat mid grey";
  type({"b"});
  const auto black = [](const ScreenImage& i) { return greyShare(i, 0.0) > 0.3; };
  EXPECT_TRUE(black(grabUntil(window10(), black))) << "preset 0 is black";
  EXPECT_TRUE(black(grabUntil(window8(), black))) << "preset 0 is black";

  // Back at preset 3, lit: the ramp starts at 0.4 in the bottom row, beside
  // whatever objects stand there, and highlights come back.
  type({"b", "b", "b", "1", "2", "n"});
  const auto backAtStart = [](const ScreenImage& i) {
    const long start = std::lround(0.4 * 1023);
    bool found = false;
    for (int x = 0; x < i.width && !found; ++x) {
      const ScreenPixel& p = i.at(x, i.height - 1);
      found = p.r == p.g && p.g == p.b && std::abs(p.r - start) <= 1;
    }
    return found && brightest(i) > 0.75 && logoPixels(i) > 100;
  };
  EXPECT_TRUE(backAtStart(grabUntil(window10(), backAtStart))) << "back at preset 3, lit";
}

TEST_F(RunningProgramTest, PauseFreezesBothWindows) {
  pause();
  // Paused timer ticks must paint nothing, over a span of ticks.
  EXPECT_TRUE(screen->staysStill(window10(), 0.5)) << "paused timer ticks must paint nothing";
  type({"P"});
  EXPECT_TRUE(screen->changes(window8())) << "running again, the scene turns";
}

TEST_F(RunningProgramTest, EightBitWindowSizeCarriesOverOneWay) {
  if (!on(FrontEndKind::X11))
    GTEST_SKIP() << "the windows' sizes are not the test's to set (Wine manages its own, with "
                    "its size rule tested under Wine; a tiling compositor sizes them itself)";
  const auto sized = [](WindowId window, int width, int height) {
    return waitUntil(
        [&] {
          const ScreenRect r = screen->rectOf(window);
          return r.width == width && r.height == height;
        },
        10);
  };
  screen->x()->resize(window8(), 500, 300);
  EXPECT_TRUE(sized(window10(), 500, 300)) << "the 10-bit window takes the 8-bit window's size";
  ScreenRect r10 = screen->rectOf(window10());
  EXPECT_EQ(r10.x, window10Left);
  EXPECT_EQ(r10.y, window10Top);

  screen->x()->resize(window10(), 450, 350);
  ASSERT_TRUE(sized(window10(), 450, 350));
  sleepSeconds(0.5);  // the span in which the 8-bit window must not follow
  const ScreenRect r8 = screen->rectOf(window8());
  EXPECT_EQ(r8.width, 500) << "resizing the 10-bit window changes nothing else";
  EXPECT_EQ(r8.height, 300);

  screen->x()->resize(window8(), windowSize, windowSize);
  EXPECT_TRUE(sized(window10(), windowSize, windowSize));
  // The 10-bit window repaints at its new size: the background reaches its
  // top edge again.
  EXPECT_GT(grabUntil(window10(), [](const ScreenImage& i) { return i.at(2, 2).r > 0; }).at(2, 2).r,
            0);
}

TEST_F(RunningProgramTest, DragRepaintsUntilAReleaseAnywhere) {
  if (screen->x() == nullptr) GTEST_SKIP() << "no tool here moves a Wayland pointer";
  // Paused, only repaints move anything (the logo rocks on every paint).
  pause();
  const ScreenImage still = grab(window8());
  std::vector<std::string> drag = moveToCentreOf(window8());
  for (const char* word : {"mousedown", "1", "sleep", "0.1"}) drag.push_back(word);
  for (int i = 0; i < 4; ++i)
    for (const char* word : {"mousemove_relative", "4", "4", "sleep", "0.05"}) drag.push_back(word);
  mouse(drag);
  EXPECT_TRUE(waitUntil([&] { return !samePicture(still, grab(window8())); }, 5))
      << "moves during a drag repaint";

  // Released far outside both windows: the grab (or mouse capture) still
  // delivers it.
  mouse({"mousemove", "1000", "900", "sleep", "0.1", "mouseup", "1"});
  EXPECT_TRUE(waitUntil([] { return screen->staysStill(window8(), 0.2); }, 10));
  const ScreenImage released = grab(window8());
  std::vector<std::string> wiggle = moveToCentreOf(window8());
  for (const char* word : {"sleep", "0.05", "mousemove_relative", "5", "5", "sleep", "0.05",
                           "mousemove_relative", "--", "-5", "-5", "sleep", "0.3"})
    wiggle.push_back(word);
  mouse(wiggle);  // its last 0.3 s is the span in which nothing may be painted
  EXPECT_TRUE(samePicture(released, grab(window8())))
      << "mouse moves after the release still repaint: the drag never ended";
  type({"p"});
}

TEST_F(RunningProgramTest, KeyIPrintsTheReportAndTheProgramGoesOn) {
  type({"i"});
  EXPECT_TRUE(
      waitUntil([] { return program()->output().find("Verdict: ") != std::string::npos; }, 15));
  const std::string output = consoleText(program()->output());
  ASSERT_NE(output.find("Verdict: "), std::string::npos) << "no report after key I";
  EXPECT_EQ(output.rfind(startText() + "Display chain check\n", 0), 0u) << output;
  expectDeepColourReport(output);
  EXPECT_TRUE(program()->running());
  EXPECT_GT(logoPixels(grabUntil(window10(), logoShown)), 100)
      << "the scene is back after the measuring";
  EXPECT_GT(logoPixels(grabUntil(window8(), logoShown)), 100);
}

TEST_F(RunningProgramTest, EightBitWindowStaysOpaqueAtEveryPreset) {
  if (screen->x() == nullptr || screen->x()->visualDepthOf(window8()) != 32)
    GTEST_SKIP() << "only an ARGB X window can see through";
  // Paused, each press of B repaints once: six presets round to the start
  // again; preset 0 draws no background.
  pause();
  for (int step = 0; step < shadePresetCount; ++step) {
    const ScreenImage before = grab(window8());
    type({"b"});
    EXPECT_TRUE(waitUntil([&] { return !samePicture(before, grab(window8())); }, 5))
        << "no repaint after " << step + 1 << " presses of B";
    EXPECT_EQ(screen->x()->seeThroughPixels(window8()), 0) << "after " << step + 1 << " presses";
  }
  type({"p"});
}

TEST_F(RunningProgramTest, AWindowTooLargeToDrawIsBroughtBackWithinReach) {
  if (!on(FrontEndKind::X11))
    GTEST_SKIP() << "Wine manages its own windows; the limit is tested under a window manager";
  // No window manager here to honour the maximum size: the program itself
  // keeps both windows within what Mesa's software rasteriser draws.
  screen->x()->resize(window8(), 32767, 300);
  EXPECT_TRUE(waitUntil(
      [] {
        const ScreenRect r8 = screen->rectOf(window8()), r10 = screen->rectOf(window10());
        return r8.width > windowSize && r8.width <= largestSoftwareDrawable &&
               r10.width == r8.width && r10.height == 300;
      },
      10));
  ASSERT_TRUE(program()->running()) << "a window too large to draw ended the program";
  const ScreenRect r8 = screen->rectOf(window8()), r10 = screen->rectOf(window10());
  EXPECT_LE(r8.width, largestSoftwareDrawable);
  EXPECT_GT(r8.width, windowSize);
  EXPECT_LE(r10.width, largestSoftwareDrawable) << "the size rule asked for more than can be drawn";
  EXPECT_EQ(r10.width, r8.width);
  EXPECT_EQ(r10.height, 300);
  screen->x()->resize(window8(), windowSize, windowSize);
  EXPECT_TRUE(waitUntil([] { return screen->rectOf(window10()).width == windowSize; }, 10));
}

TEST_F(RunningProgramTest, EscapeEndsTheProgramWithZero) {
  type({"Escape"});
  EXPECT_EQ(exitStatus(*program()), 0);
  EXPECT_FALSE(screen->hasWindowTitled(title10));
  EXPECT_FALSE(screen->hasWindowTitled(title8));
  const std::string output = consoleText(program()->output());
  EXPECT_EQ(output.substr(0, output.find("Display chain check")), startText())
      << "no error line on the way out";
}
