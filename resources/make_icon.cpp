// Draws the Lumivane application icon and writes it as a Windows .ico file,
// and, given two more paths, the same artwork as the Linux desktop's icons:
//
//   make_icon OUTPUT.ico [HICOLOR_DIR ARGB_HEADER]
//
// HICOLOR_DIR receives SIZExSIZE/apps/APP_ID.png (LUMIVANE_APP_ID) for
// 16, 32, 48, 64, 128 and 256 pixels (RGBA PNG files); ARGB_HEADER is a C++
// header holding the 16- to 128-pixel images as the X11 _NET_WM_ICON property
// wants them: width, height, then one 0xAARRGGBB value per pixel, top-down.
//
// The icon holds four images, in this order: 32x32 and 16x16 at 4 bits per
// pixel (standard VGA palette), 48x48 and 32x32 at 8 bits per pixel (a palette
// built here). Each image is drawn into an RGBA canvas with a few simple shapes
// and then mapped to its palette by nearest colour; pixels left transparent get
// colour 0 and a set bit in the AND mask.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgba {
  int r, g, b, a;
};

const Rgba kTransparent{0, 0, 0, 0};
const Rgba kFrame{176, 176, 176, 255};
const Rgba kFrameEdge{96, 96, 96, 255};
const Rgba kStand{128, 128, 128, 255};
const Rgba kScreen{255, 255, 255, 255};
const Rgba kText{0, 32, 232, 255};
const Rgba kPowerLight{0, 232, 0, 255};

const double kPi = 3.14159265358979323846;

struct Canvas {
  int size;
  std::vector<Rgba> pixels;
  explicit Canvas(int n) : size(n), pixels(static_cast<size_t>(n * n), kTransparent) {}
  void set(int x, int y, Rgba c) {
    if (x >= 0 && y >= 0 && x < size && y < size) pixels[static_cast<size_t>(y * size + x)] = c;
  }
  Rgba at(int x, int y) const { return pixels[static_cast<size_t>(y * size + x)]; }
};

// Inclusive rectangle.
void fillRect(Canvas& c, int x0, int y0, int x1, int y1, Rgba colour) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) c.set(x, y, colour);
}

// Rectangle with a one-pixel edge and its corner pixels cut off, so it looks
// slightly rounded.
void roundedBox(Canvas& c, int x0, int y0, int x1, int y1, Rgba fill, Rgba edge) {
  fillRect(c, x0 + 1, y0, x1 - 1, y1, edge);
  fillRect(c, x0, y0 + 1, x1, y1 - 1, edge);
  fillRect(c, x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill);
}

// Hue in degrees to a fully saturated colour.
Rgba hueColour(double hue) {
  const double h = std::fmod(hue, 360.0) / 60.0;
  const double f = h - std::floor(h);
  const int up = static_cast<int>(std::lround(255 * f));
  const int down = 255 - up;
  switch (static_cast<int>(h) % 6) {
    case 0:
      return {255, up, 0, 255};
    case 1:
      return {down, 255, 0, 255};
    case 2:
      return {0, 255, up, 255};
    case 3:
      return {0, down, 255, 255};
    case 4:
      return {up, 0, 255, 255};
    default:
      return {255, 0, down, 255};
  }
}

