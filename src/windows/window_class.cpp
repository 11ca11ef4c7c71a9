// The window class shared by the probe and both display windows, and the
// classic-format window used for the 8-bit window and the probe.
#include <cstdio>

#include "app/facts.h"
#include "windows/win32_front_end.h"

namespace win32 {

HICON bigIcon = nullptr;
HICON smallIcon = nullptr;

int registerWindowClass(const char* className) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  // Each window keeps one device context for its whole life, so the records
  // can hold it and ReleaseDC after a paint leaves it valid.
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  if (RegisterClassExA(&windowClass) == 0) {
    printf("ERROR: Unable to register the OpenGL window class!\n");
    return 0;
  }
  return 1;
}

HWND createStandardWindow(const char* className, const char* title, StandardWindowRole role,
                          HDC& outDc, HGLRC& outContext) {
  // The probe takes the 8-bit window's place too; it is never shown.
  HWND window = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, window8Left, window8Top,
                                windowSize, windowSize, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", title);
    return nullptr;
  }

  HDC dc = GetDC(window);
  outDc = dc;
  if (dc == nullptr) {
    printf("ERROR: Unable to get DC for the '%s' window DC!\n", title);
    DestroyWindow(window);
    return nullptr;
  }

  PIXELFORMATDESCRIPTOR request = {};
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  if (role == StandardWindowRole::Window8) {
    request.cColorBits = 24;
    // The scene needs the depth test to keep rear faces behind front ones.
    request.cDepthBits = 24;
  }
  const int format = ChoosePixelFormat(dc, &request);
  if (format == 0) {
    ReleaseDC(window, dc);
    DestroyWindow(window);
    printf("ERROR: Couldn't create the pixelformat for the '%s' window!\n", title);
    return nullptr;
  }
  DescribePixelFormat(dc, format, sizeof request, &request);

  // The probe exists to reach the driver's extensions, which a generic
  // (software) format does not offer; the 8-bit window takes what it gets.
  if (role == StandardWindowRole::Probe && (request.dwFlags & PFD_GENERIC_FORMAT) != 0) {
    printf("ERROR: Pixelformat %d is not hw accelerated, unable to get one for the '%s' window!\n",
           format, title);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return nullptr;
  }
  SetPixelFormat(dc, format, &request);

  HGLRC context = wglCreateContext(dc);
  outContext = context;
  if (context == nullptr) {
    printf("ERROR: Unable to create the GL rendering context for the '%s' window!\n", title);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    return nullptr;
  }

  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  return window;
}

}  // namespace win32
