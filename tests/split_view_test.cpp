// The split view of full screen, drawn into real 10-bit and 8-bit offscreen
// framebuffers: the 8-bit half holds only 8-bit values, the 8-bit window's
// picture, the 10-bit half the 10-bit ramp, one frame in both; and the blind
// test's arrangement.
#include "render/split_view.h"

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "render/level_count.h"
#include "support/scene_canvas.h"

namespace {

using namespace scene_canvas;

// The 10-bit level that 8-bit level `v8` becomes in a 10-bit framebuffer.
int widened(int v8) {
  return static_cast<int>(std::lround(v8 * 1023.0 / 255.0));
}
bool onEightBitGrid(int v10) {
  return widened(static_cast<int>(std::lround(v10 * 255.0 / 1023.0))) == v10;
}
GlFunction eglEntryPoint(const char* name) {
  return eglGetProcAddress(name);
}
bool labelYellow(Pixel p) {
  return p.r > 1000 && p.g > 1000 && p.b < 100;
}

// Full screen's split view on a 1280 by 1024 surface at 10 bits, the narrow
// preset with both lights off: the left half holds only 8-bit values, the
// 8-bit window's picture, the right half the 10-bit ramp; one frame in both.
TEST_F(SceneTest, SplitViewShowsOneFrameNarrowedLeftAndAtTenBitsRight) {
  constexpr int kWidth = 1280, kHeight = 1024, kHalf = kWidth / 2;
  Canvas surface(kWidth, kHeight, 10), window8(kHalf, kHeight, 8);
  ASSERT_TRUE(surface.ok() && window8.ok()) << surface.error() << window8.error();
  ASSERT_EQ(splitLeftWidth(kWidth), kHalf);
  selectPreset(narrowestRampPreset());
  viewerState.logoVisible = false;
  viewerState.mainLightOff = viewerState.sideLightOff = true;
  for (Canvas* canvas : {&surface, &window8}) {
    canvas->makeCurrent();
    switchLightInCurrentContext(Light::Main, false);
    switchLightInCurrentContext(Light::Side, false);
  }
  surface.makeCurrent();
  glyphListBase = buildGlyphLists();
  for (const char* label : {splitLabel8, splitLabel10})
    for (const char* c = label; *c != '\0'; ++c) {
      glNewList(glyphListBase + static_cast<unsigned char>(*c), GL_COMPILE);
      glRectf(0.0f, 0.0f, 0.4f, 0.7f);
      glTranslatef(0.5f, 0.0f, 0.0f);
      glEndList();
    }
  // The 8-bit window's picture of the half's size, at the same angle.
  viewerState.sceneAngle = 30.0;
  const Frame eight = window8.draw();
  const float bottom = viewerState.shadeBottom, top = viewerState.shadeTop;

  // Through an 8-bit framebuffer object the left half is the 8-bit window's
  // picture exactly; without one it is narrowed from 10 bits on read-back.
  for (const bool framebufferObject : {true, false}) {
    SCOPED_TRACE(framebufferObject ? "8-bit framebuffer object" : "narrowed on read-back");
    splitViewEntryPoint = framebufferObject ? eglEntryPoint : nullptr;
    surface.makeCurrent();
    releaseSplitViewFramebuffer();  // or the kept one would serve
    viewerState.sceneAngle = 30.0;
    renderSplitView(kWidth, kHeight);
    const Frame split = surface.grab();
    EXPECT_DOUBLE_EQ(viewerState.sceneAngle, 30.2) << "one advance for both halves";

    std::set<int> leftLevels, rightLevels;
    int offGrid = 0, unlikeWindow8 = 0, otherDepth = 0, yellowLeft = 0, yellowRight = 0;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kHalf; ++x) {
        const Pixel left = split.at(x, y), right = split.at(kHalf + x, y);
        for (int level : {left.r, left.g, left.b}) offGrid += onEightBitGrid(level) ? 0 : 1;
        // The right half's objects stand where the 8-bit window's do.
        const bool sameDepth = eight.background(x, y) == split.background(kHalf + x, y) &&
                               std::abs(eight.depthAt(x, y) - split.depthAt(kHalf + x, y)) < 1e-6;
        otherDepth += sameDepth ? 0 : 1;
        const Pixel reference = eight.at(x, y);
        // The labels stay in the top left corner of each half.
        const bool corner = x < kHalf / 4 && y >= kHeight * 9 / 10;
        yellowLeft += labelYellow(left) ? 1 : 0;
        yellowRight += labelYellow(right) ? 1 : 0;
        if (corner) continue;
        EXPECT_FALSE(labelYellow(left) || labelYellow(right)) << "yellow at row " << y;
        if (!same(left, {widened(reference.r), widened(reference.g), widened(reference.b)})) {
          // Narrowed from 10 bits, a level rounds twice: where a band of the
          // 8-bit window begins, the left half may still show the level below.
          ++unlikeWindow8;
          EXPECT_TRUE(eight.background(x, y) && grey(left) &&
                      std::abs(left.r - widened(reference.r)) <= widened(1))
              << x << "," << y;
        }
        if (eight.background(x, y) && grey(left)) leftLevels.insert(left.r);
        if (split.background(kHalf + x, y) && grey(right)) rightLevels.insert(right.r);
      }
    }
    EXPECT_EQ(offGrid, 0) << "every value of the left half is an 8-bit value";
    EXPECT_EQ(otherDepth, 0) << "both halves show the same objects at the same places";
    if (framebufferObject) {
      EXPECT_EQ(unlikeWindow8, 0) << "the left half is the 8-bit window's picture";
    } else {
      EXPECT_LT(unlikeWindow8, kHalf * kHeight / 50) << "the left half is the 8-bit window's";
    }
    EXPECT_EQ(static_cast<int>(leftLevels.size()),
              rampLevelsAllowed(bottom, top, kHalf, kHeight, 8));
    EXPECT_EQ(static_cast<int>(rightLevels.size()),
              rampLevelsAllowed(bottom, top, kHalf, kHeight, 10));
    EXPECT_GT(yellowLeft, 50) << "the \"8-bit\" label";
    EXPECT_GT(yellowRight, yellowLeft) << "the \"10-bit\" label is longer";
  }

  // The blind test's arrangement: the 8-bit picture on the right, no labels.
  viewerState.eightBitHalfOnRight = true;
  viewerState.halfLabelsShown = false;
  for (const bool framebufferObject : {true, false}) {
    SCOPED_TRACE(framebufferObject ? "blind, 8-bit framebuffer object" : "blind, narrowed");
    splitViewEntryPoint = framebufferObject ? eglEntryPoint : nullptr;
    surface.makeCurrent();
    releaseSplitViewFramebuffer();
    renderSplitView(kWidth, kHeight);
    const Frame blind = surface.grab();
    std::set<int> leftLevels, rightLevels;
    int offGrid = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kHalf; ++x) {
        const Pixel left = blind.at(x, y), right = blind.at(kHalf + x, y);
        for (int level : {right.r, right.g, right.b}) offGrid += onEightBitGrid(level) ? 0 : 1;
        // The 10-bit half, drawn on the surface itself, has the depths of both:
        // the 8-bit half comes back as colours alone.
        if (!blind.background(x, y)) continue;
        if (grey(left)) leftLevels.insert(left.r);
        if (grey(right)) rightLevels.insert(right.r);
      }
    EXPECT_EQ(offGrid, 0) << "every value of the right half is an 8-bit value";
    EXPECT_EQ(static_cast<int>(rightLevels.size()),
              rampLevelsAllowed(bottom, top, kHalf, kHeight, 8));
    EXPECT_EQ(static_cast<int>(leftLevels.size()),
              rampLevelsAllowed(bottom, top, kHalf, kHeight, 10));
    EXPECT_EQ(std::count_if(blind.pixels.begin(), blind.pixels.end(), labelYellow), 0)
        << "no label names a half";
  }
  viewerState.eightBitHalfOnRight = false;
  viewerState.halfLabelsShown = true;

  glyphListBase = 0;
  surface.makeCurrent();
  renderSplitView(kWidth, kHeight);
  const Frame unlabelled = surface.grab();
  EXPECT_EQ(std::count_if(unlabelled.pixels.begin(), unlabelled.pixels.end(), labelYellow), 0)
      << "without glyph lists no label";

  // The check's measurement of the halves: both ramps, the left narrowed.
  WindowMeasurement left, right;
  measureSplitView(left, right, kWidth, kHeight, nullptr, nullptr);
  EXPECT_EQ(left.redBits, 10);
  EXPECT_EQ(right.blueBits, 10);
  for (const RampMeasurement* ramp : {&left.fullRamp, &left.narrowRamp})
    EXPECT_EQ(ramp->drawn, ramp->allowed8);
  for (const RampMeasurement* ramp : {&right.fullRamp, &right.narrowRamp})
    EXPECT_EQ(ramp->drawn, ramp->allowed10);
  EXPECT_EQ(right.narrowRamp.allowed10, rampLevelsAllowed(bottom, top, kHalf, kHeight, 10));
  releaseSplitViewFramebuffer();
  splitViewEntryPoint = nullptr;
}

}  // namespace
