// The Wayland front end, with EGL contexts: the Wayland program's start-up
// steps (wayland_startup.cpp), the compositor connection and the two
// toplevel windows with their decorations (wayland_window.cpp), exact EGL
// configurations and desktop OpenGL compatibility contexts (egl_context.cpp),
// keys through xkbcommon and the left-button drag (wayland_input.cpp), and
// the event loop that does the window procedure's work (wayland_events.cpp):
// painting, the front-end actions, the size rule and the 16 ms timer
// beside the display connection; the check's report (wayland_check.cpp) of
// what each window's framebuffer holds. The logo's glyph lists come from FreeType
// (freetype/glyph_outlines.h), shared with the X11 front end.
//
// What it leaves out: no window icon (Wayland has no client icons; the
// desktop finds one by the app id); no window positions, which are the
// compositor's to choose; no list sharing after creation (EGL shares only
// when the 8-bit context is created, so that step is empty). Title bars come
// from the compositor where it offers server-side decorations, and are drawn
// by libdecor where it does not.
#pragma once

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <libdecor.h>
#include <wayland-client.h>
#include <wayland-egl.h>
#include <xkbcommon/xkbcommon.h>

#include "app/display_check.h"
#include "app/pixel_format_choice.h"
#include "viewer/key_commands.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace wayland {

// One display window. A null surface means it does not exist (yet); the
// event loop paints only windows recorded here.
struct DisplayWindow {
  const char* title;
  wl_surface* surface = nullptr;
  // Either the compositor's own toplevel (with a server-side decoration
  // where offered) or a libdecor frame that draws its own title bar.
  xdg_surface* xdgSurface = nullptr;
  xdg_toplevel* toplevel = nullptr;
  zxdg_toplevel_decoration_v1* decoration = nullptr;
  libdecor_frame* frame = nullptr;
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
  bool hasAlpha = false;      // its configuration carries alpha, which compositors blend by
  int width = 0, height = 0;  // the size it is drawn at
  // The largest size its context can draw, known once the context exists.
  int maxWidth = 1 << 14, maxHeight = 1 << 14;
  // The size the compositor last asked for; 0 leaves the choice to us.
  int requestedWidth = 0, requestedHeight = 0;
  bool configured = false;  // the compositor has configured it at least once
  bool shown = false;
  bool needsPaint = false;  // configured anew, or asked for a frame by its decorations
};

// What the connection offers, bound once at start.
struct Globals {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zxdg_decoration_manager_v1* decorationManager = nullptr;  // absent on many desktops
  libdecor* decorContext = nullptr;  // only where the compositor draws no decorations
  wl_seat* seat = nullptr;
  EGLDisplay eglDisplay = EGL_NO_DISPLAY;
};

extern Globals globals;
extern DisplayWindow window10;  // 10-10-10-2
extern DisplayWindow window8;   // 8 bits per colour

// wayland_window.cpp: the connection and the windows themselves.
bool connectDisplay();                            // the compositor, its shell and EGL on it
bool createSurfaceWindow(DisplayWindow& record);  // surface, toplevel, title, decorations
void showDisplayWindow(DisplayWindow& record);    // configured, painted once, so mapped
// Takes the compositor's latest wish, or our own size where it leaves the
// choice to us, and marks the window for a paint.
void applyConfigure(DisplayWindow& record);
void resizeDisplayWindow(DisplayWindow& record, int width, int height);
void destroyDisplayWindow(DisplayWindow& record);  // context, surfaces and window
void disconnectDisplay();  // both windows and the seat; the connection goes with the process

// egl_context.cpp: configurations and contexts.
EGLConfig findEglConfig(const ColourRequest& colour, bool& hasAlpha);  // nullptr if none
// The EGL window surface and a context that shares display lists with
// shareList (may be EGL_NO_CONTEXT), confirmed to have colourBits of red.
bool createDisplayContext(DisplayWindow& record, EGLConfig config, EGLContext shareList,
                          int colourBits);
void makeContextCurrent(const DisplayWindow& record);
void releaseContext();

// wayland_input.cpp: the seat's keyboard and pointer.
// The key's symbols without and with Shift; Alt-modified keys are no commands.
ViewerKey viewerKeyFromKeysyms(xkb_keysym_t unshifted, xkb_keysym_t shifted, bool altHeld);
void listenToSeat(wl_seat* seat);
int keyRepeatTimer();     // a timerfd, armed while a repeating key is held
void repeatHeldKey();     // the repeat timer expired
void handleDragMotion();  // pointer moves arrived in the last dispatch
void releaseSeat();

// wayland_events.cpp: what the window procedure does on Win32.
extern const FrontEndActions waylandActions;
void paintDisplayWindow(DisplayWindow& record);
void refreshBoth();  // the 10-bit window first, then the 8-bit one if it exists
void noteNewSize(DisplayWindow& record, int width, int height);
void requestQuit();
bool connectionLost();
// Waits for what the compositor sends next and runs its handlers; false
// when the connection broke (after saying so).
bool dispatchDisplay();
// Waits until the compositor has answered everything sent so far, running
// the handlers of what it sent meanwhile; false when the connection broke.
bool roundTrip();
void startRefreshTimer();  // every 16 ms from now on
void runEventLoop();       // until Escape, a closed window or a lost connection

// wayland_check.cpp: the check's report of both windows (key I, --check).
// Prints the report; true when the 10-bit window holds 10-bit levels.
bool reportDisplayChain();
void printReportAndRepaint();  // the report, then both windows painted again

// wayland_startup.cpp: the shared start-up order with the Wayland and EGL
// steps, then the event loop (with options.check the report instead).
// Returns the process exit status. Full screen is not offered yet:
// options.fullScreen shows the two windows.
int runApplication(const StartOptions& options);

}  // namespace wayland
