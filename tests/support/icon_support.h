// What the icon's tests share: the .ico parsed into its images, colour
// classes, finding the artwork's parts (letters, monitor), and a fixture that
// reads the icon the build generated.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace icon_support {

struct Colour {
  int r, g, b;
  bool operator==(const Colour& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator<(const Colour& o) const {
    return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b;
  }
};

struct DirEntry {
  int width, height, colourCount, planes, bpp;
  unsigned bytes, offset;
};

struct IconImage {
  int size = 0, bpp = 0;
  std::vector<Colour> palette;
  std::vector<int> index;         // top-down, row-major
  std::vector<bool> transparent;  // AND mask bit, top-down
  bool clear(int x, int y) const { return transparent[static_cast<size_t>(y * size + x)]; }
  int indexAt(int x, int y) const { return index[static_cast<size_t>(y * size + x)]; }
  Colour at(int x, int y) const { return palette[static_cast<size_t>(indexAt(x, y))]; }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < size && y < size; }
};

struct IconFile {
  std::string error;  // empty when the file parsed cleanly
  size_t fileSize = 0;
  std::vector<DirEntry> entries;
  std::vector<IconImage> images;
};

inline unsigned get16(const std::string& s, size_t at) {
  return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
inline unsigned get32(const std::string& s, size_t at) {
  return get16(s, at) | get16(s, at + 2) << 16;
}

inline int rowBytes(int width, int bpp) {
  return (width * bpp + 31) / 32 * 4;
}

inline IconFile parseIcon(const std::string& s) {
  IconFile f;
  f.fileSize = s.size();
  if (s.size() < 6 || get16(s, 0) != 0 || get16(s, 2) != 1) {
    f.error = "not an icon directory";
    return f;
  }
  const unsigned count = get16(s, 4);
  if (s.size() < 6 + 16 * count) {
    f.error = "directory truncated";
    return f;
  }
  for (unsigned i = 0; i < count; ++i) {
    const size_t e = 6 + 16 * i;
    DirEntry d{static_cast<unsigned char>(s[e]),
               static_cast<unsigned char>(s[e + 1]),
               static_cast<unsigned char>(s[e + 2]),
               static_cast<int>(get16(s, e + 4)),
               static_cast<int>(get16(s, e + 6)),
               get32(s, e + 8),
               get32(s, e + 12)};
    f.entries.push_back(d);
    const std::string which = "image " + std::to_string(i) + ": ";
    if (s[e + 3] != 0) f.error = which + "reserved byte set";
    if (static_cast<size_t>(d.offset) + d.bytes > s.size() || d.bytes < 40) {
      f.error = which + "data outside the file";
      return f;
    }
    const size_t h = d.offset;
    const int bpp = static_cast<int>(get16(s, h + 14));
    const int n = static_cast<int>(get32(s, h + 4));
    if (get32(s, h) != 40 || n != d.width || static_cast<int>(get32(s, h + 8)) != 2 * d.height ||
        get16(s, h + 12) != 1 || bpp != d.bpp || get32(s, h + 16) != 0 || n != d.height ||
        (bpp != 4 && bpp != 8)) {
      f.error = which + "header does not match its directory entry";
      return f;
    }
    const unsigned used = get32(s, h + 32);
    const int paletteSize = used ? static_cast<int>(used) : 1 << bpp;
    const int xorRow = rowBytes(n, bpp), andRow = rowBytes(n, 1);
    const size_t expected = 40 + 4 * static_cast<size_t>(paletteSize) +
                            static_cast<size_t>(n) * static_cast<size_t>(xorRow + andRow);
    if (d.bytes != expected) {
      f.error =
          which + "size " + std::to_string(d.bytes) + ", expected " + std::to_string(expected);
      return f;
    }
    IconImage img;
    img.size = n;
    img.bpp = bpp;
    for (int p = 0; p < paletteSize; ++p) {
      const size_t q = h + 40 + 4 * static_cast<size_t>(p);
      img.palette.push_back({static_cast<unsigned char>(s[q + 2]),
                             static_cast<unsigned char>(s[q + 1]),
                             static_cast<unsigned char>(s[q])});
    }
    const size_t colours = h + 40 + 4 * static_cast<size_t>(paletteSize);
    const size_t mask = colours + static_cast<size_t>(n * xorRow);
    img.index.resize(static_cast<size_t>(n * n));
    img.transparent.resize(static_cast<size_t>(n * n));
    for (int y = 0; y < n; ++y) {
      const int row = n - 1 - y;  // stored bottom-up
      for (int x = 0; x < n; ++x) {
        const auto c = static_cast<unsigned char>(
            s[colours + static_cast<size_t>(row * xorRow + x * bpp / 8)]);
        int v = bpp == 8 ? c : (x % 2 ? c & 0x0f : c >> 4);
        if (v >= paletteSize) {
          f.error = which + "colour index outside the palette";
          v = 0;
        }
        img.index[static_cast<size_t>(y * n + x)] = v;
        const auto m =
            static_cast<unsigned char>(s[mask + static_cast<size_t>(row * andRow + x / 8)]);
        img.transparent[static_cast<size_t>(y * n + x)] = (m >> (7 - x % 8)) & 1;
      }
    }
    f.images.push_back(img);
  }
  return f;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- Colour classes ----

inline int maxOf(Colour c) {
  return std::max({c.r, c.g, c.b});
}
inline int minOf(Colour c) {
  return std::min({c.r, c.g, c.b});
}
inline bool isBlue(Colour c) {
  return c.b >= 160 && c.r <= 80 && c.g <= 110;
}
inline bool isGreen(Colour c) {
  return c.g >= 160 && c.r <= 100 && c.b <= 100;
}
inline bool isWhite(Colour c) {
  return minOf(c) >= 240;
}
inline bool isNeutral(Colour c) {
  return maxOf(c) - minOf(c) <= 8;
}
inline bool isDarkGrey(Colour c) {
  return isNeutral(c) && maxOf(c) < 150;
}
inline bool isSaturated(Colour c) {
  return maxOf(c) >= 128 && maxOf(c) - minOf(c) >= 0.6 * maxOf(c);
}
inline double saturation(Colour c) {
  return maxOf(c) ? double(maxOf(c) - minOf(c)) / maxOf(c) : 0.0;
}

// Hue in sixths of the circle, 0 (red) to 5 (magenta).
inline int hueSextant(Colour c) {
  const int mx = maxOf(c), d = mx - minOf(c);
  double h;
  if (mx == c.r)
    h = double(c.g - c.b) / d;
  else if (mx == c.g)
    h = 2.0 + double(c.b - c.r) / d;
  else
    h = 4.0 + double(c.r - c.g) / d;
  if (h < 0) h += 6.0;
  return static_cast<int>(h) % 6;
}

// ---- Finding the parts of the drawing ----

struct Box {
  int x0, y0, x1, y1;
  int width() const { return x1 - x0 + 1; }
  int height() const { return y1 - y0 + 1; }
};

template <typename Pred>
std::vector<std::vector<std::pair<int, int>>> components(const IconImage& img, Pred pred,
                                                         bool eightWay) {
  std::vector<std::vector<std::pair<int, int>>> result;
  std::vector<bool> seen(static_cast<size_t>(img.size * img.size));
  auto wanted = [&](int x, int y) {
    return img.inside(x, y) && !img.clear(x, y) && pred(img.at(x, y));
  };
  for (int y = 0; y < img.size; ++y)
    for (int x = 0; x < img.size; ++x) {
      if (seen[static_cast<size_t>(y * img.size + x)] || !wanted(x, y)) continue;
      std::vector<std::pair<int, int>> part, stack{{x, y}};
      seen[static_cast<size_t>(y * img.size + x)] = true;
      while (!stack.empty()) {
        const auto [px, py] = stack.back();
        stack.pop_back();
        part.push_back({px, py});
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            if ((dx == 0 && dy == 0) || (!eightWay && dx != 0 && dy != 0)) continue;
            const int nx = px + dx, ny = py + dy;
            if (wanted(nx, ny) && !seen[static_cast<size_t>(ny * img.size + nx)]) {
              seen[static_cast<size_t>(ny * img.size + nx)] = true;
              stack.push_back({nx, ny});
            }
          }
      }
      result.push_back(part);
    }
  return result;
}

inline Box boundsOf(const std::vector<std::pair<int, int>>& part) {
  Box b{part[0].first, part[0].second, part[0].first, part[0].second};
  for (const auto& [x, y] : part) {
    b.x0 = std::min(b.x0, x);
    b.y0 = std::min(b.y0, y);
    b.x1 = std::max(b.x1, x);
    b.y1 = std::max(b.y1, y);
  }
  return b;
}

// Blue shapes at least five pixels high, left to right: the letters.
inline std::vector<Box> letters(const IconImage& img) {
  std::vector<Box> found;
  for (const auto& part : components(img, isBlue, true)) {
    const Box b = boundsOf(part);
    if (b.height() >= 5) found.push_back(b);
  }
  std::sort(found.begin(), found.end(), [](const Box& a, const Box& b) { return a.x0 < b.x0; });
  return found;
}

struct Monitor {
  bool found = false;
  std::vector<Box> letters;
  Box screen{}, frame{};
};

// The screen is the white area around the letters; the frame's outer edge is
// the first dark grey met going outward from the middle of each screen side.
inline Monitor findMonitor(const IconImage& img) {
  Monitor m;
  m.letters = letters(img);
  if (m.letters.size() != 3) return m;
  const int seedX = m.letters[0].x0, seedY = m.letters[0].y0 - 1;
  if (!img.inside(seedX, seedY) || !isWhite(img.at(seedX, seedY))) return m;
  for (const auto& part : components(img, isWhite, false)) {
    if (std::find(part.begin(), part.end(), std::make_pair(seedX, seedY)) != part.end())
      m.screen = boundsOf(part);
  }
  const int midX = (m.screen.x0 + m.screen.x1) / 2, midY = (m.screen.y0 + m.screen.y1) / 2;
  auto walk = [&](int x, int y, int dx, int dy, int& edge) {
    for (; img.inside(x, y) && !img.clear(x, y); x += dx, y += dy) {
      const Colour c = img.at(x, y);
      if (isDarkGrey(c)) {
        edge = dx ? x : y;
        return true;
      }
      if (!isNeutral(c)) return false;
    }
    return false;
  };
  m.found = walk(m.screen.x0 - 1, midY, -1, 0, m.frame.x0) &&
            walk(m.screen.x1 + 1, midY, 1, 0, m.frame.x1) &&
            walk(midX, m.screen.y0 - 1, 0, -1, m.frame.y0) &&
            walk(midX, m.screen.y1 + 1, 0, 1, m.frame.y1);
  return m;
}

// Opaque pixels beside or above the monitor frame (the stand is below it).
inline std::vector<Colour> pixelsAroundFrame(const IconImage& img, const Box& frame) {
  std::vector<Colour> result;
  for (int y = 0; y <= frame.y1; ++y)
    for (int x = 0; x < img.size; ++x)
      if (!img.clear(x, y) && (x < frame.x0 || x > frame.x1 || y < frame.y0))
        result.push_back(img.at(x, y));
  return result;
}

// ---- Fixture: the icon the build generated ----

class IconTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { icon = new IconFile(parseIcon(readFile(LUMIVANE_ICON_PATH))); }
  static void TearDownTestSuite() {
    delete icon;
    icon = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(icon->error.empty()) << icon->error;
    ASSERT_EQ(icon->images.size(), 4u);
  }
  // Images in file order: 32 at 4 bpp, 16 at 4 bpp, 48 at 8 bpp, 32 at 8 bpp.
  static const IconImage& image(int i) { return icon->images[static_cast<size_t>(i)]; }
  inline static IconFile* icon = nullptr;
};

}  // namespace icon_support
