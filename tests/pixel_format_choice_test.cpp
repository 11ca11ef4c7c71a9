// The exact-size choice of pixel formats, on made-up lists shaped like those
// real drivers offer: GLX on a depth-30 and a depth-24 screen (Mesa on
// Xvfb), and WGL under Wine on a depth-30 screen, where every window format
// has 10 bits. Drivers sort deeper colour first, and the choice must not
// take it.
#include "app/pixel_format_choice.h"

#include <gtest/gtest.h>

namespace {

PixelFormatCandidate format(int colour, int alpha, int depthBits, bool screensOwnDepth = true) {
  PixelFormatCandidate c;
  c.redBits = c.greenBits = c.blueBits = colour;
  c.alphaBits = alpha;
  c.depthBits = depthBits;
  c.drawsToWindow = c.doubleBuffered = c.rgba = c.accelerated = true;
  c.screensOwnDepth = screensOwnDepth;
  return c;
}

// A depth-30 X screen: 10-bit configurations first, the only 8-bit ones on
// the depth-32 ARGB visual.
std::vector<PixelFormatCandidate> depth30Screen() {
  return {format(10, 2, 24),       format(10, 0, 24),      format(10, 2, 0),
          format(8, 8, 24, false), format(8, 8, 0, false), format(5, 0, 16, false)};
}

// A depth-24 X screen: 8-8-8 and 8-8-8-8 on depth-24 visuals, 8-8-8-8 on the
// ARGB visual too, and nothing at 10 bits.
std::vector<PixelFormatCandidate> depth24Screen() {
  return {format(8, 8, 24, false), format(8, 8, 24), format(8, 0, 24), format(8, 0, 0),
          format(5, 0, 16, false)};
}

TEST(PixelFormatChoice, TakesExactSizesWhereDriversWouldHandOutDeeperOnes) {
  const std::vector<PixelFormatCandidate> screen30 = depth30Screen();
  EXPECT_EQ(choosePixelFormat(screen30, tenBitColour), 0) << "10-10-10-2 with depth";
  EXPECT_EQ(choosePixelFormat(screen30, eightBitColour), 3)
      << "the depth-32 ARGB visual, not a 10-bit configuration";

  const std::vector<PixelFormatCandidate> screen24 = depth24Screen();
  EXPECT_EQ(choosePixelFormat(screen24, tenBitColour), -1);
  EXPECT_EQ(choosePixelFormat(screen24, eightBitColour), 2)
      << "the screen's own depth, without alpha, over the ARGB visual";
}

TEST(PixelFormatChoice, RefusesWhatAWindowCannotUse) {
  // Each format is 10-10-10-2 but lacks one thing the window needs.
  std::vector<PixelFormatCandidate> formats(5, format(10, 2, 24));
  formats[0].drawsToWindow = false;
  formats[1].doubleBuffered = false;
  formats[2].rgba = false;  // a floating-point or colour-index format
  formats[3].depthBits = 0;
  formats[4].alphaBits = 0;
  EXPECT_EQ(choosePixelFormat(formats, tenBitColour), -1);
  EXPECT_EQ(choosePixelFormat({format(10, 2, 24)}, {10, 8}), -1)
      << "an exact alpha request takes no other alpha";
  EXPECT_EQ(choosePixelFormat({format(10, 2, 24)}, eightBitColour), -1);
  EXPECT_EQ(choosePixelFormat({}, tenBitColour), -1);
  PixelFormatCandidate oddGreen = format(10, 2, 24);
  oddGreen.greenBits = 11;
  EXPECT_EQ(choosePixelFormat({oddGreen}, tenBitColour), -1) << "every channel counts";

  formats.push_back(format(10, 2, 24));
  EXPECT_EQ(choosePixelFormat(formats, tenBitColour), 5);
}

TEST(PixelFormatChoice, PrefersAcceleratedTrueColourAndA24BitDepthBuffer) {
  PixelFormatCandidate software = format(10, 2, 24);
  software.accelerated = false;
  PixelFormatCandidate directColour = format(10, 2, 24);
  directColour.trueColour = false;
  const PixelFormatCandidate deep = format(10, 2, 32);
  const PixelFormatCandidate shallow = format(10, 2, 16);
  const PixelFormatCandidate best = format(10, 2, 24);

  EXPECT_EQ(choosePixelFormat({software, directColour, deep, best, shallow}, tenBitColour), 3);
  EXPECT_EQ(choosePixelFormat({software, directColour}, tenBitColour), 1)
      << "a software format only as the last resort";
  EXPECT_EQ(choosePixelFormat({software}, tenBitColour), 0);
  EXPECT_EQ(choosePixelFormat({shallow, deep}, tenBitColour), 0)
      << "equally far from 24 bits: the earlier one";
  EXPECT_EQ(choosePixelFormat({best, format(10, 2, 24)}, tenBitColour), 0);
}

TEST(PixelFormatChoice, NearestWhereNoneIsExact) {
  // Wine on a depth-30 screen: only 10-bit window formats, some with
  // alpha, some floating point, some without a depth buffer.
  PixelFormatCandidate floating = format(10, 2, 24);
  floating.rgba = false;
  const std::vector<PixelFormatCandidate> wine30 = {format(10, 2, 0), floating, format(10, 2, 24),
                                                    format(10, 0, 24)};
  EXPECT_EQ(choosePixelFormat(wine30, eightBitColour), -1);
  EXPECT_EQ(chooseNearestPixelFormat(wine30, eightBitColour), 3)
      << "usable, then the fewest alpha bits";

  // More bits than asked for beat fewer: 5-6-5 would lose levels.
  PixelFormatCandidate rgb565 = format(5, 0, 24);
  rgb565.greenBits = 6;
  EXPECT_EQ(
      chooseNearestPixelFormat({rgb565, format(12, 0, 24), format(10, 0, 24)}, eightBitColour), 2);
  EXPECT_EQ(chooseNearestPixelFormat({rgb565}, eightBitColour), 0) << "still better than none";
  EXPECT_EQ(chooseNearestPixelFormat({format(10, 0, 0)}, eightBitColour), -1);
  EXPECT_EQ(chooseNearestPixelFormat(depth30Screen(), eightBitColour), 3)
      << "an exact one is the nearest of all";
}

TEST(PixelFormatChoice, ContextColourIsCheckedAndAShallowReferenceNoted) {
  const PixelFormatCandidate chosen = format(10, 2, 24);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(contextHasChosenColour("W", {10, 10, 10}, chosen));
  EXPECT_FALSE(contextHasChosenColour("W", {10, 8, 10}, chosen));
  noteEightBitWindowColour({8, 8, 8});
  noteEightBitWindowColour({10, 10, 10});
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR: The 'W' window got 8 bits per colour instead of 10!\n"
            "NOTE: the 8-bit window got 10 bits per colour on this display, so it cannot show "
            "8-bit bands.\n");
}

}  // namespace
