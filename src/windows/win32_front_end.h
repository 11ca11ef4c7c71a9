// The Win32 front end: the console program's main function and start-up
// steps, the window class, the 8-bit window with a classic pixel format, the
// 10-bit window chosen through WGL_ARB_pixel_format on a hidden probe
// window's context, and the one window procedure, which turns virtual keys
// into the shared key table's keys and supplies the three front-end actions.
// It also attaches the application icon (icon group 101) to every window.
//
// Both display windows take their formats through the shared exact choice
// and confirm with the created context that they got them; where no classic
// format has exactly 8 bits per colour (under Wine on a depth-30 screen) the
// 8-bit window takes the nearest and the console says so.
//
// What it leaves out: nothing is released at the end, windows and contexts
// go with the process.
#pragma once

#include "app/display_check.h"
#include "app/pixel_format_choice.h"
#include "render/gl_headers.h"

namespace win32 {

// A window's DXGI swap chain and the OpenGL framebuffer object whose frames
// it shows (dxgi_present.cpp).
struct DxgiSurface;

// One display window's handles. A null hwnd means the window does not exist
// (yet); the window procedure paints only windows recorded here.
struct DisplayWindow {
  HWND hwnd = nullptr;
  HDC hdc = nullptr;  // own device context, valid for the window's life
  HGLRC hglrc = nullptr;
  // Presented through DXGI: then hdc and hglrc are a hidden window's, whose
  // context draws into the surface's framebuffer object.
  DxgiSurface* dxgi = nullptr;
};

extern DisplayWindow window10;  // right: 10-10-10-2 through WGL_ARB_pixel_format
extern DisplayWindow window8;   // left: classic 24-bit format

// Attached to every window created here; loaded by start-up before any window.
extern HICON bigIcon;
extern HICON smallIcon;

// win32_startup.cpp: the shared start-up order with the Win32 steps, then the
// message loop, or with checkOnly the report instead of the loop. Returns the
// process exit status: 0 after a normal end (or a check whose 10-bit window
// delivered 10-bit levels), 1 after a check whose did not, -1 when the
// program could not start. With throughDxgi both windows present through
// DXGI swap chains.
int runApplication(bool checkOnly, bool throughDxgi);

// win32_check.cpp: the measured report of both windows and the display.
// reportDisplayChain prints it and tells whether the 10-bit window delivered
// 10-bit levels; printReportAndRepaint is key I's action.
bool reportDisplayChain();
void printReportAndRepaint();

// Returns 1 on success, 0 (after printing why) on failure.
int registerWindowClass(const char* className);

// Which window createStandardWindow makes: the 8-bit display window takes
// exactly 8 bits per colour with a depth buffer, or the nearest format; the
// hidden probe asks for neither but must be accelerated, as only a driver's
// own formats lead to its extensions.
enum class StandardWindowRole { Window8, Probe };

// A window at the 8-bit window's place and size with a classic pixel format
// and an OpenGL context (not current, window not shown). Returns null after
// printing why and undoing what it created.
HWND createStandardWindow(const char* className, const char* title, StandardWindowRole role,
                          HDC& outDc, HGLRC& outContext);

// The 10-bit window at its place beside the 8-bit one, its format chosen
// through a hidden probe window's context. On success window10 is filled and its context is current
// and initialised; on failure window10 is all null and nothing is current.
HWND createDeepColourWindow(const char* className);

// Where createDeepColourWindow fetches the driver's extension entry points:
// wglGetProcAddress, unless a test plays a driver that this machine lacks.
extern PROC(WINAPI* wglEntryPointLookup)(LPCSTR name);

// dxgi_present.cpp: a display window presenting through a DXGI swap chain
// (R10G10B10A2_UNORM or R8G8B8A8_UNORM) on the one Direct3D 11 device, made
// the first time. Its hidden window's context joins sharedWith's list space
// (when not null) before it is first current; on success it is current and
// drawing into the framebuffer object, and the record is filled. On failure
// the error line is printed, the record is empty and nothing is current.
HWND createDxgiWindow(const char* className, bool tenBit, HGLRC sharedWith, DisplayWindow& record);

// Under Wine, before d3d11.dll loads: Wine's Direct3D runs its commands on
// the calling thread (WINE_D3D_CONFIG=csmt=0), unless the variable is set.
void keepWineDirect3DOnThisThread();

// Draws one frame at this client size and presents it; the context is not
// current afterwards.
void presentThroughDxgi(const DisplayWindow& record, int width, int height);
// The swap chains and the device go before the process ends: under Wine,
// ending with them still alive crashed the process's end now and then.
void releaseDxgiPresentation();

// For the check: measureRamps' afterDrawing step of a DXGI window (record is
// its DisplayWindow), which copies the ramp into the back buffer and counts
// the levels read back from there; and what the window's swap chain is.
void readBackBufferRamp(RampMeasurement& ramp, void* record);
void describeSwapChain(const DisplayWindow& record, SwapChainFacts& facts);

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the 10-bit window, then the 8-bit one if it exists, before returning.
void refreshBoth();

}  // namespace win32
