// Full screen: key F and --fullscreen show the split view on one surface,
// the 8-bit picture on the left, the 10-bit one on the right; the report
// then measures both halves and names the presentation. The blind test
// runs in the split view too.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "e2e.h"

// Preset 4, the narrowest ramp.
constexpr double narrowBottom = 0.45, narrowTop = 0.55;

static bool sameRect(const ScreenRect& a, const ScreenRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The report's narrow ramp: levels drawn in each half against what 8 and
// 10 bits allow.
static void expectHalvesMeasured(const std::string& report) {
  const std::size_t narrow = report.find("Narrow ramp");
  ASSERT_NE(narrow, std::string::npos) << report;
  const std::vector<int> allowed = reportRow(report.substr(narrow), "  levels 8 / 10 bits allow");
  const std::vector<int> drawn = reportRow(report, "Narrow ramp: levels drawn");
  ASSERT_EQ(allowed.size(), 4u) << report;
  ASSERT_EQ(drawn.size(), 2u) << report;
  EXPECT_EQ(drawn[0], allowed[0]) << "the left half holds 8-bit levels";
  EXPECT_EQ(drawn[1], allowed[3]) << "the right half holds 10-bit levels";
  if ((on(FrontEndKind::X11) || on(FrontEndKind::Wayland)) && screenReadBack()) {
    const std::vector<int> onScreen = reportRow(report.substr(narrow), "  levels on screen");
    EXPECT_EQ(onScreen, (std::vector<int>{allowed[0], allowed[3]})) << report;
  }
  if (on(FrontEndKind::WindowsDxgi)) {
    const std::vector<int> backBuffer =
        reportRow(report.substr(narrow), "  levels in the back buffer");
    EXPECT_EQ(backBuffer, (std::vector<int>{allowed[0], allowed[3]})) << report;
  }
}

// Its own program: the running one's suite ends with Escape.
TEST(FullScreenTest, KeyFShowsBothPicturesAndFAgainTheTwoWindowsAndEscapeEndsIt) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  if (const char* why = screen->cannotCopyPictures())
    GTEST_SKIP() << why << ": the halves' pictures are not seen here (CompositorTest checks F "
                 << "and F again through the windows and the reports)";
  // Exclusive full screen may set a display mode of its own: it must be
  // given back however full screen ends.
  const std::string modeBefore = screen->x() != nullptr ? screen->x()->screenMode() : "";
  const ShownProgram shown = startShown(*screen);
  ASSERT_NE(shown.window8, 0u) << "the 8-bit window never appeared";
  ASSERT_NE(shown.window10, 0u) << "the 10-bit window never appeared";
  ChildProcess& program = *shown.process;
  const ScreenRect start8 = screen->rectOf(shown.window8);
  const ScreenRect start10 = screen->rectOf(shown.window10);
  const auto type = [&](const char* key) {
    EXPECT_TRUE(screen->typeKey(shown.window8, key)) << "could not type " << key;
  };
  type("f");
  const WindowId full = screen->waitForWindow(fullScreenTitle, 20);
  ASSERT_NE(full, 0u) << "no full-screen window after F";
  // The narrow preset, both lights off, the logo hidden: typed in full screen.
  EXPECT_TRUE(screen->typeKeys(shown.window8, {"b", "1", "2", "n"}));
  SplitHalves halves;
  ScreenRect r;
  int allowed8 = 0, allowed10 = 0;
  const bool split = waitUntil(
      [&] {
        r = screen->rectOf(full);
        allowed8 = rampLevels(narrowBottom, narrowTop, r.width / 2, r.height, 255);
        allowed10 = rampLevels(narrowBottom, narrowTop, r.width / 2, r.height, 1023);
        halves = halvesOf(screen->grab(full), narrowBottom, narrowTop);
        return static_cast<int>(halves.left.size()) == allowed8 &&
               static_cast<int>(halves.right.size()) == allowed10;
      },
      10);
  std::cout << "Full screen " << r.width << "x" << r.height << ": background levels "
            << halves.left.size() << " in the left half (8 bits allow " << allowed8 << "), "
            << halves.right.size() << " in the right half (10 bits allow " << allowed10 << ")\n";
  EXPECT_TRUE(split) << "the halves never showed the narrow ramp at 8 and at 10 bits";
  EXPECT_GE(r.width, start8.width + start10.width) << "the window covers the screen";
  for (int level : halves.left) EXPECT_TRUE(widenedEightBitLevel(level)) << level;
  EXPECT_GT(halves.yellowLeft, 20) << "the \"8-bit\" label";
  EXPECT_GT(halves.yellowRight, halves.yellowLeft) << "the \"10-bit\" label";

  // Key I measures both halves and names how the surface reaches the screen.
  type("i");
  EXPECT_TRUE(
      waitUntil([&] { return program.output().find("Verdict: ") != std::string::npos; }, 20));
  const std::string report = consoleText(program.output());
  EXPECT_NE(report.find(std::string("\nPresentation: ") + frontEnd->fullScreenPresentation + "\n"),
            std::string::npos)
      << report;
  expectHalvesMeasured(report);

  type("f");
  EXPECT_TRUE(waitUntil([&] { return !screen->hasWindowTitled(fullScreenTitle); }, 10))
      << "the full-screen window stays after F again";
  EXPECT_TRUE(sameRect(screen->rectOf(shown.window8), start8));
  EXPECT_TRUE(sameRect(screen->rectOf(shown.window10), start10));
  EXPECT_TRUE(waitUntil(
      [&] {
        return countGreyLevels(screen->grab(shown.window10), narrowBottom, narrowTop) ==
               rampLevels(narrowBottom, narrowTop, start10.width, start10.height, 1023);
      },
      10))
      << "the 10-bit window shows the scene again";

  type("f");
  const WindowId again = screen->waitForWindow(fullScreenTitle, 20);
  ASSERT_NE(again, 0u) << "no full screen at the second F";
  if (on(FrontEndKind::Wayland)) {
    // The compositor may take full screen away (a person's Mod+F on sway):
    // the two windows come back as after F.
    EXPECT_TRUE(SwayScreen(*deepColourScreen().compositor).endFullScreen(again));
    EXPECT_TRUE(waitUntil([&] { return !screen->hasWindowTitled(fullScreenTitle); }, 10))
        << "full screen taken away, the split view's window stays";
    type("f");
    ASSERT_NE(screen->waitForWindow(fullScreenTitle, 20), 0u) << "no full screen at the third F";
  }
  type("Escape");
  EXPECT_EQ(exitStatus(program), 0) << "Escape in full screen ends it";
  EXPECT_FALSE(screen->hasWindowTitled(fullScreenTitle));
  EXPECT_FALSE(screen->hasWindowTitled(title10));
  const std::string output = consoleText(program.output());
  EXPECT_EQ(output.rfind(startText() + "Display chain check\n", 0), 0u) << output;
  EXPECT_EQ(output.find("Verdict: "), output.rfind("Verdict: "))
      << "no line but the banner and the report:\n"
      << output;
  EXPECT_EQ(output.substr(output.rfind('\n', output.size() - 2) + 1, 9), "Verdict: ") << output;
  if (screen->x() != nullptr) {
    EXPECT_EQ(screen->x()->screenMode(), modeBefore) << "the display mode stays changed";
  }
  expectNoErrors(screen->unexpectedErrors());
}

