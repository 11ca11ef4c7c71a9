// The check on X11: each window's framebuffer measured through the shared
// level count, each ramp swapped to the screen and read back from the root
// window at the screen's depth (what the X server really holds), and the
// RandR output under the 10-bit window: its "max bpc" property and the
// monitor's EDID (the output's property, or else the kernel's connector of
// the output's name).
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <set>
#include <vector>

#include "app/display_check.h"
#include "app/edid.h"
#include "drm/connector_edid.h"
#include "render/level_count.h"
#include "render/split_view.h"
#include "x11/x11_front_end.h"

namespace x11 {

namespace {

// The window's rectangle as the screen shows it, clipped to the screen.
bool screenRectOf(const DisplayWindow& record, int& x, int& y, int& width, int& height) {
  Window child = None;
  const Window root = DefaultRootWindow(frontEnd.display);
  if (!XTranslateCoordinates(frontEnd.display, record.window, root, 0, 0, &x, &y, &child))
    return false;
  const int screenWidth = DisplayWidth(frontEnd.display, DefaultScreen(frontEnd.display));
  const int screenHeight = DisplayHeight(frontEnd.display, DefaultScreen(frontEnd.display));
  const int right = x + record.width < screenWidth ? x + record.width : screenWidth;
  const int bottom = y + record.height < screenHeight ? y + record.height : screenHeight;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  width = right - x;
  height = bottom - y;
  return width > 0 && height > 0;
}

// Swaps the window's back buffer to the screen and reads what the root
// window holds over it, from column x on; null where it cannot be read.
XImage* swapAndReadScreen(const DisplayWindow& record, int& x, int& width, int& height) {
  glXSwapBuffers(frontEnd.display, record.window);
  glXWaitGL();
  XSync(frontEnd.display, False);
  int y = 0;
  if (!screenRectOf(record, x, y, width, height)) return nullptr;
  beginErrorTrap();
  XImage* image =
      XGetImage(frontEnd.display, DefaultRootWindow(frontEnd.display), x, y,
                static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (endErrorTrap() && image != nullptr) return image;
  if (image != nullptr) XDestroyImage(image);
  return nullptr;
}

// Swaps the ramp to the screen and counts the distinct pixel values the
// root window holds over the window.
void countLevelsOnScreen(RampMeasurement& ramp, void* context) {
  const DisplayWindow& record = *static_cast<const DisplayWindow*>(context);
  int x = 0, width = 0, height = 0;
  XImage* image = swapAndReadScreen(record, x, width, height);
  if (image == nullptr) return;
  std::set<unsigned long> levels;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) levels.insert(XGetPixel(image, column, row));
  XDestroyImage(image);
  ramp.onScreen = static_cast<int>(levels.size());
}

// Full screen: swaps the split view's ramps to the screen and counts the
// distinct pixel values the root window holds over each half.
void countHalvesOnScreen(RampMeasurement& left, RampMeasurement& right, void*) {
  const DisplayWindow& record = frontEnd.fullScreenWindow;
  int x = 0, width = 0, height = 0, originX = 0, originY = 0;
  Window child = None;
  XImage* image = swapAndReadScreen(record, x, width, height);
  if (image == nullptr) return;
  if (!XTranslateCoordinates(frontEnd.display, record.window, DefaultRootWindow(frontEnd.display),
                             0, 0, &originX, &originY, &child)) {
    XDestroyImage(image);
    return;
  }
  const int firstRightColumn = originX + splitLeftWidth(record.width) - x;
  std::set<unsigned long> leftLevels, rightLevels;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      (column < firstRightColumn ? leftLevels : rightLevels).insert(XGetPixel(image, column, row));
  XDestroyImage(image);
  left.onScreen = static_cast<int>(leftLevels.size());
  right.onScreen = static_cast<int>(rightLevels.size());
}

// Both halves of the full-screen window; the left one stands for the 8-bit
// window, the right one for the 10-bit window.
void measureFullScreen(CheckReport& report) {
  makeContextCurrent(frontEnd.fullScreenWindow);
  measureSplitView(report.window8, report.window10, frontEnd.fullScreenWindow.width,
                   frontEnd.fullScreenWindow.height, countHalvesOnScreen, nullptr);
  releaseContext();
  // An X server without a compositor shows the window itself, as it shows
  // any window: it covers the monitor, but nothing is exclusive about it.
  report.presentation = Presentation::FullScreenBorderlessWindow;
}

void measureWindow(DisplayWindow& record, WindowMeasurement& measurement) {
  if (record.window == None || record.context == nullptr) return;
  makeContextCurrent(record);
  readFramebufferBits(measurement);
  measureRamps(measurement, record.width, record.height, countLevelsOnScreen, &record);
  releaseContext();
  measurement.pixels = PixelScaling::OneToOne;  // an X server shows a window as it is drawn
}

// One output property as X holds it; the caller XFrees the data.
unsigned char* outputProperty(RROutput output, const char* name, Atom wantedType, int wantedFormat,
                              unsigned long& items) {
  const Atom property = XInternAtom(frontEnd.display, name, True);
  if (property == None) return nullptr;
  Atom type = None;
  int format = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  // EDID has 128 bytes per block and a few blocks at most: 1024 is plenty.
  if (XRRGetOutputProperty(frontEnd.display, output, property, 0, 1024 / 4, False, False,
                           AnyPropertyType, &type, &format, &items, &after, &data) != Success)
    return nullptr;
  if (type != wantedType || format != wantedFormat || items == 0) {
    if (data != nullptr) XFree(data);
    return nullptr;
  }
  return data;
}

void readOutputProperties(RROutput output, DisplayOutputFacts& facts) {
  unsigned long items = 0;
  if (unsigned char* data = outputProperty(output, "max bpc", XA_INTEGER, 32, items)) {
    // Format-32 data comes as longs, whatever their size.
    facts.maxBpc = reportedBits(*reinterpret_cast<long*>(data));
    XFree(data);
  }
  if (unsigned char* data = outputProperty(output, "EDID", XA_INTEGER, 8, items)) {
    facts.edid = parseEdid(data, items);
    XFree(data);
    return;
  }
  // No EDID property (Xwayland's outputs carry none): the kernel's, for the
  // connector of the output's name.
  const std::vector<unsigned char> edid = readConnectorEdid(facts.name);
  facts.edid = parseEdid(edid.data(), edid.size());
}

// The RandR output whose CRTC holds the 10-bit window's centre; the first
// lit output if none does.
void readDisplayOutput(DisplayOutputFacts& facts) {
  int eventBase = 0, errorBase = 0;
  if (!XRRQueryExtension(frontEnd.display, &eventBase, &errorBase)) return;
  int centreX = 0, centreY = 0, width = 0, height = 0;
  if (screenRectOf(window10, centreX, centreY, width, height)) {
    centreX += width / 2;
    centreY += height / 2;
  }
  XRRScreenResources* resources =
      XRRGetScreenResourcesCurrent(frontEnd.display, DefaultRootWindow(frontEnd.display));
  if (resources == nullptr) return;
  RROutput chosen = None;
  bool holdsCentre = false;
  for (int i = 0; i < resources->noutput && !holdsCentre; ++i) {
    XRROutputInfo* info = XRRGetOutputInfo(frontEnd.display, resources, resources->outputs[i]);
    if (info == nullptr) continue;
    if (info->crtc != None) {
      XRRCrtcInfo* crtc = XRRGetCrtcInfo(frontEnd.display, resources, info->crtc);
      if (crtc != nullptr) {
        holdsCentre = centreX >= crtc->x && centreX < crtc->x + static_cast<int>(crtc->width) &&
                      centreY >= crtc->y && centreY < crtc->y + static_cast<int>(crtc->height);
        if (holdsCentre || chosen == None) {
          chosen = resources->outputs[i];
          facts.name = info->name;
        }
        XRRFreeCrtcInfo(crtc);
      }
    }
    XRRFreeOutputInfo(info);
  }
  if (chosen != None) readOutputProperties(chosen, facts);
  XRRFreeScreenResources(resources);
}

}  // namespace

bool reportDisplayChain() {
  CheckReport report;
  report.output.windowSystem = WindowSystem::X11;
  report.output.screenDepth = DefaultDepth(frontEnd.display, DefaultScreen(frontEnd.display));
  if (fullScreenShown()) {
    measureFullScreen(report);
  } else {
    measureWindow(window8, report.window8);
    measureWindow(window10, report.window10);
  }
  beginErrorTrap();
  readDisplayOutput(report.output);
  endErrorTrap();
  return printCheckReport(report);
}

void printReportAndRepaint() {
  reportDisplayChain();
  // The windows show the last ramp measured; the scene comes back at once.
  refreshBoth();
}

}  // namespace x11
