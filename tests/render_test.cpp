// Pixel tests of the scene renderer: every test draws real frames into 8-bit
// and 10-bit offscreen framebuffers and judges the pixels (and depths) that
// come back against what the camera, the presets and the lights must give.
#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/display_check.h"
#include "offscreen_gl.h"
#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "render/level_count.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "support/scene_canvas.h"
#include "viewer/viewer_state.h"

namespace {

using namespace scene_canvas;

constexpr int kSide = 400;  // both display windows are 400 by 400
// At sceneAngle 0 the leftmost object pixel is the grey cube's near left edge
// (eye x -13 at z -35, column 20); the left prism starts at column 33. Column
// 10 therefore shows nothing but background from bottom to top.
constexpr int kClearColumn = 10;

// Pixel column and row holding eye-space point (x, y, z) in the 400-pixel
// square viewport under gluPerspective(45, aspect, 1, 100).
struct Spot {
  int x, y;
};
Spot project(double x, double y, double z, double aspect = 1.0) {
  const double tanHalfFov = std::tan(std::atan(1.0) / 2.0);  // tan 22.5 degrees
  const double half = kSide / 2.0;
  return {static_cast<int>(std::floor(half + half * (x / -z) / (tanHalfFov * aspect))),
          static_cast<int>(std::floor(half + half * (y / -z) / tanHalfFov))};
}

// Window depth of eye-space z with near plane 1 and far plane 100.
double windowDepth(double z) {
  const double n = 1.0, f = 100.0;
  return 0.5 * ((f + n) / (f - n) + 2.0 * f * n / ((f - n) * z)) + 0.5;
}

int brightest(Pixel p) {
  return std::max({p.r, p.g, p.b});
}

int differingPixels(const Frame& a, const Frame& b) {
  int count = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) count += same(a.pixels[i], b.pixels[i]) ? 0 : 1;
  return count;
}

// A still scene at `angle` without the logo.
void holdScene(double angle) {
  viewerState.sceneAngle = angle;
  viewerState.paused = true;
  viewerState.logoVisible = false;
}

// The level, before rounding, that the background should have in pixel row y
// of a ramp over `rows` rows: the shade interpolated to the row's centre.
double idealGrey(int y, int rows, int maxLevel) {
  const double bottom = viewerState.shadeBottom, top = viewerState.shadeTop;
  return maxLevel * (bottom + (top - bottom) * (y + 0.5) / rows);
}

// Logo pixels are lit from diffuse (0.2, 0.2, 1.0): blue well above red and green.
bool logoBlue(Pixel p, int maxLevel) {
  return p.b - std::max(p.r, p.g) > maxLevel / 4;
}

// The four objects: translation and, unturned, the face nearest the viewer:
// its eye z and its half extents through the object's centre (cubes: a
// 10 by 10 square; prisms: the triangle, 5 wide at mid height, 10 tall).
struct SceneObject {
  const char* name;
  double x, y, z, nearZ, halfWidth, halfHeight;
};
const SceneObject kObjects[] = {{"shaded cube", -8, -5, -40, -35, 5, 5},
                                {"colour cube", 8, 5, -40, -35, 5, 5},
                                {"prism A", 5, -6, -33, -32, 2.5, 5},
                                {"prism B", -5, 8, -30, -29, 2.5, 5}};

// First and last pixel of the run through `from` (along its row, or its
// column) that lies at window depth `depth`; {-1, -1} if `from` does not.
std::pair<int, int> runAtDepth(const Frame& frame, Spot from, double depth, bool alongRow) {
  const auto onFace = [&](int i) {
    const float d = alongRow ? frame.depthAt(i, from.y) : frame.depthAt(from.x, i);
    return std::abs(d - depth) < 1e-5;
  };
  int first = alongRow ? from.x : from.y, last = first;
  const int end = alongRow ? frame.width : frame.height;
  if (!onFace(first)) return {-1, -1};
  while (first > 0 && onFace(first - 1)) --first;
  while (last + 1 < end && onFace(last + 1)) ++last;
  return {first, last};
}

