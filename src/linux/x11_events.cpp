// What the window procedure does on Win32, for X events: paints the display
// windows, turns keys (by keysym) and the left button into viewer commands
// through the shared key table, keeps the 10-bit window the size of the 8-bit
// one, ends the program on Escape or WM_DELETE_WINDOW, and runs the 16 ms
// refresh timer beside the event queue.
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <initializer_list>

#include "app/facts.h"
#include "linux/x11_front_end.h"
#include "render/scene.h"
#include "viewer/size_rule.h"
#include "viewer/viewer_state.h"

namespace x11 {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds refreshPeriod{refreshPeriodMs};

bool quitRequested = false;
bool timerRunning = false;
Clock::time_point nextTick;

ViewerKey viewerKeyFromKeysym(KeySym keysym) {
  switch (keysym) {
    case XK_Escape:
      return ViewerKey::Escape;
    case XK_space:
      return ViewerKey::Space;
    case XK_1:
      return ViewerKey::MainLight;
    case XK_2:
      return ViewerKey::SideLight;
    case XK_b:
    case XK_B:
      return ViewerKey::Shade;
    case XK_n:
    case XK_N:
      return ViewerKey::Logo;
    case XK_p:
    case XK_P:
      return ViewerKey::Pause;
    case XK_i:
    case XK_I:
      return ViewerKey::Report;
    default:
      return ViewerKey::Other;
  }
}

void quit() {
  quitRequested = true;
}

// A light switch applies to both contexts, the 10-bit one first; the next
// paint makes its own context current in any case.
void switchLight(int lightIndex, bool off) {
  const GLenum light = lightIndex == 0 ? GL_LIGHT0 : GL_LIGHT1;
  for (const DisplayWindow* record : {&window10, &window8}) {
    if (record->context == nullptr) continue;
    makeContextCurrent(*record);
    if (off) {
      glDisable(light);
    } else {
      glEnable(light);
    }
  }
  releaseContext();
}

const FrontEndActions x11Actions = {quit, switchLight, refreshBoth, printReportAndRepaint};

DisplayWindow* recordOf(Window window) {
  if (window != None && window == window10.window) return &window10;
  if (window != None && window == window8.window) return &window8;
  return nullptr;
}

// Resizing the 8-bit window gives the 10-bit window the same size at its own
// position; the rule runs one way only. Window managers frame both windows
// alike, so equal inside sizes make equal outer sizes.
void noteNewSize(DisplayWindow& record, int width, int height) {
  if (width == record.width && height == record.height) return;
  record.width = width;
  record.height = height;
  if (&record != &window8 || window10.window == None) return;
  // Resizing keeps an X window where it is, which is the rule's position.
  const WindowBox target =
      window10FollowingWindow8({record.left, record.top, width, height},
                               {window10.left, window10.top, window10.width, window10.height});
  resizeX11Window(window10, target.width, target.height);
}

void handleButton(const XButtonEvent& button, bool pressed) {
  if (button.button != Button1) return;
  if (pressed) {
    // Grabbed, so that a release outside both windows still ends the drag.
    beginDrag();
    XGrabPointer(display, button.window, True,
                 ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, button.time);
  } else {
    endDrag();
    XUngrabPointer(display, button.time);
  }
}

void handleMotion() {
  if (!viewerState.dragging) return;
  // The X server reports every step of the pointer; like Windows, take the
  // queued ones as one move so the paints keep up with the hand.
  XEvent later;
  while (XCheckMaskEvent(display, PointerMotionMask, &later)) {
  }
  refreshBoth();
}

// Each frame clears alpha to 0, which a compositing window manager would
// show as a see-through window wherever no background is drawn; alpha alone
// is set to 1 before the swap.
void makeOpaque() {
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void tick() {
  if (!viewerState.paused) refreshBoth();
}

}  // namespace

ViewerKey viewerKeyFromKeysyms(KeySym unshifted, KeySym shifted, unsigned modifierState) {
  // Keys with Alt held are the window manager's, as WM_SYSKEYDOWN is on Windows.
  if ((modifierState & Mod1Mask) != 0) return ViewerKey::Other;
  const ViewerKey key = viewerKeyFromKeysym(unshifted);
  // On layouts whose digit row gives the digits only with Shift (AZERTY),
  // the key is still the 1 or 2 key, as its virtual-key code is on Windows.
  if (key == ViewerKey::Other && (shifted == XK_1 || shifted == XK_2))
    return viewerKeyFromKeysym(shifted);
  return key;
}

void paintDisplayWindow(const DisplayWindow& record) {
  makeContextCurrent(record);
  renderFrame(record.width, record.height);
  if (record.visualHasAlpha) makeOpaque();
  glXSwapBuffers(display, record.window);
  // No context stays current between events.
  releaseContext();
}

void refreshBoth() {
  // The 10-bit window is painted first, as on Windows, so the 8-bit window
  // shows the scene one advance further on.
  if (window10.window != None) paintDisplayWindow(window10);
  if (window8.window != None) paintDisplayWindow(window8);
}

void handleEvent(XEvent& event) {
  DisplayWindow* record = recordOf(event.xany.window);
  if (record == nullptr) return;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0) paintDisplayWindow(*record);
      break;
    case ConfigureNotify:
      noteNewSize(*record, event.xconfigure.width, event.xconfigure.height);
      break;
    case KeyPress:
      handleViewerKey(viewerKeyFromKeysyms(XLookupKeysym(&event.xkey, 0),
                                           XLookupKeysym(&event.xkey, 1), event.xkey.state),
                      x11Actions);
      break;
    case ButtonPress:
    case ButtonRelease:
      handleButton(event.xbutton, event.type == ButtonPress);
      break;
    case MotionNotify:
      handleMotion();
      break;
    case ClientMessage:
      // The window stays; the loop ends and the program exits.
      if (event.xclient.message_type == wmProtocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow)
        quit();
      break;
    default:
      break;
  }
}

void startRefreshTimer() {
  timerRunning = true;
  nextTick = Clock::now() + refreshPeriod;
}

void runEventLoop() {
  const int connection = ConnectionNumber(display);
  while (!quitRequested) {
    while (!quitRequested && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      handleEvent(event);
    }
    if (quitRequested) break;
    const Clock::time_point now = Clock::now();
    if (timerRunning && now >= nextTick) {
      // Like WM_TIMER, a late tick is not made up for with a burst.
      nextTick += refreshPeriod;
      if (nextTick <= now) nextTick = now + refreshPeriod;
      tick();
      continue;
    }
    int waitMs = -1;
    if (timerRunning)
      waitMs =
          static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(nextTick - now).count());
    pollfd input = {connection, POLLIN, 0};
    poll(&input, 1, waitMs);
  }
}

}  // namespace x11
