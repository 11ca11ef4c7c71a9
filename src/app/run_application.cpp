// Start-up and message loop. The 10-bit window comes first, because the
// program exists to show it and gives up when it cannot be had; the display
// lists are shared before either context creates one, and the logo's glyph
// lists are then built once in that shared space for both windows.
#include "app/run_application.h"

#include <cstdio>

#include "render/frame_setup.h"
#include "render/scene.h"
#include "windows/display_windows.h"

namespace {

const char windowClassName[] = "OpenGLWindowClass";
const int iconResource = 101;
const UINT refreshTimer = 0;
const UINT refreshPeriodMs = 16;

// Glyph outlines of characters 0..254 as extruded polygons, em height 1;
// list 255 is allocated but stays empty.
void buildGlyphLists(HDC dc) {
  static GLYPHMETRICSFLOAT glyphMetrics[256];
  glyphListBase = glGenLists(256);
  HFONT font =
      CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  SelectObject(dc, font);
  wglUseFontOutlinesA(dc, 0, 255, glyphListBase, 0.0f, 0.1f, WGL_FONT_POLYGONS, glyphMetrics);
}

HICON loadIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconResource),
                                       IMAGE_ICON, GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

}  // namespace

int runApplication() {
  printf("Lumivane DisplayPort 10 bit video test application\nVersion 101015\n");
  printf(
      "Usage: \n"
      "  Press 'b' key to change background shade.\n"
      "  Press 'p' key to pause rotation.\n"
      "  Press 'n' key to toggle logo.\n"
      "  Press '1' key to toggle main lighting.\n"
      "  Press '2' key to toggle side lighting.\n");

  // A failure to start is never reported as success.
  if (!registerWindowClass(windowClassName)) return -1;

  bigIcon = loadIcon(SM_CXICON, SM_CYICON);
  smallIcon = loadIcon(SM_CXSMICON, SM_CYSMICON);

  if (createDeepColourWindow(windowClassName) == nullptr) {
    // Leave the console line readable before the console goes away.
    Sleep(5000);
    return -1;
  }
  ShowWindow(window10.hwnd, SW_SHOW);
  UpdateWindow(window10.hwnd);

  window8.hwnd = createStandardWindow(windowClassName, "Lumivane - Display Port 8 bit video", true,
                                      window8.hdc, window8.hglrc);
  if (window8.hwnd == nullptr) return -1;

  // The 8-bit context takes over the 10-bit context's list space while
  // neither has created a list yet, and before the 8-bit context has ever
  // been current: some WGL implementations (Wine's among them) can only
  // share into a context that has never been used.
  wglShareLists(window10.hglrc, window8.hglrc);
  wglMakeCurrent(window8.hdc, window8.hglrc);
  initContextState();
  ShowWindow(window8.hwnd, SW_SHOW);
  UpdateWindow(window8.hwnd);

  wglMakeCurrent(window8.hdc, window8.hglrc);
  buildGlyphLists(window8.hdc);

  SetTimer(window10.hwnd, refreshTimer, refreshPeriodMs, nullptr);

  MSG msg;
  while (true) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