// Checks that the unturned object's near face spans the columns and rows its
// corners project to.
void expectFaceWhereItProjects(const Frame& frame, const SceneObject& o, double aspect) {
  const Spot centre = project(o.x, o.y, o.nearZ, aspect);
  const auto [left, right] = runAtDepth(frame, centre, windowDepth(o.nearZ), true);
  const auto [bottom, top] = runAtDepth(frame, centre, windowDepth(o.nearZ), false);
  const Spot low = project(o.x - o.halfWidth, o.y - o.halfHeight, o.nearZ, aspect);
  const Spot high = project(o.x + o.halfWidth, o.y + o.halfHeight, o.nearZ, aspect);
  // The last pixel whose centre the face covers may sit one off the edge.
  EXPECT_NEAR(left, std::max(low.x, 0), 1) << o.name << " left edge, aspect " << aspect;
  EXPECT_NEAR(right, std::min(high.x, frame.width - 1), 1) << o.name << " right edge";
  EXPECT_NEAR(bottom, std::max(low.y, 0), 1) << o.name << " bottom edge";
  EXPECT_NEAR(top, std::min(high.y, frame.height - 1), 1) << o.name << " top edge";
}

// Tests that draw at both depths and compare them.
class BitDepthComparison : public SceneTest {};

// Tests run once at 8 and once at 10 bits per channel.
class RenderTest : public SceneTest, public ::testing::WithParamInterface<int> {
 protected:
  int bits() const { return GetParam(); }
};

TEST_F(BitDepthComparison, BackgroundPresetsRampOverTheViewportHeight) {
  int levels[2][6] = {};
  for (int bits : {8, 10}) {
    Canvas canvas(kSide, kSide, bits);
    ASSERT_TRUE(canvas.ok()) << canvas.error();
    const int maxLevel = canvas.maxLevel();
    for (int preset = 1; preset <= 5; ++preset) {
      SCOPED_TRACE(std::to_string(bits) + " bits, preset " + std::to_string(preset));
      viewerState = ViewerState{};
      selectPreset(preset);
      holdScene(0.0);
      const Frame frame = canvas.draw();
      std::set<int> greys;
      for (int y = 0; y < kSide; ++y) {
        const Pixel p = frame.at(kClearColumn, y);
        ASSERT_TRUE(grey(p)) << "row " << y << " is not grey";
        // The float-to-level conversion may land one level off the nearest.
        ASSERT_NEAR(p.r, idealGrey(y, kSide, maxLevel), 1.0) << "row " << y;
        if (y > 0) {
          ASSERT_GE(p.r, frame.at(kClearColumn, y - 1).r) << "ramp falls at row " << y;
        }
        greys.insert(p.r);
      }
      const int bottom = frame.at(kClearColumn, 0).r, top = frame.at(kClearColumn, kSide - 1).r;
      EXPECT_EQ(bottom, std::lround(idealGrey(0, kSide, maxLevel)));
      EXPECT_EQ(top, std::lround(idealGrey(kSide - 1, kSide, maxLevel)));

      const double span =
          maxLevel * static_cast<double>(viewerState.shadeTop - viewerState.shadeBottom);
      const int count = static_cast<int>(greys.size());
      levels[bits == 10][preset] = count;
      if (span < kSide) {
        EXPECT_EQ(count, top - bottom + 1) << "a level between the ends is missing";
      } else {
        EXPECT_EQ(count, kSide) << "more levels than rows: every row should differ";
      }
      // The end rows sample the ramp half a row inside its edges and each end
      // rounds on its own, so the count may miss the nominal one by one level.
      const int nominal = std::min(static_cast<int>(std::lround(span)) + 1, kSide);
      EXPECT_NEAR(count, nominal, 1);
    }
  }
  for (int preset = 1; preset <= 4; ++preset) {
    EXPECT_GT(levels[1][preset], levels[0][preset]) << "preset " << preset;
  }
  // Where the ramp spans fewer levels than rows, 10 bits give about 4 times as many.
  EXPECT_GE(levels[1][3], 3 * levels[0][3]);
  EXPECT_GE(levels[1][4], 3 * levels[0][4]);
}

