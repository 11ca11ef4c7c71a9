// Glyph outline lists for the logo. Windows builds them with
// wglUseFontOutlines; here the same lists are made by hand: fontconfig finds
// the bold Arial-compatible face, FreeType reads each glyph's outline in font
// units (unhinted, scaled here to an em of 1), curves are flattened finely
// enough to stay smooth at the logo's size, the GLU tessellator fills the
// contours with triangles, and every contour edge becomes a side quad.
#include "freetype/glyph_outlines.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>

#include "app/facts.h"
#include "render/scene.h"
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>

struct LogoFont {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  std::string file;
};

namespace {

// Largest distance, in em, between a flattened curve and the true one.
constexpr double flatness = 0.001;

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; the holes stay as
// they are.
const unsigned short cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned long unicodeForAnsiCharacter(unsigned char character) {
  if (character >= 0x80 && character <= 0x9F) return cp1252High[character - 0x80];
  return character;
}

// Collects FreeType's outline decomposition as flattened contours.
struct OutlineReader {
  double scale;  // em per font unit
  std::vector<std::vector<OutlinePoint>>* contours;
  OutlinePoint pen;
};

OutlinePoint toEm(const OutlineReader& reader, const FT_Vector* v) {
  return {static_cast<double>(v->x) * reader.scale, static_cast<double>(v->y) * reader.scale};
}

void addPoint(OutlineReader& reader, OutlinePoint p) {
  std::vector<OutlinePoint>& contour = reader.contours->back();
  if (contour.empty() || contour.back().x != p.x || contour.back().y != p.y) contour.push_back(p);
  reader.pen = p;
}

int moveTo(const FT_Vector* to, void* user) {
  auto& reader = *static_cast<OutlineReader*>(user);
  reader.contours->emplace_back();
  addPoint(reader, toEm(reader, to));
  return 0;
}

int lineTo(const FT_Vector* to, void* user) {
  auto& reader = *static_cast<OutlineReader*>(user);
  addPoint(reader, toEm(reader, to));
  return 0;
}

// Segments a curve needs so that its chords stay within `flatness`, given
// the largest second difference of its control points scaled as the
// interpolation error bound h^2/8 * max|B''| requires.
int segmentsFor(double curvature) {
  const double n = std::ceil(std::sqrt(curvature / (8.0 * flatness)));
  return std::clamp(static_cast<int>(n), 1, 64);
}

double length(double x, double y) {
  return std::sqrt(x * x + y * y);
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto& reader = *static_cast<OutlineReader*>(user);
  const OutlinePoint p0 = reader.pen, p1 = toEm(reader, control), p2 = toEm(reader, to);
  const int n = segmentsFor(2.0 * length(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y));
  for (int i = 1; i <= n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1.0 - t;
    addPoint(reader, {u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
                      u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  return 0;
}

int cubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
  auto& reader = *static_cast<OutlineReader*>(user);
  const OutlinePoint p0 = reader.pen, p1 = toEm(reader, control1), p2 = toEm(reader, control2),
                     p3 = toEm(reader, to);
  const double curvature = 6.0 * std::max(length(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                          length(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
  const int n = segmentsFor(curvature);
  for (int i = 1; i <= n; ++i) {
    const double t = static_cast<double>(i) / n, u = 1.0 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    addPoint(reader, {a * p0.x + b * p1.x + c * p2.x + d * p3.x,
                      a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return 0;
}

// What the tessellator's callbacks fill in.
struct Tessellation {
  std::vector<OutlinePoint>* triangles;
  std::deque<std::array<GLdouble, 3>> vertices;  // stable addresses while it runs
  bool failed = false;
};

void GLAPIENTRY tessBegin(GLenum, void*) {}
void GLAPIENTRY tessEdgeFlag(GLboolean, void*) {}  // its presence makes GLU emit triangles only

void GLAPIENTRY tessVertex(void* vertex, void* data) {
  const auto* v = static_cast<const GLdouble*>(vertex);
  static_cast<Tessellation*>(data)->triangles->push_back({v[0], v[1]});
}

void GLAPIENTRY tessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* data) {
  auto& tessellation = *static_cast<Tessellation*>(data);
  tessellation.vertices.push_back({coords[0], coords[1], 0.0});
  *out = tessellation.vertices.back().data();
}

void GLAPIENTRY tessError(GLenum, void* data) {
  static_cast<Tessellation*>(data)->failed = true;
}

void tessellate(GlyphShape& shape, bool evenOdd) {
  GLUtesselator* tess = gluNewTess();
  if (tess == nullptr) return;
  Tessellation tessellation;
  tessellation.triangles = &shape.triangles;
  gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<_GLUfuncptr>(tessBegin));
  gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(tessEdgeFlag));
  gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(tessVertex));
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA, reinterpret_cast<_GLUfuncptr>(tessCombine));
  gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<_GLUfuncptr>(tessError));
  gluTessProperty(tess, GLU_TESS_WINDING_RULE,
                  evenOdd ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO);
  gluTessNormal(tess, 0.0, 0.0, 1.0);
  gluTessBeginPolygon(tess, &tessellation);
  for (const std::vector<OutlinePoint>& contour : shape.contours) {
    gluTessBeginContour(tess);
    for (const OutlinePoint& p : contour) {
      tessellation.vertices.push_back({p.x, p.y, 0.0});
      gluTessVertex(tess, tessellation.vertices.back().data(), tessellation.vertices.back().data());
    }
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
  gluDeleteTess(tess);
  // A shape the tessellator choked on keeps its sides but gets no faces,
  // rather than stray triangles.
  if (tessellation.failed || shape.triangles.size() % 3 != 0) shape.triangles.clear();
}

bool findFontFile(std::string& file, int& index) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return false;
  // The face the Windows program asks for, by name; fontconfig's metric
  // aliases give Liberation Sans where Arial itself is not installed.
  FcPattern* pattern =
      FcNameParse(reinterpret_cast<const FcChar8*>("Arial,Liberation Sans:bold:outline=True"));
  bool found = false;
  if (pattern != nullptr) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* path = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
      file = reinterpret_cast<const char*>(path);
      if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
      found = true;
    }
    if (match != nullptr) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return found;
}

}  // namespace

LogoFont* openLogoFont() {
  auto* font = new LogoFont;
  int index = 0;
  if (findFontFile(font->file, index) && FT_Init_FreeType(&font->library) == 0 &&
      FT_New_Face(font->library, font->file.c_str(), index, &font->face) == 0 &&
      FT_IS_SCALABLE(font->face) && FT_Select_Charmap(font->face, FT_ENCODING_UNICODE) == 0)
    return font;
  printf("%s", logoFontMissingNote);
  closeLogoFont(font);
  return nullptr;
}

void closeLogoFont(LogoFont* font) {
  if (font == nullptr) return;
  if (font->face != nullptr) FT_Done_Face(font->face);
  if (font->library != nullptr) FT_Done_FreeType(font->library);
  delete font;
}

std::string logoFontFile(const LogoFont* font) {
  return font != nullptr ? font->file : std::string();
}

GlyphShape glyphShape(LogoFont* font, unsigned char character) {
  GlyphShape shape;
  FT_Face face = font->face;
  const FT_UInt glyph = FT_Get_Char_Index(face, unicodeForAnsiCharacter(character));
  // Font units, unhinted: the lists are scaled, not drawn at a pixel size.
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0) return shape;
  const double scale = 1.0 / face->units_per_EM;
  shape.advance = static_cast<double>(face->glyph->metrics.horiAdvance) * scale;
  if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return shape;

