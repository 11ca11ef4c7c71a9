// Key F on Win32: the split view on one borderless window over the monitor
// that holds the 10-bit window. The window is made on the first entry and
// kept, hidden, between entries (destroying a shown window is slow under
// Wine). The two windows stay where they are underneath, unpainted (hiding
// and showing them again costs Wine seconds too); their placements are given
// back on the way out, in case a display mode of its own moved them.
#include <cstdio>

#include "app/facts.h"
#include "render/frame_setup.h"
#include "render/level_count.h"
#include "render/split_view.h"
#include "viewer/viewer_state.h"
#include "windows/win32_front_end.h"

namespace win32 {

namespace {

RECT monitorOfWindow10() {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window10.hwnd, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcMonitor;
}

// With WGL the window takes the 10-bit window's own pixel format, so the
// 10-bit window's context draws on it as it is.
bool takeWindow10Format(HWND hwnd, HDC& dc) {
  dc = GetDC(hwnd);
  const int format = GetPixelFormat(window10.gl.dc);
  PIXELFORMATDESCRIPTOR descriptor = {};
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = 1;
  if (dc == nullptr || format == 0 ||
      DescribePixelFormat(dc, format, sizeof descriptor, &descriptor) == 0 ||
      !SetPixelFormat(dc, format, &descriptor)) {
    printf("ERROR: Unable to set the pixelformat for the '%s' window!\n", fullScreenTitle);
    if (dc != nullptr) ReleaseDC(hwnd, dc);
    return false;
  }
  bool tenBits = false;
  if (wglMakeCurrent(dc, window10.gl.context)) {
    const ContextColour colour = currentContextColour();
    tenBits = colour.redBits == 10 && colour.greenBits == 10 && colour.blueBits == 10;
    wglMakeCurrent(dc, nullptr);
  }
  if (!tenBits)
    printf("ERROR: Unable to draw with the 10-bit context on the '%s' window!\n", fullScreenTitle);
  // The class gives the window its own device context: it stays valid.
  ReleaseDC(hwnd, dc);
  return tenBits;
}

bool createFullScreenWindow(const RECT& area) {
  HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, windowClassName, fullScreenTitle, WS_POPUP, area.left,
                              area.top, area.right - area.left, area.bottom - area.top, nullptr,
                              nullptr, nullptr, nullptr);
  if (hwnd == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", fullScreenTitle);
    return false;
  }
  DisplayWindow record;
  const bool made = window10.dxgi != nullptr ? createDxgiFullScreen(hwnd, record)
                                             : takeWindow10Format(hwnd, record.gl.dc);
  if (!made) {
    DestroyWindow(hwnd);
    return false;
  }
  // Either way the 10-bit window's context draws: with DXGI on the hidden
  // window's device context that it was made for.
  record.hwnd = hwnd;
  record.gl.context = window10.gl.context;
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(frontEnd.bigIcon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frontEnd.smallIcon));
  fullScreen = record;
  return true;
}

void savePlacement(HWND hwnd, WINDOWPLACEMENT& placement) {
  placement = {};
  placement.length = sizeof placement;
  if (hwnd != nullptr) GetWindowPlacement(hwnd, &placement);
}

// Back at the place, size and state (normal, minimised, maximised) it had,
// where anything moved it.
void restorePlacement(HWND hwnd, const WINDOWPLACEMENT& saved) {
  WINDOWPLACEMENT now = {};
  now.length = sizeof now;
  if (hwnd == nullptr || !GetWindowPlacement(hwnd, &now)) return;
  if (now.showCmd != saved.showCmd || !EqualRect(&now.rcNormalPosition, &saved.rcNormalPosition))
    SetWindowPlacement(hwnd, &saved);
}

}  // namespace

bool inFullScreen() {
  return frontEnd.fullScreenShown;
}

bool enterFullScreen() {
  if (frontEnd.fullScreenShown || window10.hwnd == nullptr) return frontEnd.fullScreenShown;
  const RECT area = monitorOfWindow10();
  if (fullScreen.hwnd == nullptr && !createFullScreenWindow(area)) return false;
  splitViewEntryPoint = wglEntryPoint;
  savePlacement(window10.hwnd, frontEnd.placement10);
  savePlacement(window8.hwnd, frontEnd.placement8);
  SetWindowPos(fullScreen.hwnd, HWND_TOPMOST, area.left, area.top, area.right - area.left,
               area.bottom - area.top, SWP_SHOWWINDOW);
  frontEnd.fullScreenShown = true;
  SetForegroundWindow(fullScreen.hwnd);
  SetFocus(fullScreen.hwnd);
  frontEnd.fullScreenExclusive = fullScreen.dxgi != nullptr && takeExclusiveFullScreen(fullScreen);
  refreshBoth();
  return true;
}

void leaveFullScreen() {
  if (!frontEnd.fullScreenShown) return;
  frontEnd.fullScreenShown = false;
  // The blind test ends where full screen is taken from it (a lost focus):
  // the two windows would tell which picture is which.
  if (viewerState.blindTestRunning) PostQuitMessage(0);
  // The display mode goes back before anything else changes.
  if (frontEnd.fullScreenExclusive) giveUpExclusiveFullScreen(fullScreen);
  frontEnd.fullScreenExclusive = false;
  // The 10-bit context goes on without the split view's framebuffer object.
  wglMakeCurrent(fullScreen.gl.dc, fullScreen.gl.context);
  releaseSplitViewFramebuffer();
  wglMakeCurrent(fullScreen.gl.dc, nullptr);
  // Not topmost while hidden; the next entry makes it so again.
  SetWindowPos(fullScreen.hwnd, HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  restorePlacement(window10.hwnd, frontEnd.placement10);
  restorePlacement(window8.hwnd, frontEnd.placement8);
  if (frontEnd.placement8.showCmd != SW_SHOWMINIMIZED) SetForegroundWindow(window8.hwnd);
  refreshBoth();
}

void toggleFullScreen() {
  if (frontEnd.fullScreenShown) {
    leaveFullScreen();
  } else {
    enterFullScreen();
  }
}

Presentation currentPresentation() {
  if (!frontEnd.fullScreenShown) return Presentation::TwoWindows;
  return frontEnd.fullScreenExclusive && holdsExclusiveFullScreen(fullScreen)
             ? Presentation::FullScreenExclusive
             : Presentation::FullScreenBorderlessWindow;
}

void paintFullScreen() {
  RECT client = {};
  GetClientRect(fullScreen.hwnd, &client);
  if (fullScreen.dxgi != nullptr) {
    // Occluded, or out of exclusive full screen behind the program's back
    // (the system took the screen for another program): back to two windows.
    const bool kept = presentThroughDxgi(fullScreen, client.right, client.bottom);
    if (frontEnd.fullScreenExclusive && (!kept || !holdsExclusiveFullScreen(fullScreen)))
      PostMessageA(fullScreen.hwnd, leaveFullScreenMessage, 0, 0);
    return;
  }
  wglMakeCurrent(fullScreen.gl.dc, fullScreen.gl.context);
  renderSplitView(client.right, client.bottom);
  SwapBuffers(fullScreen.gl.dc);
  wglMakeCurrent(fullScreen.gl.dc, nullptr);
}

}  // namespace win32
