// The Win32 front end: the console program's main function and start-up
// steps (win32_startup.cpp), the window class (window_class.cpp), the 8-bit
// window with a classic pixel format, the 10-bit window chosen through
// WGL_ARB_pixel_format on a hidden probe window's context
// (deep_colour_window.cpp), and the one window procedure (window_proc.cpp),
// which turns virtual keys into the shared key table's keys and supplies the
// front-end actions; key F's full-screen window (full_screen.cpp); with
// --dxgi, windows that present through DXGI swap chains (dxgi_present.cpp,
// dxgi_swap_chain.cpp);
// and the check's report (win32_check.cpp). It also attaches the
// application icon (icon group 101) to every window.
//
// Both display windows take their formats through the shared exact choice
// and confirm with the created context that they got them; where no classic
// format has exactly 8 bits per colour (under Wine on a depth-30 screen) the
// 8-bit window takes the nearest and the console says so.
//
// What it leaves out: apart from the DXGI swap chains, nothing is released
// at the end; windows and contexts go with the process.
#pragma once

#include "app/display_check.h"
#include "app/pixel_format_choice.h"
#include "app/start_options.h"
#include "app/startup.h"
#include "render/framebuffer_calls.h"
#include "render/gl_headers.h"
#include "viewer/size_rule.h"
// WGL's extension types and constants, after the GL types they rely on.
#include <GL/wglext.h>

