// Checks the application icon drawn by make_icon: the .ico layout Windows
// expects (four classic DIB images with palettes and AND masks) and the main
// features of the artwork in each image; the desktop's PNG icons and the X11
// icon images drawn from the same artwork.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "lumivane_icon_argb.h"

namespace {

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

unsigned get16(const std::string& s, size_t at) {
  return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
unsigned get32(const std::string& s, size_t at) {
  return get16(s, at) | get16(s, at + 2) << 16;
}

int rowBytes(int width, int bpp) {
  return (width * bpp + 31) / 32 * 4;
}

IconFile parseIcon(const std::string& s) {
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

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- Colour classes ----

int maxOf(Colour c) {
  return std::max({c.r, c.g, c.b});
}
int minOf(Colour c) {
  return std::min({c.r, c.g, c.b});
}
bool isBlue(Colour c) {
  return c.b >= 160 && c.r <= 80 && c.g <= 110;
}
bool isGreen(Colour c) {
  return c.g >= 160 && c.r <= 100 && c.b <= 100;
}
bool isWhite(Colour c) {
  return minOf(c) >= 240;
}
bool isNeutral(Colour c) {
  return maxOf(c) - minOf(c) <= 8;
}
bool isDarkGrey(Colour c) {
  return isNeutral(c) && maxOf(c) < 150;
}
bool isSaturated(Colour c) {
  return maxOf(c) >= 128 && maxOf(c) - minOf(c) >= 0.6 * maxOf(c);
}
double saturation(Colour c) {
  return maxOf(c) ? double(maxOf(c) - minOf(c)) / maxOf(c) : 0.0;
}

// Hue in sixths of the circle, 0 (red) to 5 (magenta).
int hueSextant(Colour c) {
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

Box boundsOf(const std::vector<std::pair<int, int>>& part) {
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
std::vector<Box> letters(const IconImage& img) {
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
Monitor findMonitor(const IconImage& img) {
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
std::vector<Colour> pixelsAroundFrame(const IconImage& img, const Box& frame) {
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
  static IconFile* icon;
};
IconFile* IconTest::icon = nullptr;

const char* const kNames[] = {"32x32 4-bit", "16x16 4-bit", "48x48 8-bit", "32x32 8-bit"};

TEST_F(IconTest, DirectoryListsTheFourImagesInOrder) {
  const int sizes[] = {32, 16, 48, 32}, depths[] = {4, 4, 8, 8}, counts[] = {16, 16, 0, 0};
  for (int i = 0; i < 4; ++i) {
    const DirEntry& d = icon->entries[static_cast<size_t>(i)];
    EXPECT_EQ(d.width, sizes[i]) << kNames[i];
    EXPECT_EQ(d.height, sizes[i]) << kNames[i];
    EXPECT_EQ(d.bpp, depths[i]) << kNames[i];
    EXPECT_EQ(d.colourCount, counts[i]) << kNames[i];
    EXPECT_EQ(d.planes, 1) << kNames[i];
    EXPECT_EQ(image(i).size, sizes[i]) << kNames[i];
    EXPECT_EQ(image(i).bpp, depths[i]) << kNames[i];
    EXPECT_EQ(image(i).palette.size(), depths[i] == 4 ? 16u : 256u) << kNames[i];
  }
}

TEST_F(IconTest, ImageDataFollowsTheDirectoryBackToBackToTheEndOfTheFile) {
  unsigned next = 6 + 16 * 4;
  for (const DirEntry& d : icon->entries) {
    EXPECT_EQ(d.offset, next);
    next = d.offset + d.bytes;
  }
  EXPECT_EQ(next, icon->fileSize);
}

TEST_F(IconTest, FourBitImagesUseTheStandardVgaPalette) {
  const std::vector<Colour> vga = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                   {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                   {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                   {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  EXPECT_EQ(image(0).palette, vga);
  EXPECT_EQ(image(1).palette, vga);
}

TEST_F(IconTest, EightBitImagesHaveARichPalette) {
  for (int i : {2, 3}) {
    const std::set<Colour> distinct(image(i).palette.begin(), image(i).palette.end());
    EXPECT_GE(distinct.size(), 200u) << kNames[i];
    EXPECT_EQ(image(i).palette[0], (Colour{0, 0, 0})) << kNames[i];
  }
}

TEST_F(IconTest, CornersAndEveryMaskedPixelAreTransparentColourZero) {
  for (int i = 0; i < 4; ++i) {
    const IconImage& img = image(i);
    const int last = img.size - 1;
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}})
      EXPECT_TRUE(img.clear(x, y)) << kNames[i] << " corner " << x << "," << y;
    int opaque = 0;
    for (int y = 0; y < img.size; ++y)
      for (int x = 0; x < img.size; ++x) {
        if (img.clear(x, y)) {
          EXPECT_EQ(img.indexAt(x, y), 0) << kNames[i] << " at " << x << "," << y;
        } else {
          ++opaque;
        }
      }
    EXPECT_GT(opaque, img.size * img.size / 3) << kNames[i];
    EXPECT_LT(opaque, img.size * img.size) << kNames[i];
  }
}

TEST_F(IconTest, ScreenShowsLmvInBlueCapitalsOnWhite) {
  for (int i = 0; i < 4; ++i) {
    const IconImage& img = image(i);
    const std::vector<Box> found = letters(img);
    ASSERT_EQ(found.size(), 3u) << kNames[i];
    const Box &l = found[0], &m = found[1], &v = found[2];
    auto blue = [&](int x, int y) { return !img.clear(x, y) && isBlue(img.at(x, y)); };
    for (const Box& b : found) {
      EXPECT_EQ(b.y0, l.y0) << kNames[i];
      EXPECT_EQ(b.y1, l.y1) << kNames[i];
    }
    EXPECT_GT(m.width(), l.width()) << kNames[i];
    EXPECT_GT(m.width(), v.width()) << kNames[i];
    // L: full left stem and foot, nothing at the top right.
    for (int y = l.y0; y <= l.y1; ++y) EXPECT_TRUE(blue(l.x0, y)) << kNames[i] << " L stem " << y;
    for (int x = l.x0; x <= l.x1; ++x) EXPECT_TRUE(blue(x, l.y1)) << kNames[i] << " L foot " << x;
    EXPECT_FALSE(blue(l.x1, l.y0)) << kNames[i];
    // M: two full stems and a middle stroke that reaches neither the top nor the bottom.
    for (int y = m.y0; y <= m.y1; ++y) {
      EXPECT_TRUE(blue(m.x0, y)) << kNames[i] << " M left stem " << y;
      EXPECT_TRUE(blue(m.x1, y)) << kNames[i] << " M right stem " << y;
    }
    EXPECT_FALSE(blue((m.x0 + m.x1) / 2, m.y0)) << kNames[i];
    EXPECT_FALSE(blue((m.x0 + m.x1) / 2, m.y1)) << kNames[i];
    EXPECT_TRUE(blue(m.x0 + m.width() / 5, m.y0 + m.height() / 5)) << kNames[i] << " M left peak";
    EXPECT_TRUE(blue(m.x1 - m.width() / 5, m.y0 + m.height() / 5)) << kNames[i] << " M right peak";
    bool dip = false;
    for (int y = m.y0 + 1; y < m.y1; ++y) dip = dip || blue((m.x0 + m.x1) / 2, y);
    EXPECT_TRUE(dip) << kNames[i] << " M has its middle stroke";
    // V: open at the top middle, pointed at the bottom.
    EXPECT_TRUE(blue(v.x0, v.y0) && blue(v.x1, v.y0)) << kNames[i];
    EXPECT_FALSE(blue((v.x0 + v.x1 + 1) / 2, v.y0)) << kNames[i];
    EXPECT_FALSE(blue(v.x0, v.y1) || blue(v.x1, v.y1)) << kNames[i];
    EXPECT_TRUE(blue((v.x0 + v.x1 + 1) / 2, v.y1)) << kNames[i];
    // White screen directly above and below the whole word.
    for (int x = l.x0; x <= v.x1; ++x) {
      EXPECT_TRUE(isWhite(img.at(x, l.y0 - 1))) << kNames[i] << " above text at " << x;
      EXPECT_TRUE(isWhite(img.at(x, l.y1 + 1))) << kNames[i] << " below text at " << x;
    }
  }
}

TEST_F(IconTest, MonitorHasAGreyFrameAroundTheScreen) {
  for (int i = 0; i < 4; ++i) {
    const Monitor mon = findMonitor(image(i));
    ASSERT_TRUE(mon.found) << kNames[i];
    EXPECT_LT(mon.frame.x0, mon.screen.x0) << kNames[i];
    EXPECT_GT(mon.frame.x1, mon.screen.x1) << kNames[i];
    EXPECT_LT(mon.frame.y0, mon.screen.y0) << kNames[i];
    EXPECT_GT(mon.frame.y1, mon.screen.y1) << kNames[i];
    // Something stands below the frame, narrower than it.
    const int midX = (mon.frame.x0 + mon.frame.x1) / 2;
    ASSERT_LT(mon.frame.y1 + 1, image(i).size) << kNames[i];
    EXPECT_FALSE(image(i).clear(midX, mon.frame.y1 + 1)) << kNames[i] << " stand";
    EXPECT_TRUE(image(i).clear(mon.frame.x0, mon.frame.y1 + 1)) << kNames[i];
  }
}

TEST_F(IconTest, GreenPowerLightSitsInTheFrameExceptAtSixteenPixels) {
  for (int i : {0, 2, 3}) {
    const IconImage& img = image(i);
    const Monitor mon = findMonitor(img);
    ASSERT_TRUE(mon.found) << kNames[i];
    std::vector<Box> lights;
    for (const auto& part : components(img, isGreen, true)) {
      const Box b = boundsOf(part);
      if (b.width() > 3 || b.height() > 3) continue;
      bool onGreyFrame = true;
      for (int y = b.y0 - 1; y <= b.y1 + 1; ++y)
        for (int x = b.x0 - 1; x <= b.x1 + 1; ++x) {
          if (x >= b.x0 && x <= b.x1 && y >= b.y0 && y <= b.y1) continue;
          const bool grey = img.inside(x, y) && !img.clear(x, y) && isNeutral(img.at(x, y)) &&
                            maxOf(img.at(x, y)) >= 64 && maxOf(img.at(x, y)) <= 230;
          onGreyFrame = onGreyFrame && grey;
        }
      if (onGreyFrame) lights.push_back(b);
    }
    ASSERT_EQ(lights.size(), 1u) << kNames[i];
    const Box& light = lights[0];
    EXPECT_GT(light.y0, mon.screen.y1) << kNames[i] << ": below the screen";
    EXPECT_LT(light.y1, mon.frame.y1) << kNames[i] << ": inside the frame";
    EXPECT_GT(light.x0, (mon.frame.x0 + mon.frame.x1) / 2) << kNames[i] << ": right half";
    EXPECT_LT(light.x1, mon.frame.x1) << kNames[i];
  }
  const IconImage& small = image(1);
  for (int y = 0; y < small.size; ++y)
    for (int x = 0; x < small.size; ++x)
      EXPECT_FALSE(!small.clear(x, y) && isGreen(small.at(x, y))) << "16x16 at " << x << "," << y;
}

TEST_F(IconTest, RainbowBarUnderTheTextOnlyInTheLargeImage) {
  for (int i = 0; i < 4; ++i) {
    const IconImage& img = image(i);
    int bestRow = -1, bestHues = 0;
    for (int y = 0; y < img.size; ++y) {
      std::set<int> hues;
      for (int x = 0; x < img.size; ++x)
        if (!img.clear(x, y) && isSaturated(img.at(x, y))) hues.insert(hueSextant(img.at(x, y)));
      if (static_cast<int>(hues.size()) > bestHues) {
        bestHues = static_cast<int>(hues.size());
        bestRow = y;
      }
    }
    if (i != 2) {
      EXPECT_LE(bestHues, 2) << kNames[i] << " row " << bestRow;
      continue;
    }
    EXPECT_GE(bestHues, 5) << kNames[i];
    const Monitor mon = findMonitor(img);
    ASSERT_TRUE(mon.found);
    EXPECT_GT(bestRow, mon.letters[0].y1) << "bar below the text";
    EXPECT_LE(bestRow, mon.screen.y1) << "bar on the screen";
    int run = 0, longest = 0;
    for (int x = 0; x < img.size; ++x) {
      run = !img.clear(x, bestRow) && isSaturated(img.at(x, bestRow)) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    EXPECT_GE(longest, mon.letters[2].x1 - mon.letters[0].x0 - 2) << "bar as wide as the text";
  }
}

TEST_F(IconTest, SilverDiscShowsBehindTheMonitorExceptAtSixteenPixels) {
  for (int i : {0, 2, 3}) {
    const IconImage& img = image(i);
    const Monitor mon = findMonitor(img);
    ASSERT_TRUE(mon.found) << kNames[i];
    const std::vector<Colour> disc = pixelsAroundFrame(img, mon.frame);
    EXPECT_GE(static_cast<int>(disc.size()), img.size * img.size / 8) << kNames[i];
    std::set<int> tintHues;
    bool white = false, darker = false;
    for (const Colour& c : disc) {
      EXPECT_LT(saturation(c), 0.35) << kNames[i] << ": silver, not coloured";
      if (img.bpp == 4) {
        EXPECT_TRUE(isNeutral(c)) << kNames[i] << ": plain greys";
      }
      if (!isNeutral(c)) tintHues.insert(hueSextant(c));
      white = white || isWhite(c);
      darker = darker || maxOf(c) < 200;
    }
    EXPECT_TRUE(darker) << kNames[i];
    if (img.bpp == 4) {
      EXPECT_TRUE(white) << kNames[i] << ": white highlight";
    } else {
      EXPECT_GE(tintHues.size(), 3u) << kNames[i] << ": rainbow sheen";
    }
  }
  const Monitor small = findMonitor(image(1));
  ASSERT_TRUE(small.found);
  EXPECT_TRUE(pixelsAroundFrame(image(1), small.frame).empty());
  EXPECT_GE(small.frame.x1 - small.frame.x0 + 1, 14) << "monitor fills the small image";
}

// ---- The desktop's PNG icons and the X11 icon, from the same artwork ----

unsigned big32(const std::string& s, size_t at) {
  unsigned v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
  return v;
}

unsigned pngCrc(const std::string& bytes) {
  unsigned crc = 0xffffffffu;
  for (const char ch : bytes) {
    crc ^= static_cast<unsigned char>(ch);
    for (int bit = 0; bit < 8; ++bit) crc = crc & 1u ? (crc >> 1) ^ 0xedb88320u : crc >> 1;
  }
  return ~crc;
}

struct Png {
  std::string error;
  int width = 0, height = 0;
  std::vector<unsigned> argb;  // top-down
};

// Reads an RGBA PNG whose image data is stored without compression, checking
// every chunk's CRC, the zlib header and Adler checksum and each row's filter.
Png parsePng(const std::string& s) {
  Png png;
  if (s.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) {
    png.error = "no PNG signature";
    return png;
  }
  std::string idat;
  for (size_t at = 8; at + 12 <= s.size();) {
    const size_t length = big32(s, at);
    if (at + 12 + length > s.size()) return png.error = "chunk outside the file", png;
    const std::string type = s.substr(at + 4, 4), data = s.substr(at + 8, length);
    if (pngCrc(type + data) != big32(s, at + 8 + length)) return png.error = type + " CRC", png;
    if (type == "IHDR") {
      png.width = static_cast<int>(big32(data, 0));
      png.height = static_cast<int>(big32(data, 4));
      if (data.substr(8) != std::string("\x08\x06\x00\x00\x00", 5)) png.error = "not RGBA8";
    } else if (type == "IDAT") {
      idat += data;
    }
    at += 12 + length;
  }
  std::string raw;
  if (idat.size() < 6 || (static_cast<unsigned char>(idat[0]) << 8 | idat[1]) % 31 != 0)
    return png.error = "zlib header", png;
  size_t at = 2;
  for (bool last = false; !last;) {
    last = idat[at] & 1;
    if ((idat[at] & 6) != 0) return png.error = "compressed block", png;
    const unsigned length = get16(idat, at + 1);
    if ((length ^ get16(idat, at + 3)) != 0xffff) return png.error = "block length", png;
    raw += idat.substr(at + 5, length);
    at += 5 + length;
  }
  unsigned a = 1, b = 0;
  for (const char ch : raw) {
    a = (a + static_cast<unsigned char>(ch)) % 65521u;
    b = (b + a) % 65521u;
  }
  if (big32(idat, at) != (b << 16 | a)) return png.error = "Adler checksum", png;
  const size_t row = 1 + 4 * static_cast<size_t>(png.width);
  if (raw.size() != row * static_cast<size_t>(png.height)) return png.error = "data size", png;
  for (size_t y = 0; y < static_cast<size_t>(png.height); ++y) {
    if (raw[y * row] != 0) return png.error = "row filter", png;
    for (size_t x = 0; x < static_cast<size_t>(png.width); ++x) {
      const size_t p = y * row + 1 + 4 * x;
      auto byte = [&](size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(raw[p + i]));
      };
      png.argb.push_back(byte(3) << 24 | byte(0) << 16 | byte(1) << 8 | byte(2));
    }
  }
  return png;
}

// The PNG as an icon image: its own colours as the palette, alpha 0 as the mask.
IconImage asIconImage(const Png& png) {
  IconImage img;
  img.size = png.width;
  for (size_t i = 0; i < png.argb.size(); ++i) {
    const unsigned v = png.argb[i];
    img.palette.push_back({static_cast<int>(v >> 16 & 0xff), static_cast<int>(v >> 8 & 0xff),
                           static_cast<int>(v & 0xff)});
    img.index.push_back(static_cast<int>(i));
    img.transparent.push_back(v >> 24 == 0);
  }
  return img;
}

Png desktopIcon(int size) {
  const std::string name = std::to_string(size) + "x" + std::to_string(size);
  return parsePng(readFile(LUMIVANE_HICOLOR_DIR "/" + name + "/apps/" LUMIVANE_APP_ID ".png"));
}

TEST_F(IconTest, DesktopIconsAreValidPngsOfTheSameMonitorAtEverySize) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const Png png = desktopIcon(size);
    ASSERT_TRUE(png.error.empty()) << size << ": " << png.error;
    ASSERT_EQ(png.width, size);
    ASSERT_EQ(png.height, size);
    const IconImage img = asIconImage(png);
    EXPECT_TRUE(img.clear(0, 0) && img.clear(size - 1, size - 1)) << size;
    const Monitor mon = findMonitor(img);
    EXPECT_TRUE(mon.found) << size << ": LMV on a white screen in a framed monitor";
    EXPECT_GE(mon.frame.x1 - mon.frame.x0 + 1, size * 3 / 4) << size;
  }
  // The Windows images and these share their outlines.
  for (const auto& [windows, size] : {std::pair{1, 16}, {3, 32}}) {
    const IconImage png = asIconImage(desktopIcon(size));
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        EXPECT_EQ(png.clear(x, y), image(windows).clear(x, y)) << size << " at " << x << "," << y;
  }
}

TEST_F(IconTest, X11IconHoldsTheDesktopIconsUpTo128Pixels) {
  const std::vector<unsigned long> x11(std::begin(kLumivaneIconArgb), std::end(kLumivaneIconArgb));
  size_t at = 0;
  for (int size : {16, 32, 48, 64, 128}) {
    ASSERT_LE(at + 2, x11.size()) << size;
    ASSERT_EQ(x11[at], static_cast<unsigned long>(size));
    ASSERT_EQ(x11[at + 1], static_cast<unsigned long>(size));
    const Png png = desktopIcon(size);
    ASSERT_EQ(at + 2 + png.argb.size() <= x11.size(), true) << size;
    EXPECT_TRUE(std::equal(png.argb.begin(), png.argb.end(), x11.begin() + long(at) + 2)) << size;
    at += 2 + png.argb.size();
  }
  EXPECT_EQ(at, x11.size());
}

// ---- make_icon itself ----

TEST(IconGenerator, WritesTheSameFileAgain) {
  const std::string out = ::testing::TempDir() + "icon_test_again.ico";
  std::remove(out.c_str());
  ASSERT_EQ(std::system(("\"" LUMIVANE_MAKE_ICON "\" \"" + out + "\"").c_str()), 0);
  const std::string again = readFile(out);
  EXPECT_FALSE(again.empty());
  EXPECT_TRUE(again == readFile(LUMIVANE_ICON_PATH));
  std::remove(out.c_str());
}

TEST(IconGenerator, FailsWithoutAnOutputPathOrWhenItCannotWrite) {
  EXPECT_NE(std::system("\"" LUMIVANE_MAKE_ICON "\" 2>/dev/null"), 0);
  EXPECT_NE(std::system("\"" LUMIVANE_MAKE_ICON "\" /nonexistent-dir/x.ico 2>/dev/null"), 0);
}

}  // namespace
