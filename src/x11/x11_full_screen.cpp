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

DisplayWindow fullScreenWindow = {fullScreenTitle, 0, 0};

namespace {

struct Area {
  int left = 0, top = 0, width = 0, height = 0;
};

Area monitor;  // where the full-screen window was made
bool managed = false;

// The CRTC holding the 10-bit window's centre; the whole screen without
// RandR or where no CRTC holds it.
Area monitorOfWindow10() {
  Area area = {0, 0, DisplayWidth(display, DefaultScreen(display)),
               DisplayHeight(display, DefaultScreen(display))};
  int centreX = 0, centreY = 0;
  Window child = None;
  if (!XTranslateCoordinates(display, window10.window, DefaultRootWindow(display),
                             window10.width / 2, window10.height / 2, &centreX, &centreY, &child))
    return area;
  int eventBase = 0, errorBase = 0;
  if (!XRRQueryExtension(display, &eventBase, &errorBase)) return area;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
  if (resources == nullptr) return area;
  for (int i = 0; i < resources->ncrtc; ++i) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[i]);
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
  return fullScreenWindow.window != None;
}

bool enterFullScreen() {
  if (fullScreenShown()) return true;
  if (window10.window == None || window10.context == nullptr) return false;
  beginErrorTrap();
  monitor = monitorOfWindow10();
  endErrorTrap();
  fullScreenWindow.left = monitor.left;
  fullScreenWindow.top = monitor.top;
  fullScreenWindow.mapped = false;
  fullScreenWindow.fullyObscured = false;
  if (!createX11Window(fullScreenWindow, window10.config, monitor.width, monitor.height))
    return false;
  fullScreenWindow.context = window10.context;
  fullScreenWindow.maxWidth = window10.maxWidth;
  fullScreenWindow.maxHeight = window10.maxHeight;
  fullScreenWindow.splitView = true;
  managed = windowManagerRuns();
  if (managed) askForFullScreenState(fullScreenWindow);
  XMapRaised(display, fullScreenWindow.window);
  XFlush(display);
  return true;
}

void leaveFullScreen() {
  if (!fullScreenShown()) return;
  // The context is the 10-bit window's: it stays, without the split view's
  // framebuffer object.
  makeContextCurrent(window10);
  releaseSplitViewFramebuffer();
  releaseContext();
  fullScreenWindow.context = nullptr;
  destroyDisplayWindow(fullScreenWindow);
  fullScreenWindow.mapped = false;
  XFlush(display);
}

bool fullScreenReady() {
  return fullScreenShown() && fullScreenWindow.mapped && fullScreenWindow.width == monitor.width &&
         fullScreenWindow.height == monitor.height;
}

bool fullScreenManaged() {
  return managed;
}

}  // namespace x11
