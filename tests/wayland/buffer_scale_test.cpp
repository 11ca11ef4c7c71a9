// The buffer scale a surface takes for the outputs under it, and when the
// compositor then shows it 1:1.
#include "wayland/buffer_scale.h"

#include <gtest/gtest.h>

namespace {

using wayland::BufferScale;
using wayland::chooseBufferScale;
using wayland::OutputScale;
using wayland::outputScale;

TEST(BufferScale, LargestScaleUnderTheSurfaceAndOneToOneOnlyWhereAllMatch) {
  BufferScale b = chooseBufferScale({});
  EXPECT_EQ(b.scale, 1);
  EXPECT_TRUE(b.oneToOne);
  b = chooseBufferScale({{2, false}});
  EXPECT_EQ(b.scale, 2);
  EXPECT_TRUE(b.oneToOne);
  b = chooseBufferScale({{2, false}, {2, false}});
  EXPECT_EQ(b.scale, 2);
  EXPECT_TRUE(b.oneToOne);
  // Across a scale-1 and a scale-2 output: drawn for the sharper, shrunk on the other.
  b = chooseBufferScale({{1, false}, {2, false}});
  EXPECT_EQ(b.scale, 2);
  EXPECT_FALSE(b.oneToOne);
  b = chooseBufferScale({{3, false}, {1, false}});
  EXPECT_EQ(b.scale, 3);
  EXPECT_FALSE(b.oneToOne);
  // A fractional output (1.5 announced as 2) is resampled whatever the buffer's scale.
  b = chooseBufferScale({{2, true}});
  EXPECT_EQ(b.scale, 2);
  EXPECT_FALSE(b.oneToOne);
  EXPECT_EQ(chooseBufferScale({{0, false}}).scale, 1) << "no scale below 1";
}

TEST(BufferScale, FractionalWhereTheModeIsNotTheLogicalSizeTimesTheScale) {
  EXPECT_FALSE(outputScale(2, 2048, 600, 1024, 300).fractional);
  EXPECT_FALSE(outputScale(1, 800, 400, 800, 400).fractional);
  EXPECT_FALSE(outputScale(2, 2048, 600, 300, 1024).fractional) << "turned a quarter";
  EXPECT_TRUE(outputScale(2, 2048, 600, 1365, 400).fractional) << "1.5, announced as 2";
  EXPECT_TRUE(outputScale(2, 3840, 2160, 3072, 1728).fractional) << "1.25, announced as 2";
  EXPECT_FALSE(outputScale(3, 800, 400, 266, 133).fractional) << "a mode the scale does not divide";
  EXPECT_FALSE(outputScale(2, 3840, 2160, 0, 0).fractional) << "no logical size known";
  EXPECT_EQ(outputScale(2, 3840, 2160, 0, 0).scale, 2);
  EXPECT_EQ(outputScale(0, 0, 0, 0, 0).scale, 1);
}

}  // namespace
