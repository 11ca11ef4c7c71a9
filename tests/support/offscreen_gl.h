// Headless OpenGL for tests and the benchmark: a desktop compatibility
// context on Mesa's surfaceless EGL platform, drawing into a framebuffer
// object with 8 or 10 bits per colour channel and a 24-bit depth buffer.
#pragma once

#include <string>
#include <vector>

struct Pixel {
  int r, g, b;  // 0..255 at 8 bits, 0..1023 at 10 bits
};

class OffscreenGl {
 public:
  // A fresh context (so initContextState sees an identity modelview) with a
  // width by height colour buffer of `bits` (8 or 10) per channel, current
  // on return. ok() tells whether it all worked; error() says why not.
  OffscreenGl(int width, int height, int bits);
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  int bits() const { return bits_; }
  int maxLevel() const { return (1 << bits_) - 1; }

  void makeCurrent();
  // The whole buffer, rows bottom up as OpenGL counts them.
  std::vector<Pixel> read() const;
  Pixel at(const std::vector<Pixel>& image, int x, int y) const { return image[y * width_ + x]; }

 private:
  int width_, height_, bits_;
  std::string error_;
  void* context_ = nullptr;
  unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
};
