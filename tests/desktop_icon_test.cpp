// The desktop's PNG icons and the X11 icon images that make_icon draws from
// the .ico's artwork, and make_icon itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "lumivane_icon_argb.h"
#include "support/icon_support.h"

namespace {

using namespace icon_support;

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
