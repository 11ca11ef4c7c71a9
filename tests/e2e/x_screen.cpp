#include "x_screen.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>

#include "child_process.h"

namespace {

// Bits of a contiguous mask and the shift of its lowest bit.
void maskShape(unsigned long mask, int& shift, int& bits) {
  shift = 0;
  bits = 0;
  if (mask == 0) return;
  while ((mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  while ((mask & 1) != 0) {
    mask >>= 1;
    ++bits;
  }
}

std::string titleOf(Display* display, Window window) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(display, window, &name) && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

// Depth-first search through the window tree for a window titled so
// (viewable, unless viewableOnly is false).
Window findTitled(Display* display, Window parent, const std::string& title, bool viewableOnly) {
  Window root = 0, parentOut = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && found == 0; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, children[i], &attributes) &&
        (attributes.map_state == IsViewable || !viewableOnly) &&
        titleOf(display, children[i]) == title) {
      found = children[i];
    } else {
      found = findTitled(display, children[i], title, viewableOnly);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

// Xlib has one error handler per process; it files each error under the
// connection it came from.
struct ErrorLog {
  Display* display;
  std::vector<std::string> errors;
};
std::vector<ErrorLog> errorLogs;
bool searchingTree = false;

int recordError(Display* display, XErrorEvent* error) {
  // Windows may vanish between listing them and asking about them.
  if (searchingTree && (error->error_code == BadWindow || error->error_code == BadDrawable))
    return 0;
  char text[256] = {};
  XGetErrorText(display, error->error_code, text, sizeof text);
  for (ErrorLog& log : errorLogs)
    if (log.display == display)
      log.errors.push_back("request " + std::to_string(error->request_code) + ": " + text);
  return 0;
}

}  // namespace

XScreen::XScreen(const std::string& display) : name_(display) {
  display_ = XOpenDisplay(display.c_str());
  if (display_ != nullptr) errorLogs.push_back({display_, {}});
  XSetErrorHandler(recordError);
}

XScreen::~XScreen() {
  if (display_ == nullptr) return;
  errorLogs.erase(std::remove_if(errorLogs.begin(), errorLogs.end(),
                                 [this](const ErrorLog& log) { return log.display == display_; }),
                  errorLogs.end());
  XCloseDisplay(display_);
}

std::vector<std::string> XScreen::unexpectedErrors() const {
  if (display_ != nullptr) XSync(display_, False);
  for (const ErrorLog& log : errorLogs)
    if (log.display == display_) return log.errors;
  return {};
}

int XScreen::depth() const {
  return DefaultDepth(display_, DefaultScreen(display_));
}

Window XScreen::waitForWindow(const std::string& title, double timeoutSeconds) {
  if (display_ == nullptr) return 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (true) {
    const Window window = searchTree(title);
    if (window != 0 || std::chrono::steady_clock::now() > deadline) return window;
    sleepSeconds(0.1);
  }
}

bool XScreen::hasWindowTitled(const std::string& title) {
  if (display_ == nullptr) return false;
  return searchTree(title) != 0;
}

Window XScreen::waitForClient(const std::string& title, double timeoutSeconds) {
  if (display_ == nullptr) return 0;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (true) {
    const Window window = searchTree(title, false);
    if (window != 0 || std::chrono::steady_clock::now() > deadline) return window;
    sleepSeconds(0.1);
  }
}

bool XScreen::viewable(Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) && attributes.map_state == IsViewable;
}

bool XScreen::waitForWindowManager(double timeoutSeconds) {
  if (display_ == nullptr) return false;
  const Atom check = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (std::chrono::steady_clock::now() < deadline) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const bool found =
        XGetWindowProperty(display_, DefaultRootWindow(display_), check, 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &remaining, &data) == Success &&
        count == 1;
    if (data != nullptr) XFree(data);
    if (found) return true;
    sleepSeconds(0.1);
  }
  return false;
}

