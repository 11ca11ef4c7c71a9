// The second way to present: each display window shows its frames through a
// DXGI swap chain on a Direct3D 11 device, which any current video card
// offers at 10 bits, where windowed 10-bit OpenGL formats are mostly a
// workstation card's feature. In windows the desktop compositor keeps those
// 10 bits only with advanced colour on (HDR, Auto Color Management); an SDR
// desktop is composed at 8 bits.
//
// The scene is still drawn by the same OpenGL code: each window has a hidden
// window's context drawing into a framebuffer object of the window's format,
// read back and written into the swap chain's back buffer as it is, by the
// CPU: no copy on the device between. Drawing into a flip-model back buffer
// with Direct3D is left alone, as some implementations (Wine's) then show a
// black window now and then.
//
// d3d11.dll and dxgi.dll are loaded at run time, so the program still starts
// on a system without them and only this option fails there.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/display_check.h"
#include "app/facts.h"
#include "render/frame_setup.h"
#include "render/level_count.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "windows/win32_front_end.h"
// COM interfaces and the OpenGL extension types, after <windows.h>.
#include <GL/glext.h>
#include <d3d11.h>
#include <dxgi1_2.h>

namespace win32 {

struct DxgiSurface {
  bool tenBit = false;
  IDXGISwapChain* swapChain = nullptr;
  const char* swapEffect = "";
  // DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH for the full-screen swap chain,
  // which may take the display mode it needs; kept on every ResizeBuffers.
  UINT flags = 0;
  GLuint framebuffer = 0, colourBuffer = 0, depthBuffer = 0;
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels, rowsTopDown;
};

namespace {

// Everything the DXGI presentation keeps: the surfaces of the two windows
// and of full screen, the Direct3D device and its immediate context, and the
// framebuffer object entry points.
struct Presentation {
  DxgiSurface surface10, surface8, surfaceFull;
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* immediate = nullptr;
  FramebufferCalls gl;
};
Presentation dxgi;

// With a context current: the core names, or the extension's where a driver
// offers only those.
bool fetchFramebufferEntryPoints() {
  if (dxgi.gl.genFramebuffers != nullptr) return true;
  const char* suffix = wglGetProcAddress("glGenFramebuffers") != nullptr ? "" : "EXT";
  if (fetchFramebufferCalls(dxgi.gl, wglEntryPoint, suffix)) return true;
  dxgi.gl.genFramebuffers = nullptr;
  return false;
}

DXGI_FORMAT formatOf(const DxgiSurface& surface) {
  return surface.tenBit ? DXGI_FORMAT_R10G10B10A2_UNORM : DXGI_FORMAT_R8G8B8A8_UNORM;
}

const char* formatName(const DxgiSurface& surface) {
  return surface.tenBit ? "R10G10B10A2_UNORM" : "R8G8B8A8_UNORM";
}

// Hardware first; WARP, Windows' own software rasteriser, where the video
// card's driver offers no device.
bool createDevice() {
  if (dxgi.device != nullptr) return true;
  keepWineDirect3DOnThisThread();
  HMODULE d3d11 = LoadLibraryA("d3d11.dll");
  if (d3d11 == nullptr || LoadLibraryA("dxgi.dll") == nullptr) {
    printf("ERROR: Unable to load d3d11.dll and dxgi.dll for the DXGI swap chains!\n");
    return false;
  }
  auto create = procedure<PFN_D3D11_CREATE_DEVICE>(d3d11, "D3D11CreateDevice");
  if (create == nullptr) {
    printf("ERROR: Unable to find D3D11CreateDevice in d3d11.dll!\n");
    return false;
  }
  for (const D3D_DRIVER_TYPE type : {D3D_DRIVER_TYPE_HARDWARE, D3D_DRIVER_TYPE_WARP}) {
    if (SUCCEEDED(create(nullptr, type, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &dxgi.device,
                         nullptr, &dxgi.immediate)))
      return true;
  }
  dxgi.device = nullptr;
  dxgi.immediate = nullptr;
  printf("ERROR: Unable to create a Direct3D 11 device for the DXGI swap chains!\n");
  return false;
}

// The factory that made the device's adapter: swap chains must come from it.
IDXGIFactory1* deviceFactory() {
  IDXGIDevice* dxgiDevice = nullptr;
  IDXGIAdapter* adapter = nullptr;
  IDXGIFactory1* factory = nullptr;
  if (SUCCEEDED(dxgi.device->QueryInterface(__uuidof(IDXGIDevice),
                                            reinterpret_cast<void**>(&dxgiDevice)))) {
    if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter))) {
      adapter->GetParent(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory));
      adapter->Release();
    }
    dxgiDevice->Release();
  }
  return factory;
}

