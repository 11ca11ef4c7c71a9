// The one window procedure of the class: paints the display windows, turns
// keys and mouse buttons into viewer commands, keeps the 10-bit window the
// size of the 8-bit one (never larger than the contexts can draw), and ends
// the program on Escape or close.
#include <climits>
#include <initializer_list>

#include "app/blind_test.h"
#include "app/facts.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "viewer/key_commands.h"
#include "viewer/size_rule.h"
#include "viewer/viewer_state.h"
#include "windows/win32_front_end.h"

namespace win32 {

FrontEnd frontEnd;

namespace {

// Virtual-key codes, so letters act with or without Shift or Caps Lock; the
// digits are those of the main keyboard row.
ViewerKey viewerKeyFromVirtualKey(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_ESCAPE:
      return ViewerKey::Escape;
    case VK_SPACE:
      return ViewerKey::Space;
    case '1':
      return ViewerKey::MainLight;
    case '2':
      return ViewerKey::SideLight;
    case 'B':
      return ViewerKey::Shade;
    case 'C':
      return ViewerKey::RampColour;
    case 'N':
      return ViewerKey::Logo;
    case 'P':
      return ViewerKey::Pause;
    case 'I':
      return ViewerKey::Report;
    case 'F':
      return ViewerKey::FullScreen;
    case VK_LEFT:
      return ViewerKey::Left;
    case VK_RIGHT:
      return ViewerKey::Right;
    default:
      return ViewerKey::Other;
  }
}

void quit() {
  PostQuitMessage(0);
}

// A light switch applies to both contexts, the 10-bit one first; the 8-bit
// context stays current afterwards, and the next paint makes its own current.
void switchLight(Light light, bool on) {
  for (const DisplayWindow& record : frontEnd.windows) {
    if (record.gl.context == nullptr) continue;
    wglMakeCurrent(record.gl.dc, record.gl.context);
    switchLightInCurrentContext(light, on);
  }
}

const FrontEndActions win32Actions = {
    quit, switchLight, refreshBoth, printReportAndRepaint, toggleFullScreen, pickBlindHalf};

void paint(HWND hwnd) {
  if (hwnd == fullScreen.hwnd) {
    if (inFullScreen()) paintFullScreen();
    ValidateRect(hwnd, nullptr);
    return;
  }
  RECT client;
  GetClientRect(hwnd, &client);
  const DisplayWindow* record = nullptr;
  if (hwnd == window10.hwnd) {
    record = &window10;
  } else if (hwnd == window8.hwnd) {
    record = &window8;
  }
  // Any other window of the class (the probe) is never drawn.
  if (record != nullptr && record->dxgi != nullptr) {
    presentThroughDxgi(*record, client.right, client.bottom);
  } else if (record != nullptr) {
    wglMakeCurrent(record->gl.dc, record->gl.context);
    renderFrame(client.right, client.bottom);
    SwapBuffers(record->gl.dc);
    // No context stays current between messages.
    wglMakeCurrent(record->gl.dc, nullptr);
    ReleaseDC(hwnd, record->gl.dc);  // the own-DC class keeps it valid
  }
  ValidateRect(hwnd, nullptr);
}

// The largest client area the 10-bit context can draw, asked once its context
// exists; until then nothing is known and nothing is limited.
bool drawableLimit(int& maxWidth, int& maxHeight) {
  if (frontEnd.drawableWidth == 0 && window10.gl.context != nullptr) {
    HDC previousDc = wglGetCurrentDC();
    HGLRC previousContext = wglGetCurrentContext();
    wglMakeCurrent(window10.gl.dc, window10.gl.context);
    largestDrawableSize(frontEnd.drawableWidth, frontEnd.drawableHeight);
    wglMakeCurrent(previousDc, previousContext);
  }
  maxWidth = frontEnd.drawableWidth;
  maxHeight = frontEnd.drawableHeight;
  return frontEnd.drawableWidth > 0 && frontEnd.drawableHeight > 0;
}

// How much larger the window's outer rectangle is than its client area.
SIZE frameSize(HWND hwnd) {
  RECT outer, client;
  GetWindowRect(hwnd, &outer);
  GetClientRect(hwnd, &client);
  return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
}

// Neither display window may grow beyond what its context can draw, whether
// a person drags its edge, maximises it or the size rule resizes it.
void limitTracking(HWND hwnd, MINMAXINFO& info) {
  int maxWidth = 0, maxHeight = 0;
  if ((hwnd != window10.hwnd && hwnd != window8.hwnd) || !drawableLimit(maxWidth, maxHeight))
    return;
  const SIZE frame = frameSize(hwnd);
  const LONG outerWidth = maxWidth + frame.cx, outerHeight = maxHeight + frame.cy;
  if (info.ptMaxTrackSize.x > outerWidth) info.ptMaxTrackSize.x = outerWidth;
  if (info.ptMaxTrackSize.y > outerHeight) info.ptMaxTrackSize.y = outerHeight;
  if (info.ptMaxSize.x > outerWidth) info.ptMaxSize.x = outerWidth;
  if (info.ptMaxSize.y > outerHeight) info.ptMaxSize.y = outerHeight;
}

// Any other size change (a window manager's, under Wine; a program's
// SetWindowPos) keeps to the same limit.
void limitNewSize(HWND hwnd, WINDOWPOS& position) {
  if ((position.flags & SWP_NOSIZE) != 0) return;
  MINMAXINFO limits = {};
  limits.ptMaxTrackSize = {LONG_MAX, LONG_MAX};
  limits.ptMaxSize = limits.ptMaxTrackSize;
  limitTracking(hwnd, limits);
  if (position.cx > limits.ptMaxTrackSize.x) position.cx = limits.ptMaxTrackSize.x;
  if (position.cy > limits.ptMaxTrackSize.y) position.cy = limits.ptMaxTrackSize.y;
}

// Where the 10-bit window stands when shown normally, in screen coordinates,
// and the work area of its monitor. A minimised window's own rectangle is
// its icon's, so its restored place is asked instead (given in workspace
// coordinates, which start at the work area's corner).
void normalPlaceOf10(RECT& normal, RECT& workArea) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  GetWindowPlacement(window10.hwnd, &placement);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST), &monitor);
  workArea = monitor.rcWork;
  if (IsIconic(window10.hwnd)) {
    normal = placement.rcNormalPosition;
    OffsetRect(&normal, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  } else {
    GetWindowRect(window10.hwnd, &normal);
  }
}

