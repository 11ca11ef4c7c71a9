#include "render/scene.h"

#include <cmath>

#include "render/frame_setup.h"
#include "viewer/viewer_state.h"

GLuint glyphListBase = 0;

namespace {

struct CubeFace {
  GLfloat normal[3];
  GLfloat vertices[4][3];
};

// A cube of side 10 centred on the origin; both cubes share these faces.
const CubeFace cubeFaces[6] = {
    {{0, 0, -1}, {{-5, -5, -5}, {5, -5, -5}, {5, 5, -5}, {-5, 5, -5}}},
    {{0, 0, 1}, {{-5, -5, 5}, {5, -5, 5}, {5, 5, 5}, {-5, 5, 5}}},
    {{0, -1, 0}, {{-5, -5, 5}, {-5, -5, -5}, {5, -5, -5}, {5, -5, 5}}},
    {{0, 1, 0}, {{-5, 5, 5}, {-5, 5, -5}, {5, 5, -5}, {5, 5, 5}}},
    {{-1, 0, 0}, {{-5, -5, 5}, {-5, -5, -5}, {-5, 5, -5}, {-5, 5, 5}}},
    {{1, 0, 0}, {{5, -5, 5}, {5, -5, -5}, {5, 5, -5}, {5, 5, 5}}},
};

const GLfloat whiteSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat shininess[] = {127.0f};

// Signature of the per-vertex diffuse colour of a cube.
using VertexColour = void (*)(int vertexIndex, const GLfloat* vertex, GLfloat* rgba);

void shadedCubeColour(int vertexIndex, const GLfloat*, GLfloat* rgba) {
  // The colour belongs to the face: every face carries its own faint
  // 0.5-to-0.55 ramp, which bands at 8 bits.
  const GLfloat grey = vertexIndex < 2 ? 0.5f : 0.55f;
  rgba[0] = rgba[1] = rgba[2] = grey;
  rgba[3] = 1.0f;
}

void colourCubeColour(int, const GLfloat* vertex, GLfloat* rgba) {
  // The colour belongs to the corner: red by x, green by y, blue by z.
  for (int axis = 0; axis < 3; ++axis) rgba[axis] = vertex[axis] > 0 ? 0.7f : 0.3f;
  rgba[3] = 1.0f;
}

// One GL_QUADS primitive with all six faces and a material per vertex, so
// that smooth shading blends the lit colours across each face.
void drawCube(VertexColour colourOf) {
  glBegin(GL_QUADS);
  glNormal3fv(cubeFaces[0].normal);
  glMaterialfv(GL_FRONT, GL_SPECULAR, whiteSpecular);
  glMaterialfv(GL_FRONT, GL_SHININESS, shininess);
  for (int face = 0; face < 6; ++face) {
    if (face > 0) glNormal3fv(cubeFaces[face].normal);
    for (int v = 0; v < 4; ++v) {
      GLfloat diffuse[4];
      colourOf(v, cubeFaces[face].vertices[v], diffuse);
      glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
      glVertex3fv(cubeFaces[face].vertices[v]);
    }
  }
  glEnd();
}

struct SceneObject {
  GLfloat translation[3];
  // Single-precision constants, widened to double for glRotated.
  GLfloat axis[3];
  void (*draw)();
};

void drawBlueGreyPrism() {
  drawPrism(PrismColour::BlueGrey);
}
void drawGreenPrism() {
  drawPrism(PrismColour::Green);
}

const SceneObject sceneObjects[4] = {
    {{-8, -5, -40}, {1.0f, 0.6f, 0.0f}, drawShadedCube},
    {{8, 5, -40}, {0.1f, 0.4f, 0.5f}, drawColourCube},
    {{5, -6, -33}, {0.1f, 1.0f, -0.1f}, drawBlueGreyPrism},
    {{-5, 8, -30}, {0.2f, 0.0f, 1.0f}, drawGreenPrism},
};

}  // namespace

void drawShadedCube() {
  drawCube(shadedCubeColour);
}

void drawColourCube() {
  drawCube(colourCubeColour);
}

void drawPrism(PrismColour colour) {
  static const GLfloat blueGrey[] = {0.5f, 0.5f, 0.6f, 1.0f};
  static const GLfloat green[] = {0.3f, 0.5f, 0.3f, 1.0f};
  // Specular and shininess are whatever the cubes left in the material state.
  glMaterialfv(GL_FRONT, GL_DIFFUSE, colour == PrismColour::BlueGrey ? blueGrey : green);

  glBegin(GL_TRIANGLES);
  glNormal3f(0, 0, -1);
  glVertex3f(-5, -5, -1);
  glVertex3f(0, 5, -1);
  glVertex3f(5, -5, -1);
  glNormal3f(0, 0, 1);
  glVertex3f(-5, -5, 1);
  glVertex3f(0, 5, 1);
  glVertex3f(5, -5, 1);
  glEnd();

  // The slanted sides take the axis normals and the base takes (1, 1, 0),
  // unnormalised: that is how the prisms have always been lit.
  glBegin(GL_QUADS);
  glNormal3f(-1, 0, 0);
  glVertex3f(-5, -5, -1);
  glVertex3f(0, 5, -1);
  glVertex3f(0, 5, 1);
  glVertex3f(-5, -5, 1);
  glNormal3f(1, 0, 0);
  glVertex3f(5, -5, 1);
  glVertex3f(0, 5, 1);
  glVertex3f(0, 5, -1);
  glVertex3f(5, -5, -1);
  glNormal3f(1, 1, 0);
  glVertex3f(-5, -5, 1);
  glVertex3f(-5, -5, -1);
  glVertex3f(5, -5, -1);
  glVertex3f(5, -5, 1);
  glEnd();
}

void drawLogo() {
  static const GLfloat logoDiffuse[] = {0.2f, 0.2f, 1.0f, 1.0f};
  glMaterialfv(GL_FRONT, GL_DIFFUSE, logoDiffuse);
  glLoadIdentity();
  glPushMatrix();
  glTranslatef(3.5f, -5.2f, -13.0f);
  // glRotated normalises its axis, so any positive x length gives the same
  // rocking about the x axis; 0.01 is how the scene has always written it.
  const GLfloat axisX = 0.01f;
  // -0.0 and 0.0 are the same z component; the sign changes nothing.
  glRotated(viewerState.logoAngle, axisX, 0.0, -0.0);

  // Glyph lists that do not exist yet (the first paints of start-up) are
  // ignored by OpenGL: the logo is simply absent then.
  static const char text[] = "LMV";
  glPushAttrib(GL_LIST_BIT);
  glListBase(glyphListBase);
  glCallLists(sizeof text - 1, GL_UNSIGNED_BYTE, text);
  glPopAttrib();
  glPopMatrix();
}

void drawFrame(int width, int height, int left) {
  beginFrame(width, height, left);
  if (viewerState.shadeIndex != 0) drawBackground();
  glLoadIdentity();

  // sceneAngle grows without bound, but GL implementations take the angle in
  // single precision; after a day of running a float step would exceed the
  // 0.2-degree advance. Reducing it in double keeps the picture and the precision.
  const double angle = std::fmod(viewerState.sceneAngle, 360.0);
  for (const SceneObject& object : sceneObjects) {
    glPushMatrix();
    glTranslatef(object.translation[0], object.translation[1], object.translation[2]);
    glRotated(angle, object.axis[0], object.axis[1], object.axis[2]);
    object.draw();
    glPopMatrix();
  }
  if (viewerState.logoVisible) drawLogo();
}

void renderFrame(int width, int height, int left) {
  drawFrame(width, height, left);
  skipFrame();
}