// Flip discard (Windows 10), flip sequential (Windows 8), then the legacy
// blit effect that every DXGI has.
bool createSwapChain(HWND hwnd, DxgiSurface& surface, int width, int height) {
  IDXGIFactory1* factory = deviceFactory();
  if (factory == nullptr) return false;
  IDXGIFactory2* factory2 = nullptr;
  if (SUCCEEDED(
          factory->QueryInterface(__uuidof(IDXGIFactory2), reinterpret_cast<void**>(&factory2)))) {
    const struct {
      DXGI_SWAP_EFFECT effect;
      const char* name;
    } flips[] = {{DXGI_SWAP_EFFECT_FLIP_DISCARD, "flip discard"},
                 {DXGI_SWAP_EFFECT_FLIP_SEQUENTIAL, "flip sequential"}};
    for (const auto& flip : flips) {
      DXGI_SWAP_CHAIN_DESC1 description = {};
      description.Width = static_cast<UINT>(width);
      description.Height = static_cast<UINT>(height);
      description.Format = formatOf(surface);
      description.SampleDesc.Count = 1;
      description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
      description.BufferCount = 2;
      description.SwapEffect = flip.effect;
      description.Flags = surface.flags;
      IDXGISwapChain1* chain = nullptr;
      if (SUCCEEDED(factory2->CreateSwapChainForHwnd(dxgi.device, hwnd, &description, nullptr,
                                                     nullptr, &chain))) {
        surface.swapChain = chain;
        surface.swapEffect = flip.name;
        break;
      }
    }
    factory2->Release();
  }
  if (surface.swapChain == nullptr) {
    DXGI_SWAP_CHAIN_DESC description = {};
    description.BufferDesc.Width = static_cast<UINT>(width);
    description.BufferDesc.Height = static_cast<UINT>(height);
    description.BufferDesc.Format = formatOf(surface);
    description.SampleDesc.Count = 1;
    description.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
    description.BufferCount = 1;
    description.OutputWindow = hwnd;
    description.Windowed = TRUE;
    description.SwapEffect = DXGI_SWAP_EFFECT_DISCARD;
    description.Flags = surface.flags;
    if (SUCCEEDED(factory->CreateSwapChain(dxgi.device, &description, &surface.swapChain)))
      surface.swapEffect = "discard";
  }
  // Alt+Enter would take the window to full screen behind the program's
  // back: full screen is key F's, with the split view.
  if (surface.swapChain != nullptr) factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER);
  factory->Release();
  return surface.swapChain != nullptr;
}

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

// Follows the window: the swap chain and the framebuffer
// object take its client size before a frame is drawn at it.
bool fitToWindow(DxgiSurface& surface, int width, int height) {
  if (surface.width == width && surface.height == height) return true;
  surface.width = 0;  // a failure leaves the size unknown, so the next paint tries again
  if (FAILED(surface.swapChain->ResizeBuffers(0, static_cast<UINT>(width),
                                              static_cast<UINT>(height), DXGI_FORMAT_UNKNOWN,
                                              surface.flags)))
    return false;
  allocateFrame(surface, width, height);
  return dxgi.gl.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// The framebuffer object's pixels into the back buffer. OpenGL reads rows
// bottom up and Direct3D lays them out top down. Both pixel layouts match
// their DXGI format word for word: 2_10_10_10_REV puts red in the low bits as
// R10G10B10A2 does, and bytes in R, G, B, A order are R8G8B8A8.
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
  ID3D11Texture2D* backBuffer = nullptr;
  if (FAILED(surface.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D),
                                          reinterpret_cast<void**>(&backBuffer))))
    return false;
  dxgi.immediate->UpdateSubresource(backBuffer, 0, nullptr, surface.rowsTopDown.data(),
                                    static_cast<UINT>(rowLength * sizeof(std::uint32_t)), 0);
  // No reference to a back buffer may outlive the frame: ResizeBuffers
  // fails while one is held.
  backBuffer->Release();
  return true;
}

