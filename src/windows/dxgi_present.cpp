// The OpenGL half of the second way to present (the Direct3D half, with
// why, is dxgi_swap_chain.cpp): the scene is still drawn by the same OpenGL
// code. Each window has a hidden window's context drawing into a
// framebuffer object of the window's format, read back and written into the
// swap chain's back buffer as it is, by the CPU: no copy on the device
// between. Drawing into a flip-model back buffer with Direct3D is left
// alone, as some implementations (Wine's) then show a black window now and
// then.
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/facts.h"
#include "render/frame_setup.h"
#include "render/level_count.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "windows/dxgi_swap_chain.h"

namespace win32 {

namespace {

// The surfaces of the two windows and of full screen, and the framebuffer
// object calls that every context here draws into them with.
struct DxgiPresentation {
  DxgiSurface surface10, surface8, surfaceFull;
  FramebufferCalls gl;
};
DxgiPresentation dxgi;

// With the window's context current: the framebuffer object's buffers at
// this size. The swap chain is resized by the caller.
void allocateFrame(DxgiSurface& surface, int width, int height) {
  dxgi.gl.bindRenderbuffer(GL_RENDERBUFFER, surface.colourBuffer);
  dxgi.gl.renderbufferStorage(GL_RENDERBUFFER, surface.tenBit ? GL_RGB10_A2 : GL_RGBA8, width,
                              height);
  dxgi.gl.bindRenderbuffer(GL_RENDERBUFFER, surface.depthBuffer);
  dxgi.gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  dxgi.gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  surface.pixels.resize(count);
  surface.rowsTopDown.resize(count);
  surface.width = width;
  surface.height = height;
}

// With the window's context current. The framebuffer object stays bound for
// the context's life, so every frame and every measurement goes into it.
// Where it is not what the surface needs, the caller deletes it.
bool createFramebuffer(DxgiSurface& surface, int width, int height) {
  dxgi.gl.genFramebuffers(1, &surface.framebuffer);
  dxgi.gl.genRenderbuffers(1, &surface.colourBuffer);
  dxgi.gl.genRenderbuffers(1, &surface.depthBuffer);
  dxgi.gl.bindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
  allocateFrame(surface, width, height);
  dxgi.gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  surface.colourBuffer);
  dxgi.gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  surface.depthBuffer);
  if (dxgi.gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  const ContextColour colour = currentContextColour();
  const int bits = surface.tenBit ? 10 : 8;
  return colour.redBits == bits && colour.greenBits == bits && colour.blueBits == bits;
}

// With the context current that made them: the framebuffer object and its
// buffers go, the context's own framebuffer bound in its place. Renderbuffer
// names live in the list space, which outlives a context that shares it.
void deleteFramebuffer(DxgiSurface& surface) {
  dxgi.gl.deleteFramebuffers(1, &surface.framebuffer);
  const GLuint renderbuffers[2] = {surface.colourBuffer, surface.depthBuffer};
  dxgi.gl.deleteRenderbuffers(2, renderbuffers);
  surface.framebuffer = surface.colourBuffer = surface.depthBuffer = 0;
}

// Follows the window: the swap chain and the framebuffer
// object take its client size before a frame is drawn at it.
bool fitToWindow(DxgiSurface& surface, int width, int height) {
  if (surface.width == width && surface.height == height) return true;
  surface.width = 0;  // a failure leaves the size unknown, so the next paint tries again
  if (!resizeSwapChain(surface, width, height)) return false;
  allocateFrame(surface, width, height);
  return dxgi.gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// The framebuffer object's pixels into the back buffer. OpenGL reads rows
// bottom up and Direct3D lays them out top down.
bool copyIntoBackBuffer(DxgiSurface& surface) {
  const int width = surface.width, height = surface.height;
  glReadPixels(0, 0, width, height, GL_RGBA,
               surface.tenBit ? GL_UNSIGNED_INT_2_10_10_10_REV : GL_UNSIGNED_BYTE,
               surface.pixels.data());
  const std::size_t rowLength = static_cast<std::size_t>(width);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* from = surface.pixels.data() + static_cast<std::size_t>(y) * rowLength;
    std::copy(from, from + rowLength,
              surface.rowsTopDown.data() + static_cast<std::size_t>(height - 1 - y) * rowLength);
  }
  return writeBackBuffer(surface);
}

// The surface made fresh, with the framebuffer object (and the swap chain
// on hwnd) of a window's client area, drawn by the context current; false
// after printing why, with nothing of it left.
bool createSurface(HWND hwnd, DxgiSurface& surface, bool tenBit, bool switchesMode,
                   const char* name) {
  surface = DxgiSurface{};
  surface.tenBit = tenBit;
  surface.switchesMode = switchesMode;
  RECT client = {};
  GetClientRect(hwnd, &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;
  if (!createFramebuffer(surface, width, height)) {
    printf("ERROR: Unable to create the %s framebuffer object for %s!\n",
           tenBit ? "10-10-10-2" : "8-8-8-8", name);
  } else if (!createSwapChain(hwnd, surface, width, height)) {
    printf("ERROR: Unable to create the %s swap chain for %s!\n", dxgiFormatName(surface), name);
  } else {
    return true;
  }
  deleteFramebuffer(surface);
  return false;
}

void undo(HWND hwnd, HWND glWindow, HDC glDc, HGLRC context) {
  wglMakeCurrent(nullptr, nullptr);
  if (context != nullptr) wglDeleteContext(context);
  if (glDc != nullptr) ReleaseDC(glWindow, glDc);
  if (glWindow != nullptr) DestroyWindow(glWindow);
  if (hwnd != nullptr) DestroyWindow(hwnd);
}

}  // namespace

HWND createDxgiWindow(const char* className, bool tenBit, HGLRC sharedWith, DisplayWindow& record) {
  record = DisplayWindow{};
  if (!createDirect3DDevice()) return nullptr;
  const char* title = tenBit ? title10 : title8;
  DxgiSurface& surface = tenBit ? dxgi.surface10 : dxgi.surface8;
  surface = DxgiSurface{};

  HWND hwnd =
      CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, tenBit ? window10Left : window8Left,
                      tenBit ? window10Top : window8Top, windowSize, windowSize, nullptr, nullptr,
                      nullptr, nullptr);
  if (hwnd == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", title);
    return nullptr;
  }

