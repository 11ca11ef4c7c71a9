// The X11 side of the display windows: the connection to the X server, and
// creating, showing, resizing and destroying the two windows. A window takes
// the visual of its GLX configuration, which on a depth-30 screen is not the
// default visual for the 8-bit window (depth-32 ARGB), so every window gets a
// colormap of its own. Without a window manager a window stays where it is
// created; the size hints ask a window manager to keep that place too, and
// never to make a window larger than its context can draw.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "app/facts.h"
#include "lumivane_icon_argb.h"
#include "render/frame_setup.h"
#include "x11/x11_front_end.h"

namespace x11 {

FrontEnd frontEnd;

namespace {

int countError(Display*, XErrorEvent*) {
  ++frontEnd.trappedErrors;
  return 0;
}

bool isOwnWindow(XID id) {
  return id != None && (id == window10.window || id == window8.window ||
                        id == frontEnd.fullScreenWindow.window || id == frontEnd.lostWindows[0] ||
                        id == frontEnd.lostWindows[1] || id == frontEnd.lostWindows[2]);
}

// Xlib's own handler prints a raw report and exits with 1. Here a window that
// another client destroyed is no error (its DestroyNotify ends the program
// as closing it does); anything else is reported once and ends the program.
int reportError(Display* errorDisplay, XErrorEvent* error) {
  const bool drawableGone =
      error->error_code == BadWindow || error->error_code == BadDrawable ||
      (frontEnd.glxErrorBase > 0 && error->error_code >= frontEnd.glxErrorBase);
  if (drawableGone && isOwnWindow(error->resourceid)) return 0;
  if (!frontEnd.errorReported) {
    char text[160] = {};
    XGetErrorText(errorDisplay, error->error_code, text, sizeof text);
    printf("ERROR: The X server refused a request (%s, request %d.%d)!\n", text,
           error->request_code, error->minor_code);
    frontEnd.errorReported = true;
  }
  return 0;
}

void setSizeHints(const DisplayWindow& record) {
  XSizeHints hints = {};
  hints.flags = USPosition | USSize | PPosition | PSize;
  hints.x = record.left;
  hints.y = record.top;
  hints.width = record.width;
  hints.height = record.height;
  if (record.maxWidth > 0 && record.maxHeight > 0) {
    hints.flags |= PMaxSize;
    hints.max_width = record.maxWidth;
    hints.max_height = record.maxHeight;
  }
  XSetWMNormalHints(frontEnd.display, record.window, &hints);
}

// What a desktop shows for the window and how it finds the program's desktop
// entry: the class names the entry (its StartupWMClass), the icon is the
// entry's icon in ARGB, and the process id goes with the host's name.
void setIdentity(const DisplayWindow& record) {
  XSetWMProperties(frontEnd.display, record.window, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                   nullptr);  // WM_CLIENT_MACHINE, which _NET_WM_PID needs beside it
  char resourceName[] = "lumivane", resourceClass[] = LUMIVANE_APP_ID;
  XClassHint classHint = {resourceName, resourceClass};
  XSetClassHint(frontEnd.display, record.window, &classHint);
  const long pid = getpid();
  XChangeProperty(frontEnd.display, record.window,
                  XInternAtom(frontEnd.display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XChangeProperty(frontEnd.display, record.window,
                  XInternAtom(frontEnd.display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(kLumivaneIconArgb),
                  static_cast<int>(sizeof kLumivaneIconArgb / sizeof kLumivaneIconArgb[0]));
}

}  // namespace

void beginErrorTrap() {
  XSync(frontEnd.display, False);
  frontEnd.trappedErrors = 0;
  frontEnd.previousErrorHandler = XSetErrorHandler(countError);
}

bool endErrorTrap() {
  XSync(frontEnd.display, False);
  XSetErrorHandler(frontEnd.previousErrorHandler);
  return frontEnd.trappedErrors == 0;
}

bool xErrorReported() {
  return frontEnd.errorReported;
}

bool openDisplay() {
  frontEnd.display = XOpenDisplay(nullptr);
  if (frontEnd.display == nullptr) {
    if (getenv("DISPLAY") == nullptr)
      printf("ERROR: Unable to open the X display: DISPLAY is not set!\n");
    else
      printf("ERROR: Unable to open the X display '%s'!\n", XDisplayName(nullptr));
    return false;
  }
  int eventBase = 0, major = 0, minor = 0;
  if (!glXQueryExtension(frontEnd.display, &frontEnd.glxErrorBase, &eventBase)) {
    printf("ERROR: The X display '%s' does not offer GLX!\n", DisplayString(frontEnd.display));
    XCloseDisplay(frontEnd.display);
    frontEnd.display = nullptr;
    return false;
  }
  // Framebuffer configurations, and so exact colour sizes, came with GLX 1.3.
  if (!glXQueryVersion(frontEnd.display, &major, &minor) || major < 1 ||
      (major == 1 && minor < 3)) {
    printf("ERROR: The X display '%s' offers GLX %d.%d, but 1.3 is needed!\n",
           DisplayString(frontEnd.display), major, minor);
    XCloseDisplay(frontEnd.display);
    frontEnd.display = nullptr;
    return false;
  }
  frontEnd.wmProtocols = XInternAtom(frontEnd.display, "WM_PROTOCOLS", False);
  frontEnd.wmDeleteWindow = XInternAtom(frontEnd.display, "WM_DELETE_WINDOW", False);
  frontEnd.netWmState = XInternAtom(frontEnd.display, "_NET_WM_STATE", False);
  frontEnd.netWmStateMaximisedVert =
      XInternAtom(frontEnd.display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
  frontEnd.netWmStateMaximisedHorz =
      XInternAtom(frontEnd.display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
  frontEnd.netWmStateFullscreen = XInternAtom(frontEnd.display, "_NET_WM_STATE_FULLSCREEN", False);
  frontEnd.netFrameExtents = XInternAtom(frontEnd.display, "_NET_FRAME_EXTENTS", False);
  frontEnd.netSupportingWmCheck = XInternAtom(frontEnd.display, "_NET_SUPPORTING_WM_CHECK", False);
  XSetErrorHandler(reportError);
  return true;
}

bool createX11Window(DisplayWindow& record, GLXFBConfig config, int width, int height) {
  XVisualInfo* visual = glXGetVisualFromFBConfig(frontEnd.display, config);
  if (visual == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", record.title);
    return false;
  }
  const Window root = RootWindow(frontEnd.display, visual->screen);
  beginErrorTrap();
  record.colormap = XCreateColormap(frontEnd.display, root, visual->visual, AllocNone);
  XSetWindowAttributes attributes = {};
  attributes.colormap = record.colormap;
  attributes.border_pixel = 0;          // a visual other than the parent's needs a border pixel
  attributes.background_pixmap = None;  // no flash of background before each paint
  // Crossing events tell when the pointer grab of a drag is taken away;
  // property changes, when a window manager maximises a window.
  attributes.event_mask = ExposureMask | StructureNotifyMask | VisibilityChangeMask | KeyPressMask |
                          ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                          EnterWindowMask | LeaveWindowMask | PropertyChangeMask;
  record.window =
      XCreateWindow(frontEnd.display, root, record.left, record.top, static_cast<unsigned>(width),
                    static_cast<unsigned>(height), 0, visual->depth, InputOutput, visual->visual,
                    CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attributes);
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
  record.width = width;
  record.height = height;
  record.config = config;

  XStoreName(frontEnd.display, record.window, record.title);
  setSizeHints(record);
  setIdentity(record);
  XWMHints wmHints = {};
  wmHints.flags = InputHint;
  wmHints.input = True;  // keys are the program's controls: take the focus
  XSetWMHints(frontEnd.display, record.window, &wmHints);
  // Closing a window then reaches us as a message instead of killing the connection.
  XSetWMProtocols(frontEnd.display, record.window, &frontEnd.wmDeleteWindow, 1);
  return true;
}

DisplayWindow& displayWindow(WhichWindow which) {
  return frontEnd.windows[static_cast<int>(which)];
}

void showWindow(WhichWindow which) {
  XMapWindow(frontEnd.display, displayWindow(which).window);
  XFlush(frontEnd.display);
}

void limitWindowSize(DisplayWindow& record) {
  largestDrawableSize(record.maxWidth, record.maxHeight);
  setSizeHints(record);
}

void resizeX11Window(const DisplayWindow& record, int width, int height) {
  XResizeWindow(frontEnd.display, record.window, static_cast<unsigned>(width),
                static_cast<unsigned>(height));
}

void moveResizeX11Window(const DisplayWindow& record, int left, int top, int width, int height) {
  XMoveResizeWindow(frontEnd.display, record.window, left, top, static_cast<unsigned>(width),
                    static_cast<unsigned>(height));
}

void framePlaceOf(const DisplayWindow& record, int& left, int& top) {
  Window child = None;
  left = 0;
  top = 0;
  XTranslateCoordinates(frontEnd.display, record.window, DefaultRootWindow(frontEnd.display), 0, 0,
                        &left, &top, &child);
  // A move request places the frame's corner, not the window's own.
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(frontEnd.display, record.window, frontEnd.netFrameExtents, 0, 4, False,
                         XA_CARDINAL, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr && format == 32 && count == 4) {
    const long* extents = reinterpret_cast<const long*>(data);  // left, right, top, bottom
    left -= static_cast<int>(extents[0]);
    top -= static_cast<int>(extents[2]);
  }
  if (data != nullptr) XFree(data);
}

namespace {

// Whether the window's _NET_WM_STATE holds any of these states.
bool hasNetWmState(const DisplayWindow& record, std::initializer_list<Atom> wanted) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(frontEnd.display, record.window, frontEnd.netWmState, 0, 64, False,
                         XA_ATOM, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr && format == 32) {
    const Atom* states = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i)
      for (Atom state : wanted) found = found || states[i] == state;
  }
  if (data != nullptr) XFree(data);
  return found;
}

// The window a root or check window's _NET_SUPPORTING_WM_CHECK names, or None.
Window supportingWmCheckOf(Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  Window named = None;
  if (XGetWindowProperty(frontEnd.display, window, frontEnd.netSupportingWmCheck, 0, 1, False,
                         XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
      data != nullptr && format == 32 && count == 1)
    named = static_cast<Window>(*reinterpret_cast<const unsigned long*>(data));
  if (data != nullptr) XFree(data);
  return named;
}

}  // namespace

bool isMaximised(const DisplayWindow& record) {
  return hasNetWmState(record, {frontEnd.netWmStateMaximisedVert, frontEnd.netWmStateMaximisedHorz,
                                frontEnd.netWmStateFullscreen});
}

bool hasFullScreenState(const DisplayWindow& record) {
  return hasNetWmState(record, {frontEnd.netWmStateFullscreen});
}

void askForFullScreenState(const DisplayWindow& record) {
  const unsigned long state = frontEnd.netWmStateFullscreen;
  XChangeProperty(frontEnd.display, record.window, frontEnd.netWmState, XA_ATOM, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&state), 1);
}

bool windowManagerRuns() {
  // A window manager that went away leaves its property naming a window
  // that no longer exists: the check window must name itself.
  beginErrorTrap();
  const Window check = supportingWmCheckOf(DefaultRootWindow(frontEnd.display));
  const bool runs = check != None && supportingWmCheckOf(check) == check;
  return endErrorTrap() && runs;
}

bool isNetWmStateChange(const XPropertyEvent& event) {
  return event.atom == frontEnd.netWmState;
}

void forgetLostWindow(DisplayWindow& record) {
  frontEnd.lostWindows[&record == &window10 ? 0 : &record == &window8 ? 1 : 2] = record.window;
  record.window = None;
  record.mapped = false;
}

void destroyDisplayWindow(DisplayWindow& record) {
  if (record.context != nullptr) {
    if (glXGetCurrentContext() == record.context) releaseContext();
    glXDestroyContext(frontEnd.display, record.context);
    record.context = nullptr;
  }
  if (record.window != None) XDestroyWindow(frontEnd.display, record.window);
  if (record.colormap != None) XFreeColormap(frontEnd.display, record.colormap);
  record.window = None;
  record.colormap = None;
}

void closeWindows() {
  if (frontEnd.display == nullptr) return;
  // On the way out, a window another client destroyed, or one that the GL
  // driver still knows, may raise errors that no longer matter.
  XSync(frontEnd.display, False);
  XSetErrorHandler(countError);
  if (fullScreenShown()) leaveFullScreen();
  destroyDisplayWindow(window8);
  destroyDisplayWindow(window10);
  // The connection itself ends with the process. Closing it here would
  // unload the GL driver, whose few allocations kept for the process's life
  // a leak checker would then report without being able to name the driver.
  XSync(frontEnd.display, False);
}

}  // namespace x11
