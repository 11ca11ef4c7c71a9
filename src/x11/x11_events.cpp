// The X11 event loop and what it runs: paints the display
// windows, turns keys (by keysym) and the left button into viewer commands
// through the shared key table, keeps the 10-bit window the size of the 8-bit
// one, ends the program on Escape or WM_DELETE_WINDOW, and runs the 16 ms
// refresh timer beside the event queue. Windows nobody can see are not
// drawn, a drag ends however its button or grab is lost, and SIGINT or
// SIGTERM end the loop like Escape. In full screen its window alone is
// painted, with the split view, and key F or the window manager taking full
// screen away returns to the two windows.
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <initializer_list>

#include "app/blind_test.h"
#include "app/facts.h"
#include "posix/ending_signal.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "viewer/keysyms.h"
#include "viewer/size_rule.h"
#include "viewer/viewer_state.h"
#include "x11/x11_front_end.h"

namespace x11 {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds refreshPeriod{refreshPeriodMs};

bool loopMustEnd() {
  // The blind test ends where full screen is taken from it: the two windows
  // would tell which picture is which.
  return frontEnd.quitRequested || endingSignal() != 0 || xErrorReported() ||
         (viewerState.blindTestRunning && !fullScreenShown());
}

void quit() {
  frontEnd.quitRequested = true;
}

// A light switch applies to both contexts, the 10-bit one first; the next
// paint makes its own context current in any case.
void switchLight(Light light, bool on) {
  for (const DisplayWindow& record : frontEnd.windows) {
    if (record.context == nullptr) continue;
    makeContextCurrent(record);
    switchLightInCurrentContext(light, on);
  }
  releaseContext();
}

const FrontEndActions x11Actions = {
    quit, switchLight, refreshBoth, printReportAndRepaint, toggleFullScreen, pickBlindHalf};

DisplayWindow* recordOf(Window window) {
  if (window != None && window == window10.window) return &window10;
  if (window != None && window == window8.window) return &window8;
  if (window != None && window == frontEnd.fullScreenWindow.window)
    return &frontEnd.fullScreenWindow;
  return nullptr;
}

// Resizing the 8-bit window gives the 10-bit window the same size at its own
// place; the rule runs one way only. Window managers frame both windows
// alike, so equal inside sizes make equal outer sizes.
void followWindow8() {
  if (window10.window == None || window8.window == None) return;
  // X keeps a minimised window's size, so only a maximised one needs telling.
  const Window8Shape shape = isMaximised(window8) ? Window8Shape::Maximised : Window8Shape::Normal;
  int left = 0, top = 0;
  framePlaceOf(window10, left, top);
  const int maxWidth = window10.maxWidth > 0 ? window10.maxWidth : window8.width;
  const int maxHeight = window10.maxHeight > 0 ? window10.maxHeight : window8.height;
  // The root window is the screen. The sizes are the windows' insides: a
  // window kept on the screen may leave its frame's far edges off it.
  const int screen = DefaultScreen(frontEnd.display);
  const WindowBox root = {0, 0, DisplayWidth(frontEnd.display, screen),
                          DisplayHeight(frontEnd.display, screen)};
  WindowBox target;
  if (!window10FollowingWindow8({0, 0, window8.width, window8.height}, shape,
                                {left, top, window10.width, window10.height}, maxWidth, maxHeight,
                                root, frontEnd.window10Place, target))
    return;
  // A plain resize keeps an X window where it is; a move is only asked for
  // when the window manager has moved the 10-bit window away meanwhile.
  if (target.left == left && target.top == top) {
    resizeX11Window(window10, target.width, target.height);
  } else {
    moveResizeX11Window(window10, target.left, target.top, target.width, target.height);
  }
}

bool tooLargeToDraw(const DisplayWindow& record) {
  return record.maxWidth > 0 &&
         (record.width > record.maxWidth || record.height > record.maxHeight);
}

void noteNewSize(DisplayWindow& record, int width, int height) {
  if (width == record.width && height == record.height) return;
  record.width = width;
  record.height = height;
  // Without a window manager to honour the maximum size, the window is
  // brought back within it, and not drawn until then.
  if (tooLargeToDraw(record))
    resizeX11Window(record, width < record.maxWidth ? width : record.maxWidth,
                    height < record.maxHeight ? height : record.maxHeight);
  if (&record == &window8) followWindow8();
}

void endDragging(Time time) {
  if (!viewerState.dragging) return;
  endDrag();
  XUngrabPointer(frontEnd.display, time);
}

void handleButton(const XButtonEvent& button, bool pressed) {
  if (button.button != Button1) return;
  if (pressed) {
    // Grabbed, so that a release outside both windows still ends the drag.
    beginDrag();
    XGrabPointer(
        frontEnd.display, button.window, True,
        ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask | LeaveWindowMask,
        GrabModeAsync, GrabModeAsync, None, None, button.time);
  } else {
    endDragging(button.time);
  }
}

void handleMotion(const XMotionEvent& motion) {
  if (!viewerState.dragging) return;
  // The X server reports every step of the pointer; like Windows, take the
  // queued ones as one move so the paints keep up with the hand.
  XMotionEvent last = motion;
  XEvent later;
  while (XCheckMaskEvent(frontEnd.display, PointerMotionMask, &later)) last = later.xmotion;
  // The release may never come: the server drops the grab when its window
  // goes, and the release then goes elsewhere.
  if ((last.state & Button1Mask) == 0) {
    endDragging(last.time);
    return;
  }
  refreshBoth();
}

void tick() {
  if (!viewerState.paused) refreshBoth();
}

// The window manager took full screen away (the state dropped, or the
// window minimised): back to the two windows.
void fullScreenTakenAway() {
  endDragging(CurrentTime);
  leaveFullScreen();
  refreshBoth();
}

void handleFullScreenEvent(const XEvent& event) {
  switch (event.type) {
    case MapNotify:
      // Without a window manager nobody else gives it the keyboard.
      if (!fullScreenManaged())
        XSetInputFocus(frontEnd.display, frontEnd.fullScreenWindow.window, RevertToPointerRoot,
                       CurrentTime);
      break;
    case UnmapNotify:
      if (fullScreenManaged()) fullScreenTakenAway();
      break;
    case PropertyNotify:
      if (fullScreenManaged() && isNetWmStateChange(event.xproperty) &&
          !hasFullScreenState(frontEnd.fullScreenWindow))
        fullScreenTakenAway();
      break;
    default:
      break;
  }
}

}  // namespace