  FT_Outline& outline = face->glyph->outline;
  shape.outerClockwise = FT_Outline_Get_Orientation(&outline) != FT_ORIENTATION_POSTSCRIPT;
  OutlineReader reader = {scale, &shape.contours, {0.0, 0.0}};
  const FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
  FT_Outline_Decompose(&outline, &funcs, &reader);
  // FreeType closes each contour by returning to its start; the edge back is
  // implied here, and a contour too small to enclose anything is dropped.
  for (std::vector<OutlinePoint>& contour : shape.contours) {
    if (contour.size() > 1 && contour.front().x == contour.back().x &&
        contour.front().y == contour.back().y)
      contour.pop_back();
  }
  shape.contours.erase(
      std::remove_if(shape.contours.begin(), shape.contours.end(),
                     [](const std::vector<OutlinePoint>& contour) { return contour.size() < 3; }),
      shape.contours.end());
  tessellate(shape, (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0);
  return shape;
}

OutlinePoint outwardNormal(const GlyphShape& shape, const OutlinePoint& from,
                           const OutlinePoint& to) {
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double l = length(dx, dy);
  if (l == 0.0) return {0.0, 0.0};
  // Walking a clockwise outer contour, the letter lies to the right.
  return shape.outerClockwise ? OutlinePoint{-dy / l, dx / l} : OutlinePoint{dy / l, -dx / l};
}

void drawGlyphShape(const GlyphShape& shape, float extrusion) {
  const double back = -static_cast<double>(extrusion);
  glBegin(GL_TRIANGLES);
  glNormal3f(0.0f, 0.0f, 1.0f);
  for (const OutlinePoint& p : shape.triangles) glVertex3d(p.x, p.y, 0.0);
  // The back face, wound the other way round to face the other way.
  glNormal3f(0.0f, 0.0f, -1.0f);
  for (std::size_t i = 0; i + 2 < shape.triangles.size(); i += 3) {
    for (std::size_t k : {i + 2, i + 1, i})
      glVertex3d(shape.triangles[k].x, shape.triangles[k].y, back);
  }
  glEnd();

  glBegin(GL_QUADS);
  for (const std::vector<OutlinePoint>& contour : shape.contours) {
    for (std::size_t i = 0; i < contour.size(); ++i) {
      const OutlinePoint& from = contour[i];
      const OutlinePoint& to = contour[(i + 1) % contour.size()];
      const OutlinePoint normal = outwardNormal(shape, from, to);
      glNormal3d(normal.x, normal.y, 0.0);
      glVertex3d(from.x, from.y, 0.0);
      glVertex3d(from.x, from.y, back);
      glVertex3d(to.x, to.y, back);
      glVertex3d(to.x, to.y, 0.0);
    }
  }
  glEnd();
  glTranslatef(static_cast<float>(shape.advance), 0.0f, 0.0f);
}

bool buildGlyphOutlineLists(GLuint base, float extrusion) {
  LogoFont* font = openLogoFont();
  if (font == nullptr) return false;
  for (int character = 0; character < 255; ++character) {
    const GlyphShape shape = glyphShape(font, static_cast<unsigned char>(character));
    glNewList(base + static_cast<GLuint>(character), GL_COMPILE);
    drawGlyphShape(shape, extrusion);
    glEndList();
  }
  closeLogoFont(font);
  return true;
}

void buildLogoGlyphLists() {
  const float extrusion = 0.1f;
  glyphListBase = glGenLists(256);
  if (buildGlyphOutlineLists(glyphListBase, extrusion)) return;
  glDeleteLists(glyphListBase, 256);
  glyphListBase = 0;
}