// The distinct colours in the back buffer's columns from `left` on, `columns`
// of them (all where negative), read through a staging texture the CPU can
// map; -1 where it cannot be read.
int countBackBufferLevels(DxgiSurface& surface, UINT left = 0, int columns = -1) {
  ID3D11Texture2D* backBuffer = nullptr;
  if (FAILED(surface.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D),
                                          reinterpret_cast<void**>(&backBuffer))))
    return unknownCount;
  D3D11_TEXTURE2D_DESC description = {};
  backBuffer->GetDesc(&description);
  description.Usage = D3D11_USAGE_STAGING;
  description.BindFlags = 0;
  description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  description.MiscFlags = 0;
  ID3D11Texture2D* staging = nullptr;
  int count = unknownCount;
  if (SUCCEEDED(dxgi.device->CreateTexture2D(&description, nullptr, &staging))) {
    dxgi.immediate->CopyResource(staging, backBuffer);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (SUCCEEDED(dxgi.immediate->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
      std::set<std::uint32_t> colours;
      // Alpha is no colour: the 10-bit format's top two bits, the byte
      // format's last byte.
      const std::uint32_t colourBits = surface.tenBit ? 0x3fffffffu : 0x00ffffffu;
      const UINT end = columns < 0 ? description.Width
                                   : std::min(description.Width, left + static_cast<UINT>(columns));
      for (UINT y = 0; y < description.Height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const unsigned char*>(mapped.pData) + y * mapped.RowPitch);
        for (UINT x = left; x < end; ++x) colours.insert(row[x] & colourBits);
      }
      count = static_cast<int>(colours.size());
      dxgi.immediate->Unmap(staging, 0);
    }
    staging->Release();
  }
  backBuffer->Release();
  return count;
}

void undo(HWND hwnd, HWND glWindow, HDC glDc, HGLRC context, DxgiSurface& surface) {
  wglMakeCurrent(nullptr, nullptr);
  if (surface.swapChain != nullptr) surface.swapChain->Release();
  surface = DxgiSurface{};
  if (context != nullptr) wglDeleteContext(context);
  if (glDc != nullptr) ReleaseDC(glWindow, glDc);
  if (glWindow != nullptr) DestroyWindow(glWindow);
  if (hwnd != nullptr) DestroyWindow(hwnd);
}

}  // namespace

// Under Wine, Direct3D is wined3d on OpenGL, and its command-stream thread
// spins between commands for far longer than a tick: fed a frame every 16 ms
// it never sleeps and takes a whole core. The commands run on the program's
// own thread instead (csmt=0), unless the person set Wine's Direct3D options
// themselves. wined3d reads them as it loads, through the C runtime's copy of
// the environment (taken at start), so that copy is told too.
void keepWineDirect3DOnThisThread() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) return;
  if (GetEnvironmentVariableA("WINE_D3D_CONFIG", nullptr, 0) != 0) return;
  SetEnvironmentVariableA("WINE_D3D_CONFIG", "csmt=0");
  HMODULE runtime = GetModuleHandleA("ucrtbase.dll");
  if (runtime == nullptr) return;
  auto putEnvironment = procedure<int(__cdecl*)(const char*)>(runtime, "_putenv");
  if (putEnvironment != nullptr) putEnvironment("WINE_D3D_CONFIG=csmt=0");
}

