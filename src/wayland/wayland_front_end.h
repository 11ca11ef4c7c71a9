// The Wayland front end, with EGL contexts: the start-up steps and
// runApplication (wayland_startup.cpp), the compositor connection and the two
// toplevel windows with their decorations (wayland_window.cpp), each window
// made with its desktop OpenGL compatibility context of the exact EGL
// configuration (egl_context.cpp),
// keys through xkbcommon and the left-button drag (wayland_input.cpp), the
// outputs and each window's buffer scale (wayland_output.cpp), and the event
// loop (wayland_events.cpp): painting, the front-end actions, the size rule and the 16 ms timer
// beside the display connection; the check's report (wayland_check.cpp) of
// what each window's framebuffer holds and, where the compositor offers a
// copy of the screen, what reaches it (wayland_screen_copy.cpp, with
// presentation feedback); full screen's split view on a toplevel of its own
// (wayland_full_screen.cpp). The logo's glyph lists come from
// FreeType (freetype/glyph_outlines.h), shared with the X11 front end.
//
// What it leaves out: no window icon (Wayland has no client icons; the
// desktop finds one by the app id, the application id of the desktop entry);
// no fractional buffer scales (where an output's scale is fractional the
// compositor resamples, and the check's report says so); no window
// positions, which are the compositor's to choose; no list sharing after
// creation (EGL shares only when the 8-bit context is created, so that
// start-up step is absent). Title bars come from the compositor where it offers server-side
// decorations, and are drawn by libdecor where it does not.
#pragma once

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <libdecor.h>
#include <wayland-client.h>
#include <wayland-egl.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/display_check.h"
#include "app/facts.h"
#include "app/pixel_format_choice.h"
#include "app/start_options.h"
#include "app/startup.h"
#include "plasma-shell-client-protocol.h"
#include "posix/ending_signal.h"
#include "render/window_marks.h"
#include "viewer/key_commands.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

// xdg-output's manager (its protocol header is wayland_output.cpp's alone),
// the screen-copy manager and presentation feedback (wayland_screen_copy.cpp's).
struct zxdg_output_manager_v1;
struct zwlr_screencopy_manager_v1;
struct wp_presentation;

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
  org_kde_plasma_surface* plasmaSurface = nullptr;  // KWin: where it places the window
  wl_egl_window* eglWindow = nullptr;
  EGLSurface eglSurface = EGL_NO_SURFACE;
  EGLContext context = EGL_NO_CONTEXT;
  EGLConfig config = nullptr;  // the configuration it was created with
  bool hasAlpha = false;       // its configuration carries alpha, which compositors blend by
  int width = 0, height = 0;   // its size in the compositor's logical pixels
  // The buffer size its EGL surface was made at. Mesa sizes a surface's
  // first buffer when it is first made current, whatever resizes follow
  // before that buffer is swapped.
  int surfaceWidth = 0, surfaceHeight = 0;
  // Its buffer is drawn at scale times that size: the largest scale among
  // the outputs it stands on, so the compositor shows it 1:1 where they all
  // have that whole-number scale.
  int scale = 1;
  std::vector<wl_output*> outputs = {};
  bool drawnOneToOne = true;
  bool fractionalScale = false;  // an output under it has a scale that is not whole
  // The largest size its context can draw, known once the context exists.
  int maxWidth = 1 << 14, maxHeight = 1 << 14;
  // The size the compositor last asked for; 0 leaves the choice to us.
  int requestedWidth = 0, requestedHeight = 0;
  bool configured = false;  // the compositor has configured it at least once
  bool shown = false;
  bool needsPaint = false;  // configured anew, or asked for a frame by its decorations
  // The frame callback asked for with the latest commit, until the
  // compositor answers it (it answers only while it shows the window), and
  // when the oldest commit it has not answered yet was made.
  wl_callback* frameCallback = nullptr;
  std::chrono::steady_clock::time_point unansweredSince = {};
  bool fullScreenState = false;  // its latest configure says it is full screen
};

// An output the compositor offers (wayland_output.cpp).
struct Output;

// The connection, what it offers (bound once at start) and EGL on it
// (wayland_window.cpp); dropped whole where the connection fails.
struct Connection {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  wl_compositor* compositor = nullptr;
  xdg_wm_base* wmBase = nullptr;
  zxdg_decoration_manager_v1* decorationManager = nullptr;  // absent on many desktops
  // KWin's plasma-shell, through which a client may place its windows.
  org_kde_plasma_shell* plasmaShell = nullptr;
  libdecor* decorContext = nullptr;  // only where the compositor draws no decorations
  wl_seat* seat = nullptr;
  EGLDisplay eglDisplay = EGL_NO_DISPLAY;
  // Who composes: told by the names of the globals it offers.
  std::vector<std::string> globalNames;
  Compositor compositorKind = Compositor::Unknown;
};

