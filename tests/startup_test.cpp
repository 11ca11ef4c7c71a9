#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "support/console_text.h"

namespace {

// Records the order of the platform steps; `failing` names the one step that
// reports failure.
std::string trail;
std::string failing;

bool step(const char* name) {
  trail += name;
  trail += ' ';
  return failing != name;
}

const StartupSteps recordingSteps = {
    [] { return step("open"); },
    [] { return step("create10"); },
    [] { step("show10"); },
    [] { return step("create8"); },
    [] { step("share"); },
    [] { step("init8"); },
    [] { step("current8"); },
    [] { step("show8"); },
    [] { step("glyphs"); },
    [] { step("timer"); },
    [] { step("loop"); },
    [](unsigned milliseconds) { trail += "sleep" + std::to_string(milliseconds) + ' '; },
};

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
  EXPECT_EQ(runStartup(recordingSteps), 0);
  EXPECT_EQ(output(), banner);
  // Lists are shared before the 8-bit context is first current and set up,
  // and the glyphs are built with it current again after its first paint.
  EXPECT_EQ(trail, "open create10 show10 create8 share init8 show8 current8 glyphs timer loop ");
}

TEST_F(StartupTest, EveryFailureToStartEndsWithMinusOne) {
  failing = "open";
  EXPECT_EQ(runStartup(recordingSteps), -1);
  EXPECT_EQ(trail, "open ");

  trail.clear();
  failing = "create10";
  EXPECT_EQ(runStartup(recordingSteps), -1);
  EXPECT_EQ(trail, "open create10 sleep5000 ") << "the error line stays readable a while";

  trail.clear();
  failing = "create8";
  EXPECT_EQ(runStartup(recordingSteps), -1);
  EXPECT_EQ(trail, "open create10 show10 create8 ");
  output();
}

}  // namespace