// Key C's ramps: one primary with the other two at 0, as many levels in that
// primary as the grey ramp has; the check still measures grey meanwhile.
TEST_F(BitDepthComparison, ColourRampsCarryTheGreyRampsLevelsInOnePrimary) {
  for (int bits : {8, 10}) {
    Canvas canvas(kSide, kSide, bits);
    ASSERT_TRUE(canvas.ok()) << canvas.error();
    viewerState = ViewerState{};
    selectPreset(4);
    holdScene(0.0);
    std::set<int> greys;
    for (int y = 0; y < kSide; ++y) greys.insert(canvas.draw().at(kClearColumn, y).r);
    for (int press = 1; press <= 3; ++press) {
      cycleRampColour();
      SCOPED_TRACE(std::to_string(bits) + " bits, colour " + std::to_string(press));
      const Frame frame = canvas.draw();
      std::set<int> levels;
      for (int y = 0; y < kSide; ++y) {
        const Pixel p = frame.at(kClearColumn, y);
        const int channels[3] = {p.r, p.g, p.b};
        for (int c = 0; c < 3; ++c) {
          if (c == press - 1) continue;
          ASSERT_EQ(channels[c], 0) << "row " << y << " channel " << c;
        }
        levels.insert(channels[press - 1]);
      }
      EXPECT_EQ(levels, greys);
      EXPECT_EQ(drawRampAndCountLevels(kSide, kSide, 0.45f, 0.55f), static_cast<int>(greys.size()))
          << "the check's ramp is grey whatever the colour";
    }
    cycleRampColour();
    EXPECT_EQ(viewerState.rampColour, RampColour::Grey) << "four presses come back to grey";
    EXPECT_EQ(static_cast<int>(greys.size()), bits == 8 ? 26 : 104);
  }
}

TEST_F(BitDepthComparison, ShadedCubeFaceShowsFinerStepsAtTenBits) {
  int levels[2] = {};
  for (int bits : {8, 10}) {
    Canvas canvas(kSide, kSide, bits);
    ASSERT_TRUE(canvas.ok()) << canvas.error();
    viewerState = ViewerState{};
    selectPreset(0);
    holdScene(0.0);
    const Frame frame = canvas.draw();
    // The shaded cube's front face: left half of the view, at the face's depth.
    const double faceDepth = windowDepth(-35.0);
    std::set<int> greys;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide / 2; ++x)
        if (std::abs(frame.depthAt(x, y) - faceDepth) < 1e-5) {
          ASSERT_TRUE(grey(frame.at(x, y))) << "at " << x << "," << y;
          greys.insert(frame.at(x, y).r);
        }
    levels[bits == 10] = static_cast<int>(greys.size());
  }
  EXPECT_GT(levels[0], 5);
  EXPECT_GE(levels[1], 3 * levels[0]) << "8 bits: " << levels[0] << ", 10 bits: " << levels[1];
}

TEST_P(RenderTest, PresetZeroLeavesABlackBackgroundBehindTheObjects) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  for (int i = 0; i < 3; ++i) cycleShade();
  ASSERT_EQ(viewerState.shadeIndex, 0);
  holdScene(0.0);
  const Frame frame = canvas.draw();
  int objectPixels = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      if (frame.background(x, y))
        ASSERT_EQ(brightest(frame.at(x, y)), 0) << "background at " << x << "," << y;
      else
        ++objectPixels;
    }
  EXPECT_GT(objectPixels, kSide * kSide / 10);
}

TEST_P(RenderTest, WideAreaCutsOffTheTopOfTheSquareViewport) {
  Canvas square(kSide, kSide, bits()), wide(kSide, 300, bits());
  ASSERT_TRUE(square.ok() && wide.ok()) << square.error() << wide.error();
  selectPreset(1);
  holdScene(0.0);
  const Frame whole = square.draw(), cut = wide.draw();
  // Same 400 by 400 viewport and aspect 1: the 300 rows are the lower rows of the square.
  int differences = 0;
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < kSide; ++x) differences += same(cut.at(x, y), whole.at(x, y)) ? 0 : 1;
  EXPECT_EQ(differences, 0);
  const int topVisible = cut.at(kClearColumn, 299).r;
  EXPECT_NEAR(topVisible, idealGrey(299, kSide, square.maxLevel()), 1.0);
  EXPECT_LT(topVisible, whole.at(kClearColumn, kSide - 1).r - square.maxLevel() / 5);
}

TEST_P(RenderTest, TallAreaKeepsTheWholeRampAndStretchesTheScene) {
  Canvas square(kSide, kSide, bits()), tall(300, kSide, bits());
  ASSERT_TRUE(square.ok() && tall.ok()) << square.error() << tall.error();
  selectPreset(1);
  holdScene(0.0);
  const Frame whole = square.draw(), narrow = tall.draw();
  // Wherever the background shows, it has the grey of the full-height ramp.
  for (int y = 0; y < kSide; ++y) {
    int shown = 0;
    for (int x = 0; x < 300; ++x) {
      if (!narrow.background(x, y)) continue;
      ++shown;
      ASSERT_TRUE(same(narrow.at(x, y), whole.at(kClearColumn, y))) << "at " << x << "," << y;
    }
    ASSERT_GT(shown, 0) << "row " << y << " shows no background";
  }
  EXPECT_EQ(narrow.at(299, kSide - 1).r, std::lround(idealGrey(kSide - 1, kSide, tall.maxLevel())));

  // Aspect 0.75 widens the scene: the objects on screen stretch sideways.
  expectFaceWhereItProjects(narrow, kObjects[0], 0.75);
  expectFaceWhereItProjects(narrow, kObjects[3], 0.75);
}

