// Full screen on Wayland: one more toplevel, asked to be full screen on the
// output that shows the 10-bit window (xdg_toplevel_set_fullscreen, or
// libdecor's equivalent where libdecor decorates), with an EGL window surface
// of the 10-bit window's exact configuration, drawn by the 10-bit context:
// the split view (render/split_view.h). The two windows stay mapped behind
// it, unpainted. F again, or a configure without the fullscreen state (the
// compositor took full screen away), destroys it; the compositor then shows
// the two windows again at the sizes they had, and they are painted again.
#include <cstdio>
#include <initializer_list>

#include "app/facts.h"
#include "render/split_view.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

// The output the full-screen window stands on, else the one it asks for
// (null where the compositor chooses).
wl_output* fullScreenOutput() {
  if (!windowFull.outputs.empty()) return windowFull.outputs.front();
  return window10.outputs.empty() ? nullptr : window10.outputs.front();
}

bool createFullScreenWindow() {
  // The 10-bit window's configuration and context, lights and lists as they
  // are. Its EGL surface is made once the first configure has told its size
  // (showDisplayWindow), so that no buffer of another size is ever committed.
  windowFull.config = window10.config;
  windowFull.hasAlpha = window10.hasAlpha;
  windowFull.maxWidth = window10.maxWidth;
  windowFull.maxHeight = window10.maxHeight;
  if (!createSurfaceWindow(windowFull)) return false;
  windowFull.context = window10.context;
  // Asked before the first commit, so that it is mapped full screen at once,
  // on the output the 10-bit window stands on (the compositor's choice where
  // none is known yet).
  wl_output* output = fullScreenOutput();
  if (windowFull.toplevel != nullptr) xdg_toplevel_set_fullscreen(windowFull.toplevel, output);
  if (windowFull.frame != nullptr) libdecor_frame_set_fullscreen(windowFull.frame, output);
  return true;
}

// The compositor may make the window full screen only once it is mapped (its
// first configure precedes that): configures are answered with frames until
// a round trip brings none (a few rounds at most).
void settleFullScreen() {
  for (int round = 0; round < 10 && windowFull.shown; ++round) {
    const bool painted = windowFull.needsPaint;
    if (painted) paintDisplayWindow(windowFull);
    if (!roundTrip()) return;
    if (frontEnd.fullScreenGranted && !painted && !windowFull.needsPaint) break;
  }
}

}  // namespace

bool enterFullScreen() {
  if (windowFull.surface != nullptr) return true;
  frontEnd.fullScreenGranted = false;
  frontEnd.fullScreenTakenAway = false;
  if (!createFullScreenWindow()) return false;
  showDisplayWindow(windowFull);
  settleFullScreen();
  if (!frontEnd.fullScreenGranted || frontEnd.fullScreenTakenAway || !windowFull.shown) {
    const bool connected = !connectionLost();
    leaveFullScreen();
    if (connected && endingSignal() == 0)
      printf(
          "NOTE: The compositor did not make the window full screen, so the two windows "
          "stay.\n");
    return false;
  }
  return true;
}

void leaveFullScreen() {
  if (windowFull.surface == nullptr) return;
  // The context is the 10-bit window's: it stays, without the split view's
  // framebuffer object.
  makeContextCurrent(window10);
  releaseSplitViewFramebuffer();
  releaseContext();
  windowFull.context = EGL_NO_CONTEXT;
  destroyDisplayWindow(windowFull);
  frontEnd.fullScreenGranted = false;
  frontEnd.fullScreenTakenAway = false;
  frontEnd.fullScreenLeaveAsked = false;
  // The compositor shows the two windows again (and configures them where
  // their sizes change); they are painted at once, also when paused.
  for (DisplayWindow& record : frontEnd.windows) record.needsPaint = record.shown;
}

bool fullScreenShown() {
  return windowFull.shown;
}

bool fullScreenCoversOutput() {
  return fullScreenShown() && coversOutput(fullScreenCoverage());
}

void toggleFullScreen() {
  if (windowFull.surface == nullptr)
    enterFullScreen();
  else  // also while entering: the leave waits for the event loop
    frontEnd.fullScreenLeaveAsked = !frontEnd.fullScreenLeaveAsked;  // F twice stays
}

void noteFullScreenConfigure() {
  int width = 0, height = 0;
  if (windowFull.fullScreenState && windowFull.requestedWidth <= 0 &&
      windowFull.requestedHeight <= 0 && outputSize(fullScreenOutput(), width, height)) {
    windowFull.requestedWidth = width;
    windowFull.requestedHeight = height;
  }
  if (windowFull.fullScreenState)
    frontEnd.fullScreenGranted = true;
  else if (frontEnd.fullScreenGranted)
    frontEnd.fullScreenTakenAway = true;
}

SurfaceCoverage fullScreenCoverage() {
  SurfaceCoverage coverage;
  coverage.width = windowFull.width;
  coverage.height = windowFull.height;
  if (!outputSize(fullScreenOutput(), coverage.outputWidth, coverage.outputHeight))
    coverage.outputWidth = coverage.outputHeight = 0;
  return coverage;
}

void leaveFullScreenIfAsked() {
  // A configure is answered with a frame first: a compositor may hold its
  // next changes (the next full-screen window's among them) until it has it.
  if (windowFull.needsPaint && windowFull.shown) return;
  if (frontEnd.fullScreenTakenAway || frontEnd.fullScreenLeaveAsked) leaveFullScreen();
}

}  // namespace wayland
