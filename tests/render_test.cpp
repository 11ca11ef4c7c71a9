#include <gtest/gtest.h>

#include "offscreen_gl.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"

TEST(RenderSmoke, DrawsBackground) {
  viewerState = ViewerState{};
  OffscreenGl gl(400, 400, 10);
  ASSERT_TRUE(gl.ok()) << gl.error();
  initContextState();
  renderFrame(400, 400);
  auto image = gl.read();
  Pixel p = gl.at(image, 200, 0);
  EXPECT_NEAR(p.r, 409, 2);
}
