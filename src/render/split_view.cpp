#include "render/split_view.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "render/level_count.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"

GlLookup splitViewEntryPoint = nullptr;

namespace {

// The 8-8-8-8 framebuffer object with a 24-bit depth buffer that the left
// half is drawn into, kept from frame to frame (made anew for a new size):
// making one each frame costs a software rasteriser more than drawing.
struct EightBitFramebuffer {
  FramebufferCalls calls;
  GLuint framebuffer = 0;
  GLuint renderbuffers[2] = {0, 0};
  int width = 0, height = 0;
};
EightBitFramebuffer eightBits;

void deleteEightBitFramebuffer() {
  if (eightBits.framebuffer == 0) return;
  eightBits.calls.deleteFramebuffers(1, &eightBits.framebuffer);
  eightBits.calls.deleteRenderbuffers(2, eightBits.renderbuffers);
  eightBits = EightBitFramebuffer{};
}

// Binds the 8-bit framebuffer object of this size, made if need be, and
// tells which framebuffer was bound before; false (that one still bound)
// where there can be none.
bool bindEightBitFramebuffer(int width, int height, GLint& previous) {
  if (eightBits.framebuffer != 0 && eightBits.width == width && eightBits.height == height) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    eightBits.calls.bindFramebuffer(GL_FRAMEBUFFER, eightBits.framebuffer);
    return true;
  }
  deleteEightBitFramebuffer();
  if (!findFramebufferCalls(eightBits.calls, splitViewEntryPoint)) return false;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  const FramebufferCalls& calls = eightBits.calls;
  calls.genFramebuffers(1, &eightBits.framebuffer);
  calls.genRenderbuffers(2, eightBits.renderbuffers);
  calls.bindFramebuffer(GL_FRAMEBUFFER, eightBits.framebuffer);
  const GLenum formats[2] = {GL_RGBA8, GL_DEPTH_COMPONENT24};
  const GLenum attachments[2] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
  for (int i = 0; i < 2; ++i) {
    calls.bindRenderbuffer(GL_RENDERBUFFER, eightBits.renderbuffers[i]);
    calls.renderbufferStorage(GL_RENDERBUFFER, formats[i], width, height);
    calls.framebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER,
                                  eightBits.renderbuffers[i]);
  }
  calls.bindRenderbuffer(GL_RENDERBUFFER, 0);
  GLint redBits = 0;
  glGetIntegerv(GL_RED_BITS, &redBits);
  eightBits.width = width;
  eightBits.height = height;
  if (calls.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE && redBits == 8)
    return true;
  calls.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  deleteEightBitFramebuffer();
  return false;
}

