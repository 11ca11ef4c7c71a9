// Start-up and message loop on Win32: the platform steps of the shared
// start-up order, with the window class, the icons, WGL list sharing and the
// glyph outlines of the bold "Arial" font; the windows come from WGL pixel
// formats, or with --dxgi present through DXGI swap chains.
#include <cstdio>
#include <vector>

#include "app/facts.h"
#include "app/startup.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "windows/win32_front_end.h"

namespace win32 {

namespace {

const int iconResource = 101;

HICON loadIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconResource),
                                       IMAGE_ICON, GetSystemMetrics(widthMetric),
                                       GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR));
}

bool registerClassAndLoadIcons() {
  if (!registerWindowClass(windowClassName)) return false;
  // Missing icons only leave the windows with the default one.
  frontEnd.bigIcon = loadIcon(SM_CXICON, SM_CYICON);
  frontEnd.smallIcon = loadIcon(SM_CXSMICON, SM_CYSMICON);
  return true;
}

DisplayWindow& displayWindow(WhichWindow which) {
  return frontEnd.windows[static_cast<int>(which)];
}

bool createWindow(WhichWindow which) {
  if (which == WhichWindow::TenBit) return createDeepColourWindow(windowClassName) != nullptr;
  window8.hwnd = createStandardWindow(windowClassName, title8, StandardWindowRole::Window8,
                                      window8.gl.dc, window8.gl.context);
  return window8.hwnd != nullptr;
}

void shareLists() {
  wglShareLists(window10.gl.context, window8.gl.context);
}

// The 8-bit window's context joins the 10-bit one's lists as it is made,
// before its framebuffer object needs it current. Every failure of the DXGI
// path leaves its line readable for a while, the 8-bit window's too.
bool createDxgiDisplayWindow(WhichWindow which) {
  const bool tenBit = which == WhichWindow::TenBit;
  if (createDxgiWindow(windowClassName, tenBit, tenBit ? nullptr : window10.gl.context,
                       displayWindow(which)) != nullptr)
    return true;
  if (!tenBit) {
    fflush(stdout);
    Sleep(5000);
  }
  return false;
}

void makeCurrent(WhichWindow which) {
  const DisplayWindow& record = displayWindow(which);
  wglMakeCurrent(record.gl.dc, record.gl.context);
}

void showWindow(WhichWindow which) {
  const HWND hwnd = displayWindow(which).hwnd;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
}

// Characters 0..254 as extruded polygons of em height 1; list 255 is
// allocated but stays empty. The font is only needed while the lists are
// built. Without it the logo is simply absent, and no list stays behind.
void buildGlyphLists() {
  std::vector<GLYPHMETRICSFLOAT> glyphMetrics(256);
  glyphListBase = glGenLists(256);
  HFONT font =
      CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
  bool built = false;
  if (font != nullptr) {
    HGDIOBJ previous = SelectObject(window8.gl.dc, font);
    built = wglUseFontOutlinesA(window8.gl.dc, 0, 255, glyphListBase, 0.0f, 0.1f, WGL_FONT_POLYGONS,
                                glyphMetrics.data()) != FALSE;
    SelectObject(window8.gl.dc, previous);
    DeleteObject(font);
  }
  if (!built) {
    printf("%s", logoFontMissingNote);
    glDeleteLists(glyphListBase, 256);
    glyphListBase = 0;
  }
}

// Delivered to the 10-bit window, whose procedure refreshes both.
void startTimer() {
  SetTimer(window10.hwnd, refreshTimerId, refreshPeriodMs, nullptr);
}

// GetMessage answers -1 only for a bad window handle or message pointer,
// neither of which this loop passes; yet Wine answers it once for the first
// call after DXGI swap chains are made (error 87). A lone -1 is passed over;
// a run of them ends the loop as a real failure would.
void runMessageLoop() {
  MSG msg;
  int failuresInARow = 0;
  while (true) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) break;
    if (got == -1) {
      if (++failuresInARow >= 10) break;
      continue;
    }
    failuresInARow = 0;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void sleepMilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
}

}  // namespace

int runApplication(const StartOptions& options) {
  const bool throughDxgi = options.dxgi;
  const StartupSteps win32Steps = {registerClassAndLoadIcons,
                                   throughDxgi ? createDxgiDisplayWindow : createWindow,
                                   makeCurrent,
                                   initContextState,
                                   showWindow,
                                   throughDxgi ? nullptr : shareLists,
                                   buildGlyphLists,
                                   nullptr,
                                   startTimer,
                                   runMessageLoop,
                                   reportDisplayChain,
                                   sleepMilliseconds,
                                   enterFullScreen,
                                   nullptr};
  const int status = runStartup(win32Steps, options);
  if (throughDxgi) releaseDxgiPresentation();
  return status;
}

}  // namespace win32
