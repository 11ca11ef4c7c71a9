#include "viewer/key_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "viewer/viewer_state.h"

namespace {

// Records what the key table asked the front end to do.
std::string calls;

void recordQuit() {
  calls += "quit ";
}
void recordLight(Light light, bool on) {
  calls += std::string(light == Light::Main ? "main" : "side") + (on ? "=on " : "=off ");
}
void recordRefresh() {
  calls += "refresh ";
}

void recordReport() {
  calls += "report ";
}

void recordFullScreen() {
  calls += "fullscreen ";
}

// Here Right is always the test's last answer.
bool recordPick(bool right) {
  calls += right ? "right " : "left ";
  return right;
}

const FrontEndActions recorder = {recordQuit,   recordLight,      recordRefresh,
                                  recordReport, recordFullScreen, recordPick};

class KeyCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewerState = ViewerState{};
    calls.clear();
  }
};

TEST_F(KeyCommandsTest, EachKeyRunsItsCommandWithItsRefreshCount) {
  struct Row {
    ViewerKey key;
    const char* expected;
  };
  const Row rows[] = {
      {ViewerKey::Escape, "quit "},
      {ViewerKey::Space, ""},
      {ViewerKey::MainLight, "main=off refresh refresh "},
      {ViewerKey::SideLight, "side=off refresh refresh "},
      {ViewerKey::Shade, "refresh refresh "},
      {ViewerKey::RampColour, "refresh refresh "},
      {ViewerKey::Logo, "refresh "},
      {ViewerKey::Pause, "refresh "},
      {ViewerKey::Report, "report "},
      {ViewerKey::FullScreen, "fullscreen "},
  };
  for (const Row& row : rows) {
    calls.clear();
    EXPECT_TRUE(handleViewerKey(row.key, recorder));
    EXPECT_EQ(calls, row.expected) << "key " << static_cast<int>(row.key);
  }
  EXPECT_TRUE(viewerState.mainLightOff);
  EXPECT_TRUE(viewerState.sideLightOff);
  EXPECT_EQ(viewerState.shadeIndex, 4);
  EXPECT_EQ(viewerState.rampColour, RampColour::Red);
  EXPECT_FALSE(viewerState.logoVisible);
  EXPECT_TRUE(viewerState.paused);
}

TEST_F(KeyCommandsTest, PressingALightKeyTwiceSwitchesTheLightBackOn) {
  handleViewerKey(ViewerKey::MainLight, recorder);
  handleViewerKey(ViewerKey::MainLight, recorder);
  EXPECT_EQ(calls, "main=off refresh refresh main=on refresh refresh ");
  EXPECT_FALSE(viewerState.mainLightOff);
}

TEST_F(KeyCommandsTest, AKeyWithoutARowChangesNothing) {
  EXPECT_FALSE(handleViewerKey(ViewerKey::Other, recorder));
  EXPECT_EQ(calls, "");
  const ViewerState initial;
  EXPECT_EQ(viewerState.shadeIndex, initial.shadeIndex);
  EXPECT_EQ(viewerState.paused, initial.paused);
  EXPECT_EQ(viewerState.logoVisible, initial.logoVisible);
}

TEST_F(KeyCommandsTest, TheReportAndFullScreenKeysAreTheFrontEndsOnlyWhereItHasThem) {
  const FrontEndActions withoutReport = {recordQuit, recordLight, recordRefresh};
  EXPECT_FALSE(handleViewerKey(ViewerKey::Report, withoutReport));
  EXPECT_FALSE(handleViewerKey(ViewerKey::FullScreen, withoutReport));
  EXPECT_EQ(calls, "");
  const ViewerState initial;
  EXPECT_EQ(viewerState.paused, initial.paused) << "the report changes nothing it shows";
}

TEST_F(KeyCommandsTest, DuringTheBlindTestTheArrowsAnswerAndFAndIAreOff) {
  EXPECT_FALSE(handleViewerKey(ViewerKey::Left, recorder)) << "no test, no answer";
  EXPECT_EQ(calls, "");
  viewerState.blindTestRunning = true;
  for (ViewerKey key : {ViewerKey::Left, ViewerKey::Right, ViewerKey::FullScreen, ViewerKey::Report,
                        ViewerKey::Shade}) {
    EXPECT_TRUE(handleViewerKey(key, recorder));
  }
  EXPECT_EQ(calls, "left refresh right quit refresh refresh ")
      << "the next round is shown, the last answer ends the program; F and I would reveal the "
         "halves";
}

}  // namespace