void toggleFullScreen() {
  endDragging(CurrentTime);
  if (fullScreenShown()) {
    leaveFullScreen();
    refreshBoth();
  } else {
    enterFullScreen();
  }
}

void paintDisplayWindow(const DisplayWindow& record) {
  // A frame nobody would see costs as much as one they would; the animation
  // still advances, so the window is right when it comes back.
  if (!record.mapped || record.fullyObscured || tooLargeToDraw(record)) {
    skipFrame();
    return;
  }
  makeContextCurrent(record);
  if (record.splitView) {
    renderSplitView(record.width, record.height);
  } else {
    renderFrame(record.width, record.height);
  }
  // A compositing window manager would show alpha 0 as see-through.
  if (record.visualHasAlpha) makeFrameOpaque();
  glXSwapBuffers(frontEnd.display, record.window);
  // No context stays current between events.
  releaseContext();
}

void refreshBoth() {
  // In full screen its window alone shows the scene; the two underneath
  // keep their last picture until they show again.
  if (fullScreenShown()) {
    paintDisplayWindow(frontEnd.fullScreenWindow);
    return;
  }
  // The 10-bit window is painted first, as on Windows, so the 8-bit window
  // shows the scene one advance further on.
  if (window10.window != None) paintDisplayWindow(window10);
  if (window8.window != None) paintDisplayWindow(window8);
}

