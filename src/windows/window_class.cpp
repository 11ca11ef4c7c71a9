// The window class shared by the hidden windows and the display windows, and
// the classic-format window used for the 8-bit window and the hidden ones.
#include <cstdio>
#include <vector>

#include "app/facts.h"
#include "app/pixel_format_choice.h"
#include "render/level_count.h"
#include "windows/win32_front_end.h"

namespace win32 {

namespace {

// Every classic format the device context offers, described for the shared
// choice: exactly 8 bits per colour where one exists, else the nearest
// (under Wine on a depth-30 screen every window format has 10 bits).
// Returns the format's number, or 0 when none can back the window.
int chooseEightBitFormat(HDC dc, PixelFormatCandidate& chosen) {
  PIXELFORMATDESCRIPTOR descriptor = {};
  const int count = DescribePixelFormat(dc, 1, sizeof descriptor, &descriptor);
  std::vector<PixelFormatCandidate> candidates;
  for (int format = 1; format <= count; ++format) {
    PixelFormatCandidate candidate;
    if (DescribePixelFormat(dc, format, sizeof descriptor, &descriptor) != 0) {
      const DWORD flags = descriptor.dwFlags;
      candidate.redBits = descriptor.cRedBits;
      candidate.greenBits = descriptor.cGreenBits;
      candidate.blueBits = descriptor.cBlueBits;
      candidate.alphaBits = descriptor.cAlphaBits;
      candidate.depthBits = descriptor.cDepthBits;
      candidate.drawsToWindow = (flags & PFD_DRAW_TO_WINDOW) && (flags & PFD_SUPPORT_OPENGL);
      candidate.doubleBuffered = (flags & PFD_DOUBLEBUFFER) != 0;
      candidate.rgba = descriptor.iPixelType == PFD_TYPE_RGBA;
      // A generic format is Microsoft's software renderer unless a driver
      // accelerates it.
      candidate.accelerated = !(flags & PFD_GENERIC_FORMAT) || (flags & PFD_GENERIC_ACCELERATED);
    }
    // Indexes stay format numbers minus one; an undescribed format is unusable.
    candidates.push_back(candidate);
  }
  int index = choosePixelFormat(candidates, eightBitColour);
  if (index < 0) index = chooseNearestPixelFormat(candidates, eightBitColour);
  if (index < 0) return 0;
  chosen = candidates[static_cast<std::size_t>(index)];
  return index + 1;
}

// What a context on this device context reports. A context of its own is
// asked, because the window's context must not be current before it shares
// the 10-bit context's display lists (Wine refuses to share into a context
// that has been current).
ContextColour colourOfFormatOn(HDC dc) {
  ContextColour colour = {0, 0, 0};
  HGLRC previous = wglGetCurrentContext();
  HDC previousDc = wglGetCurrentDC();
  HGLRC asked = wglCreateContext(dc);
  if (asked != nullptr && wglMakeCurrent(dc, asked)) colour = currentContextColour();
  wglMakeCurrent(previousDc, previous);
  if (asked != nullptr) wglDeleteContext(asked);
  return colour;
}

// What a creation that failed had made, given back; null for the caller.
HWND undoStandardWindow(HWND window, HDC dc, HGLRC context) {
  if (context != nullptr) wglDeleteContext(context);
  if (dc != nullptr) ReleaseDC(window, dc);
  DestroyWindow(window);
  return nullptr;
}

}  // namespace

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
  // A hidden window takes the 8-bit window's place too; it is never shown.
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
    return undoStandardWindow(window, nullptr, nullptr);
  }

  PIXELFORMATDESCRIPTOR request = {};
  request.nSize = sizeof request;
  request.nVersion = 1;
  request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  request.iPixelType = PFD_TYPE_RGBA;
  PixelFormatCandidate chosen;
  const int format = role == StandardWindowRole::Window8 ? chooseEightBitFormat(dc, chosen)
                                                         : ChoosePixelFormat(dc, &request);
  if (format == 0) {
    printf("ERROR: Couldn't create the pixelformat for the '%s' window!\n", title);
    return undoStandardWindow(window, dc, nullptr);
  }
  DescribePixelFormat(dc, format, sizeof request, &request);

  // A hidden window exists to reach the driver's extensions, which a generic
  // (software) format does not offer; the 8-bit window takes what it gets.
  if (role == StandardWindowRole::HiddenAccelerated &&
      (request.dwFlags & PFD_GENERIC_FORMAT) != 0) {
    printf("ERROR: Pixelformat %d is not hw accelerated, unable to get one for the '%s' window!\n",
           format, title);
    return undoStandardWindow(window, dc, nullptr);
  }
  if (!SetPixelFormat(dc, format, &request)) {
    printf("ERROR: Unable to set the pixelformat for the '%s' window!\n", title);
    return undoStandardWindow(window, dc, nullptr);
  }

  HGLRC context = wglCreateContext(dc);
  outContext = context;
  if (context == nullptr) {
    printf("ERROR: Unable to create the GL rendering context for the '%s' window!\n", title);
    return undoStandardWindow(window, dc, nullptr);
  }
  if (role == StandardWindowRole::Window8) {
    const ContextColour colour = colourOfFormatOn(dc);
    if (!contextHasChosenColour(title, colour, chosen))
      return undoStandardWindow(window, dc, context);
    noteEightBitWindowColour(colour);
  }

  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(frontEnd.bigIcon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frontEnd.smallIcon));
  return window;
}

}  // namespace win32
