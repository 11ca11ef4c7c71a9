// The check on Win32: each window's framebuffer measured through the shared
// level count, and the display under the 10-bit window: its bits per colour
// as the system reports them, through DXGI (dxgi.dll, loaded at run time so
// the program still starts where there is none) and the display
// configuration's advanced colour information (Windows 10 and later, looked
// up at run time too), which also tells how the desktop compositor composes
// the windows. Where neither answers (older Windows, Wine) both stay unknown.
#include <cstdio>
#include <vector>

#include "app/display_check.h"
#include "render/level_count.h"
#include "render/split_view.h"
#include "windows/win32_front_end.h"
// COM interfaces, after <windows.h>.
#include <dxgi1_6.h>

namespace win32 {

namespace {

// The DPI of the window's monitor as Windows drives it, asked as a
// per-monitor aware thread so that no DPI virtualisation hides it (Windows 10
// 1607 and later); 0 where that cannot be asked.
UINT monitorDpi(HWND hwnd) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  HMODULE shcore = LoadLibraryA("shcore.dll");
  const auto setThreadAwareness =
      procedure<HANDLE(WINAPI*)(HANDLE)>(user32, "SetThreadDpiAwarenessContext");
  const auto dpiForMonitor =
      shcore == nullptr
          ? nullptr
          : procedure<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>(shcore, "GetDpiForMonitor");
  UINT dpiX = 0, dpiY = 0;
  if (setThreadAwareness != nullptr && dpiForMonitor != nullptr) {
    const HANDLE perMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
    const HANDLE previous = setThreadAwareness(perMonitorAware);
    if (FAILED(dpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), 0, &dpiX, &dpiY)))
      dpiY = 0;  // 0: MDT_EFFECTIVE_DPI
    setThreadAwareness(previous);
  }
  if (shcore != nullptr) FreeLibrary(shcore);
  return dpiY;
}

// Windows stretches a window drawn for another DPI than its monitor's. The
// program's manifest makes it per-monitor aware; Windows 10 1607 and later
// tell each window's awareness and the DPI it is drawn for. Older Windows
// has one DPI for every monitor, at which a DPI-aware process draws.
PixelScaling pixelScalingOf(HWND hwnd) {
  constexpr int perMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE
  HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto contextOf = procedure<HANDLE(WINAPI*)(HWND)>(user32, "GetWindowDpiAwarenessContext");
  const auto awarenessOf =
      procedure<int(WINAPI*)(HANDLE)>(user32, "GetAwarenessFromDpiAwarenessContext");
  const auto dpiForWindow = procedure<UINT(WINAPI*)(HWND)>(user32, "GetDpiForWindow");
  if (contextOf != nullptr && awarenessOf != nullptr && dpiForWindow != nullptr) {
    if (awarenessOf(contextOf(hwnd)) == perMonitorAware) return PixelScaling::OneToOne;
    const UINT monitor = monitorDpi(hwnd);
    if (monitor == 0) return PixelScaling::Unknown;
    return monitor == dpiForWindow(hwnd) ? PixelScaling::OneToOne : PixelScaling::Scaled;
  }
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return IsProcessDPIAware() || dpi == USER_DEFAULT_SCREEN_DPI ? PixelScaling::OneToOne
                                                               : PixelScaling::Scaled;
}

void measureWindow(DisplayWindow& record, WindowMeasurement& measurement) {
  if (record.hwnd == nullptr || record.gl.context == nullptr) return;
  measurement.pixels = pixelScalingOf(record.hwnd);
  RECT client = {};
  GetClientRect(record.hwnd, &client);
  wglMakeCurrent(record.gl.dc, record.gl.context);
  if (record.dxgi != nullptr) drawIntoDxgiSurface(record, client.right, client.bottom);
  readFramebufferBits(measurement);
  // A DXGI window's ramp goes on into its back buffer and is counted there.
  measureRamps(measurement, client.right, client.bottom,
               record.dxgi != nullptr ? readBackBufferRamp : nullptr, &record);
  wglMakeCurrent(record.gl.dc, nullptr);
}

