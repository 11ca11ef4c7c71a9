// The logo's glyphs as display lists, built as wglUseFontOutlines builds them
// on Windows, which Linux lacks: characters 0 to 254 of a bold Arial-compatible
// face (Liberation Sans Bold, found through fontconfig), outlines read with
// FreeType, faces tessellated with the GLU tessellator, sides extruded, em
// height 1, and each list moving the origin on by the glyph's advance.
#pragma once

#include <string>
#include <vector>

#include "render/gl_headers.h"

struct OutlinePoint {
  double x, y;  // em units, y up, origin on the baseline at the pen position
};

// One character's shape: closed contours (the first point is not repeated at
// the end), the triangles that fill it (three points each) and its advance.
struct GlyphShape {
  std::vector<std::vector<OutlinePoint>> contours;
  bool outerClockwise = true;  // TrueType winds outer contours clockwise, CFF the other way
  std::vector<OutlinePoint> triangles;
  double advance = 0.0;
};

struct LogoFont;

// The bold Arial-compatible face; nullptr after printing why, if none loads.
LogoFont* openLogoFont();
void closeLogoFont(LogoFont* font);
std::string logoFontFile(const LogoFont* font);

// A character as Windows code page 1252 (ANSI_CHARSET, which the Windows
// program asks for) has it: 0x80 is the euro sign, not a control character.
GlyphShape glyphShape(LogoFont* font, unsigned char character);

// Unit normal of the side that the contour edge from -> to extrudes, pointing
// out of the letter.
OutlinePoint outwardNormal(const GlyphShape& shape, const OutlinePoint& from,
                           const OutlinePoint& to);

// The shape's GL calls: the front face at z = 0 facing +z, the back face at
// z = -extrusion facing -z, a quad with its normal for every contour edge,
// then glTranslatef by the advance.
void drawGlyphShape(const GlyphShape& shape, float extrusion);

// Lists base + 0 to base + 254 for characters 0 to 254, in the current
// context's list space; base + 255 stays empty. false, after printing why,
// when no font could be loaded (the logo is then simply absent).
bool buildGlyphOutlineLists(GLuint base, float extrusion);

// The logo's 256 lists, characters 0..254 as extruded polygons of em
// height 1 and 0.1 em deep, made in the current context's list space, with
// glyphListBase pointing at them. Without a font none stays behind and
// glyphListBase stays 0: the logo is simply absent.
void buildLogoGlyphLists();
