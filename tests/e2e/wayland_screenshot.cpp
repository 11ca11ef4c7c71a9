// Saves a rectangle of a Wayland compositor's output as a PPM file with 16
// bits per sample, so that a 10-bit output's levels survive (scripts/run
// turns it into a PNG). The compositor must offer screen copies (sway does).
//
//   wayland_screenshot SOCKET X Y WIDTH HEIGHT FILE.ppm
#include <cstdio>
#include <cstdlib>
#include <string>

#include "wayland_screen.h"

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: wayland_screenshot SOCKET X Y WIDTH HEIGHT FILE.ppm\n");
    return 2;
  }
  ScreenImage output;
  std::string error;
  if (!copyWaylandOutput(argv[1], output, error)) {
    std::fprintf(stderr, "wayland_screenshot: %s\n", error.c_str());
    return 1;
  }
  const int left = std::atoi(argv[2]), top = std::atoi(argv[3]);
  const int width = std::atoi(argv[4]), height = std::atoi(argv[5]);
  if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > output.width ||
      top + height > output.height) {
    std::fprintf(stderr, "wayland_screenshot: the rectangle leaves the %dx%d output\n",
                 output.width, output.height);
    return 1;
  }
  FILE* file = std::fopen(argv[6], "wb");
  if (file == nullptr) {
    std::perror(argv[6]);
    return 1;
  }
  // Samples widened to 16 bits by bit replication, as a 16-bit PNG holds them.
  const int bits = output.maxLevel == 1023 ? 10 : 8;
  std::fprintf(file, "P6\n%d %d\n65535\n", width, height);
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      const ScreenPixel& p = output.at(x, y);
      for (int level : {p.r, p.g, p.b}) {
        const unsigned wide = static_cast<unsigned>(level) << (16 - bits) |
                              static_cast<unsigned>(level) >> (2 * bits - 16);
        std::fputc(static_cast<int>(wide >> 8), file);
        std::fputc(static_cast<int>(wide & 255), file);
      }
    }
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
