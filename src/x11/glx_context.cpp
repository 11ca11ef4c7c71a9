// The GLX side of the display windows: reading the screen's framebuffer
// configurations into plain records for the exact-size choice, creating each
// window with its context (the 8-bit one sharing the 10-bit context's display
// lists, which GLX can only arrange when a context is created) and confirming
// with GL_RED_BITS, GL_GREEN_BITS and GL_BLUE_BITS that the context really got
// the colour depth it was chosen for.
#include <cstdio>
#include <vector>

#include "render/level_count.h"
#include "render/split_view.h"
#include "x11/x11_front_end.h"

namespace x11 {

namespace {

int attribute(GLXFBConfig config, int name) {
  int value = 0;
  glXGetFBConfigAttrib(frontEnd.display, config, name, &value);
  return value;
}

PixelFormatCandidate describe(GLXFBConfig config, int screenDepth) {
  PixelFormatCandidate record;
  readSizes(record, {GLX_RED_SIZE, GLX_GREEN_SIZE, GLX_BLUE_SIZE, GLX_ALPHA_SIZE, GLX_DEPTH_SIZE},
            [config](int name) { return attribute(config, name); });
  const bool windowBit = (attribute(config, GLX_DRAWABLE_TYPE) & GLX_WINDOW_BIT) != 0;
  record.doubleBuffered = attribute(config, GLX_DOUBLEBUFFER) != 0;
  record.rgba = (attribute(config, GLX_RENDER_TYPE) & GLX_RGBA_BIT) != 0;
  record.trueColour = attribute(config, GLX_X_VISUAL_TYPE) == GLX_TRUE_COLOR;
  record.accelerated = attribute(config, GLX_CONFIG_CAVEAT) != GLX_SLOW_CONFIG;
  // A window needs the configuration's X visual as well.
  if (XVisualInfo* visual = glXGetVisualFromFBConfig(frontEnd.display, config)) {
    record.drawsToWindow = windowBit;
    record.screensOwnDepth = visual->depth == screenDepth;
    XFree(visual);
  }
  return record;
}

// The exact configuration for this colour, or with nearestIfNone the nearest
// where none is exact; nullptr if none. `chosen` describes it.
GLXFBConfig findFramebufferConfig(const ColourRequest& colour, bool nearestIfNone,
                                  PixelFormatCandidate& chosen) {
  const int screen = DefaultScreen(frontEnd.display);
  int count = 0;
  GLXFBConfig* configs = glXGetFBConfigs(frontEnd.display, screen, &count);
  if (configs == nullptr) return nullptr;
  std::vector<PixelFormatCandidate> records;
  records.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    records.push_back(describe(configs[i], DefaultDepth(frontEnd.display, screen)));
  int index = choosePixelFormat(records, colour);
  if (index < 0 && nearestIfNone) index = chooseNearestPixelFormat(records, colour);
  GLXFBConfig config = index >= 0 ? configs[index] : nullptr;
  if (index >= 0) chosen = records[static_cast<std::size_t>(index)];
  XFree(configs);
  return config;
}

// A context for the record's window that shares display lists with
// shareList (may be nullptr), confirmed to have the chosen colour sizes.
bool createDisplayContext(DisplayWindow& record, GLXFBConfig config, GLXContext shareList,
                          const PixelFormatCandidate& chosen) {
  beginErrorTrap();
  record.context = glXCreateNewContext(frontEnd.display, config, GLX_RGBA_TYPE, shareList, True);
  if (!endErrorTrap() || record.context == nullptr) {
    record.context = nullptr;
    printf("ERROR: Unable to create the GL rendering context for the '%s' window!\n", record.title);
    return false;
  }
  // The configuration said so; the context has the last word.
  makeContextCurrent(record);
  const ContextColour colour = currentContextColour();
  releaseContext();
  if (!contextHasChosenColour(record.title, colour, chosen)) {
    glXDestroyContext(frontEnd.display, record.context);
    record.context = nullptr;
    return false;
  }
  return true;
}

// Full screen's split view draws its left half into an 8-bit framebuffer
// object where the context has them.
GlFunction glxEntryPoint(const char* name) {
  return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
}

}  // namespace

bool createWindow(WhichWindow which) {
  DisplayWindow& record = displayWindow(which);
  const bool tenBit = which == WhichWindow::TenBit;
  PixelFormatCandidate chosen;
  GLXFBConfig config =
      findFramebufferConfig(tenBit ? tenBitColour : eightBitColour, !tenBit, chosen);
  if (config == nullptr) {
    reportNoConfiguration(tenBit, record.title);
    return false;
  }
  if (!createX11Window(record, config)) return false;
  if (!createDisplayContext(record, config, tenBit ? nullptr : window10.context, chosen)) {
    destroyDisplayWindow(record);
    return false;
  }
  makeContextCurrent(record);
  limitWindowSize(record);
  releaseContext();
  if (tenBit)
    splitViewEntryPoint = glxEntryPoint;
  else
    noteEightBitWindowColour({chosen.redBits, chosen.greenBits, chosen.blueBits});
  return true;
}

void makeContextCurrent(const DisplayWindow& record) {
  glXMakeCurrent(frontEnd.display, record.window, record.context);
}

void releaseContext() {
  glXMakeCurrent(frontEnd.display, None, nullptr);
}

}  // namespace x11