HWND createDxgiWindow(const char* className, bool tenBit, HGLRC sharedWith, DisplayWindow& record) {
  record = DisplayWindow{};
  if (!createDevice()) return nullptr;
  const char* title = tenBit ? title10 : title8;
  DxgiSurface& surface = tenBit ? dxgi.surface10 : dxgi.surface8;
  surface = DxgiSurface{};
  surface.tenBit = tenBit;

  HWND hwnd =
      CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, tenBit ? window10Left : window8Left,
                      tenBit ? window10Top : window8Top, windowSize, windowSize, nullptr, nullptr,
                      nullptr, nullptr);
  if (hwnd == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", title);
    return nullptr;
  }
  RECT client = {};
  GetClientRect(hwnd, &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;

  // The OpenGL side: a hidden window's context, never shown and never
  // swapped, drawing into the framebuffer object alone.
  HDC glDc = nullptr;
  HGLRC context = nullptr;
  HWND glWindow =
      createStandardWindow(className, tenBit ? "Lumivane OpenGL 10" : "Lumivane OpenGL 8",
                           StandardWindowRole::HiddenAccelerated, glDc, context);
  if (glWindow == nullptr) {
    undo(hwnd, nullptr, nullptr, nullptr, surface);
    return nullptr;
  }
  // Lists are shared before the new context is ever current (see start-up).
  if (sharedWith != nullptr) wglShareLists(sharedWith, context);
  wglMakeCurrent(glDc, context);
  if (!fetchFramebufferEntryPoints()) {
    printf("ERROR: The OpenGL driver offers no framebuffer objects for the DXGI swap chains!\n");
    undo(hwnd, glWindow, glDc, context, surface);
    return nullptr;
  }
  if (!createFramebuffer(surface, width, height)) {
    printf("ERROR: Unable to create the %s framebuffer object for the '%s' window!\n",
           tenBit ? "10-10-10-2" : "8-8-8-8", title);
    undo(hwnd, glWindow, glDc, context, surface);
    return nullptr;
  }
  if (!createSwapChain(hwnd, surface, width, height)) {
    printf("ERROR: Unable to create the %s swap chain for the '%s' window!\n", formatName(surface),
           title);
    undo(hwnd, glWindow, glDc, context, surface);
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

bool drawIntoDxgiSurface(const DisplayWindow& record, int width, int height) {
  DxgiSurface& surface = *record.dxgi;
  dxgi.gl.bindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
  return fitToWindow(surface, width, height);
}

void presentThroughDxgi(const DisplayWindow& record, int width, int height) {
  // A minimised window has no client area; the scene turns on regardless.
  if (width <= 0 || height <= 0) {
    skipFrame();
    return;
  }
  DxgiSurface& surface = *record.dxgi;
  wglMakeCurrent(record.gl.dc, record.gl.context);
  if (drawIntoDxgiSurface(record, width, height)) {
    renderFrame(width, height);
    if (copyIntoBackBuffer(surface)) surface.swapChain->Present(1, 0);
  } else {
    skipFrame();
  }
  wglMakeCurrent(record.gl.dc, nullptr);
}

bool createDxgiFullScreen(HWND hwnd, DisplayWindow& record) {
  if (record.dxgi != nullptr) return true;
  RECT client = {};
  GetClientRect(hwnd, &client);
  const int width = client.right > 0 ? client.right : 1;
  const int height = client.bottom > 0 ? client.bottom : 1;
  dxgi.surfaceFull = DxgiSurface{};
  dxgi.surfaceFull.tenBit = true;
  dxgi.surfaceFull.flags = DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH;
  // The 10-bit window's context draws here too, into a framebuffer object of
  // this surface's own, so the logo's lists serve as they are.
  wglMakeCurrent(window10.gl.dc, window10.gl.context);
  const bool framebufferMade = createFramebuffer(dxgi.surfaceFull, width, height);
  const bool made = framebufferMade && createSwapChain(hwnd, dxgi.surfaceFull, width, height);
  wglMakeCurrent(window10.gl.dc, nullptr);
  if (!made) {
    if (!framebufferMade)
      printf("ERROR: Unable to create the 10-10-10-2 framebuffer object for full screen!\n");
    else
      printf("ERROR: Unable to create the R10G10B10A2_UNORM swap chain for full screen!\n");
    return false;
  }
  record.hwnd = hwnd;
  record.gl.dc = window10.gl.dc;
  record.gl.context = window10.gl.context;
  record.dxgi = &dxgi.surfaceFull;
  return true;
}

namespace {

// A display mode of this output in R10G10B10A2 at its desktop size, the
// highest refresh rate among them; false where it lists none.
bool tenBitDesktopMode(IDXGIOutput* output, DXGI_MODE_DESC& chosen) {
  DXGI_OUTPUT_DESC description = {};
  if (FAILED(output->GetDesc(&description))) return false;
  const RECT& desktop = description.DesktopCoordinates;
  const UINT width = static_cast<UINT>(desktop.right - desktop.left);
  const UINT height = static_cast<UINT>(desktop.bottom - desktop.top);
  UINT count = 0;
  if (FAILED(output->GetDisplayModeList(DXGI_FORMAT_R10G10B10A2_UNORM, 0, &count, nullptr)) ||
      count == 0)
    return false;
  std::vector<DXGI_MODE_DESC> modes(count);
  if (FAILED(output->GetDisplayModeList(DXGI_FORMAT_R10G10B10A2_UNORM, 0, &count, modes.data())))
    return false;
  modes.resize(count);
  bool found = false;
  for (const DXGI_MODE_DESC& mode : modes) {
    if (mode.Width != width || mode.Height != height) continue;
    const double rate =
        mode.RefreshRate.Denominator == 0
            ? 0.0
            : static_cast<double>(mode.RefreshRate.Numerator) / mode.RefreshRate.Denominator;
    const double best =
        !found || chosen.RefreshRate.Denominator == 0
            ? -1.0
            : static_cast<double>(chosen.RefreshRate.Numerator) / chosen.RefreshRate.Denominator;
    if (rate > best) chosen = mode;
    found = true;
  }
  return found;
}

}  // namespace

bool takeExclusiveFullScreen(const DisplayWindow& record) {
  DxgiSurface& surface = *record.dxgi;
  if (FAILED(surface.swapChain->SetFullscreenState(TRUE, nullptr))) return false;
  IDXGIOutput* output = nullptr;
  if (SUCCEEDED(surface.swapChain->GetContainingOutput(&output))) {
    DXGI_MODE_DESC mode = {};
    if (tenBitDesktopMode(output, mode)) surface.swapChain->ResizeTarget(&mode);
    output->Release();
  }
  // The buffers follow at the next paint, as full screen needs them to.
  surface.width = 0;
  return true;
}

void giveUpExclusiveFullScreen(const DisplayWindow& record) {
  if (record.dxgi == nullptr || record.dxgi->swapChain == nullptr) return;
  // Harmless where the swap chain is windowed already; gives the display
  // mode back where it was changed.
  record.dxgi->swapChain->SetFullscreenState(FALSE, nullptr);
  record.dxgi->width = 0;
}

bool holdsExclusiveFullScreen(const DisplayWindow& record) {
  BOOL state = FALSE;
  return record.dxgi != nullptr && record.dxgi->swapChain != nullptr &&
         SUCCEEDED(record.dxgi->swapChain->GetFullscreenState(&state, nullptr)) && state;
}

bool presentSplitViewThroughDxgi(const DisplayWindow& record, int width, int height) {
  if (width <= 0 || height <= 0) {
    skipFrame();
    return true;
  }
  DxgiSurface& surface = *record.dxgi;
  bool shown = true;
  wglMakeCurrent(record.gl.dc, record.gl.context);
  if (drawIntoDxgiSurface(record, width, height)) {
    renderSplitView(width, height);
    if (copyIntoBackBuffer(surface))
      shown = surface.swapChain->Present(1, 0) != DXGI_STATUS_OCCLUDED;
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

void describeSwapChain(const DisplayWindow& record, SwapChainFacts& facts) {
  if (record.dxgi == nullptr) return;
  facts.format = formatName(*record.dxgi);
  facts.effect = record.dxgi->swapEffect;
}

void releaseDxgiPresentation() {
  for (DxgiSurface* surface : {&dxgi.surfaceFull, &dxgi.surface8, &dxgi.surface10}) {
    // A swap chain in full screen must leave it before it goes, or the
    // display mode could stay changed.
    if (surface->swapChain != nullptr) surface->swapChain->SetFullscreenState(FALSE, nullptr);
    if (surface->swapChain != nullptr) surface->swapChain->Release();
    surface->swapChain = nullptr;
  }
  if (dxgi.immediate != nullptr) {
    dxgi.immediate->ClearState();
    dxgi.immediate->Flush();
    dxgi.immediate->Release();
    dxgi.immediate = nullptr;
  }
  if (dxgi.device != nullptr) dxgi.device->Release();
  dxgi.device = nullptr;
}

}  // namespace win32