void XScreen::setMaximised(Window window, bool maximised) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "_NET_WM_STATE", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = maximised ? 1 : 0;  // _NET_WM_STATE_ADD or _REMOVE
  event.xclient.data.l[1] =
      static_cast<long>(XInternAtom(display_, "_NET_WM_STATE_MAXIMIZED_VERT", False));
  event.xclient.data.l[2] =
      static_cast<long>(XInternAtom(display_, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
  event.xclient.data.l[3] = 2;  // from a pager or a person's button
  XSendEvent(display_, DefaultRootWindow(display_), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XSync(display_, False);
}

void XScreen::destroy(Window window) {
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

Window XScreen::searchTree(const std::string& title, bool viewableOnly) {
  XSync(display_, False);
  searchingTree = true;
  const Window window = findTitled(display_, DefaultRootWindow(display_), title, viewableOnly);
  XSync(display_, False);
  searchingTree = false;
  return window;
}

ScreenRect XScreen::rectOf(Window window) {
  ScreenRect rect;
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return rect;
  Window child = 0;
  XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &rect.x, &rect.y,
                        &child);
  rect.width = attributes.width;
  rect.height = attributes.height;
  return rect;
}

ScreenRect XScreen::rootRect() {
  return rectOf(DefaultRootWindow(display_));
}

int XScreen::redBitsOf(Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return 0;
  int shift = 0, bits = 0;
  maskShape(attributes.visual->red_mask, shift, bits);
  return bits;
}

int XScreen::visualDepthOf(Window window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(display_, window, &attributes) ? attributes.depth : 0;
}

std::vector<unsigned long> XScreen::cardinals(Window window, const std::string& property) {
  std::vector<unsigned long> values;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display_, window, XInternAtom(display_, property.c_str(), False), 0,
                         1L << 20, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_CARDINAL && format == 32) {
    const auto* items = reinterpret_cast<const unsigned long*>(data);  // Xlib's longs
    values.assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

std::string XScreen::windowClass(Window window) {
  XClassHint hint = {};
  if (!XGetClassHint(display_, window, &hint)) return "";
  const std::string text = std::string(hint.res_name) + "/" + hint.res_class;
  XFree(hint.res_name);
  XFree(hint.res_class);
  return text;
}

int XScreen::seeThroughPixels(Window window) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes) || attributes.depth != 32) return -1;
  XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return -1;
  int count = 0;
  for (int y = 0; y < attributes.height; ++y)
    for (int x = 0; x < attributes.width; ++x) count += (XGetPixel(image, x, y) >> 24) != 0xff;
  XDestroyImage(image);
  return count;
}

void XScreen::resize(Window window, unsigned width, unsigned height) {
  XResizeWindow(display_, window, width, height);
  XSync(display_, False);
}

ScreenImage XScreen::grab(const ScreenRect& rect) {
  ScreenImage image;
  XImage* raw = XGetImage(display_, DefaultRootWindow(display_), rect.x, rect.y,
                          static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height),
                          AllPlanes, ZPixmap);
  if (raw == nullptr) return image;
  int redShift, redBits, greenShift, greenBits, blueShift, blueBits;
  maskShape(raw->red_mask, redShift, redBits);
  maskShape(raw->green_mask, greenShift, greenBits);
  maskShape(raw->blue_mask, blueShift, blueBits);
  image.width = rect.width;
  image.height = rect.height;
  image.maxLevel = (1 << redBits) - 1;
  image.pixels.reserve(static_cast<std::size_t>(rect.width) * rect.height);
  for (int y = 0; y < rect.height; ++y) {
    for (int x = 0; x < rect.width; ++x) {
      const unsigned long value = XGetPixel(raw, x, y);
      image.pixels.push_back({static_cast<int>((value & raw->red_mask) >> redShift),
                              static_cast<int>((value & raw->green_mask) >> greenShift),
                              static_cast<int>((value & raw->blue_mask) >> blueShift)});
    }
  }
  XDestroyImage(raw);
  return image;
}