TEST_P(RenderTest, ZeroHeightStillClearsTheBuffers) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  const auto paintRed = [] {
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  holdScene(0.0);
  paintRed();
  ASSERT_EQ(canvas.grab().at(5, 5).r, canvas.maxLevel());
  selectPreset(0);
  Frame frame = canvas.draw(kSide, 0);
  for (const Pixel& p : frame.pixels) ASSERT_EQ(brightest(p), 0) << "the red fill survived";

  // With a background: the projection stays the identity, which clips every
  // object (all lie beyond z = -1), so only the ramp is left.
  selectPreset(1);
  paintRed();
  frame = canvas.draw(kSide, 0);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      ASSERT_TRUE(grey(frame.at(x, y)) && same(frame.at(x, y), frame.at(0, y)))
          << "at " << x << "," << y;
  EXPECT_EQ(frame.at(0, 0).r, std::lround(idealGrey(0, kSide, canvas.maxLevel())));
  EXPECT_EQ(frame.at(0, kSide - 1).r, std::lround(idealGrey(kSide - 1, kSide, canvas.maxLevel())));
}

TEST_P(RenderTest, ObjectsSitWhereTheirTranslationsProject) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  selectPreset(0);
  holdScene(0.0);
  const Frame unturned = canvas.draw();
  for (const SceneObject& object : kObjects) expectFaceWhereItProjects(unturned, object, 1.0);
  const auto centreOf = [&](int i) {
    const Spot spot = project(kObjects[i].x, kObjects[i].y, kObjects[i].z);
    return unturned.at(spot.x, spot.y);
  };
  EXPECT_TRUE(grey(centreOf(0))) << "the shaded cube is grey";
  EXPECT_TRUE(centreOf(2).b > centreOf(2).r && centreOf(2).r == centreOf(2).g) << "prism A";
  EXPECT_TRUE(centreOf(3).g > centreOf(3).r && centreOf(3).r == centreOf(3).b) << "prism B";

  // Each object turns about its own origin, which lies inside the solid: at
  // any angle the ray through the projected origin meets it.
  for (double angle : {57.2, 133.0, 211.4, 299.8}) {
    holdScene(angle);
    const Frame frame = canvas.draw();
    for (const SceneObject& object : kObjects) {
      const Spot spot = project(object.x, object.y, object.z);
      EXPECT_FALSE(frame.background(spot.x, spot.y)) << object.name << " at angle " << angle;
    }
  }
}

TEST_P(RenderTest, DepthTestKeepsNearerSurfacesInFront) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  holdScene(0.0);  // preset 3: the background is drawn
  const Frame scene = canvas.draw();
  // An unlit wall across the whole view at eye depth z, drawn with the
  // projection the frame left behind.
  const auto wall = [](float z, float r, float g) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glColor3f(r, g, 0.0f);
    glBegin(GL_QUADS);
    glVertex3f(-60.0f, -60.0f, z);
    glVertex3f(60.0f, -60.0f, z);
    glVertex3f(60.0f, 60.0f, z);
    glVertex3f(-60.0f, 60.0f, z);
    glEnd();
    glEnable(GL_LIGHTING);
  };
  wall(-60.0f, 1.0f, 0.0f);  // red, behind every object
  const Frame behind = canvas.grab();
  const Pixel red{canvas.maxLevel(), 0, 0}, green{0, canvas.maxLevel(), 0};
  int objectPixels = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      if (scene.background(x, y)) {
        ASSERT_TRUE(same(behind.at(x, y), red)) << "background kept depth at " << x << "," << y;
      } else {
        ++objectPixels;
        ASSERT_TRUE(same(behind.at(x, y), scene.at(x, y))) << "wall in front at " << x << "," << y;
      }
    }
  EXPECT_GT(objectPixels, kSide * kSide / 10);
  // A green wall at z -20, nearer than every object, hides them all.
  wall(-20.0f, 0.0f, 1.0f);
  const Frame before = canvas.grab();
  for (const Pixel& p : before.pixels) ASSERT_TRUE(same(p, green)) << "an object came through";
}

