#include "render/frame_setup.h"

#include "render/gl_headers.h"
#include "viewer/viewer_state.h"

void initContextState() {
  glShadeModel(GL_SMOOTH);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glEnable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glDepthFunc(GL_LEQUAL);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);

  // Main light: 10 units behind the eye on the view axis, white by default.
  const GLfloat mainPosition[] = {0.0f, 0.0f, 10.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, mainPosition);

  // Side light: below, left of and in front of the eye; no specular.
  const GLfloat sideDiffuse[] = {0.7f, 0.7f, 0.7f, 1.0f};
  glLightfv(GL_LIGHT1, GL_DIFFUSE, sideDiffuse);
  glEnable(GL_LIGHT1);
  const GLfloat sidePosition[] = {-20.0f, -20.0f, -20.0f, 1.0f};
  glLightfv(GL_LIGHT1, GL_POSITION, sidePosition);
}

void beginFrame(int width, int height, int left) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  // A square viewport: in a wide window its top lies above the client area,
  // in a tall one it reaches past the right edge.
  const int side = width > height ? width : height;
  glViewport(left, 0, side, side);

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  if (height > 0) {
    const double aspect = static_cast<double>(width) / static_cast<double>(side);
    gluPerspective(45.0, aspect, 1.0, 100.0);
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void drawBackground() {
  // Without depth writes the background lies behind everything drawn later.
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_LIGHTING);

  // A colour ramp keeps its one primary and holds the other two at 0.
  const RampColour colour = viewerState.rampColour;
  const GLfloat red = colour == RampColour::Grey || colour == RampColour::Red ? 1.0f : 0.0f;
  const GLfloat green = colour == RampColour::Grey || colour == RampColour::Green ? 1.0f : 0.0f;
  const GLfloat blue = colour == RampColour::Grey || colour == RampColour::Blue ? 1.0f : 0.0f;
  const GLfloat bottom = viewerState.shadeBottom;
  const GLfloat top = viewerState.shadeTop;
  glBegin(GL_QUADS);
  glColor3f(red * bottom, green * bottom, blue * bottom);
  glVertex2f(-1.0f, -1.0f);
  glVertex2f(1.0f, -1.0f);
  glColor3f(red * top, green * top, blue * top);
  glVertex2f(1.0f, 1.0f);
  glVertex2f(-1.0f, 1.0f);
  glEnd();

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

void largestDrawableSize(int& maxWidth, int& maxHeight) {
  GLint viewport[2] = {0, 0};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  maxWidth = viewport[0];
  maxHeight = viewport[1];
  // GL_MAX_RENDERBUFFER_SIZE, beyond OpenGL 1.1: a context without
  // framebuffer objects reports GL_INVALID_ENUM and leaves the value alone.
  constexpr GLenum maxRenderbufferSize = 0x84E8;
  while (glGetError() != GL_NO_ERROR) {
  }
  GLint renderbuffer = 0;
  glGetIntegerv(maxRenderbufferSize, &renderbuffer);
  if (glGetError() == GL_NO_ERROR && renderbuffer > 0) {
    if (renderbuffer < maxWidth) maxWidth = renderbuffer;
    if (renderbuffer < maxHeight) maxHeight = renderbuffer;
  }
}

void switchLightInCurrentContext(Light light, bool on) {
  const GLenum name = light == Light::Main ? GL_LIGHT0 : GL_LIGHT1;
  if (on) {
    glEnable(name);
  } else {
    glDisable(name);
  }
}

void makeFrameOpaque() {
  if (viewerState.shadeIndex != 0) return;
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}
