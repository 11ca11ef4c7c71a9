// Full screen on X11: one window with the split view on the RandR monitor
// (CRTC) that holds the 10-bit window's centre, made with the 10-bit window's
// configuration and drawn with its context. A window manager is asked for
// EWMH full screen (_NET_WM_STATE_FULLSCREEN, set before the window is
// mapped, so it never shows framed first); without one the window is made
// at the monitor's place and size and takes the keyboard focus itself. The
// two windows stay mapped where they are, underneath, so that leaving full
// screen finds them at their places and sizes.
#include <X11/extensions/Xrandr.h>

#include <cstdio>

#include "app/facts.h"
#include "render/split_view.h"
#include "x11/x11_front_end.h"

namespace x11 {

namespace {

// The CRTC holding the 10-bit window's centre; the whole screen without
// RandR or where no CRTC holds it.
MonitorArea monitorOfWindow10() {
  MonitorArea area = {0, 0, DisplayWidth(frontEnd.display, DefaultScreen(frontEnd.display)),
                      DisplayHeight(frontEnd.display, DefaultScreen(frontEnd.display))};
  int centreX = 0, centreY = 0;
  Window child = None;
  if (!XTranslateCoordinates(frontEnd.display, window10.window, DefaultRootWindow(frontEnd.display),
                             window10.width / 2, window10.height / 2, &centreX, &centreY, &child))
    return area;
  int eventBase = 0, errorBase = 0;
  if (!XRRQueryExtension(frontEnd.display, &eventBase, &errorBase)) return area;
  XRRScreenResources* resources =
      XRRGetScreenResourcesCurrent(frontEnd.display, DefaultRootWindow(frontEnd.display));
  if (resources == nullptr) return area;
  for (int i = 0; i < resources->ncrtc; ++i) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(frontEnd.display, resources, resources->crtcs[i]);
    if (crtc == nullptr) continue;
    const int width = static_cast<int>(crtc->width), height = static_cast<int>(crtc->height);
    if (crtc->mode != None && centreX >= crtc->x && centreX < crtc->x + width &&
        centreY >= crtc->y && centreY < crtc->y + height)
      area = {crtc->x, crtc->y, width, height};
    XRRFreeCrtcInfo(crtc);
  }
  XRRFreeScreenResources(resources);
  return area;
}

}  // namespace

bool fullScreenShown() {
  return frontEnd.fullScreenWindow.window != None;
}

bool enterFullScreen() {
  if (fullScreenShown()) return true;
  if (window10.window == None || window10.context == nullptr) return false;
  beginErrorTrap();
  frontEnd.fullScreenMonitor = monitorOfWindow10();
  endErrorTrap();
  frontEnd.fullScreenWindow.left = frontEnd.fullScreenMonitor.left;
  frontEnd.fullScreenWindow.top = frontEnd.fullScreenMonitor.top;
  frontEnd.fullScreenWindow.mapped = false;
  frontEnd.fullScreenWindow.fullyObscured = false;
  if (!createX11Window(frontEnd.fullScreenWindow, window10.config, frontEnd.fullScreenMonitor.width,
                       frontEnd.fullScreenMonitor.height))
    return false;
  frontEnd.fullScreenWindow.context = window10.context;
  frontEnd.fullScreenWindow.maxWidth = window10.maxWidth;
  frontEnd.fullScreenWindow.maxHeight = window10.maxHeight;
  frontEnd.fullScreenWindow.splitView = true;
  frontEnd.fullScreenManaged = windowManagerRuns();
  if (frontEnd.fullScreenManaged) askForFullScreenState(frontEnd.fullScreenWindow);
  XMapRaised(frontEnd.display, frontEnd.fullScreenWindow.window);
  XFlush(frontEnd.display);
  return true;
}

void leaveFullScreen() {
  if (!fullScreenShown()) return;
  // The context is the 10-bit window's: it stays, without the split view's
  // framebuffer object.
  makeContextCurrent(window10);
  releaseSplitViewFramebuffer();
  releaseContext();
  frontEnd.fullScreenWindow.context = nullptr;
  destroyDisplayWindow(frontEnd.fullScreenWindow);
  frontEnd.fullScreenWindow.mapped = false;
  XFlush(frontEnd.display);
}

bool fullScreenReady() {
  return fullScreenShown() && frontEnd.fullScreenWindow.mapped &&
         frontEnd.fullScreenWindow.width == frontEnd.fullScreenMonitor.width &&
         frontEnd.fullScreenWindow.height == frontEnd.fullScreenMonitor.height;
}

bool fullScreenManaged() {
  return frontEnd.fullScreenManaged;
}

}  // namespace x11
