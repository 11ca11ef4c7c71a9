#include "viewer/viewer_state.h"

ViewerState viewerState;

const ShadePreset shadePresets[shadePresetCount] = {
    {0.6f, 0.4f},    // unused: index 0 draws no background
    {1.0f, 0.0f},    // full black-to-white ramp
    {0.8f, 0.2f},    //
    {0.6f, 0.4f},    // the initial preset
    {0.55f, 0.45f},  // narrow enough that 8 bits band visibly
    {0.5f, 0.5f},    // flat mid grey
};

namespace {
// Double-precision constants: both angles accumulate in double, so the swing
// turns at exactly the same frames on every build.
constexpr double sceneStep = 0.2;
constexpr double logoStep = 0.1;
constexpr double logoUpperBound = 10.0;
constexpr double logoLowerBound = -20.0;
}  // namespace

void cycleShade() {
  int next = viewerState.shadeIndex + 1;
  if (next == shadePresetCount) next = 0;
  viewerState.shadeIndex = next;
  if (next != 0) {
    viewerState.shadeTop = shadePresets[next].shadeTop;
    viewerState.shadeBottom = shadePresets[next].shadeBottom;
  }
}

void cycleRampColour() {
  const int next = (static_cast<int>(viewerState.rampColour) + 1) % 4;
  viewerState.rampColour = static_cast<RampColour>(next);
}

void togglePause() {
  viewerState.paused = !viewerState.paused;
}

void toggleLogo() {
  viewerState.logoVisible = !viewerState.logoVisible;
}

bool toggleMainLight() {
  viewerState.mainLightOff = !viewerState.mainLightOff;
  return viewerState.mainLightOff;
}

bool toggleSideLight() {
  viewerState.sideLightOff = !viewerState.sideLightOff;
  return viewerState.sideLightOff;
}

void beginDrag() {
  viewerState.dragging = true;
}

void endDrag() {
  viewerState.dragging = false;
}

void turnLogoAtBounds() {
  // Two separate tests on the same angle; the step comes at the end of the
  // frame, so the angle may pass a bound by up to one step first.
  if (viewerState.logoAngle > logoUpperBound) viewerState.logoDirection = -1;
  if (viewerState.logoAngle < logoLowerBound) viewerState.logoDirection = +1;
}

void advanceScene() {
  if (!viewerState.paused) viewerState.sceneAngle += sceneStep;
}

void advanceLogo() {
  viewerState.logoAngle += static_cast<double>(viewerState.logoDirection) * logoStep;
}

void skipFrame() {
  turnLogoAtBounds();
  advanceScene();
  if (viewerState.logoVisible) advanceLogo();
}
