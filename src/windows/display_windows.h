// The program's display windows on Win32: the records of the 10-bit and the
// 8-bit window, the window class they share, the two ways of creating a
// window with an OpenGL context, and the one window procedure.
#pragma once

#include "render/gl_headers.h"

// One display window's handles. A null hwnd means the window does not exist
// (yet); the window procedure paints only windows recorded here.
struct DisplayWindow {
  HWND hwnd = nullptr;
  HDC hdc = nullptr;  // own device context, valid for the window's life
  HGLRC hglrc = nullptr;
};

extern DisplayWindow window10;  // right: 10-10-10-2 through WGL_ARB_pixel_format
extern DisplayWindow window8;   // left: classic 24-bit format

// Attached to every window created here; loaded by start-up before any window.
extern HICON bigIcon;
extern HICON smallIcon;

// Returns 1 on success, 0 (after printing why) on failure.
int registerWindowClass(const char* className);

// A 400 by 400 window at (0, 0) with a classic pixel format and an OpenGL
// context (not current, window not shown). want24BitColour is true for the
// 8-bit display window and false for the probe, which must be accelerated.
// Returns null after printing why and undoing what it created.
HWND createStandardWindow(const char* className, const char* title, bool want24BitColour,
                          HDC& outDc, HGLRC& outContext);

// The 10-bit window at (400, 0), its format chosen through a hidden probe
// window's context. On success window10 is filled and its context is current
// and initialised; on failure window10 is all null and nothing is current.
HWND createDeepColourWindow(const char* className);

// Where createDeepColourWindow fetches the driver's extension entry points:
// wglGetProcAddress, unless a test plays a driver that this machine lacks.
extern PROC(WINAPI* wglEntryPointLookup)(LPCSTR name);

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Paints the 10-bit window, then the 8-bit one if it exists, before returning.
void refreshBoth();
