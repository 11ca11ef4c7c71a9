// Checks the application icon drawn by make_icon: the .ico layout Windows
// expects (four classic DIB images with palettes and AND masks) and the main
// features of the artwork in each image.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "lumivane_icon_argb.h"
#include "support/icon_support.h"

namespace {

using namespace icon_support;

const char* const kNames[] = {"32x32 4-bit", "16x16 4-bit", "48x48 8-bit", "32x32 8-bit"};

TEST_F(IconTest, DirectoryListsTheFourImagesInOrder) {
  const int sizes[] = {32, 16, 48, 32}, depths[] = {4, 4, 8, 8}, counts[] = {16, 16, 0, 0};
  for (int i = 0; i < 4; ++i) {
    const DirEntry& d = icon->entries[static_cast<size_t>(i)];
    EXPECT_EQ(d.width, sizes[i]) << kNames[i];
    EXPECT_EQ(d.height, sizes[i]) << kNames[i];
    EXPECT_EQ(d.bpp, depths[i]) << kNames[i];
    EXPECT_EQ(d.colourCount, counts[i]) << kNames[i];
    EXPECT_EQ(d.planes, 1) << kNames[i];
    EXPECT_EQ(image(i).size, sizes[i]) << kNames[i];
    EXPECT_EQ(image(i).bpp, depths[i]) << kNames[i];
    EXPECT_EQ(image(i).palette.size(), depths[i] == 4 ? 16u : 256u) << kNames[i];
  }
}

TEST_F(IconTest, ImageDataFollowsTheDirectoryBackToBackToTheEndOfTheFile) {
  unsigned next = 6 + 16 * 4;
  for (const DirEntry& d : icon->entries) {
    EXPECT_EQ(d.offset, next);
    next = d.offset + d.bytes;
  }
  EXPECT_EQ(next, icon->fileSize);
}

TEST_F(IconTest, FourBitImagesUseTheStandardVgaPalette) {
  const std::vector<Colour> vga = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  EXPECT_EQ(image(0).palette, vga);
  EXPECT_EQ(image(1).palette, vga);
}

TEST_F(IconTest, EightBitImagesHaveARichPalette) {
  for (int i : {2, 3}) {
    const std::set<Colour> distinct(image(i).palette.begin(), image(i).palette.end());
    EXPECT_GE(distinct.size(), 200u) << kNames[i];
    EXPECT_EQ(image(i).palette[0], (Colour{0, 0, 0})) << kNames[i];
  }
}

TEST_F(IconTest, CornersAndEveryMaskedPixelAreTransparentColourZero) {
  for (int i = 0; i < 4; ++i) {
    const IconImage& img = image(i);
    const int last = img.size - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
      EXPECT_TRUE(img.clear(x, y)) << kNames[i] << " corner " << x << "," << y;
    int opaque = 0;
    for (int y = 0; y < img.size; ++y)
      for (int x = 0; x < img.size; ++x) {
        if (img.clear(x, y)) {
          EXPECT_EQ(img.indexAt(x, y), 0) << kNames[i] << " at " << x << "," << y;
        } else {
          ++opaque;
        }
      }
    EXPECT_GT(opaque, img.size * img.size / 3) << kNames[i];
    EXPECT_LT(opaque, img.size * img.size) << kNames[i];
  }
}

TEST_F(IconTest, ScreenShowsLmvInBlueCapitalsOnWhite) {
  for (int i = 0; i < 4; ++i) {
    const IconImage& img = image(i);
    const std::vector<Box> found = letters(img);
    ASSERT_EQ(found.size(), 3u) << kNames[i];
    const Box &l = found[0], &m = found[1], &v = found[2];
    auto blue = [&](int x, int y) { return !img.clear(x, y) && isBlue(img.at(x, y)); };
    for (const Box& b : found) {
      EXPECT_EQ(b.y0, l.y0) << kNames[i];
      EXPECT_EQ(b.y1, l.y1) << kNames[i];
    }
    EXPECT_GT(m.width(), l.width()) << kNames[i];
    EXPECT_GT(m.width(), v.width()) << kNames[i];
    // L: full left stem and foot, nothing at the top right.
    for (int y = l.y0; y <= l.y1; ++y) EXPECT_TRUE(blue(l.x0, y)) << kNames[i] << " L stem " << y;
    for (int x = l.x0; x <= l.x1; ++x) EXPECT_TRUE(blue(x, l.y1)) << kNames[i] << " L foot " << x;
    EXPECT_FALSE(blue(l.x1, l.y0)) << kNames[i];
    // M: two full stems and a middle stroke that reaches neither the top nor the bottom.
    for (int y = m.y0; y <= m.y1; ++y) {
      EXPECT_TRUE(blue(m.x0, y)) << kNames[i] << " M left stem " << y;
      EXPECT_TRUE(blue(m.x1, y)) << kNames[i] << " M right stem " << y;
    }
    EXPECT_FALSE(blue((m.x0 + m.x1) / 2, m.y0)) << kNames[i];
    EXPECT_FALSE(blue((m.x0 + m.x1) / 2, m.y1)) << kNames[i];
    EXPECT_TRUE(blue(m.x0 + m.width() / 5, m.y0 + m.height() / 5)) << kNames[i] << " M left peak";
    EXPECT_TRUE(blue(m.x1 - m.width() / 5, m.y0 + m.height() / 5)) << kNames[i] << " M right peak";
    bool dip = false;
    for (int y = m.y0 + 1; y < m.y1; ++y) dip = dip || blue((m.x0 + m.x1) / 2, y);
    EXPECT_TRUE(dip) << kNames[i] << " M has its middle stroke";
    // V: open at the top middle, pointed at the bottom.
    EXPECT_TRUE(blue(v.x0, v.y0) && blue(v.x1, v.y0)) << kNames[i];
    EXPECT_FALSE(blue((v.x0 + v.x1 + 1) / 2, v.y0)) << kNames[i];
    EXPECT_FALSE(blue(v.x0, v.y1) || blue(v.x1, v.y1)) << kNames[i];
    EXPECT_TRUE(blue((v.x0 + v.x1 + 1) / 2, v.y1)) << kNames[i];
    // White screen directly above and below the whole word.
    for (int x = l.x0; x <= v.x1; ++x) {
      EXPECT_TRUE(isWhite(img.at(x, l.y0 - 1))) << kNames[i] << " above text at " << x;
      EXPECT_TRUE(isWhite(img.at(x, l.y1 + 1))) << kNames[i] << " below text at " << x;
    }
  }
}

TEST_F(IconTest, MonitorHasAGreyFrameAroundTheScreen) {
  for (int i = 0; i < 4; ++i) {
    const Monitor mon = findMonitor(image(i));
    ASSERT_TRUE(mon.found) << kNames[i];
    EXPECT_LT(mon.frame.x0, mon.screen.x0) << kNames[i];
    EXPECT_GT(mon.frame.x1, mon.screen.x1) << kNames[i];
    EXPECT_LT(mon.frame.y0, mon.screen.y0) << kNames[i];
    EXPECT_GT(mon.frame.y1, mon.screen.y1) << kNames[i];
    // Something stands below the frame, narrower than it.
    const int midX = (mon.frame.x0 + mon.frame.x1) / 2;
    ASSERT_LT(mon.frame.y1 + 1, image(i).size) << kNames[i];
    EXPECT_FALSE(image(i).clear(midX, mon.frame.y1 + 1)) << kNames[i] << " stand";
    EXPECT_TRUE(image(i).clear(mon.frame.x0, mon.frame.y1 + 1)) << kNames[i];
  }
}

TEST_F(IconTest, GreenPowerLightSitsInTheFrameExceptAtSixteenPixels) {
  for (int i : {0, 2, 3}) {
    const IconImage& img = image(i);
    const Monitor mon = findMonitor(img);
    ASSERT_TRUE(mon.found) << kNames[i];
    std::vector<Box> lights;
    for (const auto& part : components(img, isGreen, true)) {
      const Box b = boundsOf(part);
      if (b.width() > 3 || b.height() > 3) continue;
      bool onGreyFrame = true;
      for (int y = b.y0 - 1; y <= b.y1 + 1; ++y)
        for (int x = b.x0 - 1; x <= b.x1 + 1; ++x) {
          if (x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1) continue;
          const bool grey = img.inside(x, y) && !img.clear(x, y) && isNeutral(img.at(x, y)) &&
                            maxOf(img.at(x, y)) >= 64 && maxOf(img.at(x, y)) <= 230;
          onGreyFrame = onGreyFrame && grey;
        }
      if (onGreyFrame) lights.push_back(b);
    }
    ASSERT_EQ(lights.size(), 1u) << kNames[i];
    const Box& light = lights[0];
    EXPECT_GT(light.y0, mon.screen.y1) << kNames[i] << ": below the screen";
    EXPECT_LT(light.y1, mon.frame.y1) << kNames[i] << ": inside the frame";
    EXPECT_GT(light.x0, (mon.frame.x0 + mon.frame.x1) / 2) << kNames[i] << ": right half";
    EXPECT_LT(light.x1, mon.frame.x1) << kNames[i];
  }
  const IconImage& small = image(1);
  for (int y = 0; y < small.size; ++y)
    for (int x = 0; x < small.size; ++x)
      EXPECT_FALSE(!small.clear(x, y) && isGreen(small.at(x, y))) << "16x16 at " << x << "," << y;
}

TEST_F(IconTest, RainbowBarUnderTheTextOnlyInTheLargeImage) {
  for (int i = 0; i < 4; ++i) {
    const IconImage& img = image(i);
    int bestRow = -1, bestHues = 0;
    for (int y = 0; y < img.size; ++y) {
      std::set<int> hues;
      for (int x = 0; x < img.size; ++x)
        if (!img.clear(x, y) && isSaturated(img.at(x, y))) hues.insert(hueSextant(img.at(x, y)));
      if (static_cast<int>(hues.size()) > bestHues) {
        bestHues = static_cast<int>(hues.size());
        bestRow = y;
      }
    }
    if (i != 2) {
      EXPECT_LE(bestHues, 2) << kNames[i] << " row " << bestRow;
      continue;
    }
    EXPECT_GE(bestHues, 5) << kNames[i];
    const Monitor mon = findMonitor(img);
    ASSERT_TRUE(mon.found);
    EXPECT_GT(bestRow, mon.letters[0].y1) << "bar below the text";
    EXPECT_LE(bestRow, mon.screen.y1) << "bar on the screen";
    int run = 0, longest = 0;
    for (int x = 0; x < img.size; ++x) {
      run = !img.clear(x, bestRow) && isSaturated(img.at(x, bestRow)) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    EXPECT_GE(longest, mon.letters[2].x1 - mon.letters[0].x0 - 2) << "bar as wide as the text";
  }
}

TEST_F(IconTest, SilverDiscShowsBehindTheMonitorExceptAtSixteenPixels) {
  for (int i : {0, 2, 3}) {
    const IconImage& img = image(i);
    const Monitor mon = findMonitor(img);
    ASSERT_TRUE(mon.found) << kNames[i];
    const std::vector<Colour> disc = pixelsAroundFrame(img, mon.frame);
    EXPECT_GE(static_cast<int>(disc.size()), img.size * img.size / 8) << kNames[i];
    std::set<int> tintHues;
    bool white = false, darker = false;
    for (const Colour& c : disc) {
      EXPECT_LT(saturation(c), 0.35) << kNames[i] << ": silver, not coloured";
      if (img.bpp == 4) {
        EXPECT_TRUE(isNeutral(c)) << kNames[i] << ": plain greys";
      }
      if (!isNeutral(c)) tintHues.insert(hueSextant(c));
      white = white || isWhite(c);
      darker = darker || maxOf(c) < 200;
    }
    EXPECT_TRUE(darker) << kNames[i];
    if (img.bpp == 4) {
      EXPECT_TRUE(white) << kNames[i] << ": white highlight";
    } else {
      EXPECT_GE(tintHues.size(), 3u) << kNames[i] << ": rainbow sheen";
    }
  }
  const Monitor small = findMonitor(image(1));
  ASSERT_TRUE(small.found);
  EXPECT_TRUE(pixelsAroundFrame(image(1), small.frame).empty());
  EXPECT_GE(small.frame.x1 - small.frame.x0 + 1, 14) << "monitor fills the small image";
}

}  // namespace
