// What the renderer's pixel tests share: an offscreen context through
// initContextState at 8 or 10 bits, the frame it draws (colours and depths),
// stand-in glyph lists, and a fixture that starts each test from the state the
// program starts with.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "offscreen_gl.h"
#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"

namespace scene_canvas {

struct Frame {
  int width = 0, height = 0;
  std::vector<Pixel> pixels;
  std::vector<float> depths;
  Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  float depthAt(int x, int y) const { return depths[static_cast<std::size_t>(y) * width + x]; }
  bool background(int x, int y) const { return depthAt(x, y) == 1.0f; }  // nothing drawn in depth
};

inline bool same(Pixel a, Pixel b) {
  return a.r == b.r && a.g == b.g && a.b == b.b;
}
inline bool grey(Pixel p) {
  return p.r == p.g && p.g == p.b;
}

// A context that has been through initContextState, with a colour buffer of
// width by height pixels at `bits` per channel.
class Canvas {
 public:
  Canvas(int width, int height, int bits)
      : gl_(width, height, bits), width_(width), height_(height) {
    if (gl_.ok()) initContextState();
  }
  bool ok() const { return gl_.ok(); }
  const std::string& error() const { return gl_.error(); }
  int maxLevel() const { return gl_.maxLevel(); }

  void makeCurrent() { gl_.makeCurrent(); }
  Frame draw() { return draw(width_, height_); }
  Frame draw(int areaWidth, int areaHeight) {
    gl_.makeCurrent();
    renderFrame(areaWidth, areaHeight);
    return grab();
  }
  Frame grab() {
    gl_.makeCurrent();
    Frame frame{width_, height_, gl_.read(),
                std::vector<float>(static_cast<std::size_t>(width_) * height_)};
    glReadPixels(0, 0, width_, height_, GL_DEPTH_COMPONENT, GL_FLOAT, frame.depths.data());
    return frame;
  }

 private:
  OffscreenGl gl_;
  int width_, height_;
};

inline void selectPreset(int index) {
  while (viewerState.shadeIndex != index) cycleShade();
}

// Stand-in glyph lists for "LMV": each a flat block 0.4 wide (L tall, M
// middling, V short, so the three can be told apart) that then moves the
// origin on by 0.5, as real glyph outlines advance.
struct Glyph {
  char letter;
  float height;
};
inline const Glyph kGlyphs[] = {{'L', 0.9f}, {'M', 0.6f}, {'V', 0.3f}};
inline GLuint buildGlyphLists() {
  const GLuint base = glGenLists(256);
  for (const Glyph& glyph : kGlyphs) {
    glNewList(base + static_cast<unsigned char>(glyph.letter), GL_COMPILE);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.4f, 0.0f, 0.0f);
    glVertex3f(0.4f, glyph.height, 0.0f);
    glVertex3f(0.0f, glyph.height, 0.0f);
    glEnd();
    glTranslatef(0.5f, 0.0f, 0.0f);
    glEndList();
  }
  return base;
}

// Every test starts from the state the program starts with and no glyph lists.
class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewerState = ViewerState{};
    glyphListBase = 0;
  }
};

}  // namespace scene_canvas