TEST_P(RenderTest, BothLightsOffLeaveOnlyTheAmbientGlow) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  holdScene(0.0);
  const Frame lit = canvas.draw();
  // What the window procedure does for the two light keys.
  if (toggleMainLight()) glDisable(GL_LIGHT0);
  if (toggleSideLight()) glDisable(GL_LIGHT1);
  const Frame dark = canvas.draw();
  // Global ambient 0.2 times material ambient 0.2: 4 % of full scale.
  const int ambientCeiling = canvas.maxLevel() / 20;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const Pixel p = dark.at(x, y);
      if (lit.background(x, y)) {
        ASSERT_TRUE(same(p, lit.at(x, y))) << "background changed at " << x << "," << y;
      } else {
        ASSERT_TRUE(grey(p) && p.r > 0 && p.r <= ambientCeiling)
            << "object at " << x << "," << y << " is " << p.r << "," << p.g << "," << p.b;
      }
    }
  for (const SceneObject& object : kObjects) {
    const Spot spot = project(object.x, object.y, object.z);
    EXPECT_GT(brightest(lit.at(spot.x, spot.y)), canvas.maxLevel() / 2) << object.name << " lit";
  }
}

TEST_P(RenderTest, ConsecutiveFramesTurnTheSceneByOneStep) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  const auto stillAt = [&](double angle) {
    holdScene(angle);
    return canvas.draw();
  };
  const Frame at30 = stillAt(30.0), at30step = stillAt(30.0 + 0.2), at30twoSteps = stillAt(30.4);
  ASSERT_GT(differingPixels(at30, at30step), 0) << "one step must show";
  ASSERT_GT(differingPixels(at30step, at30twoSteps), 0);

  holdScene(30.0);
  viewerState.paused = false;
  const Frame first = canvas.draw(), second = canvas.draw();
  EXPECT_EQ(differingPixels(first, at30), 0);
  EXPECT_EQ(differingPixels(second, at30step), 0) << "second frame is not one step on";
}

TEST_P(RenderTest, PausedFramesKeepTheObjectsStillWhileTheLogoRocks) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  glyphListBase = buildGlyphLists();
  holdScene(80.0);
  viewerState.logoVisible = true;
  viewerState.logoAngle = 5.0;
  const Frame first = canvas.draw(), second = canvas.draw();
  EXPECT_EQ(viewerState.sceneAngle, 80.0);
  // The logo occupies the lower right corner (from column 330, up to row 41).
  int objectPixels = 0, logoChanges = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      if (x >= 325 && y <= 50) {
        logoChanges += same(first.at(x, y), second.at(x, y)) ? 0 : 1;
        continue;
      }
      objectPixels += first.background(x, y) ? 0 : 1;
      ASSERT_TRUE(same(first.at(x, y), second.at(x, y))) << "moved at " << x << "," << y;
    }
  EXPECT_GT(objectPixels, kSide * kSide / 10);
  EXPECT_GT(logoChanges, 0) << "the logo rocks on while the scene is paused";
}

TEST_P(RenderTest, LogoIsDrawnFromTheGlyphListsWhenTheyExist) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  const int maxLevel = canvas.maxLevel();
  const auto countBlue = [&](const Frame& frame) {
    int count = 0;
    for (const Pixel& p : frame.pixels) count += logoBlue(p, maxLevel) ? 1 : 0;
    return count;
  };
  holdScene(0.0);
  viewerState.logoVisible = true;
  const Frame withoutLists = canvas.draw();  // as in the first paints of start-up
  EXPECT_EQ(countBlue(withoutLists), 0);

  glyphListBase = buildGlyphLists();
  viewerState.logoAngle = 0.0;
  const Frame withLogo = canvas.draw();
  // Logo origin (3.5, -5.2, -13); glyph i spans x 3.5 + 0.5 i to + 0.4.
  const double z = -13.0, baseY = -5.2;
  for (int i = 0; i < 3; ++i) {
    const double left = 3.5 + 0.5 * i, top = baseY + kGlyphs[i].height;
    const Spot inside = project(left + 0.2, baseY + kGlyphs[i].height / 2, z);
    const Spot above = project(left + 0.2, top + 0.05, z);
    const Spot gap = project(left + 0.45, baseY + 0.15, z);
    EXPECT_TRUE(logoBlue(withLogo.at(inside.x, inside.y), maxLevel)) << kGlyphs[i].letter;
    EXPECT_FALSE(logoBlue(withLogo.at(above.x, above.y), maxLevel))
        << "above " << kGlyphs[i].letter;
    EXPECT_FALSE(logoBlue(withLogo.at(gap.x, gap.y), maxLevel)) << "after " << kGlyphs[i].letter;
  }
  const Spot low = project(3.5, baseY, z), high = project(5.4, baseY + 0.9, z);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      if (logoBlue(withLogo.at(x, y), maxLevel)) {
        ASSERT_TRUE(x >= low.x - 1 && x <= high.x + 1 && y >= low.y - 1 && y <= high.y + 1)
            << "blue outside the logo at " << x << "," << y;
      }
  EXPECT_GT(countBlue(withLogo), 600);  // the three blocks cover about 1000 pixels

  viewerState.logoVisible = false;
  const Frame hidden = canvas.draw();
  EXPECT_EQ(differingPixels(hidden, withoutLists), 0);
}

