// The X11 front end, with GLX contexts: the start-up steps and
// runApplication (x11_startup.cpp), the display connection and the two
// windows (x11_window.cpp), each window made with its context of the exact
// framebuffer configuration (glx_context.cpp), the event loop
// (x11_events.cpp): keysyms through the shared keysym table, the front-end
// actions, the size rule and the 16 ms timer beside the event queue; full
// screen (x11_full_screen.cpp), the split view in one window; and the check's
// report (x11_check.cpp), with the output's "max bpc" and EDID through XRandR.
// The logo's glyph lists come from FreeType (glyph_outlines.h), as
// wglUseFontOutlines has no counterpart here. Each creating function prints
// why it failed and leaves nothing of its own behind. Each window carries
// the program's identity for the desktop: WM_CLASS with the application id,
// _NET_WM_PID and _NET_WM_ICON (the desktop icon's images, made by make_icon).
//
// What it leaves out: no list sharing after creation (GLX shares only when
// the 8-bit context is created, so that start-up step is absent);
// window positions are only a request to the window manager, which may
// place the windows elsewhere. Windows nobody can see (unmapped or fully
// covered) are not drawn; their frames only advance the animation.
#pragma once

#include <GL/glx.h>

#include <chrono>
#include <string>

#include "app/display_check.h"
#include "app/facts.h"
#include "app/pixel_format_choice.h"
#include "app/start_options.h"
#include "app/startup.h"
#include "posix/ending_signal.h"
#include "viewer/key_commands.h"
#include "viewer/size_rule.h"

