// The two halves of --dxgi. The Direct3D 11 one (dxgi_swap_chain.cpp, the
// one file that includes Direct3D): the device, each surface's swap chain,
// exclusive full screen, and the levels read back from a back buffer. The
// OpenGL one (dxgi_present.cpp): each surface's framebuffer object, drawn by
// a window's context, whose frames it carries into the swap chain.
#pragma once

#include <cstdint>
#include <vector>

#include "windows/win32_front_end.h"

struct IDXGISwapChain;

namespace win32 {

// One window's (or full screen's) way to the screen.
struct DxgiSurface {
  bool tenBit = false;
  IDXGISwapChain* swapChain = nullptr;
  const char* swapEffect = "";
  // Full screen's swap chain may take the display mode it needs
  // (DXGI_SWAP_CHAIN_FLAG_ALLOW_MODE_SWITCH, kept on every ResizeBuffers).
  bool switchesMode = false;
  GLuint framebuffer = 0, colourBuffer = 0, depthBuffer = 0;
  // The size of the framebuffer object and the swap chain's buffers; 0
  // where unknown, so the next paint sets it.
  int width = 0, height = 0;
  // A frame as OpenGL reads it (rows bottom up), and as the back buffer
  // takes it (rows top down).
  std::vector<std::uint32_t> pixels, rowsTopDown;
};

// The one Direct3D 11 device, made the first time; false after printing why.
bool createDirect3DDevice();
// The surface's swap chain on hwnd at this size, in the surface's format;
// false where none can be made.
bool createSwapChain(HWND hwnd, DxgiSurface& surface, int width, int height);
// "R10G10B10A2_UNORM" or "R8G8B8A8_UNORM".
const char* dxgiFormatName(const DxgiSurface& surface);
// The swap chain's buffers at this size; false where refused.
bool resizeSwapChain(const DxgiSurface& surface, int width, int height);
// The surface's rowsTopDown into the back buffer; false where it cannot.
bool writeBackBuffer(const DxgiSurface& surface);
// Presents the back buffer; false where the window is occluded.
bool presentBackBuffer(const DxgiSurface& surface);
// The distinct colours in the back buffer's columns from `left` on,
// `columns` of them (all where negative); -1 where it cannot be read.
int countBackBufferLevels(const DxgiSurface& surface, UINT left = 0, int columns = -1);
// Out of full screen first, where it was there, then released.
void releaseSwapChain(DxgiSurface& surface);
void releaseDirect3DDevice();

}  // namespace win32
