// The check on Win32: each window's framebuffer measured through the shared
// level count, and the display under the 10-bit window: its bits per colour
// as the system reports them, through DXGI (dxgi.dll, loaded at run time so
// the program still starts where there is none) and the display
// configuration's advanced colour information (Windows 10 and later, looked
// up at run time too). Where neither answers (older Windows, Wine) the bits
// stay unknown.
#include <cstdio>
#include <vector>

#include "app/display_check.h"
#include "render/level_count.h"
#include "windows/win32_front_end.h"
// COM interfaces, after <windows.h>.
#include <dxgi1_6.h>

namespace win32 {

namespace {

void measureWindow(DisplayWindow& record, WindowMeasurement& measurement) {
  if (record.hwnd == nullptr || record.hglrc == nullptr) return;
  RECT client = {};
  GetClientRect(record.hwnd, &client);
  wglMakeCurrent(record.hdc, record.hglrc);
  readFramebufferBits(measurement);
  // A DXGI window's ramp goes on into its back buffer and is counted there.
  measureRamps(measurement, client.right, client.bottom,
               record.dxgi != nullptr ? readBackBufferRamp : nullptr, &record);
  wglMakeCurrent(record.hdc, nullptr);
}

template <typename Function>
Function procedure(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
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

// The display configuration's advanced colour information for the path
// whose source is this GDI device ("\\.\DISPLAY1"), 0 where it does not tell.
UINT advancedColourBitsPerColour(const char* gdiDeviceName) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  using BufferSizes = LONG(WINAPI*)(UINT32, UINT32*, UINT32*);
  using Query = LONG(WINAPI*)(UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*, UINT32*,
                              DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID*);
  using DeviceInfo = LONG(WINAPI*)(DISPLAYCONFIG_DEVICE_INFO_HEADER*);
  auto bufferSizes = procedure<BufferSizes>(user32, "GetDisplayConfigBufferSizes");
  auto query = procedure<Query>(user32, "QueryDisplayConfig");
  auto deviceInfo = procedure<DeviceInfo>(user32, "DisplayConfigGetDeviceInfo");
  UINT32 pathCount = 0, modeCount = 0;
  if (bufferSizes == nullptr || query == nullptr || deviceInfo == nullptr ||
      bufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS)
    return 0;
  std::vector<DISPLAYCONFIG_PATH_INFO> paths(pathCount);
  std::vector<DISPLAYCONFIG_MODE_INFO> modes(modeCount);
  if (query(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr) !=
      ERROR_SUCCESS)
    return 0;
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
    DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO colour = {};
    colour.header.type = DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO;
    colour.header.size = sizeof colour;
    colour.header.adapterId = paths[i].targetInfo.adapterId;
    colour.header.id = paths[i].targetInfo.id;
    if (deviceInfo(&colour.header) == ERROR_SUCCESS) return colour.bitsPerColorChannel;
  }
  return 0;
}

void readDisplayOutput(DisplayOutputFacts& facts) {
  HMONITOR monitor = MonitorFromWindow(window10.hwnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFOEXA info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return;
  facts.name = info.szDevice;
  UINT bits = advancedColourBitsPerColour(info.szDevice);
  if (bits == 0) bits = dxgiBitsPerColour(monitor);
  if (bits != 0) facts.systemBitsPerColour = reportedBits(bits);
}

}  // namespace

bool reportDisplayChain() {
  CheckReport report;
  measureWindow(window8, report.window8);
  measureWindow(window10, report.window10);
  describeSwapChain(window8, report.swapChain8);
  describeSwapChain(window10, report.swapChain10);
  readDisplayOutput(report.output);
  printf("%s", formatCheckReport(report).c_str());
  return judgeDisplayChain(report).tenBitsDelivered;
}

void printReportAndRepaint() {
  reportDisplayChain();
  // The back buffers hold the last ramp measured; the scene comes back at once.
  refreshBoth();
}

}  // namespace win32