namespace win32 {

// A function of a library loaded at run time, as its own type; null where
// the library does not export it.
template <typename Function>
Function procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A window's DXGI swap chain and the OpenGL framebuffer object whose frames
// it shows (dxgi_swap_chain.h).
struct DxgiSurface;

// Where a display window's OpenGL context draws: a device context kept for
// its window's whole life, and the context made current on it.
struct DrawingContext {
  HDC dc = nullptr;
  HGLRC context = nullptr;
};

// One display window's handles. A null hwnd means the window does not exist
// (yet); the window procedure paints only windows recorded here.
struct DisplayWindow {
  HWND hwnd = nullptr;
  // The window's own device context and its context; presented through
  // DXGI, a hidden window's instead, whose context draws into the surface's
  // framebuffer object.
  DrawingContext gl;
  DxgiSurface* dxgi = nullptr;
};

// Everything the Win32 front end keeps between calls, in one record
// (window_proc.cpp defines it); the DXGI presentation keeps its surfaces and
// framebuffer entry points in a record of its own in dxgi_present.cpp, and
// its Direct3D device in one in dxgi_swap_chain.cpp, the one file that
// includes Direct3D.
struct FrontEnd {
  // The two display windows, indexed by WhichWindow (app/startup.h): right
  // the 10-10-10-2 one through WGL_ARB_pixel_format, left the classic 24-bit
  // one.
  DisplayWindow windows[2];
  // Attached to every window created here; loaded by start-up before any
  // window (window_class.cpp).
  HICON bigIcon = nullptr, smallIcon = nullptr;
  // Full screen's window (see fullScreen below), whether it shows, whether
  // its swap chain holds the screen exclusively, and the two windows' places
  // to give back (full_screen.cpp).
  DisplayWindow fullScreen;
  bool fullScreenShown = false, fullScreenExclusive = false;
  WINDOWPLACEMENT placement8 = {}, placement10 = {};
  // The 10-bit window's saved place, and the largest client area its
  // context draws, 0 until asked (window_proc.cpp).
  Window10Place window10Place;
  int drawableWidth = 0, drawableHeight = 0;
};
extern FrontEnd frontEnd;
inline DisplayWindow& window10 = frontEnd.windows[static_cast<int>(WhichWindow::TenBit)];
inline DisplayWindow& window8 = frontEnd.windows[static_cast<int>(WhichWindow::EightBit)];

// win32_startup.cpp: the shared start-up order with the Win32 steps, then the
// message loop, or with options.check the report instead of the loop. Returns the
// process exit status: 0 after a normal end (or a check whose 10-bit window
// delivered 10-bit levels), 1 after a check whose did not, -1 when the
// program could not start. With options.dxgi both windows present through
// DXGI swap chains; with options.fullScreen the program starts (and checks)
// in the full-screen split view.
int runApplication(const StartOptions& options);

// win32_check.cpp: the measured report of both windows and the display.
// reportDisplayChain prints it and tells whether the 10-bit window delivered
// 10-bit levels; printReportAndRepaint is key I's action.
bool reportDisplayChain();
void printReportAndRepaint();

// Returns 1 on success, 0 (after printing why) on failure.
int registerWindowClass(const char* className);

// Which window createStandardWindow makes: the 8-bit display window takes
// exactly 8 bits per colour with a depth buffer, or the nearest format; a
// hidden window (the probe that reaches the driver's extensions, or a
// --dxgi window's drawing context) asks for neither but must be
// accelerated, as only a driver's own formats lead to its extensions.
enum class StandardWindowRole { Window8, HiddenAccelerated };

// A window at the 8-bit window's place and size with a classic pixel format
// and an OpenGL context (not current, window not shown). Returns null after
// printing why and undoing what it created.
HWND createStandardWindow(const char* className, const char* title, StandardWindowRole role,
                          HDC& outDc, HGLRC& outContext);

// The 10-bit window at its place beside the 8-bit one, its format chosen
// through a hidden probe window's context. On success window10 is filled
// and its context is current; on failure window10 is all null and nothing
// is current.
HWND createDeepColourWindow(const char* className);

// Where the driver's extension entry points are fetched (the pixel format's,
// and the framebuffer objects' of the split view and of DXGI's surfaces):
// wglGetProcAddress, unless a test plays a driver that this machine lacks.
// wglEntryPoint asks it, for the context current.
extern PROC(WINAPI* wglEntryPointLookup)(LPCSTR name);
GlFunction wglEntryPoint(const char* name);

// dxgi_present.cpp: a display window presenting through a DXGI swap chain
// (R10G10B10A2_UNORM or R8G8B8A8_UNORM) on the one Direct3D 11 device, made
// the first time. Its hidden window's context joins sharedWith's list space
// (when not null) before it is first current; on success it is current and
// drawing into the framebuffer object, and the record is filled. On failure
// the error line is printed, the record is empty and nothing is current.
HWND createDxgiWindow(const char* className, bool tenBit, HGLRC sharedWith, DisplayWindow& record);

// Under Wine, before d3d11.dll loads (dxgi_swap_chain.cpp): Wine's
// Direct3D runs its commands on the calling thread (WINE_D3D_CONFIG=csmt=0),
// unless the variable is set.
void keepWineDirect3DOnThisThread();

// Draws one frame at this client size (full screen's: the split view) and
// presents it; false where the system took the screen away meanwhile
// (occluded). The context is not current afterwards.
bool presentThroughDxgi(const DisplayWindow& record, int width, int height);
// The swap chains and the device go before the process ends: under Wine,
// ending with them still alive crashed the process's end now and then.
void releaseDxgiPresentation();

// For the check: measureRamps' afterDrawing step of a DXGI window (record is
// its DisplayWindow), which copies the ramp into the back buffer and counts
// the levels read back from there; and what the window's swap chain is.
void readBackBufferRamp(RampMeasurement& ramp, void* record);
void describeSwapChain(const DisplayWindow& record, SwapChainFacts& facts);

// full_screen.cpp: key F's split view on one 10-bit surface, a borderless
// window covering the monitor of the 10-bit window, topmost while it has the
// focus. It draws with the 10-bit window's context: on the window's own
// device context, whose pixel format is the 10-bit window's; with --dxgi into
// a framebuffer object of its own whose frames go to an R10G10B10A2 swap
// chain taken to exclusive full screen where the system allows it. The two
// windows stay underneath, unpainted, and keep their places and sizes.
// fullScreen.hwnd is null until the first entry; the window stays, hidden,
// once left.
inline DisplayWindow& fullScreen = frontEnd.fullScreen;
bool inFullScreen();
// Returns false, after printing why, where the window cannot be made; the
// two windows then stay.
bool enterFullScreen();
void leaveFullScreen();
void toggleFullScreen();
// "full screen, exclusive" where the swap chain holds the screen, else a
// borderless window; two windows outside full screen.
Presentation currentPresentation();
// Draws one split-view frame and shows it.
void paintFullScreen();
// Posted to the full-screen window when the system took the screen away
// (focus lost, the swap chain occluded): it is left outside the message that
// told, never in the middle of the system's own activation handling.
constexpr UINT leaveFullScreenMessage = WM_APP + 1;

// dxgi_present.cpp, for full screen with --dxgi: the swap chain on the
// full-screen window (made on the first call, kept afterwards), drawn by the
// 10-bit window's context. On failure the error line is printed and the
// record stays without a swap chain, and nothing made for it is kept.
bool createDxgiFullScreen(HWND hwnd, DisplayWindow& record);
// dxgi_swap_chain.cpp: exclusive full screen with a 10-bit display mode of
// the monitor; false where the system refuses (the window then stays a
// borderless one).
bool takeExclusiveFullScreen(const DisplayWindow& record);
// Gives the screen back (the display mode too) where it was taken; always
// before the swap chain goes.
void giveUpExclusiveFullScreen(const DisplayWindow& record);
// Whether the swap chain holds the screen exclusively now.
bool holdsExclusiveFullScreen(const DisplayWindow& record);
// measureSplitView's afterDrawing step for the full-screen swap chain: the
// ramp goes into the back buffer, and each half's levels are counted there.
void readBackBufferHalves(RampMeasurement& left, RampMeasurement& right, void* record);
// With the record's context current: draws from here on into the record's
// own framebuffer object (the 10-bit context has two, its window's and full
// screen's), which takes this size; false where it cannot.
bool drawIntoDxgiSurface(const DisplayWindow& record, int width, int height);

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the 10-bit window, then the 8-bit one if it exists, before returning.
void refreshBoth();

}  // namespace win32
