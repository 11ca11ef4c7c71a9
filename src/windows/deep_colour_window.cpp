// The 10-bit window, the reason the program exists. Its pixel format comes
// from WGL_ARB_pixel_format, whose entry points can only be fetched while
// some accelerated context is current: a hidden probe window supplies that
// context and is destroyed once the real window exists.
#include <cstdio>

#include "app/facts.h"
#include "render/frame_setup.h"
#include "windows/win32_front_end.h"
// After the GL types it relies on.
#include <GL/wglext.h>

#include "windows/extension_list.h"

namespace win32 {

DisplayWindow window10;
PROC(WINAPI* wglEntryPointLookup)(LPCSTR name) = wglGetProcAddress;

namespace {

template <typename Function>
Function fetchEntryPoint(const char* name) {
  // Through a plain function pointer type, which any other may be cast to.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglEntryPointLookup(name)));
}

// With the probe context current: returns the number of a 10-10-10-2
// accelerated, double-buffered window format, or 0 after printing why not.
int chooseDeepColourFormat(HDC probeDc) {
  auto getExtensionsString =
      fetchEntryPoint<PFNWGLGETEXTENSIONSSTRINGARBPROC>("wglGetExtensionsStringARB");
  if (getExtensionsString == nullptr) {
    printf("ERROR: Unable to get wglGetExtensionsStringARB function pointer!\n");
    return 0;
  }
  // The name may stand anywhere in the list, first and last included; a
  // driver that returns no list at all supports nothing.
  if (!extensionListHas(getExtensionsString(probeDc), "WGL_ARB_pixel_format")) {
    printf("%s", noPixelFormatExtensionLine);
    return 0;
  }

  auto getAttribiv =
      fetchEntryPoint<PFNWGLGETPIXELFORMATATTRIBIVARBPROC>("wglGetPixelFormatAttribivARB");
  auto getAttribfv =
      fetchEntryPoint<PFNWGLGETPIXELFORMATATTRIBFVARBPROC>("wglGetPixelFormatAttribfvARB");
  auto choosePixelFormat =
      fetchEntryPoint<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
  if (getAttribiv == nullptr || getAttribfv == nullptr || choosePixelFormat == nullptr) {
    printf("%s", noPixelFormatExtensionLine);
    return 0;
  }

  // OpenGL support and a depth buffer are asked for as well: a format without
  // the first cannot carry a context, and the scene relies on the depth test.
  const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB,
                            1,
                            WGL_ACCELERATION_ARB,
                            WGL_FULL_ACCELERATION_ARB,
                            WGL_RED_BITS_ARB,
                            10,
                            WGL_GREEN_BITS_ARB,
                            10,
                            WGL_BLUE_BITS_ARB,
                            10,
                            WGL_ALPHA_BITS_ARB,
                            2,
                            WGL_DOUBLE_BUFFER_ARB,
                            1,
                            WGL_SUPPORT_OPENGL_ARB,
                            1,
                            WGL_DEPTH_BITS_ARB,
                            24,
                            0,
                            0};
  int format = 0;
  UINT count = 0;
  if (!choosePixelFormat(probeDc, attributes, nullptr, 1, &format, &count)) {
    printf("ERROR: wglChoosePixelFormat failed!\n");
    return 0;
  }
  if (count == 0) {
    printf("%s", noTenBitFormatLine);
    return 0;
  }
  return format;
}

// Creates the window with the chosen format, recording each handle in
// window10 as it arrives. On failure it undoes its own work and returns false.
bool createWindowWithFormat(const char* className, int format) {
  window10.hwnd =
      CreateWindowExA(0, className, title10, WS_OVERLAPPEDWINDOW, window10Left, window10Top,
                      windowSize, windowSize, nullptr, nullptr, nullptr, nullptr);
  if (window10.hwnd == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", title10);
    return false;
  }
  window10.hdc = GetDC(window10.hwnd);
  if (window10.hdc == nullptr) {
    printf("ERROR: Unable to get the '%s' window DC!\n", title10);
    DestroyWindow(window10.hwnd);
    return false;
  }

  PIXELFORMATDESCRIPTOR descriptor = {};
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = 1;
  DescribePixelFormat(window10.hdc, format, sizeof descriptor, &descriptor);
  SetPixelFormat(window10.hdc, format, &descriptor);

  window10.hglrc = wglCreateContext(window10.hdc);
  if (window10.hglrc == nullptr) {
    printf("ERROR: Unable to create the GL rendering context for the '%s' window!\n", title10);
    ReleaseDC(window10.hwnd, window10.hdc);
    DestroyWindow(window10.hwnd);
    return false;
  }

  // The class gives the window its own device context, so releasing it here
  // leaves window10.hdc valid for every later paint.
  ReleaseDC(window10.hwnd, window10.hdc);
  SendMessageA(window10.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  SendMessageA(window10.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  return true;
}

}  // namespace

HWND createDeepColourWindow(const char* className) {
  HDC probeDc = nullptr;
  HGLRC probeContext = nullptr;
  HWND probe =
      createStandardWindow(className, "Dummy", StandardWindowRole::Probe, probeDc, probeContext);
  if (probe == nullptr) return nullptr;

  // Every extension call runs under the probe's context.
  wglMakeCurrent(probeDc, probeContext);
  const int format = chooseDeepColourFormat(probeDc);
  const bool created = format != 0 && createWindowWithFormat(className, format);

  wglMakeCurrent(probeDc, nullptr);
  wglDeleteContext(probeContext);
  ReleaseDC(probe, probeDc);
  DestroyWindow(probe);

  if (!created) {
    window10 = DisplayWindow{};
    return nullptr;
  }
  wglMakeCurrent(window10.hdc, window10.hglrc);
  initContextState();
  return window10.hwnd;
}

}  // namespace win32