Rgba mix(Rgba a, Rgba b, double t) {
  auto m = [t](int p, int q) { return static_cast<int>(std::lround(p + (q - p) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), 255};
}

Rgba grey(int v) {
  return {v, v, v, 255};
}

// A compact disc: dark rim, silver data area with two bright reflections
// across it, lighter clear hub and a see-through centre hole. With sheen the
// silver takes on a faint rainbow tint that turns with the angle; without it
// the disc stays in plain greys and white.
void drawDisc(Canvas& c, double cx, double cy, double radius, double hole, double hub, bool sheen) {
  for (int y = 0; y < c.size; ++y) {
    for (int x = 0; x < c.size; ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d > radius || d < hole) continue;
      const double angle = std::atan2(dy, dx);
      const double shine = std::cos(2.0 * (angle - kPi / 4));  // bright along one diagonal
      Rgba colour;
      if (d > radius - 1.0 || d < hole + 1.0) {
        colour = grey(128);
      } else if (d < hub) {
        colour = grey(224);
      } else if (!sheen) {
        colour = shine > 0.55 ? grey(255) : grey(192);
      } else {
        const Rgba silver = grey(static_cast<int>(std::lround(200 + 40 * shine)));
        const double hue = angle * 180.0 / kPi * 2.0 + d * 12.0 + 720.0;
        colour = mix(silver, hueColour(hue), 0.18);
      }
      c.set(x, y, colour);
    }
  }
}

// Pixel letters, five rows high; '#' marks ink.
struct Glyph {
  int width;
  const char* rows[5];
};
const Glyph kGlyphL{3, {"#..", "#..", "#..", "#..", "###"}};
const Glyph kGlyphM{5, {"#...#", "##.##", "#.#.#", "#...#", "#...#"}};
const Glyph kGlyphV{3, {"#.#", "#.#", "#.#", "#.#", ".#."}};
const Glyph* const kLogo[] = {&kGlyphL, &kGlyphM, &kGlyphV};

int logoWidth(int scale) {
  return (3 + 1 + 5 + 1 + 3) * scale;
}

void drawLogo(Canvas& c, int left, int top, int scale) {
  int x = left;
  for (const Glyph* g : kLogo) {
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < g->width; ++col)
        if (g->rows[row][col] == '#')
          fillRect(c, x + col * scale, top + row * scale, x + (col + 1) * scale - 1,
                   top + (row + 1) * scale - 1, kText);
    x += (g->width + 1) * scale;
  }
}

// Where things go in one image size; all rectangles inclusive.
struct Layout {
  int size;
  int frameX0, frameY0, frameX1, frameY1;
  int bezel, bottomBezel;
  int neckX0, neckX1, neckY0, neckY1;
  int baseX0, baseX1, baseY0, baseY1;
  int textScale;
  double discX, discY, discRadius, discHole, discHub;
};

enum Extras { kMonitorOnly = 0, kDisc = 1, kSheen = 2, kLight = 4, kColourBar = 8 };

Canvas drawIcon(const Layout& layout, int extras) {
  Canvas c(layout.size);
  if (extras & kDisc)
    drawDisc(c, layout.discX, layout.discY, layout.discRadius, layout.discHole, layout.discHub,
             (extras & kSheen) != 0);

  // Stand first, so the frame's lower edge sits on top of the neck.
  fillRect(c, layout.neckX0, layout.neckY0, layout.neckX1, layout.neckY1, kStand);
  roundedBox(c, layout.baseX0, layout.baseY0, layout.baseX1, layout.baseY1, kFrame, kFrameEdge);

  roundedBox(c, layout.frameX0, layout.frameY0, layout.frameX1, layout.frameY1, kFrame, kFrameEdge);
  const int sx0 = layout.frameX0 + layout.bezel, sx1 = layout.frameX1 - layout.bezel;
  const int sy0 = layout.frameY0 + layout.bezel, sy1 = layout.frameY1 - layout.bottomBezel;
  fillRect(c, sx0, sy0, sx1, sy1, kScreen);

  const int screenW = sx1 - sx0 + 1, screenH = sy1 - sy0 + 1;
  const int textH = 5 * layout.textScale;
  const int barH = (extras & kColourBar) ? std::max(3, layout.textScale / 2) : 0;
  const int gap = barH ? layout.textScale + 1 : 0;
  const int textX = sx0 + (screenW - logoWidth(layout.textScale)) / 2;
  const int textY = sy0 + (screenH - textH - gap - barH) / 2;
  drawLogo(c, textX, textY, layout.textScale);

  if (extras & kColourBar) {
    const int barX0 = textX, barX1 = textX + logoWidth(layout.textScale) - 1;
    for (int x = barX0; x <= barX1; ++x) {
      const double hue = 300.0 * (x - barX0) / (barX1 - barX0);  // red through to magenta
      fillRect(c, x, textY + textH + gap, x, textY + textH + gap + barH - 1, hueColour(hue));
    }
  }

  if (extras & kLight) {
    const int ly = sy1 + 1 + (layout.bottomBezel - 2) / 2;  // middle of the lower bezel
    fillRect(c, sx1 - 1, ly, sx1, ly + 1, kPowerLight);
  }
  return c;
}

