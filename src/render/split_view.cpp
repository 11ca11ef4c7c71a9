#include "render/split_view.h"

#include <cstring>
#include <vector>

#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "render/level_count.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"

namespace {

// Reads the left `width` columns of the back buffer as 8-bit values and draws
// them back in place: the framebuffer then holds in each pixel the 8-bit
// value widened to its own bits, as an 8-bit framebuffer's value is shown.
void narrowToEightBits(int width, int height) {
  if (width <= 0 || height <= 0) return;
  std::vector<GLubyte> pixels(static_cast<std::size_t>(width) * height * 4);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  if (doubleBuffered) glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

  // The raster position at the lower-left corner; without depth test the
  // pixels replace what is there and leave the depth buffer alone.
  glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glRasterPos2i(0, 0);
  glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
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

  glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT | GL_LIST_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glViewport(left, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -10.0, 10.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glListBase(glyphListBase);
  glColor3f(0.0f, 0.0f, 0.55f);
  const float offsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                               {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
  for (const auto& offset : offsets)
    drawLabelText(text, x, baseline, em, offset[0] * outline, offset[1] * outline);
  glColor3f(1.0f, 1.0f, 0.0f);
  drawLabelText(text, x, baseline, em, 0.0f, 0.0f);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

}  // namespace

int splitLeftWidth(int width) {
  return width / 2;
}

void renderSplitView(int width, int height) {
  const int leftWidth = splitLeftWidth(width);
  const int rightWidth = width - leftWidth;
  const ViewerState before = viewerState;

  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, leftWidth, height);
  renderFrame(leftWidth, height, 0);
  drawLabel(splitLabel8, 0, leftWidth, height);
  narrowToEightBits(leftWidth, height);

  // The right half shows the same frame: the angles go back to where the
  // left half found them, and its paint advances them once.
  viewerState.sceneAngle = before.sceneAngle;
  viewerState.logoAngle = before.logoAngle;
  viewerState.logoDirection = before.logoDirection;
  glScissor(leftWidth, 0, rightWidth, height);
  renderFrame(rightWidth, height, leftWidth);
  drawLabel(splitLabel10, leftWidth, rightWidth, height);
  glDisable(GL_SCISSOR_TEST);
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
    drawRamp(leftWidth, height, bottom, top, 0);
    narrowToEightBits(leftWidth, height);
    glScissor(leftWidth, 0, rightWidth, height);
    drawRamp(rightWidth, height, bottom, top, leftWidth);
    glDisable(GL_SCISSOR_TEST);
    leftRamp.drawn = countLevelsInBackBuffer(0, leftWidth, height);
    rightRamp.drawn = countLevelsInBackBuffer(leftWidth, rightWidth, height);
    if (afterDrawing != nullptr) afterDrawing(leftRamp, rightRamp, context);
  }
}
