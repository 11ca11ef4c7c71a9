#include "render/level_count.h"

#include <cmath>
#include <set>
#include <tuple>
#include <vector>

#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "viewer/viewer_state.h"

namespace {

float rampWidth(int preset) {
  return shadePresets[preset].shadeTop - shadePresets[preset].shadeBottom;
}

// Row 0 of the table is never drawn; a flat preset shows no ramp.
int presetBy(bool widest) {
  int chosen = 0;
  for (int preset = 1; preset < shadePresetCount; ++preset) {
    if (rampWidth(preset) <= 0.0f) continue;
    if (chosen == 0 ||
        (widest ? rampWidth(preset) > rampWidth(chosen) : rampWidth(preset) < rampWidth(chosen)))
      chosen = preset;
  }
  return chosen;
}

}  // namespace

int widestRampPreset() {
  return presetBy(true);
}

int narrowestRampPreset() {
  return presetBy(false);
}

int rampLevelsAllowed(float bottom, float top, int width, int height, int bits) {
  const int side = width > height ? width : height;
  const double maxLevel = static_cast<double>((1 << bits) - 1);
  std::set<long> levels;
  for (int y = 0; y < height; ++y) {
    const double grey = bottom + (top - bottom) * (y + 0.5) / side;
    levels.insert(std::lround(grey * maxLevel));
  }
  return static_cast<int>(levels.size());
}

ContextColour currentContextColour() {
  WindowMeasurement bits;
  readFramebufferBits(bits);
  return {bits.redBits, bits.greenBits, bits.blueBits};
}

void readFramebufferBits(WindowMeasurement& measurement) {
  GLint red = 0, green = 0, blue = 0, alpha = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  glGetIntegerv(GL_ALPHA_BITS, &alpha);
  measurement.redBits = static_cast<int>(red);
  measurement.greenBits = static_cast<int>(green);
  measurement.blueBits = static_cast<int>(blue);
  measurement.alphaBits = static_cast<int>(alpha);
}

int countLevelsInBackBuffer(int left, int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  // Sixteen bits per channel keep every level of any framebuffer up to 16
  // bits apart; the front buffer may not be readable (Wine reads zeros).
  std::vector<GLushort> pixels(static_cast<std::size_t>(width) * height * 3);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // A window's back buffer; an offscreen framebuffer reads its own.
  GLboolean doubleBuffered = GL_FALSE;
  glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
  if (doubleBuffered) glReadBuffer(GL_BACK);
  glReadPixels(left, 0, width, height, GL_RGB, GL_UNSIGNED_SHORT, pixels.data());
  glPopClientAttrib();

  std::set<std::tuple<GLushort, GLushort, GLushort>> levels;
  for (std::size_t i = 0; i + 2 < pixels.size(); i += 3)
    levels.insert({pixels[i], pixels[i + 1], pixels[i + 2]});
  return static_cast<int>(levels.size());
}

void drawRamp(int width, int height, float bottom, float top, int left) {
  // The check measures grey ramps whatever colour the person has chosen.
  const ViewerState saved = viewerState;
  viewerState.shadeBottom = bottom;
  viewerState.shadeTop = top;
  viewerState.rampColour = RampColour::Grey;
  beginFrame(width, height, left);
  drawBackground();
  viewerState = saved;
}

int drawRampAndCountLevels(int width, int height, float bottom, float top) {
  if (width <= 0 || height <= 0) return 0;
  drawRamp(width, height, bottom, top, 0);
  return countLevelsInBackBuffer(0, width, height);
}

void measureRamps(WindowMeasurement& measurement, int width, int height,
                  void (*afterDrawing)(RampMeasurement& ramp, void* context), void* context) {
  const int presets[2] = {widestRampPreset(), narrowestRampPreset()};
  RampMeasurement* ramps[2] = {&measurement.fullRamp, &measurement.narrowRamp};
  for (int i = 0; i < 2; ++i) {
    const float bottom = shadePresets[presets[i]].shadeBottom;
    const float top = shadePresets[presets[i]].shadeTop;
    RampMeasurement& ramp = *ramps[i];
    ramp.allowed8 = rampLevelsAllowed(bottom, top, width, height, 8);
    ramp.allowed10 = rampLevelsAllowed(bottom, top, width, height, 10);
    ramp.drawn = drawRampAndCountLevels(width, height, bottom, top);
    if (afterDrawing != nullptr) afterDrawing(ramp, context);
  }
}