// ---- Palettes and quantisation ----

std::vector<Rgba> vgaPalette() {
  return {{0, 0, 0, 255},       {128, 0, 0, 255},   {0, 128, 0, 255},   {128, 128, 0, 255},
          {0, 0, 128, 255},     {128, 0, 128, 255}, {0, 128, 128, 255}, {192, 192, 192, 255},
          {128, 128, 128, 255}, {255, 0, 0, 255},   {0, 255, 0, 255},   {255, 255, 0, 255},
          {0, 0, 255, 255},     {255, 0, 255, 255}, {0, 255, 255, 255}, {255, 255, 255, 255}};
}

// 256 colours: the VGA sixteen, a grey ramp, pale rainbow tints for the
// disc's sheen at several brightnesses, and saturated hues for the colour bar.
std::vector<Rgba> richPalette() {
  std::vector<Rgba> p = vgaPalette();
  for (int i = 0; i < 64; ++i) p.push_back(grey(i * 255 / 63));
  for (int level = 0; level < 5; ++level)
    for (int h = 0; h < 24; ++h)
      p.push_back(mix(grey(170 + level * 17), hueColour(h * 15.0), 0.18));
  for (int h = 0; h < 24; ++h) p.push_back(hueColour(h * 15.0));
  for (int h = 0; h < 24; ++h) p.push_back(mix(grey(0), hueColour(h * 15.0), 0.75));
  for (int i = 0; p.size() < 256; ++i) p.push_back(mix(grey(255), hueColour(i * 22.5), 0.5));
  return p;
}

int nearest(const std::vector<Rgba>& palette, Rgba c) {
  int best = 0;
  long bestDist = -1;
  for (size_t i = 0; i < palette.size(); ++i) {
    const long dr = c.r - palette[i].r, dg = c.g - palette[i].g, db = c.b - palette[i].b;
    const long dist = dr * dr + dg * dg + db * db;
    if (bestDist < 0 || dist < bestDist) {
      bestDist = dist;
      best = static_cast<int>(i);
    }
  }
  return best;
}

// ---- .ico writing ----