TEST_P(RenderTest, AngleAfterMonthsOfRunningGivesTheSamePicture) {
  Canvas canvas(kSide, kSide, bits());
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  struct Case {
    double angle, turns;
  };
  // Two paints of 0.2 degrees every 16 ms: 360 million degrees is about five
  // and a half months, where a float angle is a multiple of 32 degrees;
  // 3000 turns are about twelve hours.
  for (const Case& c : {Case{37.5, 1.0}, Case{37.5, 1e6}, Case{37.3, 3000.0}}) {
    holdScene(c.angle);
    const Frame fresh = canvas.draw();
    holdScene(c.angle + 360.0 * c.turns);
    const Frame later = canvas.draw();
    EXPECT_EQ(differingPixels(fresh, later), 0) << c.angle << " + " << c.turns << " turns";
  }
}

TEST_F(SceneTest, SkippedFramesAdvanceTheAnimationAsDrawnOnesDo) {
  Canvas canvas(64, 64, 8);
  ASSERT_TRUE(canvas.ok()) << canvas.error();
  // Start near the logo's upper bound, so that it turns within the frames.
  struct Case {
    bool paused, logoVisible;
  };
  for (const Case& c : {Case{false, true}, Case{true, true}, Case{false, false}}) {
    ViewerState start;
    start.paused = c.paused;
    start.logoVisible = c.logoVisible;
    start.sceneAngle = 12.0;
    start.logoAngle = 9.75;
    viewerState = start;
    for (int i = 0; i < 10; ++i) canvas.draw();
    const ViewerState drawn = viewerState;
    viewerState = start;
    for (int i = 0; i < 10; ++i) skipFrame();
    EXPECT_EQ(viewerState.sceneAngle, drawn.sceneAngle) << c.paused << c.logoVisible;
    EXPECT_EQ(viewerState.logoAngle, drawn.logoAngle) << c.paused << c.logoVisible;
    EXPECT_EQ(viewerState.logoDirection, drawn.logoDirection) << c.paused << c.logoVisible;
  }
  EXPECT_EQ(viewerState.logoDirection, +1) << "a hidden logo stands still";
}

TEST_F(SceneTest, LargestDrawableSizeIsWhatTheContextReports) {
  OffscreenGl gl(16, 16, 10);
  ASSERT_TRUE(gl.ok()) << gl.error();
  gl.makeCurrent();
  int maxWidth = 0, maxHeight = 0;
  largestDrawableSize(maxWidth, maxHeight);
  GLint viewport[2] = {};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  EXPECT_GE(maxWidth, 400);
  EXPECT_GE(maxHeight, 400);
  EXPECT_LE(maxWidth, viewport[0]);
  EXPECT_LE(maxHeight, viewport[1]);
  GLint renderbuffer = 0;
  glGetIntegerv(0x84E8, &renderbuffer);  // GL_MAX_RENDERBUFFER_SIZE
  ASSERT_GT(renderbuffer, 0);
  EXPECT_LE(maxWidth, renderbuffer);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "no error left behind";
}

INSTANTIATE_TEST_SUITE_P(BitDepths, RenderTest, ::testing::Values(8, 10),
                         [](const ::testing::TestParamInfo<int>& depth) {
                           return "Bits" + std::to_string(depth.param);
                         });

}  // namespace
