#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "support/console_text.h"

namespace {

// Records the order of the platform steps; `failing` names the one step that
// reports failure, `delivered` what the check step answers, `earlyEnd` what
// ends the program before its time.
std::string trail;
std::string failing;
bool delivered = false;
int earlyEnd = 0;

bool step(const std::string& name) {
  trail += name;
  trail += ' ';
  return failing != name;
}

std::string named(const char* step, WhichWindow which) {
  return step + std::string(which == WhichWindow::TenBit ? "10" : "8");
}

StartupSteps recordingSteps() {
  return {
      [] { return step("open"); },
      [](WhichWindow which) { return step(named("create", which)); },
      [](WhichWindow which) { step(named("current", which)); },
      [] { step("init"); },
      [](WhichWindow which) { step(named("show", which)); },
      [] { step("share"); },
      [] { step("glyphs"); },
      [] { step("release"); },
      [] { step("timer"); },
      [] { step("loop"); },
      [] { return step("check") && delivered; },
      [](unsigned milliseconds) { trail += "sleep" + std::to_string(milliseconds) + ' '; },
      [] { return step("full"); },
      [] { return earlyEnd; },
  };
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    trail.clear();
    failing.clear();
    earlyEnd = 0;
    ::testing::internal::CaptureStdout();
  }
  std::string output() { return ::testing::internal::GetCapturedStdout(); }
};

TEST_F(StartupTest, RunsTheStepsInOrderAndEndsWithZero) {
  EXPECT_EQ(runStartup(recordingSteps(), {}), 0);
  EXPECT_EQ(output(), banner);
  // Lists are shared before the 8-bit context is first current and set up,
  // and the glyphs are built with it current again after its first paint.
  EXPECT_EQ(trail,
            "open create10 current10 init show10 create8 share current8 init show8 current8 "
            "glyphs release timer loop ");
}

TEST_F(StartupTest, AbsentStepsAreSkipped) {
  StartupSteps steps = recordingSteps();
  steps.shareLists = nullptr;  // contexts that share at creation
  steps.releaseContext = nullptr;
  EXPECT_EQ(runStartup(steps, {}), 0);
  EXPECT_EQ(trail,
            "open create10 current10 init show10 create8 current8 init show8 current8 glyphs "
            "timer loop ");
  output();
}

TEST_F(StartupTest, TheCheckTakesTheLoopsPlaceAndItsAnswerIsTheStatus) {
  StartOptions check;
  check.check = true;
  for (bool tenBits : {true, false}) {
    trail.clear();
    delivered = tenBits;
    EXPECT_EQ(runStartup(recordingSteps(), check), tenBits ? 0 : 1);
    EXPECT_EQ(trail.substr(trail.find("timer")), "timer check ");
  }
  trail.clear();
  failing = "create8";
  EXPECT_EQ(runStartup(recordingSteps(), check), -1) << "a check that never ran is no verdict";
  EXPECT_EQ(trail.find("check"), std::string::npos);
  output();
}

TEST_F(StartupTest, FullScreenTheBlindTestAndAnEarlyEndFollowTheOptions) {
  output();
  struct Case {
    bool fullScreen, check, blind;
    const char* failing;
    int earlyEnd;
    const char* steps;  // from the timer on
    int status;
    const char* console;  // a line the console shows after the banner
  } cases[] = {
      {true, false, false, "", 0, "timer full loop ", 0, ""},
      {true, true, false, "", 0, "timer full check ", 0, ""},
      {true, false, false, "full", 0, "timer full loop ", 0, ""},
      // Escape before the first answer: the score so far, and no pass.
      {false, false, true, "", 0, "timer full loop ", 1, "Round 1 of 10:"},
      {false, false, true, "full", 0, "timer full ", -1, blindNeedsFullScreenLine},
      // A signal or a lost display: no full screen, no blind test.
      {false, false, true, "", 130, "timer loop ", 130, ""},
      {true, true, false, "", -1, "timer check ", -1, ""},
  };
  for (const Case& c : cases) {
    trail.clear();
    failing = c.failing;
    earlyEnd = c.earlyEnd;
    delivered = true;
    StartOptions options;
    options.fullScreen = c.fullScreen;
    options.check = c.check;
    options.blind = c.blind;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(runStartup(recordingSteps(), options), c.status) << c.steps;
    EXPECT_EQ(trail.substr(trail.find("timer")), c.steps);
    EXPECT_NE(output().find(c.console), std::string::npos) << c.console;
  }
}

TEST_F(StartupTest, EveryFailureToStartEndsWithMinusOne) {
  failing = "open";
  EXPECT_EQ(runStartup(recordingSteps(), {}), -1);
  EXPECT_EQ(trail, "open ");

  trail.clear();
  failing = "create10";
  EXPECT_EQ(runStartup(recordingSteps(), {}), -1);
  EXPECT_EQ(trail, "open create10 sleep5000 ") << "the error line stays readable a while";

  trail.clear();
  failing = "create8";
  EXPECT_EQ(runStartup(recordingSteps(), {}), -1);
  EXPECT_EQ(trail, "open create10 current10 init show10 create8 ");
  output();
}

}  // namespace