  // The OpenGL side: a hidden window's context, never shown and never
  // swapped, drawing into the framebuffer object alone.
  HDC glDc = nullptr;
  HGLRC context = nullptr;
  HWND glWindow =
      createStandardWindow(className, tenBit ? "Lumivane OpenGL 10" : "Lumivane OpenGL 8",
                           StandardWindowRole::HiddenAccelerated, glDc, context);
  if (glWindow == nullptr) {
    undo(hwnd, nullptr, nullptr, nullptr);
    return nullptr;
  }
  // Lists are shared before the new context is ever current (see start-up).
  if (sharedWith != nullptr) wglShareLists(sharedWith, context);
  wglMakeCurrent(glDc, context);
  if (dxgi.gl.genFramebuffers == nullptr && !findFramebufferCalls(dxgi.gl, wglEntryPoint)) {
    printf("ERROR: The OpenGL driver offers no framebuffer objects for the DXGI swap chains!\n");
    undo(hwnd, glWindow, glDc, context);
    return nullptr;
  }
  const std::string name = std::string("the '") + title + "' window";
  if (!createSurface(hwnd, surface, tenBit, false, name.c_str())) {
    undo(hwnd, glWindow, glDc, context);
    return nullptr;
  }
  SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(frontEnd.bigIcon));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frontEnd.smallIcon));
  record.hwnd = hwnd;
  record.gl.dc = glDc;
  record.gl.context = context;
  record.dxgi = &surface;
  return hwnd;
}

bool createDxgiFullScreen(HWND hwnd, DisplayWindow& record) {
  if (record.dxgi != nullptr) return true;
  // The 10-bit window's context draws here too, into a framebuffer object of
  // this surface's own, so the logo's lists serve as they are.
  wglMakeCurrent(window10.gl.dc, window10.gl.context);
  const bool made = createSurface(hwnd, dxgi.surfaceFull, true, true, "full screen");
  wglMakeCurrent(window10.gl.dc, nullptr);
  if (!made) return false;
  record.hwnd = hwnd;
  record.gl.dc = window10.gl.dc;
  record.gl.context = window10.gl.context;
  record.dxgi = &dxgi.surfaceFull;
  return true;
}

bool drawIntoDxgiSurface(const DisplayWindow& record, int width, int height) {
  DxgiSurface& surface = *record.dxgi;
  dxgi.gl.bindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
  return fitToWindow(surface, width, height);
}

bool presentThroughDxgi(const DisplayWindow& record, int width, int height) {
  // A minimised window has no client area; the scene turns on regardless.
  if (width <= 0 || height <= 0) {
    skipFrame();
    return true;
  }
  DxgiSurface& surface = *record.dxgi;
  bool shown = true;
  wglMakeCurrent(record.gl.dc, record.gl.context);
  if (drawIntoDxgiSurface(record, width, height)) {
    if (&surface == &dxgi.surfaceFull) {
      renderSplitView(width, height);
    } else {
      renderFrame(width, height);
    }
    if (copyIntoBackBuffer(surface)) shown = presentBackBuffer(surface);
  } else {
    skipFrame();
  }
  wglMakeCurrent(record.gl.dc, nullptr);
  return shown;
}

void readBackBufferHalves(RampMeasurement& left, RampMeasurement& right, void* record) {
  DxgiSurface& surface = *static_cast<DisplayWindow*>(record)->dxgi;
  if (!copyIntoBackBuffer(surface)) return;
  const int leftWidth = splitLeftWidth(surface.width);
  left.onScreen = countBackBufferLevels(surface, 0, leftWidth);
  right.onScreen =
      countBackBufferLevels(surface, static_cast<UINT>(leftWidth), surface.width - leftWidth);
}

void readBackBufferRamp(RampMeasurement& ramp, void* record) {
  DxgiSurface& surface = *static_cast<DisplayWindow*>(record)->dxgi;
  // The ramp just drawn into the framebuffer object goes the way of every
  // frame, up to the back buffer, and is read back from there.
  if (copyIntoBackBuffer(surface)) ramp.onScreen = countBackBufferLevels(surface);
}

void releaseDxgiPresentation() {
  for (DxgiSurface* surface : {&dxgi.surfaceFull, &dxgi.surface8, &dxgi.surface10})
    releaseSwapChain(*surface);
  releaseDirect3DDevice();
}

}  // namespace win32