// Everything the Wayland front end keeps between calls, in one record
// (wayland_window.cpp defines it); only the libdecor callback tables, which
// libdecor takes by pointer, stay apart. SIGINT and SIGTERM are
// posix/ending_signal's, shared with the X11 front end.
struct FrontEnd {
  Connection connection;
  // The outputs and the xdg-output manager, where offered (wayland_output.cpp).
  std::vector<Output*> outputs;
  zxdg_output_manager_v1* outputManager = nullptr;
  // The two display windows, indexed by WhichWindow (app/startup.h): the
  // 10-10-10-2 one and the one of 8 bits per colour (wayland_startup.cpp).
  DisplayWindow windows[2] = {{title10}, {title8}};
  // Full screen's split view: the 10-bit window's configuration and context;
  // whether the compositor granted full screen at least once and took it
  // away since, and whether F asked to leave (also while it is being entered)
  // (wayland_full_screen.cpp).
  DisplayWindow windowFull = {fullScreenTitle};
  bool fullScreenGranted = false, fullScreenTakenAway = false;
  bool fullScreenLeaveAsked = false;
  // The seat's keyboard and pointer, the keymap and its state, key repeat
  // (the compositor's rate in keys per second, 0 for none, and delay; its
  // timerfd and key), the surface under the pointer (wayland_input.cpp).
  wl_keyboard* keyboard = nullptr;
  wl_pointer* pointer = nullptr;
  xkb_context* keyContext = nullptr;
  xkb_keymap* keymap = nullptr;
  xkb_state* keyState = nullptr;
  int repeatRate = 25, repeatDelayMs = 600;
  int repeatTimer = -1;
  xkb_keycode_t repeatingKey = 0;
  wl_surface* pointerSurface = nullptr;
  bool pointerMoved = false;
  // The event loop: the quit flag, a lost connection and the refresh
  // timerfd (wayland_events.cpp).
  bool quitRequested = false, lostConnection = false;
  int refreshTimer = -1;
  // What the check sees past the windows, where the compositor offers it:
  // shared memory and the wlroots screen copy for copies of an output, and
  // presentation feedback (wayland_screen_copy.cpp).
  wl_shm* shm = nullptr;
  zwlr_screencopy_manager_v1* screenCopies = nullptr;
  wp_presentation* presentation = nullptr;
};

extern FrontEnd frontEnd;

// Destroys an object of the connection's (a protocol object, an EGL window,
// a libdecor frame) where there is one, and forgets it.
template <typename Object>
void destroyAndForget(Object*& object, void (*destroy)(Object*)) {
  if (object != nullptr) destroy(object);
  object = nullptr;
}
inline DisplayWindow& window10 = frontEnd.windows[static_cast<int>(WhichWindow::TenBit)];
inline DisplayWindow& window8 = frontEnd.windows[static_cast<int>(WhichWindow::EightBit)];
inline DisplayWindow& windowFull = frontEnd.windowFull;

// wayland_window.cpp: the connection and the windows themselves.
// Connects to the compositor and learns what it offers; on failure leaves
// no connection and returns why ("Unable to connect to the Wayland display
// 'wayland-0'"), with nothing printed. Empty once connected.
std::string openConnection();
// The start-up step: the connection (opened here unless it already is),
// the compositor's shell and EGL on it; prints why not.
bool connectDisplay();
bool createSurfaceWindow(DisplayWindow& record);  // surface, toplevel, title, decorations
void showDisplayWindow(DisplayWindow& record);    // configured, painted once, so mapped
// Takes the compositor's latest wish, or our own size where it leaves the
// choice to us, and marks the window for a paint.
void applyConfigure(DisplayWindow& record);
void resizeDisplayWindow(DisplayWindow& record, int width, int height);
void destroyDisplayWindow(DisplayWindow& record);  // context, surfaces and window
void disconnectDisplay();  // both windows and the seat; the connection goes with the process

// wayland_output.cpp: the outputs and each window's buffer scale.
void addOutput(wl_registry* registry, uint32_t name, uint32_t version);
void addOutputManager(wl_registry* registry, uint32_t name,
                      uint32_t version);  // xdg-output, where offered
void removeOutput(uint32_t name);
void forgetOutputs();  // every output released, with a connection that is dropped
// The output's connector name ("DP-1", from wl_output version 4 or
// xdg-output version 2); empty where the compositor does not name it.
std::string outputName(wl_output* output);
// The first output the window stands on, of those bound here; null for none.
wl_output* outputUnder(const DisplayWindow& record);
// The output's size in logical pixels (the compositor's, as window sizes
// are); false where it has not told it. A null output is the only one, where
// there is only one.
bool outputSize(wl_output* output, int& width, int& height);
// Listens to the surface's enter and leave: its buffer scale, and the output
// full screen goes to (the 10-bit window's first).
void followOutputs(DisplayWindow& record);
// Takes the scale the outputs under the window call for; a new one resizes
// its buffer and marks it for a paint.
void updateBufferScale(DisplayWindow& record);

