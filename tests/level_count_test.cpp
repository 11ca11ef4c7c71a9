// Counting the levels a framebuffer really holds, in offscreen 8-bit and
// 10-bit framebuffers: the counts must match what the bit depth allows, or
// the check would blame the wrong link.
#include "render/level_count.h"

#include <gtest/gtest.h>

#include <vector>

#include "offscreen_gl.h"
#include "render/frame_setup.h"
#include "viewer/viewer_state.h"

namespace {

struct AfterDrawing {
  int calls = 0;
  std::vector<Pixel> lastPicture;
  OffscreenGl* gl = nullptr;
};

void recordScreen(RampMeasurement& ramp, void* context) {
  auto* after = static_cast<AfterDrawing*>(context);
  ++after->calls;
  after->lastPicture = after->gl->read();
  ramp.onScreen = after->calls * 1000;  // marks which call filled which ramp
}

TEST(LevelCount, EachBitDepthHoldsTheLevelsItAllows) {
  for (int bits : {8, 10}) {
    OffscreenGl gl(400, 400, bits);
    ASSERT_TRUE(gl.ok()) << gl.error();
    initContextState();
    const ViewerState before = viewerState;

    WindowMeasurement m;
    readFramebufferBits(m);
    EXPECT_EQ(m.redBits, bits);
    EXPECT_EQ(m.greenBits, bits);
    EXPECT_EQ(m.blueBits, bits);
    AfterDrawing after;
    after.gl = &gl;
    measureRamps(m, 400, 400, recordScreen, &after);

    const int full = bits == 8 ? 256 : 400, narrow = bits == 8 ? 26 : 104;
    EXPECT_EQ(m.fullRamp.allowed8, 256);
    EXPECT_EQ(m.fullRamp.allowed10, 400);
    EXPECT_EQ(m.narrowRamp.allowed8, 26);
    EXPECT_EQ(m.narrowRamp.allowed10, 104);
    EXPECT_NEAR(m.fullRamp.drawn, full, 1) << bits << " bits, full ramp";
    EXPECT_NEAR(m.narrowRamp.drawn, narrow, 1) << bits << " bits, narrow ramp";
    EXPECT_EQ(after.calls, 2);
    EXPECT_EQ(m.fullRamp.onScreen, 1000);
    EXPECT_EQ(m.narrowRamp.onScreen, 2000);
    // The narrow ramp is what the buffer holds afterwards.
    const Pixel bottom = gl.at(after.lastPicture, 0, 0), top = gl.at(after.lastPicture, 0, 399);
    EXPECT_NEAR(bottom.r, 0.45 * gl.maxLevel(), 1);
    EXPECT_NEAR(top.r, 0.55 * gl.maxLevel(), 1);
    EXPECT_EQ(viewerState.shadeBottom, before.shadeBottom) << "the viewer's shades stay";
    EXPECT_EQ(viewerState.shadeTop, before.shadeTop);
  }
}

TEST(LevelCount, AWideLowWindowCountsOnlyItsRows) {
  OffscreenGl gl(400, 400, 10);
  ASSERT_TRUE(gl.ok()) << gl.error();
  initContextState();
  // 400 by 100: the lower quarter of the square viewport.
  const int drawn = drawRampAndCountLevels(400, 100, 0.0f, 1.0f);
  EXPECT_NEAR(drawn, rampLevelsAllowed(0.0f, 1.0f, 400, 100, 10), 1);
  EXPECT_EQ(drawRampAndCountLevels(400, 400, 0.5f, 0.5f), 1) << "a flat grey is one level";
}

}  // namespace
