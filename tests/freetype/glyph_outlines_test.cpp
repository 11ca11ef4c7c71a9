// The logo's glyph lists, built from the real font in an offscreen EGL
// context: a character's list draws where the letter is, extrudes it by 0.1
// and advances by the width Arial Bold gives it (Liberation Sans Bold has
// Arial's metrics: L 611, M 833, V 667, space 278, the euro 556 per 1000).
#include "freetype/glyph_outlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "offscreen_gl.h"

namespace {

constexpr int imageSize = 240;
constexpr float extrusion = 0.1f;

// Twice the signed area of a closed contour.
double signedArea2(const std::vector<OutlinePoint>& contour) {
  double sum = 0.0;
  for (std::size_t i = 0; i < contour.size(); ++i) {
    const OutlinePoint& a = contour[i];
    const OutlinePoint& b = contour[(i + 1) % contour.size()];
    sum += a.x * b.y - b.x * a.y;
  }
  return sum;
}

double trianglesArea(const std::vector<OutlinePoint>& t) {
  double sum = 0.0;
  for (std::size_t i = 0; i + 2 < t.size(); i += 3)
    sum += std::fabs((t[i + 1].x - t[i].x) * (t[i + 2].y - t[i].y) -
                     (t[i + 2].x - t[i].x) * (t[i + 1].y - t[i].y)) /
           2.0;
  return sum;
}

bool insideTriangles(const std::vector<OutlinePoint>& t, OutlinePoint p) {
  for (std::size_t i = 0; i + 2 < t.size(); i += 3) {
    auto side = [&](const OutlinePoint& a, const OutlinePoint& b) {
      return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    };
    const double d1 = side(t[i], t[i + 1]), d2 = side(t[i + 1], t[i + 2]),
                 d3 = side(t[i + 2], t[i]);
    if ((d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0)) return true;
  }
  return false;
}

class GlyphListsTest : public ::testing::Test {
 protected:
  static std::unique_ptr<OffscreenGl> gl;
  static LogoFont* font;
  static GLuint base;
  static bool built;

