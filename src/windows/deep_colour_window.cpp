// The 10-bit window, the reason the program exists. Its pixel format comes
// from WGL_ARB_pixel_format, whose entry points can only be fetched while
// some accelerated context is current: a hidden probe window supplies that
// context and is destroyed once the real window exists.
#include <cstdio>
#include <vector>

#include "app/facts.h"
#include "app/pixel_format_choice.h"
#include "render/extension_list.h"
#include "render/level_count.h"
#include "windows/win32_front_end.h"

namespace win32 {

PROC(WINAPI* wglEntryPointLookup)(LPCSTR name) = wglGetProcAddress;

GlFunction wglEntryPoint(const char* name) {
  return reinterpret_cast<GlFunction>(wglEntryPointLookup(name));
}

namespace {

template <typename Function>
Function fetchEntryPoint(const char* name) {
  // Through the plain function pointer type, which any other may be cast to.
  return reinterpret_cast<Function>(wglEntryPoint(name));
}

// Formats a driver may list for the 10-bit request; Wine lists a few dozen.
constexpr UINT maxListedFormats = 1024;

// The attributes that describe a listed format, in the order read below.
const int describedAttributes[] = {
    WGL_RED_BITS_ARB,   WGL_GREEN_BITS_ARB,     WGL_BLUE_BITS_ARB,      WGL_ALPHA_BITS_ARB,
    WGL_DEPTH_BITS_ARB, WGL_DRAW_TO_WINDOW_ARB, WGL_SUPPORT_OPENGL_ARB, WGL_DOUBLE_BUFFER_ARB,
    WGL_PIXEL_TYPE_ARB, WGL_ACCELERATION_ARB};
constexpr UINT describedCount = sizeof describedAttributes / sizeof describedAttributes[0];

// False when the driver cannot describe the format; it is then passed over.
bool describeFormat(PFNWGLGETPIXELFORMATATTRIBIVARBPROC getAttribiv, HDC dc, int format,
                    PixelFormatCandidate& candidate) {
  int values[describedCount] = {};
  if (!getAttribiv(dc, format, 0, describedCount, describedAttributes, values)) return false;
  candidate.redBits = values[0];
  candidate.greenBits = values[1];
  candidate.blueBits = values[2];
  candidate.alphaBits = values[3];
  candidate.depthBits = values[4];
  candidate.drawsToWindow = values[5] != 0 && values[6] != 0;
  candidate.doubleBuffered = values[7] != 0;
  candidate.rgba = values[8] == WGL_TYPE_RGBA_ARB;
  candidate.accelerated = values[9] == WGL_FULL_ACCELERATION_ARB;
  return true;
}

// With the probe context current: returns the number of a 10-10-10-2
// accelerated, double-buffered window format, described in `chosen`, or 0
// after printing why not.
int chooseDeepColourFormat(HDC probeDc, PixelFormatCandidate& chosen) {
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
  auto choosePixelFormatArb =
      fetchEntryPoint<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
  if (getAttribiv == nullptr || getAttribfv == nullptr || choosePixelFormatArb == nullptr) {
    printf("%s", noPixelFormatExtensionLine);
    return 0;
  }

  // Sizes here are minimums, and drivers list deeper formats first: every
  // listed format is described and the exact one chosen. OpenGL support and
  // a depth buffer are asked for as well: a format without the first cannot
  // carry a context, and the scene relies on the depth test.
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
  std::vector<int> formats(maxListedFormats);
  UINT count = 0;
  if (!choosePixelFormatArb(probeDc, attributes, nullptr, maxListedFormats, formats.data(),
                            &count)) {
    printf("ERROR: wglChoosePixelFormat failed!\n");
    return 0;
  }
  if (count > maxListedFormats) count = maxListedFormats;
  std::vector<PixelFormatCandidate> candidates;
  std::vector<int> numbers;
  for (UINT i = 0; i < count; ++i) {
    PixelFormatCandidate candidate;
    if (!describeFormat(getAttribiv, probeDc, formats[i], candidate)) continue;
    candidates.push_back(candidate);
    numbers.push_back(formats[i]);
  }
  const int index = choosePixelFormat(candidates, tenBitColour);
  if (index < 0) {
    printf("%s", noTenBitFormatLine);
    return 0;
  }
  chosen = candidates[static_cast<std::size_t>(index)];
  return numbers[static_cast<std::size_t>(index)];
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
  window10.gl.dc = GetDC(window10.hwnd);
  if (window10.gl.dc == nullptr) {
    printf("ERROR: Unable to get the '%s' window DC!\n", title10);
    DestroyWindow(window10.hwnd);
    return false;
  }

  PIXELFORMATDESCRIPTOR descriptor = {};
  descriptor.nSize = sizeof descriptor;
  descriptor.nVersion = 1;
  DescribePixelFormat(window10.gl.dc, format, sizeof descriptor, &descriptor);
  if (!SetPixelFormat(window10.gl.dc, format, &descriptor)) {
    printf("ERROR: Unable to set the pixelformat for the '%s' window!\n", title10);
    ReleaseDC(window10.hwnd, window10.gl.dc);
    DestroyWindow(window10.hwnd);
    return false;
  }

  window10.gl.context = wglCreateContext(window10.gl.dc);
  if (window10.gl.context == nullptr) {
    printf("ERROR: Unable to create the GL rendering context for the '%s' window!\n", title10);
    ReleaseDC(window10.hwnd, window10.gl.dc);
    DestroyWindow(window10.hwnd);
    return false;
  }

  // The class gives the window its own device context, so releasing it here
  // leaves window10.gl.dc valid for every later paint.
  ReleaseDC(window10.hwnd, window10.gl.dc);
  SendMessageA(window10.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(frontEnd.bigIcon));
  SendMessageA(window10.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frontEnd.smallIcon));
  return true;
}

// Whether the system has DXGI at all, without keeping it loaded.
bool dxgiPresent() {
  HMODULE dxgi = LoadLibraryA("dxgi.dll");
  if (dxgi == nullptr) return false;
  FreeLibrary(dxgi);
  return true;
}

}  // namespace

HWND createDeepColourWindow(const char* className) {
  HDC probeDc = nullptr;
  HGLRC probeContext = nullptr;
  HWND probe = createStandardWindow(className, "Dummy", StandardWindowRole::HiddenAccelerated,
                                    probeDc, probeContext);
  if (probe == nullptr) return nullptr;

  // Every extension call runs under the probe's context.
  wglMakeCurrent(probeDc, probeContext);
  PixelFormatCandidate chosen;
  const int format = chooseDeepColourFormat(probeDc, chosen);
  if (format == 0 && dxgiPresent()) printf("%s", tryDxgiNote);
  bool created = format != 0 && createWindowWithFormat(className, format);

  wglMakeCurrent(probeDc, nullptr);
  wglDeleteContext(probeContext);
  ReleaseDC(probe, probeDc);
  DestroyWindow(probe);

  if (created) {
    wglMakeCurrent(window10.gl.dc, window10.gl.context);
    created = contextHasChosenColour(title10, currentContextColour(), chosen);
    if (!created) {
      wglMakeCurrent(nullptr, nullptr);
      wglDeleteContext(window10.gl.context);
      DestroyWindow(window10.hwnd);
    }
  }
  if (!created) {
    window10 = DisplayWindow{};
    return nullptr;
  }
  return window10.hwnd;
}

}  // namespace win32