TEST(FullScreenTest, CheckMeasuresBothHalvesAndNamesThePresentation) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const std::unique_ptr<Desktop> screen = deepColourDesktop();
  const std::string modeBefore = screen->x() != nullptr ? screen->x()->screenMode() : "";
  const CheckRun run = runCheck(screen->environment(), {"--fullscreen", "--check"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find(std::string("\nPresentation: ") + frontEnd->fullScreenPresentation +
                            "\n                                8-bit half        10-bit half\n"),
            std::string::npos)
      << run.output;
  expectHalvesMeasured(run.output);
  if (on(FrontEndKind::Wayland)) {
    const PrivateCompositor& compositor = *deepColourScreen().compositor;
    expectHalvesFillTheOutput(run.output, compositor.outputWidth(), compositor.outputHeight());
  }
  if (screen->x() != nullptr) {
    EXPECT_EQ(screen->x()->screenMode(), modeBefore) << "the display mode stays changed";
  }
}

// The blind test: ten rounds in full screen, the 8-bit picture on a half the
// program chooses; the test tells the halves apart by their background levels
// (the 8-bit half's all lie on the 8-bit grid) and answers right, wrong, or
// not at all (Escape in round 2) on X11; one whole run of right answers on
// the other front ends. Where the screen cannot be read (Mutter, KWin), one
// whole run answered Left each time, whose score says which status it gives.
enum class Answers { Right, Wrong, EscapeInRoundTwo, AlwaysLeft };