// Both halves of the split view, on the full-screen window's surface.
void measureFullScreen(CheckReport& report) {
  RECT client = {};
  GetClientRect(fullScreen.hwnd, &client);
  wglMakeCurrent(fullScreen.gl.dc, fullScreen.gl.context);
  if (fullScreen.dxgi != nullptr) drawIntoDxgiSurface(fullScreen, client.right, client.bottom);
  measureSplitView(report.window8, report.window10, client.right, client.bottom,
                   fullScreen.dxgi != nullptr ? readBackBufferHalves : nullptr, &fullScreen);
  wglMakeCurrent(fullScreen.gl.dc, nullptr);
  // Both halves lie in the one swap chain.
  describeSwapChain(fullScreen, report.swapChain8);
  describeSwapChain(fullScreen, report.swapChain10);
}

// DXGI 1.6's output description of the monitor, 0 where it does not tell.
UINT dxgiBitsPerColour(HMONITOR monitor) {
  HMODULE dxgi = LoadLibraryA("dxgi.dll");
  if (dxgi == nullptr) return 0;
  using CreateFactory = HRESULT(WINAPI*)(REFIID, void**);
  auto create = procedure<CreateFactory>(dxgi, "CreateDXGIFactory1");
  IDXGIFactory1* factory = nullptr;
  UINT bits = 0;
  if (create != nullptr &&
      SUCCEEDED(create(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(&factory)))) {
    IDXGIAdapter1* adapter = nullptr;
    for (UINT a = 0; factory->EnumAdapters1(a, &adapter) == S_OK; ++a) {
      IDXGIOutput* output = nullptr;
      for (UINT o = 0; adapter->EnumOutputs(o, &output) == S_OK; ++o) {
        DXGI_OUTPUT_DESC description = {};
        IDXGIOutput6* output6 = nullptr;
        if (SUCCEEDED(output->GetDesc(&description)) && description.Monitor == monitor &&
            SUCCEEDED(output->QueryInterface(__uuidof(IDXGIOutput6),
                                             reinterpret_cast<void**>(&output6)))) {
          DXGI_OUTPUT_DESC1 description1 = {};
          if (SUCCEEDED(output6->GetDesc1(&description1))) bits = description1.BitsPerColor;
          output6->Release();
        }
        output->Release();
      }
      adapter->Release();
    }
    factory->Release();
  }
  FreeLibrary(dxgi);
  return bits;
}

// Windows 11 24H2's second advanced colour request, which MinGW-w64's
// headers do not have yet: the same answers plus the active colour mode.
constexpr UINT32 getAdvancedColourInfo2 = 15;
enum : UINT32 { activeModeSdr = 0, activeModeWideColour = 1, activeModeHdr = 2 };
struct AdvancedColourInfo2 {
  DISPLAYCONFIG_DEVICE_INFO_HEADER header;
  UINT32 flags;
  DISPLAYCONFIG_COLOR_ENCODING colorEncoding;
  UINT32 bitsPerColorChannel;
  UINT32 activeColorMode;
};

using DeviceInfo = LONG(WINAPI*)(DISPLAYCONFIG_DEVICE_INFO_HEADER*);

ActiveColourMode activeColourMode(DeviceInfo deviceInfo, const DISPLAYCONFIG_PATH_INFO& path) {
  AdvancedColourInfo2 colour = {};
  colour.header.type = static_cast<DISPLAYCONFIG_DEVICE_INFO_TYPE>(getAdvancedColourInfo2);
  colour.header.size = sizeof colour;
  colour.header.adapterId = path.targetInfo.adapterId;
  colour.header.id = path.targetInfo.id;
  if (deviceInfo(&colour.header) != ERROR_SUCCESS) return ActiveColourMode::Unanswered;
  switch (colour.activeColorMode) {
    case activeModeSdr:
      return ActiveColourMode::Sdr;
    case activeModeWideColour:
      return ActiveColourMode::WideColour;
    case activeModeHdr:
      return ActiveColourMode::Hdr;
    default:
      return ActiveColourMode::Unanswered;
  }
}