bool XScreen::typeKey(const ScreenRect& over, const std::string& key) {
  // Without a window manager the keyboard follows the pointer, so the key
  // goes to the window under it, as it would for a person.
  return xdotool({"mousemove", std::to_string(over.x + over.width / 2),
                  std::to_string(over.y + over.height / 2), "sleep", "0.1", "key", key});
}

bool XScreen::xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  const bool done = runTool(argv, {"DISPLAY=" + name_});
  XSync(display_, False);
  return done;
}

void XScreen::requestClose(Window window) {
  XEvent event = {};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &event);
  XSync(display_, False);
}

int countGreyLevels(const ScreenImage& image, double low, double high) {
  std::set<int> levels;
  const double lowLevel = low * image.maxLevel - 1.0, highLevel = high * image.maxLevel + 1.0;
  for (const ScreenPixel& p : image.pixels)
    if (p.r == p.g && p.g == p.b && p.r >= lowLevel && p.r <= highLevel) levels.insert(p.r);
  return static_cast<int>(levels.size());
}

int countStrongBluePixels(const ScreenImage& image, const ScreenRect& within) {
  int count = 0;
  const int margin = image.maxLevel * 3 / 10;
  for (int y = within.y; y < within.y + within.height && y < image.height; ++y)
    for (int x = within.x; x < within.x + within.width && x < image.width; ++x) {
      const ScreenPixel& p = image.at(x, y);
      if (p.b > p.r + margin && p.b > p.g + margin) ++count;
    }
  return count;
}

double brightest(const ScreenImage& image) {
  int top = 0;
  for (const ScreenPixel& p : image.pixels) top = std::max({top, p.r, p.g, p.b});
  return static_cast<double>(top) / image.maxLevel;
}

bool samePicture(const ScreenImage& a, const ScreenImage& b) {
  return a.pixels.size() == b.pixels.size() &&
         std::equal(a.pixels.begin(), a.pixels.end(), b.pixels.begin(),
                    [](const ScreenPixel& p, const ScreenPixel& q) {
                      return p.r == q.r && p.g == q.g && p.b == q.b;
                    });
}

std::string XScreen::screenMode() {
  // Asked afresh: the connection's idea of the root's size follows events.
  XRRScreenResources* resources =
      XRRGetScreenResourcesCurrent(display_, DefaultRootWindow(display_));
  if (resources == nullptr) return "no RandR";
  XWindowAttributes root = {};
  XGetWindowAttributes(display_, DefaultRootWindow(display_), &root);
  std::string mode = std::to_string(root.width) + "x" + std::to_string(root.height);
  if (resources->ncrtc > 0) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(display_, resources, resources->crtcs[0]);
    if (crtc != nullptr) {
      char text[96];
      std::snprintf(text, sizeof text, ", crtc %ux%u%+d%+d mode 0x%lx", crtc->width, crtc->height,
                    crtc->x, crtc->y, static_cast<unsigned long>(crtc->mode));
      mode += text;
      XRRFreeCrtcInfo(crtc);
    }
  }
  XRRFreeScreenResources(resources);
  return mode;
}

bool XScreen::setOutputProperties(long maxBpc, const std::vector<unsigned char>& edid) {
  XRRScreenResources* resources = XRRGetScreenResources(display_, DefaultRootWindow(display_));
  if (resources == nullptr) return false;
  const bool found = resources->noutput > 0;
  if (found) {
    const RROutput output = resources->outputs[0];
    const Atom maxBpcAtom = XInternAtom(display_, "max bpc", False);
    const Atom edidAtom = XInternAtom(display_, "EDID", False);
    long range[2] = {6, 16};
    XRRConfigureOutputProperty(display_, output, maxBpcAtom, False, True, 2, range);
    XRRChangeOutputProperty(display_, output, maxBpcAtom, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&maxBpc), 1);
    XRRConfigureOutputProperty(display_, output, edidAtom, False, False, 0, nullptr);
    XRRChangeOutputProperty(display_, output, edidAtom, XA_INTEGER, 8, PropModeReplace, edid.data(),
                            static_cast<int>(edid.size()));
    XSync(display_, False);
  }
  XRRFreeScreenResources(resources);
  return found;
}