// The width by height pixels from column `left` of the framebuffer read for
// drawing (a window's back buffer), as 8-bit values.
void readEightBitValues(int left, int width, int height, std::vector<GLubyte>& pixels) {
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  if (doubleBuffered) glReadBuffer(GL_BACK);
  glReadPixels(left, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

// Pixels as units over the width by height area from column `left`, unlit
// and without depth test, z from -depth to depth; the attributes (with
// `moreAttributes`) and matrices come back with endPixelView.
void beginPixelView(GLbitfield moreAttributes, int left, int width, int height, double depth) {
  glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT |
               moreAttributes);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glViewport(left, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -depth, depth);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
}

void endPixelView() {
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

// Draws 8-bit values back over the width by height pixels from column
// `left`: the framebuffer then holds in each the 8-bit value widened to its
// own bits. Without depth test they replace what is there and leave the
// depth buffer alone.
void drawEightBitValues(int left, int width, int height, const std::vector<GLubyte>& pixels) {
  beginPixelView(0, left, width, height, 1.0);
  glRasterPos2i(0, 0);
  glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  endPixelView();
}

// The 8-bit half, from column `left`, `draw(x)` drawing it as a window of
// width by height from column x: into an 8-bit framebuffer object where there
// is one (from its column 0), else into the surface itself (the caller has
// scissored the half); read back at 8 bits and drawn into the half.
template <typename Draw>
void drawHalfAtEightBits(int left, int width, int height, Draw draw) {
  if (width <= 0 || height <= 0) return;
  std::vector<GLubyte> pixels(static_cast<std::size_t>(width) * height * 4);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLint previous = 0;
  if (bindEightBitFramebuffer(width, height, previous)) {
    // The caller's scissor box is the half's place on the surface.
    glPushAttrib(GL_SCISSOR_BIT);
    glScissor(0, 0, width, height);
    draw(0);
    glPopAttrib();
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    eightBits.calls.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  } else {
    draw(left);
    readEightBitValues(left, width, height, pixels);
  }
  drawEightBitValues(left, width, height, pixels);
  glPopClientAttrib();
}

// One pass of the label's glyphs, `dx` and `dy` pixels off its place.
void drawLabelText(const char* text, float x, float y, float em, float dx, float dy) {
  glPushMatrix();
  glTranslatef(x + dx, y + dy, 0.0f);
  glScalef(em, em, 1.0f);
  glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
  glPopMatrix();
}

// The half's name in its top left corner: saturated yellow letters with a
// saturated dark blue outline, so they read on black, white and every grey
// between, and never match a level of the ramp.
void drawLabel(const char* text, int left, int width, int height) {
  if (glyphListBase == 0 || width <= 0 || height <= 0) return;
  float em = static_cast<float>(height) / 30.0f;
  if (em < 12.0f) em = 12.0f;
  if (em > 40.0f) em = 40.0f;
  const float outline = em / 14.0f < 1.0f ? 1.0f : em / 14.0f;
  const float x = em / 2.0f;
  const float baseline = static_cast<float>(height) - em / 2.0f - 0.75f * em;

  beginPixelView(GL_LIST_BIT, left, width, height, 10.0);
  glListBase(glyphListBase);
  glColor3f(0.0f, 0.0f, 0.55f);
  const float offsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                               {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
  for (const auto& offset : offsets)
    drawLabelText(text, x, baseline, em, offset[0] * outline, offset[1] * outline);
  glColor3f(1.0f, 1.0f, 0.0f);
  drawLabelText(text, x, baseline, em, 0.0f, 0.0f);
  endPixelView();
}

}  // namespace

void releaseSplitViewFramebuffer() {
  deleteEightBitFramebuffer();
}

int splitLeftWidth(int width) {
  return width / 2;
}

void renderSplitView(int width, int height) {
  const int leftWidth = splitLeftWidth(width);
  const int rightWidth = width - leftWidth;
  // The 8-bit picture takes the left half, but where the blind test puts it
  // on the right.
  const bool eightBitRight = viewerState.eightBitHalfOnRight;
  const int left8 = eightBitRight ? leftWidth : 0, width8 = eightBitRight ? rightWidth : leftWidth;
  const int left10 = eightBitRight ? 0 : leftWidth, width10 = width - width8;
  const bool labelled = viewerState.halfLabelsShown;

  glEnable(GL_SCISSOR_TEST);
  glScissor(left8, 0, width8, height);
  drawHalfAtEightBits(left8, width8, height, [&](int x) {
    drawFrame(width8, height, x);
    if (labelled) drawLabel(splitLabel8, x, width8, height);
  });

  // The 10-bit half shows the same frame; the animation then advances once.
  glScissor(left10, 0, width10, height);
  drawFrame(width10, height, left10);
  if (labelled) drawLabel(splitLabel10, left10, width10, height);
  glDisable(GL_SCISSOR_TEST);
  skipFrame();
}

void measureSplitView(WindowMeasurement& left, WindowMeasurement& right, int width, int height,
                      void (*afterDrawing)(RampMeasurement& left, RampMeasurement& right,
                                           void* context),
                      void* context) {
  const int leftWidth = splitLeftWidth(width);
  const int rightWidth = width - leftWidth;
  readFramebufferBits(left);
  readFramebufferBits(right);
  const int presets[2] = {widestRampPreset(), narrowestRampPreset()};
  RampMeasurement* leftRamps[2] = {&left.fullRamp, &left.narrowRamp};
  RampMeasurement* rightRamps[2] = {&right.fullRamp, &right.narrowRamp};
  for (int i = 0; i < 2; ++i) {
    const float bottom = shadePresets[presets[i]].shadeBottom;
    const float top = shadePresets[presets[i]].shadeTop;
    RampMeasurement& leftRamp = *leftRamps[i];
    RampMeasurement& rightRamp = *rightRamps[i];
    leftRamp.allowed8 = rampLevelsAllowed(bottom, top, leftWidth, height, 8);
    leftRamp.allowed10 = rampLevelsAllowed(bottom, top, leftWidth, height, 10);
    rightRamp.allowed8 = rampLevelsAllowed(bottom, top, rightWidth, height, 8);
    rightRamp.allowed10 = rampLevelsAllowed(bottom, top, rightWidth, height, 10);

    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, leftWidth, height);
    drawHalfAtEightBits(0, leftWidth, height,
                        [&](int x) { drawRamp(leftWidth, height, bottom, top, x); });
    glScissor(leftWidth, 0, rightWidth, height);
    drawRamp(rightWidth, height, bottom, top, leftWidth);
    glDisable(GL_SCISSOR_TEST);
    leftRamp.drawn = countLevelsInBackBuffer(0, leftWidth, height);
    rightRamp.drawn = countLevelsInBackBuffer(leftWidth, rightWidth, height);
    if (afterDrawing != nullptr) afterDrawing(leftRamp, rightRamp, context);
  }
}
