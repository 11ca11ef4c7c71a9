#include "render/window_marks.h"

#include <set>

#include "render/gl_headers.h"

namespace {

enum Mark { Red, Green, Blue, White };

// Each picture's pair, on even rows (counted from the top) and odd ones. No
// pair is another's reversed, so no picture's marks, read from its second
// row, are another's.
constexpr Mark marks[markedPictureCount][2] = {
    {Red, Blue}, {Red, Green}, {Blue, Green}, {White, Red}};

Mark markOfRow(int picture, int row) {
  return marks[picture][row % 2];
}

bool isMark(const CopiedPixel& p, Mark mark, int maxLevel) {
  const bool red = mark == Red || mark == White;
  const bool green = mark == Green || mark == White;
  const bool blue = mark == Blue || mark == White;
  return p.r == (red ? maxLevel : 0) && p.g == (green ? maxLevel : 0) &&
         p.b == (blue ? maxLevel : 0);
}

bool columnMarked(const CopiedScreen& copy, int x, int top, int height, int picture) {
  for (int row = 0; row < height; ++row)
    if (!isMark(copy.at(x, top + row), markOfRow(picture, row), copy.maxLevel)) return false;
  return true;
}

}  // namespace

void drawWindowMarks(int width, int height, int picture) {
  if (width < 3 || height < 2) return;
  glPushAttrib(GL_ENABLE_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT | GL_POINT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_POINT_SMOOTH);
  glPointSize(1.0f);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_POINTS);
  for (int row = 0; row < height; ++row) {
    const Mark mark = markOfRow(picture, row);
    glColor4f(mark == Red || mark == White ? 1.0f : 0.0f,
              mark == Green || mark == White ? 1.0f : 0.0f,
              mark == Blue || mark == White ? 1.0f : 0.0f, 1.0f);
    // The framebuffer counts rows from the bottom; pixel centres.
    const float y = static_cast<float>(height - 1 - row) + 0.5f;
    glVertex2f(0.5f, y);
    glVertex2f(static_cast<float>(width) - 0.5f, y);
  }
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glPopAttrib();
}

bool findMarkedPicture(const CopiedScreen& copy, int width, int height, int picture, int& left,
                       int& top) {
  if (width < 3 || height < 2 || picture < 0 || picture >= markedPictureCount) return false;
  const Mark first = markOfRow(picture, 0), second = markOfRow(picture, 1);
  for (int y = 0; y + height <= copy.height; ++y)
    for (int x = 0; x + width <= copy.width; ++x) {
      if (!isMark(copy.at(x, y), first, copy.maxLevel) ||
          !isMark(copy.at(x, y + 1), second, copy.maxLevel))
        continue;
      if (columnMarked(copy, x, y, height, picture) &&
          columnMarked(copy, x + width - 1, y, height, picture)) {
        left = x;
        top = y;
        return true;
      }
    }
  return false;
}

int countCopiedLevels(const CopiedScreen& copy, int left, int top, int width, int height) {
  std::set<CopiedPixel> levels;
  for (int y = top; y < top + height && y < copy.height; ++y)
    for (int x = left; x < left + width && x < copy.width; ++x) levels.insert(copy.at(x, y));
  return static_cast<int>(levels.size());
}
