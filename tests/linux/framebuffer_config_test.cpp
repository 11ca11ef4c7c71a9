// The exact-size choice of framebuffer configurations, on made-up lists
// shaped like those a depth-30 and a depth-24 screen offer (Mesa on Xvfb):
// GLX sorts deeper colour first, and the choice must not take it.
#include "app/framebuffer_config.h"

#include <gtest/gtest.h>

namespace {

FramebufferConfig config(int colour, int alpha, int depthBits, int visualDepth) {
  FramebufferConfig c;
  c.redBits = c.greenBits = c.blueBits = colour;
  c.alphaBits = alpha;
  c.depthBits = depthBits;
  c.windowCapable = c.doubleBuffered = c.rgba = c.trueColour = true;
  c.visualDepth = visualDepth;
  return c;
}

// A depth-30 screen: 10-bit configurations first, the only 8-bit ones on
// the depth-32 ARGB visual.
std::vector<FramebufferConfig> depth30Screen() {
  return {config(10, 2, 24, 30), config(10, 0, 24, 30), config(10, 2, 0, 30),
          config(8, 8, 24, 32),  config(8, 8, 0, 32),   config(5, 0, 16, 0)};
}

// A depth-24 screen: 8-8-8 and 8-8-8-8 on depth-24 visuals, 8-8-8-8 on the
// ARGB visual too, and nothing at 10 bits.
std::vector<FramebufferConfig> depth24Screen() {
  return {config(8, 8, 24, 32), config(8, 8, 24, 24), config(8, 0, 24, 24), config(8, 0, 0, 24),
          config(5, 0, 16, 16)};
}

TEST(FramebufferConfigChoice, TakesExactSizesWhereGlxWouldHandOutDeeperOnes) {
  const std::vector<FramebufferConfig> screen30 = depth30Screen();
  EXPECT_EQ(chooseFramebufferConfig(screen30, tenBitColour, 30), 0) << "10-10-10-2 with depth";
  EXPECT_EQ(chooseFramebufferConfig(screen30, eightBitColour, 30), 3)
      << "the depth-32 ARGB visual, not a 10-bit configuration";

  const std::vector<FramebufferConfig> screen24 = depth24Screen();
  EXPECT_EQ(chooseFramebufferConfig(screen24, tenBitColour, 24), -1);
  EXPECT_EQ(chooseFramebufferConfig(screen24, eightBitColour, 24), 2)
      << "the screen's own depth, without alpha, over the ARGB visual";
}

TEST(FramebufferConfigChoice, RefusesWhatAWindowCannotUse) {
  // Each configuration is 10-10-10-2 but lacks one thing the window needs.
  std::vector<FramebufferConfig> configs(6, config(10, 2, 24, 30));
  configs[0].windowCapable = false;
  configs[1].doubleBuffered = false;
  configs[2].rgba = false;
  configs[3].depthBits = 0;
  configs[4].visualDepth = 0;
  configs[5].alphaBits = 0;
  EXPECT_EQ(chooseFramebufferConfig(configs, tenBitColour, 30), -1);
  EXPECT_EQ(chooseFramebufferConfig({config(10, 2, 24, 30)}, {10, 8}, 30), -1)
      << "an exact alpha request takes no other alpha";
  EXPECT_EQ(chooseFramebufferConfig({config(10, 2, 24, 30)}, eightBitColour, 30), -1);
  EXPECT_EQ(chooseFramebufferConfig({}, tenBitColour, 30), -1);

  configs.push_back(config(10, 2, 24, 30));
  EXPECT_EQ(chooseFramebufferConfig(configs, tenBitColour, 30), 6);
}

TEST(FramebufferConfigChoice, PrefersFastTrueColourAndA24BitDepthBuffer) {
  FramebufferConfig slow = config(10, 2, 24, 30);
  slow.slow = true;
  FramebufferConfig directColour = config(10, 2, 24, 30);
  directColour.trueColour = false;
  const FramebufferConfig deep = config(10, 2, 32, 30);
  const FramebufferConfig shallow = config(10, 2, 16, 30);
  const FramebufferConfig best = config(10, 2, 24, 30);

  EXPECT_EQ(chooseFramebufferConfig({slow, directColour, deep, best, shallow}, tenBitColour, 30),
            3);
  EXPECT_EQ(chooseFramebufferConfig({slow, directColour}, tenBitColour, 30), 1)
      << "a slow configuration only as the last resort";
  EXPECT_EQ(chooseFramebufferConfig({slow}, tenBitColour, 30), 0);
  EXPECT_EQ(chooseFramebufferConfig({shallow, deep}, tenBitColour, 30), 0)
      << "equally far from 24 bits: the earlier one";
  EXPECT_EQ(chooseFramebufferConfig({best, config(10, 2, 24, 30)}, tenBitColour, 30), 0);
}

}  // namespace
