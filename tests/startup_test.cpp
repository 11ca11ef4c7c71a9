#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "support/console_text.h"

namespace {

// Records the order of the platform steps; `failing` names the one step that
// reports failure, `delivered` what the check step answers.
std::string trail;
std::string failing;
bool delivered = false;

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
  };
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    trail.clear();
    failing.clear();
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

TEST_F(StartupTest, ABlindRunWhoseTestNeverBeganIsNoNormalEnd) {
  StartOptions blind;
  blind.blind = true;
  EXPECT_EQ(runStartup(recordingSteps(), blind), -1);
  EXPECT_EQ(trail.substr(trail.find("timer")), "timer loop ");
  output();
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
