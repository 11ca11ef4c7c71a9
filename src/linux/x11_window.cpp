// The X11 side of the display windows: the connection to the X server, and
// creating, showing, resizing and destroying the two windows. A window takes
// the visual of its GLX configuration, which on a depth-30 screen is not the
// default visual for the 8-bit window (depth-32 ARGB), so every window gets a
// colormap of its own. Without a window manager a window stays where it is
// created; the size hints ask a window manager to keep that place too.
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>

#include "app/facts.h"
#include "linux/x11_front_end.h"

namespace x11 {

Display* display = nullptr;
Atom wmProtocols = None;
Atom wmDeleteWindow = None;

namespace {

int trappedErrors = 0;
int (*previousErrorHandler)(Display*, XErrorEvent*) = nullptr;

int countError(Display*, XErrorEvent*) {
  ++trappedErrors;
  return 0;
}

Bool isMapNotifyOf(Display*, XEvent* event, XPointer window) {
  return event->type == MapNotify && event->xmap.window == *reinterpret_cast<Window*>(window);
}

}  // namespace

void beginErrorTrap() {
  XSync(display, False);
  trappedErrors = 0;
  previousErrorHandler = XSetErrorHandler(countError);
}

bool endErrorTrap() {
  XSync(display, False);
  XSetErrorHandler(previousErrorHandler);
  return trappedErrors == 0;
}

bool openDisplay() {
  display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    if (getenv("DISPLAY") == nullptr)
      printf("ERROR: Unable to open the X display: DISPLAY is not set!\n");
    else
      printf("ERROR: Unable to open the X display '%s'!\n", XDisplayName(nullptr));
    return false;
  }
  int errorBase = 0, eventBase = 0, major = 0, minor = 0;
  if (!glXQueryExtension(display, &errorBase, &eventBase)) {
    printf("ERROR: The X display '%s' does not offer GLX!\n", DisplayString(display));
    XCloseDisplay(display);
    display = nullptr;
    return false;
  }
  // Framebuffer configurations, and so exact colour sizes, came with GLX 1.3.
  if (!glXQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 3)) {
    printf("ERROR: The X display '%s' offers GLX %d.%d, but 1.3 is needed!\n",
           DisplayString(display), major, minor);
    XCloseDisplay(display);
    display = nullptr;
    return false;
  }
  wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
  wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  return true;
}

bool createX11Window(DisplayWindow& record, GLXFBConfig config) {
  XVisualInfo* visual = glXGetVisualFromFBConfig(display, config);
  if (visual == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", record.title);
    return false;
  }
  const Window root = RootWindow(display, visual->screen);
  beginErrorTrap();
  record.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
  XSetWindowAttributes attributes = {};
  attributes.colormap = record.colormap;
  attributes.border_pixel = 0;          // a visual other than the parent's needs a border pixel
  attributes.background_pixmap = None;  // no flash of background before each paint
  attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask |
                          ButtonReleaseMask | PointerMotionMask;
  record.window = XCreateWindow(
      display, root, record.left, record.top, windowSize, windowSize, 0, visual->depth, InputOutput,
      visual->visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
  record.visualHasAlpha = visual->depth == 32;
  XFree(visual);
  if (!endErrorTrap() || record.window == None) {
    printf("ERROR: Unable to create the '%s' window!\n", record.title);
    // Whatever half of it exists goes; the rest only raises errors, trapped too.
    beginErrorTrap();
    destroyDisplayWindow(record);
    endErrorTrap();
    return false;
  }
  record.width = windowSize;
  record.height = windowSize;

  XStoreName(display, record.window, record.title);
  XSizeHints hints = {};
  hints.flags = USPosition | USSize | PPosition | PSize;
  hints.x = record.left;
  hints.y = record.top;
  hints.width = windowSize;
  hints.height = windowSize;
  XSetWMNormalHints(display, record.window, &hints);
  char resourceName[] = "lumivane", resourceClass[] = "Lumivane";
  XClassHint classHint = {resourceName, resourceClass};
  XSetClassHint(display, record.window, &classHint);
  XWMHints wmHints = {};
  wmHints.flags = InputHint;
  wmHints.input = True;  // keys are the program's controls: take the focus
  XSetWMHints(display, record.window, &wmHints);
  // Closing a window then reaches us as a message instead of killing the connection.
  XSetWMProtocols(display, record.window, &wmDeleteWindow, 1);
  return true;
}

void showDisplayWindow(DisplayWindow& record) {
  XMapWindow(display, record.window);
  // Painted once it can be seen; other events wait in the queue meanwhile.
  XEvent event;
  XIfEvent(display, &event, isMapNotifyOf, reinterpret_cast<XPointer>(&record.window));
  paintDisplayWindow(record);
}

void resizeX11Window(const DisplayWindow& record, int width, int height) {
  XResizeWindow(display, record.window, static_cast<unsigned>(width),
                static_cast<unsigned>(height));
}

void destroyDisplayWindow(DisplayWindow& record) {
  if (record.context != nullptr) {
    if (glXGetCurrentContext() == record.context) releaseContext();
    glXDestroyContext(display, record.context);
    record.context = nullptr;
  }
  if (record.window != None) XDestroyWindow(display, record.window);
  if (record.colormap != None) XFreeColormap(display, record.colormap);
  record.window = None;
  record.colormap = None;
}

void closeDisplay() {
  if (display == nullptr) return;
  destroyDisplayWindow(window8);
  destroyDisplayWindow(window10);
  XCloseDisplay(display);
  display = nullptr;
}

}  // namespace x11