// egl_context.cpp: configurations and contexts.
DisplayWindow& displayWindow(WhichWindow which);
// The window with its context, or nothing at all, with an ERROR line. The
// 10-bit window takes the exact 10-10-10-2 configuration; the 8-bit window
// the exact 8-bit one, else the nearest with a NOTE line, and its context
// shares the 10-bit context's display lists (EGL shares only at creation).
bool createWindow(WhichWindow which);
// Makes (or makes anew) the window's EGL surface at its buffer's present
// size, with swaps that never wait for the compositor; false if EGL refuses.
bool createWindowSurface(DisplayWindow& record);
void makeContextCurrent(const DisplayWindow& record);
void releaseContext();

// wayland_input.cpp: the seat's keyboard and pointer.
void listenToSeat(wl_seat* seat);
int keyRepeatTimer();     // a timerfd, armed while a repeating key is held
void repeatHeldKey();     // the repeat timer expired
void handleDragMotion();  // pointer moves arrived in the last dispatch
void releaseSeat();
// The shared key table's key for a key code of this keymap in this state:
// the code's keysyms without and with Shift in its layout, and whether Alt
// is held.
ViewerKey viewerKeyOfKeyCode(xkb_keymap* keymap, xkb_state* state, xkb_keycode_t key);

// wayland_events.cpp: painting, the front-end actions, the size rule and the event loop.
extern const FrontEndActions waylandActions;
// Draws and commits a frame, asking the compositor to say when it shows it.
void paintDisplayWindow(DisplayWindow& record);
// The 10-bit window first, then the 8-bit one if it exists; a window that
// looks hidden is not drawn, but its animation advances all the same.
void refreshBoth();
void noteNewSize(DisplayWindow& record, int width, int height);
void requestQuit();
bool connectionLost();
// Waits for what the compositor sends next and runs its handlers; false
// when the connection broke (after saying so). A signal that is to end the
// program makes it return at once.
bool dispatchDisplay();
// Waits until the compositor has answered everything sent so far, running
// the handlers of what it sent meanwhile; false when the connection broke.
bool roundTrip();
void startRefreshTimer();  // every 16 ms from now on
// Until Escape, a closed window, a lost connection or SIGINT/SIGTERM.
void runEventLoop();

// wayland_full_screen.cpp: the split view on one full-screen toplevel.
// Enters full screen on the 10-bit window's output and waits until the
// compositor has made it so; false (after a line saying why) when it did not,
// and the two windows stay.
bool enterFullScreen();
void leaveFullScreen();  // the two windows are painted again
bool fullScreenShown();
// Shown over the whole output (as far as the output's size is known), as
// the blind test needs it: beside a smaller window the desktop shows.
bool fullScreenCoversOutput();
// Key F: enters at once, or asks the event loop to leave.
void toggleFullScreen();
// A configure of the full-screen window without the fullscreen state: the
// compositor took full screen away; the event loop then leaves it. One with
// the state that leaves the size to us gets the output's.
void noteFullScreenConfigure();
// The full-screen window's size against its output's, in logical pixels.
SurfaceCoverage fullScreenCoverage();
// Leaves full screen where F or the compositor asked for it. The event loop
// calls it just after emptying its queue: libwayland (1.21) never frees a
// surface destroyed while a queued event names it (the keyboard's or the
// pointer's focus, say).
void leaveFullScreenIfAsked();

// wayland_screen_copy.cpp: the screen copy and presentation feedback.
// Binds the global where it is one of theirs; false where it is not.
bool addCheckGlobal(wl_registry* registry, uint32_t name, const char* interface);
void forgetCheckGlobals();  // with a connection that is dropped
bool screenCopyOffered();
bool presentationFeedbackOffered();
// Swaps the window's back buffer (its context current) and waits, for a
// second at most, until the compositor has drawn the output with it; false
// where it did not answer in time. With scannedOut, presentation feedback
// is asked for where offered, and where it comes, scannedOut says whether
// the frame went to the screen without composition.
bool showCheckFrame(DisplayWindow& record, bool* scannedOut);
// A copy of the output in the format the compositor hands it over in,
// which is the one it composes the output in.
struct OutputCopy {
  std::string format;                // "XRGB2101010"; empty where none was offered
  int bitsPerColour = unknownCount;  // that format's
  CopiedScreen pixels;
};
// False where no copy was made or its format cannot be read (the format is
// named all the same where the compositor offered one).
bool copyOutput(wl_output* output, OutputCopy& copy);

// wayland_check.cpp: the check's report of both windows (key I, --check).
// Prints the report; true when the 10-bit window holds 10-bit levels.
bool reportDisplayChain();
void printReportAndRepaint();  // the report, then both windows painted again

// wayland_startup.cpp: the shared start-up order with the Wayland and EGL
// steps, then the event loop (with options.check the report instead).
// Returns the process exit status: 128 + the signal's number after SIGINT
// or SIGTERM. With options.fullScreen the split view is shown once the two
// windows stand.
int runApplication(const StartOptions& options);

}  // namespace wayland
