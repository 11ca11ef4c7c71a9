// The one record of what both display windows show and how far the animation
// has run, the commands that change it and the animation's per-frame advance.
// Plain data and arithmetic: no platform or graphics interface is used here.
#pragma once

// The colour of the background ramp: grey, or one primary with the other two
// at 0, since a chain can band in one channel and not another.
enum class RampColour { Grey, Red, Green, Blue };

struct ViewerState {
  double sceneAngle = 0.0;  // degrees, shared by the four scene objects; never wrapped
  double logoAngle = 0.0;   // degrees, rocks between about -20 and +10
  int logoDirection = +1;   // sign of the next logo step
  bool paused = false;      // scene advance and timer repaints stopped
  bool logoVisible = true;
  bool mainLightOff = false;  // GL_LIGHT0 in both contexts
  bool sideLightOff = false;  // GL_LIGHT1 in both contexts
  int shadeIndex = 3;         // background preset, 0 means no background
  float shadeTop = 0.6f;
  float shadeBottom = 0.4f;
  RampColour rampColour = RampColour::Grey;
  bool dragging = false;  // left button held in one of the display windows
  // Full screen's split view: which half shows 8 bits, and whether the
  // halves say which they are (the blind test moves the one and hides the other).
  bool eightBitHalfOnRight = false;
  bool halfLabelsShown = true;
  // --blind while it runs: Left and Right answer, F and I do nothing.
  bool blindTestRunning = false;
};

struct ShadePreset {
  float shadeTop;
  float shadeBottom;
};

constexpr int shadePresetCount = 6;
// Row 0 is never read: preset 0 switches the background off and keeps the
// previous shades.
extern const ShadePreset shadePresets[shadePresetCount];

extern ViewerState viewerState;

// Commands: they change viewerState only; repainting and GL work are the caller's.
void cycleShade();
void cycleRampColour();  // grey, red, green, blue, grey again
void togglePause();
void toggleLogo();
bool toggleMainLight();  // returns the new mainLightOff
bool toggleSideLight();  // returns the new sideLightOff
void beginDrag();
void endDrag();

// One frame's advance of the animation, as renderFrame makes it after
// drawing; alone, the frame of a window nobody can see, so that the
// animation runs on and the picture is right when the window comes back.
void skipFrame();
// Its three rules: the logo turns at its bounds, the scene turns unless
// paused, and a visible logo rocks on.
void turnLogoAtBounds();
void advanceScene();
void advanceLogo();