void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>((v >> 8) & 0xff);
}
void put32(std::string& out, unsigned v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

int rowBytes(int width, int bpp) {
  return (width * bpp + 31) / 32 * 4;
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), palette,
// colour rows and AND mask rows, both bottom-up.
std::string encodeImage(const Canvas& c, int bpp) {
  const std::vector<Rgba> palette = bpp == 4 ? vgaPalette() : richPalette();
  const int n = c.size;
  const int xorRow = rowBytes(n, bpp), andRow = rowBytes(n, 1);
  std::string out;
  put32(out, 40);
  put32(out, static_cast<unsigned>(n));
  put32(out, static_cast<unsigned>(2 * n));
  put16(out, 1);
  put16(out, static_cast<unsigned>(bpp));
  put32(out, 0);  // BI_RGB
  put32(out, static_cast<unsigned>((xorRow + andRow) * n));
  for (int i = 0; i < 4; ++i) put32(out, 0);  // resolution, colours used and important
  for (const Rgba& p : palette) {
    out += static_cast<char>(p.b);
    out += static_cast<char>(p.g);
    out += static_cast<char>(p.r);
    out += '\0';
  }
  std::string colours, mask;
  for (int y = n - 1; y >= 0; --y) {
    std::string colourRow(static_cast<size_t>(xorRow), '\0'),
        maskRow(static_cast<size_t>(andRow), '\0');
    for (int x = 0; x < n; ++x) {
      const Rgba p = c.at(x, y);
      if (p.a < 128) {
        maskRow[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        continue;  // colour 0
      }
      const int index = nearest(palette, p);
      if (bpp == 8)
        colourRow[static_cast<size_t>(x)] = static_cast<char>(index);
      else
        colourRow[static_cast<size_t>(x / 2)] |= static_cast<char>(x % 2 ? index : index << 4);
    }
    colours += colourRow;
    mask += maskRow;
  }
  return out + colours + mask;
}

// ---- PNG writing: RGBA, 8 bits per channel, stored (uncompressed) deflate ----

unsigned crc32(const std::string& bytes) {
  unsigned crc = 0xffffffffu;
  for (const char ch : bytes) {
    crc ^= static_cast<unsigned char>(ch);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

unsigned adler32(const std::string& bytes) {
  unsigned a = 1, b = 0;
  for (const char ch : bytes) {
    a = (a + static_cast<unsigned char>(ch)) % 65521u;
    b = (b + a) % 65521u;
  }
  return b << 16 | a;
}

void putBig32(std::string& out, unsigned v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xff);
}

void putChunk(std::string& out, const char* type, const std::string& data) {
  putBig32(out, static_cast<unsigned>(data.size()));
  const std::string typed = type + data;
  out += typed;
  putBig32(out, crc32(typed));
}

// zlib stream of stored deflate blocks (at most 65535 bytes each).
std::string zlibStored(const std::string& raw) {
  std::string out("\x78\x01", 2);
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(65535, raw.size() - at);
    out += static_cast<char>(at + length == raw.size() ? 1 : 0);
    put16(out, static_cast<unsigned>(length));
    put16(out, static_cast<unsigned>(~length & 0xffff));
    out.append(raw, at, length);
    at += length;
  } while (at < raw.size());
  putBig32(out, adler32(raw));
  return out;
}

std::string encodePng(const Canvas& c) {
  std::string header;
  putBig32(header, static_cast<unsigned>(c.size));
  putBig32(header, static_cast<unsigned>(c.size));
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no interlace
  std::string raw;
  for (int y = 0; y < c.size; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < c.size; ++x) {
      const Rgba p = c.at(x, y);
      raw += {static_cast<char>(p.r), static_cast<char>(p.g), static_cast<char>(p.b),
              static_cast<char>(p.a)};
    }
  }
  std::string out("\x89PNG\r\n\x1a\n", 8);
  putChunk(out, "IHDR", header);
  putChunk(out, "IDAT", zlibStored(raw));
  putChunk(out, "IEND", "");
  return out;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  file.close();
  if (!file) std::fprintf(stderr, "make_icon: cannot write %s\n", path.c_str());
  return static_cast<bool>(file);
}

// The 32-pixel layout drawn at a whole multiple of its size.
Layout scaled(const Layout& l, int k) {
  auto from = [k](int v) { return v * k; };
  auto to = [k](int v) { return v * k + k - 1; };
  return {l.size * k,      from(l.frameX0),   from(l.frameY0), to(l.frameX1),    to(l.frameY1),
          l.bezel * k,     l.bottomBezel * k, from(l.neckX0),  to(l.neckX1),     from(l.neckY0),
          to(l.neckY1),    from(l.baseX0),    to(l.baseX1),    from(l.baseY0),   to(l.baseY1),
          l.textScale * k, l.discX * k,       l.discY * k,     l.discRadius * k, l.discHole * k,
          l.discHub * k};
}

std::string argbHeader(const std::vector<Canvas>& canvases) {
  std::string out =
      "// Generated by make_icon: the application icon for X11's _NET_WM_ICON.\n"
      "#pragma once\n\nconst unsigned long kLumivaneIconArgb[] = {\n";
  char value[32];
  for (const Canvas& c : canvases) {
    out += "  " + std::to_string(c.size) + ", " + std::to_string(c.size) + ",\n";
    for (int i = 0; i < c.size * c.size; ++i) {
      const Rgba p = c.pixels[static_cast<size_t>(i)];
      std::snprintf(value, sizeof value, "0x%02x%02x%02x%02xul,", p.a, p.r, p.g, p.b);
      out += i % 8 ? " " : "  ";
      out += value;
      if (i % 8 == 7) out += "\n";
    }
  }
  return out + "};\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico [HICOLOR_DIR ARGB_HEADER]\n");
    return 2;
  }

  // clang-format off
  //               size  frame x0,y0,x1,y1  bezel,bottom  neck x0,x1,y0,y1  base x0,x1,y0,y1  text
  //               disc centre, radius, hole, hub
  const Layout l48{48,   1, 16, 36, 42,      3, 5,         15, 22, 43, 44,   9, 28, 45, 47,    2,
                   31.0, 14.0, 14.5, 2.5, 6.0};
  const Layout l32{32,   0, 11, 24, 27,      2, 4,         10, 14, 28, 29,   6, 18, 30, 31,    1,
                   21.5, 9.5, 9.5, 1.8, 4.0};
  const Layout l16{16,   0, 1, 15, 12,       1, 2,         6, 9, 13, 13,     3, 12, 14, 15,    1,
                   0, 0, 0, 0, 0};
  // clang-format on

  struct Image {
    Canvas canvas;
    int bpp;
  };
  const Image images[] = {
      {drawIcon(l32, kDisc | kLight), 4},
      {drawIcon(l16, kMonitorOnly), 4},
      {drawIcon(l48, kDisc | kSheen | kLight | kColourBar), 8},
      {drawIcon(l32, kDisc | kSheen | kLight), 8},
  };
  const unsigned count = sizeof images / sizeof images[0];

  std::string directory, data;
  put16(directory, 0);  // reserved
  put16(directory, 1);  // icon
  put16(directory, count);
  unsigned offset = 6 + 16 * count;
  for (const Image& image : images) {
    const std::string bytes = encodeImage(image.canvas, image.bpp);
    directory += static_cast<char>(image.canvas.size);
    directory += static_cast<char>(image.canvas.size);
    directory += static_cast<char>(image.bpp == 4 ? 16 : 0);  // colour count, 0 means 256
    directory += '\0';
    put16(directory, 1);  // planes
    put16(directory, static_cast<unsigned>(image.bpp));
    put32(directory, static_cast<unsigned>(bytes.size()));
    put32(directory, offset);
    offset += static_cast<unsigned>(bytes.size());
    data += bytes;
  }

  if (!writeFile(argv[1], directory + data)) return 1;
  if (argc == 2) return 0;

  // The desktop's icons: the Windows images' artwork in full colour, the
  // larger sizes drawn from the 32-pixel layout at 2, 4 and 8 times its size.
  const int full = kDisc | kSheen | kLight;
  const std::vector<Canvas> desktop = {
      drawIcon(l16, kMonitorOnly),
      drawIcon(l32, full),
      drawIcon(l48, full | kColourBar),
      drawIcon(scaled(l32, 2), full | kColourBar),
      drawIcon(scaled(l32, 4), full | kColourBar),
      drawIcon(scaled(l32, 8), full | kColourBar),
  };
  const std::string hicolor = argv[2];
  for (const Canvas& c : desktop) {
    const std::string size = std::to_string(c.size) + "x" + std::to_string(c.size);
    if (!writeFile(hicolor + "/" + size + "/apps/" LUMIVANE_APP_ID ".png", encodePng(c))) return 1;
  }
  const std::vector<Canvas> x11(desktop.begin(), desktop.end() - 1);  // up to 128 pixels
  return writeFile(argv[3], argbHeader(x11)) ? 0 : 1;
}