void handleEvent(XEvent& event) {
  DisplayWindow* record = recordOf(event.xany.window);
  if (record == nullptr) return;
  const bool underFullScreen = fullScreenShown() && record != &frontEnd.fullScreenWindow;
  switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0 && !underFullScreen) paintDisplayWindow(*record);
      break;
    case ConfigureNotify:
      noteNewSize(*record, event.xconfigure.width, event.xconfigure.height);
      break;
    case MapNotify:
      record->mapped = true;
      break;
    case UnmapNotify:
      // Minimised or sent to another workspace; a drag in it cannot go on.
      record->mapped = false;
      endDragging(CurrentTime);
      break;
    case VisibilityNotify:
      record->fullyObscured = event.xvisibility.state == VisibilityFullyObscured;
      break;
    case DestroyNotify:
      // Another client destroyed it: that ends the program as closing it does.
      forgetLostWindow(*record);
      endDragging(CurrentTime);
      quit();
      break;
    case KeyPress:
      handleViewerKey(
          viewerKeyFromKeysyms(XLookupKeysym(&event.xkey, 0), XLookupKeysym(&event.xkey, 1),
                               (event.xkey.state & Mod1Mask) != 0),
          x11Actions);
      break;
    case ButtonPress:
    case ButtonRelease:
      handleButton(event.xbutton, event.type == ButtonPress);
      break;
    case MotionNotify:
      handleMotion(event.xmotion);
      break;
    case EnterNotify:
    case LeaveNotify:
      // The grab was taken away (its window went, or another client grabbed).
      if (event.xcrossing.mode == NotifyUngrab) endDragging(event.xcrossing.time);
      break;
    case ClientMessage:
      // The window stays; the loop ends and the program exits.
      if (event.xclient.message_type == frontEnd.wmProtocols &&
          static_cast<Atom>(event.xclient.data.l[0]) == frontEnd.wmDeleteWindow)
        quit();
      break;
    default:
      break;
  }
  if (record == &frontEnd.fullScreenWindow && fullScreenShown()) handleFullScreenEvent(event);
}

void startRefreshTimer() {
  frontEnd.timerRunning = true;
  frontEnd.nextTick = Clock::now() + refreshPeriod;
}

namespace {

// Every event queued, until the loop must end.
void handleQueuedEvents() {
  while (!loopMustEnd() && XPending(frontEnd.display) > 0) {
    XEvent event;
    XNextEvent(frontEnd.display, &event);
    handleEvent(event);
  }
}

// Until the connection or the ending signal's pipe has something, at most
// waitMs (-1: no limit).
void waitForInput(int waitMs) {
  pollfd inputs[2] = {{ConnectionNumber(frontEnd.display), POLLIN, 0},
                      {endingSignalDescriptor(), POLLIN, 0}};
  poll(inputs, endingSignalDescriptor() >= 0 ? 2 : 1, waitMs);
}

int millisecondsUntil(Clock::time_point then, Clock::time_point now) {
  return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(then - now).count());
}

}  // namespace

void runEventLoop() {
  while (!loopMustEnd()) {
    handleQueuedEvents();
    if (loopMustEnd()) break;
    const Clock::time_point now = Clock::now();
    if (frontEnd.timerRunning && now >= frontEnd.nextTick) {
      // Like WM_TIMER, a late tick is not made up for with a burst.
      frontEnd.nextTick += refreshPeriod;
      if (frontEnd.nextTick <= now) frontEnd.nextTick = now + refreshPeriod;
      tick();
      continue;
    }
    waitForInput(frontEnd.timerRunning ? millisecondsUntil(frontEnd.nextTick, now) : -1);
  }
}

bool handleEventsUntil(bool (*done)(), int timeoutMs) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!loopMustEnd()) {
    handleQueuedEvents();
    if (done()) return true;
    const Clock::time_point now = Clock::now();
    if (loopMustEnd() || now >= end) break;
    waitForInput(millisecondsUntil(end, now));
  }
  return false;
}

}  // namespace x11