// Waits for the round's line and the picture drawn for it; answers it.
static void playRound(Desktop& screen, ChildProcess& program, WindowId full, int round,
                      Answers answers) {
  const std::string line =
      "Round " + std::to_string(round) + " of 10: which half is smoother? Press Left or Right.\n";
  ASSERT_TRUE(
      waitUntil([&] { return consoleText(program.output()).find(line) != std::string::npos; }, 20))
      << "no line for round " << round << ":\n"
      << program.output();
  if (round == 2 && answers == Answers::EscapeInRoundTwo) {
    EXPECT_TRUE(screen.typeKey(full, "Escape"));
    return;
  }
  if (answers == Answers::AlwaysLeft) {
    EXPECT_TRUE(screen.typeKey(full, "Left"));
    return;
  }
  // A picture drawn after the round began: one that differs from the first
  // taken, whose 8-bit half then lies all on the 8-bit grid.
  const ScreenImage first = screen.grab(full);
  bool eightBitLeft = false;
  ASSERT_TRUE(waitUntil(
      [&] {
        const ScreenImage image = screen.grab(full);
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
  EXPECT_TRUE(screen.typeKey(full, pickLeft ? "Left" : "Right"));
}

TEST(BlindTest, AnswersGiveTheScoreAndTheStatus) {
  ASSERT_TRUE(deepColourScreenStarted()) << deepColourScreenMissing;
  const bool pictures = deepColourDesktop()->cannotCopyPictures() == nullptr;
  const std::vector<Answers> runs =
      on(FrontEndKind::X11)
          ? std::vector<Answers>{Answers::Right, Answers::Wrong, Answers::EscapeInRoundTwo}
          : std::vector<Answers>{pictures ? Answers::Right : Answers::AlwaysLeft};
  for (const Answers answers : runs) {
    SCOPED_TRACE(answers == Answers::Right        ? "right answers"
                 : answers == Answers::Wrong      ? "wrong answers"
                 : answers == Answers::AlwaysLeft ? "Left each time"
                                                  : "Escape in round 2");
    const std::unique_ptr<Desktop> screen = deepColourDesktop();
    auto program = startProgram(screen->environment(), {"--blind"});
    // Where the windows are not seen, the first round's line says full
    // screen is shown.
    const WindowId full =
        screen->cannotListWindows() != nullptr ? 0 : screen->waitForWindow(fullScreenTitle, 90);
    ASSERT_TRUE(full != 0 || screen->cannotListWindows() != nullptr)
        << "--blind showed no full-screen window";
    const int rounds = answers == Answers::EscapeInRoundTwo ? 2 : 10;
    for (int round = 1; round <= rounds && !::testing::Test::HasFatalFailure(); ++round)
      playRound(*screen, *program, full, round, answers);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    int status = -1;
    ASSERT_TRUE(program->waitForExit(60, status)) << program->output();
    const std::string output = consoleText(program->output());
    std::cout << output.substr(std::min(output.find("You picked"), output.size()));
    if (answers == Answers::AlwaysLeft) {
      // The score decides the status: 0 where it says the difference is seen.
      const bool seen = output.find("\nYou can see the difference") != std::string::npos;
      EXPECT_NE(seen, output.find("\nThis test found no difference") != std::string::npos)
          << output;
      EXPECT_NE(output.find(" of 10 rounds. Guessing does at least that well in "),
                std::string::npos)
          << output;
      EXPECT_EQ(status, seen ? 0 : 1) << output;
      continue;
    }
    const char* score = answers == Answers::Right   ? "in 10 of 10 rounds. Guessing does at "
                                                      "least that well in 0.1 % of tries.\n"
                        : answers == Answers::Wrong ? "in 0 of 10 rounds."
                                                    : "in 1 of 1 rounds.";
    EXPECT_NE(output.find(std::string("You picked the 10-bit half ") + score), std::string::npos)
        << output;
    EXPECT_EQ(status, answers == Answers::Right ? 0 : 1) << output;
    if (full != 0) {
      EXPECT_FALSE(screen->hasWindowTitled(fullScreenTitle));
    }
  }
}