// Moves the 10-bit window; a minimised one gets its restored place and size
// and stays minimised.
void placeWindow10(const WindowBox& box, const RECT& workArea) {
  if (!IsIconic(window10.hwnd)) {
    MoveWindow(window10.hwnd, box.left, box.top, box.width, box.height, TRUE);
    return;
  }
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  GetWindowPlacement(window10.hwnd, &placement);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromRect(&workArea, MONITOR_DEFAULTTONEAREST), &monitor);
  placement.rcNormalPosition = {box.left, box.top, box.left + box.width, box.top + box.height};
  OffsetRect(&placement.rcNormalPosition, monitor.rcMonitor.left - monitor.rcWork.left,
             monitor.rcMonitor.top - monitor.rcWork.top);
  placement.showCmd = SW_SHOWMINNOACTIVE;
  SetWindowPlacement(window10.hwnd, &placement);
}

WindowBox boxOf(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Resizing the 8-bit window gives the 10-bit window the same outer size at
// its own place, on its monitor's work area; the rule runs one way only.
void followSize(HWND hwnd, WPARAM sizeType) {
  if (hwnd != window8.hwnd || window8.hwnd == nullptr || window10.hwnd == nullptr) return;
  // A window manager's shaded window is an iconic one to Wine, as it should be.
  Window8Shape shape = Window8Shape::Normal;
  if (sizeType == SIZE_MINIMIZED || IsIconic(window8.hwnd)) {
    shape = Window8Shape::Minimised;
  } else if (sizeType == SIZE_MAXIMIZED || IsZoomed(window8.hwnd)) {
    shape = Window8Shape::Maximised;
  }
  RECT r8, r10, workArea, client8;
  GetWindowRect(window8.hwnd, &r8);
  normalPlaceOf10(r10, workArea);
  GetClientRect(window8.hwnd, &client8);
  if (client8.right <= 0 || client8.bottom <= 0) shape = Window8Shape::Minimised;
  int maxWidth = 0, maxHeight = 0;
  LONG maxOuterWidth = LONG_MAX, maxOuterHeight = LONG_MAX;
  if (drawableLimit(maxWidth, maxHeight)) {
    // Both windows have the same frame; a minimised one has none to measure.
    const SIZE frame = frameSize(IsIconic(window10.hwnd) ? window8.hwnd : window10.hwnd);
    maxOuterWidth = maxWidth + frame.cx;
    maxOuterHeight = maxHeight + frame.cy;
  }
  WindowBox target;
  if (!window10FollowingWindow8(boxOf(r8), shape, boxOf(r10), static_cast<int>(maxOuterWidth),
                                static_cast<int>(maxOuterHeight), boxOf(workArea),
                                frontEnd.window10Place, target))
    return;
  placeWindow10(target, workArea);
}

}  // namespace

void refreshBoth() {
  // In full screen the split view shows both; the windows underneath are
  // covered and not painted.
  if (inFullScreen()) {
    InvalidateRect(fullScreen.hwnd, nullptr, FALSE);
    UpdateWindow(fullScreen.hwnd);
    return;
  }
  // The 10-bit window is painted first; UpdateWindow paints at once, so both
  // frames are drawn before this returns.
  InvalidateRect(window10.hwnd, nullptr, FALSE);
  UpdateWindow(window10.hwnd);
  if (window8.hwnd != nullptr) {
    InvalidateRect(window8.hwnd, nullptr, FALSE);
    UpdateWindow(window8.hwnd);
  }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint(hwnd);
      return 0;
    case WM_ACTIVATE:
      // Another program took the focus (Alt+Tab): full screen gives way.
      if (hwnd == fullScreen.hwnd && LOWORD(wParam) == WA_INACTIVE && inFullScreen())
        PostMessageA(hwnd, leaveFullScreenMessage, 0, 0);
      break;
    case leaveFullScreenMessage:
      leaveFullScreen();
      return 0;
    case WM_CLOSE:
      // The window stays; the message loop ends and the process exits.
      PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      if (handleViewerKey(viewerKeyFromVirtualKey(wParam), win32Actions)) return 0;
      break;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      followSize(hwnd, wParam);
      break;
    case WM_GETMINMAXINFO:
      limitTracking(hwnd, *reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_WINDOWPOSCHANGING:
      limitNewSize(hwnd, *reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    case WM_TIMER:
      if (!viewerState.paused && wParam == refreshTimerId) refreshBoth();
      break;
    case WM_MOUSEMOVE:
      if (viewerState.dragging) refreshBoth();
      return 0;
    case WM_LBUTTONDOWN:
      // Capture, so that a release outside both windows still ends the drag.
      beginDrag();
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP:
      endDrag();
      ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      // Capture taken away (another window, a system dialog): the drag is over.
      endDrag();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace win32
