// Counting the levels a framebuffer really holds, in offscreen 8-bit and
// 10-bit framebuffers: the counts must match what the bit depth allows, or
// the check would blame the wrong link.
#include "render/level_count.h"

#include <gtest/gtest.h>

#include <vector>

#include "offscreen_gl.h"
#include "render/frame_setup.h"
#include "render/window_marks.h"
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

// A window's picture, drawn at 10 bits with its marks, pasted into a copy
// of the screen at (left, top), rows from the top, at the copy's depth.
void pasteMarkedRamp(OffscreenGl& gl, CopiedScreen& screen, float bottom, float top, int picture,
                     int left, int topRow) {
  drawRamp(300, 200, bottom, top, 0);
  drawWindowMarks(300, 200, picture);
  const std::vector<Pixel> image = gl.read();
  const int shift = 10 - (screen.maxLevel == 255 ? 8 : 10);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) {
      const Pixel p = gl.at(image, x, 199 - y);
      screen.pixels[static_cast<std::size_t>(topRow + y) * screen.width + left + x] = {
          p.r >> shift, p.g >> shift, p.b >> shift};
    }
}

// In a copy of the screen holding both ramps of one window (the earlier one
// stale beside the later one), each is found by its own marks alone and
// counted between them, at a 10-bit or an 8-bit composition; a picture
// covered in part, or never shown, is not found.
TEST(WindowMarks, EachPictureIsFoundByItsOwnMarksAlone) {
  OffscreenGl gl(300, 200, 10);
  ASSERT_TRUE(gl.ok()) << gl.error();
  initContextState();
  for (int maxLevel : {1023, 255}) {
    CopiedScreen screen;
    screen.width = 800;
    screen.height = 300;
    screen.maxLevel = maxLevel;
    screen.pixels.assign(800 * 300, {maxLevel, 0, 0});  // red, as some marks are
    const int full = markedPicture(true, false), narrow = markedPicture(true, true);
    pasteMarkedRamp(gl, screen, 0.0f, 1.0f, full, 10, 50);
    pasteMarkedRamp(gl, screen, 0.45f, 0.55f, narrow, 420, 7);
    int left = -1, top = -1;
    ASSERT_TRUE(findMarkedPicture(screen, 300, 200, narrow, left, top)) << maxLevel;
    EXPECT_EQ(left, 420);
    EXPECT_EQ(top, 7);
    const int bits = maxLevel == 255 ? 8 : 10;
    EXPECT_NEAR(countCopiedLevels(screen, left + 1, top, 298, 200),
                rampLevelsAllowed(0.45f, 0.55f, 300, 200, bits), 1);
    ASSERT_TRUE(findMarkedPicture(screen, 300, 200, full, left, top));
    EXPECT_EQ(left, 10);
    EXPECT_EQ(top, 50);
    EXPECT_NEAR(countCopiedLevels(screen, left + 1, top, 298, 200),
                rampLevelsAllowed(0.0f, 1.0f, 300, 200, bits), 1);
    for (int other : {markedPicture(false, false), markedPicture(false, true)})
      EXPECT_FALSE(findMarkedPicture(screen, 300, 200, other, left, top)) << other;
    EXPECT_FALSE(findMarkedPicture(screen, 301, 200, narrow, left, top)) << "another width";
    screen.pixels[static_cast<std::size_t>(7 + 150) * 800 + 420 + 299] = {0, 0, 0};
    EXPECT_FALSE(findMarkedPicture(screen, 300, 200, narrow, left, top)) << "covered in part";
  }
}

}  // namespace