namespace x11 {

// One display window. A window of None means it does not exist (yet); the
// event handler paints only windows recorded here.
struct DisplayWindow {
  const char* title;
  int left, top;  // where it is created, windowSize square
  Window window = None;
  Colormap colormap = None;  // for the configuration's visual, which need not be the default
  GLXContext context = nullptr;
  int width = 0, height = 0;        // inside size, as the last ConfigureNotify reported it
  bool visualHasAlpha = false;      // the depth-32 ARGB visual, which compositors blend by alpha
  int maxWidth = 0, maxHeight = 0;  // what its context can draw; 0 until the context exists
  // Whether anyone can see it: a window manager unmaps minimised windows and
  // those of other workspaces, and other windows may cover it completely.
  bool mapped = false;
  bool fullyObscured = false;
  GLXFBConfig config = nullptr;  // the configuration it was created with
  // The full-screen window: it shows the split view, and its context is the
  // 10-bit window's, which it only borrows.
  bool splitView = false;
};

// Where full screen's window stands: the RandR monitor it covers.
struct MonitorArea {
  int left = 0, top = 0, width = 0, height = 0;
};

// Everything the X11 front end keeps between calls, in one record
// (x11_window.cpp defines it); SIGINT and SIGTERM are posix/ending_signal's,
// shared with the Wayland front end.
struct FrontEnd {
  // The connection and its atoms (x11_window.cpp).
  Display* display = nullptr;
  Atom wmProtocols = None, wmDeleteWindow = None;
  Atom netWmState = None, netWmStateMaximisedVert = None, netWmStateMaximisedHorz = None,
       netWmStateFullscreen = None, netFrameExtents = None, netSupportingWmCheck = None;
  int glxErrorBase = 0;
  // The error trap: errors counted while it is set, the handler it replaced,
  // and whether an error outside it was reported; the windows another
  // client destroyed, whose later errors are expected (the 10-bit, the
  // 8-bit and the full-screen window's).
  int trappedErrors = 0;
  int (*previousErrorHandler)(Display*, XErrorEvent*) = nullptr;
  bool errorReported = false;
  Window lostWindows[3] = {None, None, None};
  // The two display windows, indexed by WhichWindow (app/startup.h): right
  // the 10-10-10-2 one, left the one of 8 bits per colour (x11_startup.cpp).
  DisplayWindow windows[2] = {{title10, window10Left, window10Top},
                              {title8, window8Left, window8Top}};
  // Full screen's one window, None while the two show, the monitor it was
  // made on and whether a window manager runs (x11_full_screen.cpp).
  DisplayWindow fullScreenWindow = {fullScreenTitle, 0, 0};
  MonitorArea fullScreenMonitor;
  bool fullScreenManaged = false;
  // The event loop: the quit flag, the timer and its deadline and the
  // 10-bit window's saved place (x11_events.cpp).
  bool quitRequested = false, timerRunning = false;
  std::chrono::steady_clock::time_point nextTick;
  Window10Place window10Place;
  // The console's line after the banner, where the program came here from
  // Wayland (x11_startup.cpp).
  std::string noteAfterBanner;
};
extern FrontEnd frontEnd;
inline DisplayWindow& window10 = frontEnd.windows[static_cast<int>(WhichWindow::TenBit)];
inline DisplayWindow& window8 = frontEnd.windows[static_cast<int>(WhichWindow::EightBit)];

// x11_window.cpp: the connection and the windows themselves.
bool openDisplay();  // DISPLAY's server with GLX 1.3 or later
// At the record's place, width by height (the display windows' size unless
// told otherwise).
bool createX11Window(DisplayWindow& record, GLXFBConfig config, int width = windowSize,
                     int height = windowSize);
DisplayWindow& displayWindow(WhichWindow which);
// Mapped; the first Expose paints it. Nothing waits for the window manager,
// which may show the window much later, minimised, or not at all.
void showWindow(WhichWindow which);
// With its context current: the largest size it can draw, also told to the
// window manager as the window's maximum size.
void limitWindowSize(DisplayWindow& record);
void resizeX11Window(const DisplayWindow& record, int width, int height);
void moveResizeX11Window(const DisplayWindow& record, int left, int top, int width, int height);
// Where the window manager's frame of the window stands (the window itself
// without a window manager): the place a move request names.
void framePlaceOf(const DisplayWindow& record, int& left, int& top);
bool isMaximised(const DisplayWindow& record);         // as the window manager says
bool hasFullScreenState(const DisplayWindow& record);  // its _NET_WM_STATE says full screen
// EWMH's full-screen state asked for in the window's initial _NET_WM_STATE,
// set before it is mapped.
void askForFullScreenState(const DisplayWindow& record);
// An EWMH window manager runs: _NET_SUPPORTING_WM_CHECK on the root names a
// window that names itself.
bool windowManagerRuns();
bool isNetWmStateChange(const XPropertyEvent& event);
// Another client destroyed the window: it is forgotten, and errors that
// requests already on their way raise for it are expected.
void forgetLostWindow(DisplayWindow& record);
void destroyDisplayWindow(DisplayWindow& record);  // context, window and colormap
void closeWindows();  // both windows with their contexts; the connection ends with the process
// X reports errors later; while a trap is set, creating calls fail quietly
// and endErrorTrap tells whether any did. Outside a trap an error prints one
// "ERROR: " line and xErrorReported() turns true; the program then ends.
void beginErrorTrap();
bool endErrorTrap();  // true when no error arrived since beginErrorTrap
bool xErrorReported();

// glx_context.cpp: configurations and contexts.
// The window with its context, or nothing at all, with an ERROR line. The
// 10-bit window takes the exact 10-10-10-2 configuration; the 8-bit window
// the exact 8-bit one, else the nearest with a NOTE line, and its context
// shares the 10-bit context's display lists (GLX shares only at creation).
bool createWindow(WhichWindow which);
void makeContextCurrent(const DisplayWindow& record);
void releaseContext();

// x11_events.cpp: painting, keys and the pointer, the size rule and the event loop.
void paintDisplayWindow(const DisplayWindow& record);
void refreshBoth();  // the 10-bit window first, then the 8-bit one if it exists
void handleEvent(XEvent& event);
void startRefreshTimer();  // every 16 ms from now on
void runEventLoop();       // until Escape, a closed window, an X error or SIGINT/SIGTERM
// Handles events until `done` says so, the loop must end or timeoutMs pass;
// true when `done` said so.
bool handleEventsUntil(bool (*done)(), int timeoutMs);
void toggleFullScreen();  // key F

// x11_full_screen.cpp: the split view in one window on the monitor that
// holds the 10-bit window. With a window manager it asks for EWMH full
// screen; without one the window covers the monitor by itself. The two
// windows stay where they are, underneath, and are not painted meanwhile.
bool fullScreenShown();  // the full-screen window exists
// Creates and maps it; false (after an error line) when it cannot be made.
bool enterFullScreen();
// Destroys it; the two windows are painted again.
void leaveFullScreen();
// The full-screen window is mapped at the monitor's size.
bool fullScreenReady();
// A window manager was asked for full screen (and may take it away again).
bool fullScreenManaged();

// x11_check.cpp: the measured report of both windows and the display
// output. reportDisplayChain prints it and tells whether the 10-bit window
// delivered 10-bit levels; printReportAndRepaint is key I's action.
bool reportDisplayChain();
void printReportAndRepaint();

// x11_startup.cpp: the shared start-up order with the X11 and GLX steps,
// then the event loop, or with options.check the report instead of the loop.
// Returns the process exit status: the shared order's (with a check 1 when
// the 10-bit window did not deliver 10-bit levels), -1 after an X error,
// 128 + the signal's number after SIGINT or SIGTERM. A start note (a
// "NOTE: " line) is printed right after the banner.
int runApplication(const StartOptions& options, const std::string& startNote = std::string());

}  // namespace x11
