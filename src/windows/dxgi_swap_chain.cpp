// The Direct3D 11 half of the second way to present: each display window
// shows its frames through a DXGI swap chain on a Direct3D 11 device, which
// any current video card offers at 10 bits, where windowed 10-bit OpenGL
// formats are mostly a workstation card's feature. In windows the desktop
// compositor keeps those 10 bits only with advanced colour on (HDR, Auto
// Color Management); an SDR desktop is composed at 8 bits.
//
// d3d11.dll and dxgi.dll are loaded at run time, so the program still starts
// on a system without them and only this option fails there.
#include "windows/dxgi_swap_chain.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "render/level_count.h"

// The COM interfaces, after <windows.h>.
#include <d3d11.h>
#include <dxgi1_2.h>

namespace win32 {

namespace {

// The device every swap chain is made on, and its immediate context.
struct Direct3DDevice {
  ID3D11Device* device = nullptr;
  ID3D11DeviceContext* immediate = nullptr;
};
Direct3DDevice direct3d;

DXGI_FORMAT formatOf(const DxgiSurface& surface) {
  return surface.tenBit ? DXGI_FORMAT_R10G10B10A2_UNORM : DXGI_FORMAT_R8G8B8A8_UNORM;
}

UINT flagsOf(const DxgiSurface& surface) {
  return surface.switchesMode ? DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH : 0;
}

// The factory that made the device's adapter: swap chains must come from it.
IDXGIFactory1* deviceFactory() {
  IDXGIDevice* dxgiDevice = nullptr;
  IDXGIAdapter* adapter = nullptr;
  IDXGIFactory1* factory = nullptr;
  if (SUCCEEDED(direct3d.device->QueryInterface(__uuidof(IDXGIDevice),
                                                reinterpret_cast<void**>(&dxgiDevice)))) {
    if (SUCCEEDED(dxgiDevice->GetAdapter(&adapter))) {
      adapter->GetParent(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory));
      adapter->Release();
    }
    dxgiDevice->Release();
  }
  return factory;
}

// The back buffer, held until the caller releases it; null where refused.
ID3D11Texture2D* backBufferOf(const DxgiSurface& surface) {
  ID3D11Texture2D* backBuffer = nullptr;
  if (FAILED(surface.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D),
                                          reinterpret_cast<void**>(&backBuffer))))
    return nullptr;
  return backBuffer;
}

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

// Hardware first; WARP, Windows' own software rasteriser, where the video
// card's driver offers no device.
bool createDirect3DDevice() {
  if (direct3d.device != nullptr) return true;
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
    if (SUCCEEDED(create(nullptr, type, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &direct3d.device,
                         nullptr, &direct3d.immediate)))
      return true;
  }
  direct3d = Direct3DDevice{};
  printf("ERROR: Unable to create a Direct3D 11 device for the DXGI swap chains!\n");
  return false;
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
      description.Flags = flagsOf(surface);
      IDXGISwapChain1* chain = nullptr;
      if (SUCCEEDED(factory2->CreateSwapChainForHwnd(direct3d.device, hwnd, &description, nullptr,
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
    description.Flags = flagsOf(surface);
    if (SUCCEEDED(factory->CreateSwapChain(direct3d.device, &description, &surface.swapChain)))
      surface.swapEffect = "discard";
  }
  // Alt+Enter would take the window to full screen behind the program's
  // back: full screen is key F's, with the split view.
  if (surface.swapChain != nullptr) factory->MakeWindowAssociation(hwnd, DXGI_MWA_NO_ALT_ENTER);
  factory->Release();
  return surface.swapChain != nullptr;
}

const char* dxgiFormatName(const DxgiSurface& surface) {
  return surface.tenBit ? "R10G10B10A2_UNORM" : "R8G8B8A8_UNORM";
}

bool resizeSwapChain(const DxgiSurface& surface, int width, int height) {
  return SUCCEEDED(surface.swapChain->ResizeBuffers(0, static_cast<UINT>(width),
                                                    static_cast<UINT>(height), DXGI_FORMAT_UNKNOWN,
                                                    flagsOf(surface)));
}

// Both pixel layouts match their DXGI format word for word: OpenGL's
// 2_10_10_10_REV puts red in the low bits as R10G10B10A2 does, and bytes in
// R, G, B, A order are R8G8B8A8.
bool writeBackBuffer(const DxgiSurface& surface) {
  ID3D11Texture2D* backBuffer = backBufferOf(surface);
  if (backBuffer == nullptr) return false;
  direct3d.immediate->UpdateSubresource(
      backBuffer, 0, nullptr, surface.rowsTopDown.data(),
      static_cast<UINT>(static_cast<std::size_t>(surface.width) * sizeof(std::uint32_t)), 0);
  // No reference to a back buffer may outlive the frame: ResizeBuffers
  // fails while one is held.
  backBuffer->Release();
  return true;
}

bool presentBackBuffer(const DxgiSurface& surface) {
  return surface.swapChain->Present(1, 0) != DXGI_STATUS_OCCLUDED;
}

// Read through a staging texture the CPU can map.
int countBackBufferLevels(const DxgiSurface& surface, UINT left, int columns) {
  ID3D11Texture2D* backBuffer = backBufferOf(surface);
  if (backBuffer == nullptr) return unknownCount;
  D3D11_TEXTURE2D_DESC description = {};
  backBuffer->GetDesc(&description);
  description.Usage = D3D11_USAGE_STAGING;
  description.BindFlags = 0;
  description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  description.MiscFlags = 0;
  ID3D11Texture2D* staging = nullptr;
  int count = unknownCount;
  if (SUCCEEDED(direct3d.device->CreateTexture2D(&description, nullptr, &staging))) {
    direct3d.immediate->CopyResource(staging, backBuffer);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (SUCCEEDED(direct3d.immediate->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
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
      direct3d.immediate->Unmap(staging, 0);
    }
    staging->Release();
  }
  backBuffer->Release();
  return count;
}

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

void describeSwapChain(const DisplayWindow& record, SwapChainFacts& facts) {
  if (record.dxgi == nullptr) return;
  facts.format = dxgiFormatName(*record.dxgi);
  facts.effect = record.dxgi->swapEffect;
}

void releaseSwapChain(DxgiSurface& surface) {
  if (surface.swapChain == nullptr) return;
  // A swap chain in full screen must leave it before it goes, or the
  // display mode could stay changed.
  surface.swapChain->SetFullscreenState(FALSE, nullptr);
  surface.swapChain->Release();
  surface.swapChain = nullptr;
}

void releaseDirect3DDevice() {
  if (direct3d.immediate != nullptr) {
    direct3d.immediate->ClearState();
    direct3d.immediate->Flush();
    direct3d.immediate->Release();
  }
  if (direct3d.device != nullptr) direct3d.device->Release();
  direct3d = Direct3DDevice{};
}

}  // namespace win32
