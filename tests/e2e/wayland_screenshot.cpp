// Saves a window on a sway session as a PPM file with 16 bits per sample, so
// that a 10-bit output's levels survive (scripts/run turns it into a PNG).
// The window is found by its exact title and read back through the
// compositor's screen copy at the output's own depth.
//
//   wayland_screenshot WAYLAND_SOCKET SWAY_IPC_SOCKET TITLE FILE.ppm
#include <cstdio>
#include <string>

#include "wayland_screen.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: wayland_screenshot WAYLAND_SOCKET SWAY_IPC_SOCKET TITLE FILE.ppm\n");
    return 2;
  }
  SwayScreen screen(argv[1], argv[2]);
  const unsigned long window = screen.waitForWindow(argv[3], 10);
  if (window == 0) {
    std::fprintf(stderr, "wayland_screenshot: no window titled '%s'\n", argv[3]);
    return 1;
  }
  const ScreenImage image = screen.grab(screen.rectOf(window));
  if (image.pixels.empty()) return 1;  // the reason is on standard error
  FILE* file = std::fopen(argv[4], "wb");
  if (file == nullptr) {
    std::perror(argv[4]);
    return 1;
  }
  // Samples widened to 16 bits by bit replication, as a 16-bit PNG holds them.
  const int bits = image.maxLevel == 1023 ? 10 : 8;
  std::fprintf(file, "P6\n%d %d\n65535\n", image.width, image.height);
  for (const ScreenPixel& p : image.pixels) {
    for (int level : {p.r, p.g, p.b}) {
      const unsigned wide = static_cast<unsigned>(level) << (16 - bits) |
                            static_cast<unsigned>(level) >> (2 * bits - 16);
      std::fputc(static_cast<int>(wide >> 8), file);
      std::fputc(static_cast<int>(wide & 255), file);
    }
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