void readAdvancedColour(DeviceInfo deviceInfo, const DISPLAYCONFIG_PATH_INFO& path,
                        AdvancedColourAnswers& answers) {
  DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO colour = {};
  colour.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO;
  colour.header.size = sizeof colour;
  colour.header.adapterId = path.targetInfo.adapterId;
  colour.header.id = path.targetInfo.id;
  if (deviceInfo(&colour.header) == ERROR_SUCCESS) {
    answers.answered = true;
    answers.supported = colour.advancedColorSupported != 0;
    answers.enabled = colour.advancedColorEnabled != 0;
    answers.wideColourEnforced = colour.wideColorEnforced != 0;
    if (colour.bitsPerColorChannel != 0)
      answers.bitsPerColour = static_cast<int>(colour.bitsPerColorChannel);
  }
  answers.activeMode = activeColourMode(deviceInfo, path);
}

// The display configuration's advanced colour answers for the path whose
// source is this GDI device ("\\.\DISPLAY1"); nothing answered where the
// requests are unknown (older Windows; Wine answers 87).
AdvancedColourAnswers advancedColour(const char* gdiDeviceName) {
  AdvancedColourAnswers answers;
  HMODULE user32 = GetModuleHandleA("user32.dll");
  using BufferSizes = LONG(WINAPI*)(UINT32, UINT32*, UINT32*);
  using Query = LONG(WINAPI*)(UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*, UINT32*,
                              DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID*);
  auto bufferSizes = procedure<BufferSizes>(user32, "GetDisplayConfigBufferSizes");
  auto query = procedure<Query>(user32, "QueryDisplayConfig");
  auto deviceInfo = procedure<DeviceInfo>(user32, "DisplayConfigGetDeviceInfo");
  UINT32 pathCount = 0, modeCount = 0;
  if (bufferSizes == nullptr || query == nullptr || deviceInfo == nullptr ||
      bufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS)
    return answers;
  std::vector<DISPLAYCONFIG_PATH_INFO> paths(pathCount);
  std::vector<DISPLAYCONFIG_MODE_INFO> modes(modeCount);
  if (query(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr) !=
      ERROR_SUCCESS)
    return answers;
  for (UINT32 i = 0; i < pathCount; ++i) {
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source = {};
    source.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME;
    source.header.size = sizeof source;
    source.header.adapterId = paths[i].sourceInfo.adapterId;
    source.header.id = paths[i].sourceInfo.id;
    if (deviceInfo(&source.header) != ERROR_SUCCESS) continue;
    char name[CCHDEVICENAME + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, source.viewGdiDeviceName, -1, name, sizeof name, nullptr,
                        nullptr);
    if (lstrcmpiA(name, gdiDeviceName) != 0) continue;
    readAdvancedColour(deviceInfo, paths[i], answers);
    break;
  }
  return answers;
}

void readDisplayOutput(DisplayOutputFacts& facts) {
  HMONITOR monitor = MonitorFromWindow(window10.hwnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFOEXA info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return;
  facts.name = info.szDevice;
  const AdvancedColourAnswers colour = advancedColour(info.szDevice);
  facts.composition = desktopComposition(colour);
  UINT bits = colour.bitsPerColour == unknownCount ? 0 : static_cast<UINT>(colour.bitsPerColour);
  if (bits == 0) bits = dxgiBitsPerColour(monitor);
  if (bits != 0) facts.systemBitsPerColour = reportedBits(bits);
}

}  // namespace

bool reportDisplayChain() {
  CheckReport report;
  report.presentation = currentPresentation();
  if (inFullScreen()) {
    measureFullScreen(report);
  } else {
    measureWindow(window8, report.window8);
    measureWindow(window10, report.window10);
    describeSwapChain(window8, report.swapChain8);
    describeSwapChain(window10, report.swapChain10);
  }
  readDisplayOutput(report.output);
  return printCheckReport(report);
}

void printReportAndRepaint() {
  reportDisplayChain();
  // The back buffers hold the last ramp measured; the scene comes back at once
  // (in the split view where it shows).
  refreshBoth();
}

}  // namespace win32