  static void SetUpTestSuite() {
    gl = std::make_unique<OffscreenGl>(imageSize, imageSize, 8);
    font = openLogoFont();
    if (!gl->ok()) return;
    base = glGenLists(256);
    built = buildGlyphOutlineLists(base, extrusion);
  }
  static void TearDownTestSuite() {
    closeLogoFont(font);
    if (gl->ok()) glDeleteLists(base, 256);
    gl.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(gl->ok()) << gl->error();
    ASSERT_NE(font, nullptr) << "no bold Arial-compatible font (fonts-liberation)";
    ASSERT_TRUE(built);
    gl->makeCurrent();
    glViewport(0, 0, imageSize, imageSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // The x translation a list leaves on the modelview matrix.
  static double advanceOf(GLuint list) {
    glLoadIdentity();
    glCallList(list);
    GLdouble matrix[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    glLoadIdentity();
    return matrix[12];
  }
};

std::unique_ptr<OffscreenGl> GlyphListsTest::gl;
LogoFont* GlyphListsTest::font = nullptr;
GLuint GlyphListsTest::base = 0;
bool GlyphListsTest::built = false;

TEST_F(GlyphListsTest, FontIsABoldArialCompatibleFace) {
  const std::string file = logoFontFile(font);
  EXPECT_NE(file.find("Bold"), std::string::npos) << file;
  EXPECT_TRUE(file.find("LiberationSans") != std::string::npos ||
              file.find("Arial") != std::string::npos)
      << file;
}

TEST_F(GlyphListsTest, ListsAdvanceByTheGlyphWidthsAtEmHeightOne) {
  EXPECT_NEAR(advanceOf(base + 'L'), 0.611, 0.001);
  EXPECT_NEAR(advanceOf(base + 'M'), 0.833, 0.001);
  EXPECT_NEAR(advanceOf(base + 'V'), 0.667, 0.001);
  EXPECT_NEAR(advanceOf(base + ' '), 0.278, 0.001);
  // Code page 1252: 0x80 is the euro sign, not a control character.
  EXPECT_NEAR(advanceOf(base + 0x80), 0.556, 0.001);
  EXPECT_EQ(advanceOf(base + 255), 0.0) << "list 255 stays empty";

  // As drawLogo calls them: the three letters side by side.
  glLoadIdentity();
  glListBase(base);
  glCallLists(3, GL_UNSIGNED_BYTE, "LMV");
  glListBase(0);
  GLdouble matrix[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
  EXPECT_NEAR(matrix[12], 0.611 + 0.833 + 0.667, 0.002);
  EXPECT_EQ(matrix[13], 0.0);
  EXPECT_EQ(matrix[14], 0.0);
}

TEST_F(GlyphListsTest, ListDrawsPixelsWhereTheLetterIs) {
  // One em plus margins across the image, unlit white on black.
  glMatrixMode(GL_PROJECTION);
  glOrtho(-0.1, 1.1, -0.2, 1.0, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glCallList(base + 'L');
  const std::vector<Pixel> image = gl->read();
  auto lit = [&](double x, double y) {
    const int px = static_cast<int>((x + 0.1) / 1.2 * imageSize);
    const int py = static_cast<int>((y + 0.2) / 1.2 * imageSize);
    return gl->at(image, px, py).r > 128;
  };
  EXPECT_TRUE(lit(0.15, 0.40)) << "the stem";
  EXPECT_TRUE(lit(0.15, 0.68)) << "the top of the stem";
  EXPECT_TRUE(lit(0.45, 0.05)) << "the foot";
  EXPECT_FALSE(lit(0.45, 0.40)) << "beside the stem, above the foot";
  EXPECT_FALSE(lit(0.02, 0.40)) << "left of the stem";
  EXPECT_FALSE(lit(0.15, 0.80)) << "above the cap height";
  EXPECT_FALSE(lit(0.15, -0.05)) << "below the baseline";
  int litPixels = 0;
  for (const Pixel& p : image) litPixels += p.r > 128;
  // The filled area in pixels agrees with the tessellated area in em.
  const double emPixels = imageSize / 1.2;
  const double area = trianglesArea(glyphShape(font, 'L').triangles);
  EXPECT_NEAR(litPixels / (emPixels * emPixels), area, area * 0.05);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

TEST_F(GlyphListsTest, SidesCloseTheExtrusion) {
  // Seen from the side (model z along the image's x), the faces are edge on
  // and draw nothing; the sides show as a band from the front face at z = 0
  // back to z = -0.1, as tall as the letter's outline. 240 pixels per unit.
  glMatrixMode(GL_PROJECTION);
  glOrtho(-0.5, 0.5, -0.1, 0.9, -2, 2);
  glMatrixMode(GL_MODELVIEW);
  glRotated(-90, 0, 1, 0);
  glDisable(GL_LIGHTING);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glCallList(base + 'M');
  const std::vector<Pixel> image = gl->read();
  int left = imageSize, right = -1, bottom = imageSize, top = -1;
  for (int y = 0; y < imageSize; ++y)
    for (int x = 0; x < imageSize; ++x)
      if (gl->at(image, x, y).r > 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
      }
  ASSERT_GE(right, 0) << "no sides drawn";
  EXPECT_NEAR((right - left + 1) / 240.0, extrusion, 2.0 / 240) << "the extrusion's depth";
  EXPECT_NEAR(left / 240.0 - 0.5, 0.0, 2.0 / 240) << "from the front face at z = 0";
  double outlineTop = 0;
  for (const auto& contour : glyphShape(font, 'M').contours)
    for (const OutlinePoint& p : contour) outlineTop = std::max(outlineTop, p.y);
  EXPECT_GT(outlineTop, 0.6);
  EXPECT_NEAR((top - bottom + 1) / 240.0, outlineTop, 2.0 / 240) << "the letter's height";
  EXPECT_NEAR(bottom / 240.0 - 0.1, 0.0, 2.0 / 240) << "standing on the baseline";
  glEnable(GL_LIGHTING);
}

TEST(GlyphShapes, TrianglesFillTheOutlinesAndSideNormalsPointOut) {
  LogoFont* font = openLogoFont();
  ASSERT_NE(font, nullptr);
  for (unsigned char character : {'L', 'M', 'V', 'O', 'B', 'e', '%', '@'}) {
    const GlyphShape shape = glyphShape(font, character);
    ASSERT_FALSE(shape.triangles.empty()) << character;
    double contourArea2 = 0;
    for (const auto& contour : shape.contours) contourArea2 += signedArea2(contour);
    EXPECT_NEAR(trianglesArea(shape.triangles), std::fabs(contourArea2) / 2, 1e-9)
        << character << ": the triangles cover the outline, holes left open";

    int wrong = 0, edges = 0;
    for (const auto& contour : shape.contours) {
      for (std::size_t i = 0; i < contour.size(); ++i) {
        const OutlinePoint& a = contour[i];
        const OutlinePoint& b = contour[(i + 1) % contour.size()];
        const OutlinePoint n = outwardNormal(shape, a, b);
        const OutlinePoint mid = {(a.x + b.x) / 2, (a.y + b.y) / 2};
        const double e = 1e-4;
        ++edges;
        wrong += insideTriangles(shape.triangles, {mid.x + e * n.x, mid.y + e * n.y}) ||
                 !insideTriangles(shape.triangles, {mid.x - e * n.x, mid.y - e * n.y});
      }
    }
    EXPECT_EQ(wrong, 0) << character << ": " << wrong << " of " << edges
                        << " side normals point into the letter";
  }
  const GlyphShape space = glyphShape(font, ' ');
  EXPECT_TRUE(space.contours.empty());
  EXPECT_TRUE(space.triangles.empty());
  closeLogoFont(font);
}

}  // namespace
