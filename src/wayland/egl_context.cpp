// The EGL side of the display windows: reading the display's configurations
// into plain records for the exact-size choice, creating each window with its
// EGL surface and desktop OpenGL compatibility context (the 8-bit one sharing the
// 10-bit context's display lists, which EGL arranges when a context is
// created) and confirming with GL_RED_BITS, GL_GREEN_BITS and GL_BLUE_BITS
// that the context really got the colour depth it was chosen for.

#include <cstdio>
#include <vector>

#include "render/frame_setup.h"
#include "render/gl_headers.h"
#include "render/level_count.h"
#include "render/split_view.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

int attribute(EGLConfig config, EGLint name) {
  EGLint value = 0;
  eglGetConfigAttrib(frontEnd.connection.eglDisplay, config, name, &value);
  return value;
}

PixelFormatCandidate describe(EGLConfig config) {
  PixelFormatCandidate record;
  readSizes(record, {EGL_RED_SIZE, EGL_GREEN_SIZE, EGL_BLUE_SIZE, EGL_ALPHA_SIZE, EGL_DEPTH_SIZE},
            [config](EGLint name) { return attribute(config, name); });
  record.drawsToWindow = (attribute(config, EGL_SURFACE_TYPE) & EGL_WINDOW_BIT) != 0 &&
                         (attribute(config, EGL_RENDERABLE_TYPE) & EGL_OPENGL_BIT) != 0;
  // EGL window surfaces always draw into a back buffer that the swap shows.
  record.doubleBuffered = true;
  record.rgba = attribute(config, EGL_COLOR_BUFFER_TYPE) == EGL_RGB_BUFFER;
  record.accelerated = attribute(config, EGL_CONFIG_CAVEAT) != EGL_SLOW_CONFIG;
  return record;
}

// The exact configuration for the colour, else (nearestIfNone) the nearest;
// nullptr if none.
EGLConfig findEglConfig(const ColourRequest& colour, bool nearestIfNone,
                        PixelFormatCandidate& chosen) {
  EGLint count = 0;
  if (!eglGetConfigs(frontEnd.connection.eglDisplay, nullptr, 0, &count) || count <= 0)
    return nullptr;
  std::vector<EGLConfig> all(static_cast<std::size_t>(count));
  eglGetConfigs(frontEnd.connection.eglDisplay, all.data(), count, &count);
  all.resize(static_cast<std::size_t>(count));
  // Multisampled configurations would blend neighbouring levels at edges;
  // the background's levels must come out as drawn, so they are no candidates.
  std::vector<EGLConfig> candidates;
  std::vector<PixelFormatCandidate> records;
  for (EGLConfig config : all) {
    if (attribute(config, EGL_SAMPLE_BUFFERS) != 0) continue;
    candidates.push_back(config);
    records.push_back(describe(config));
  }
  int index = choosePixelFormat(records, colour);
  if (index < 0 && nearestIfNone) index = chooseNearestPixelFormat(records, colour);
  if (index < 0) return nullptr;
  chosen = records[static_cast<std::size_t>(index)];
  return candidates[static_cast<std::size_t>(index)];
}

// A context that shares display lists with shareList (may be
// EGL_NO_CONTEXT) and the EGL window surface, confirmed to have the chosen
// colour sizes.
bool createDisplayContext(DisplayWindow& record, EGLConfig config, EGLContext shareList,
                          const PixelFormatCandidate& chosen) {
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  record.context =
      eglCreateContext(frontEnd.connection.eglDisplay, config, shareList, contextAttributes);
  if (record.context == EGL_NO_CONTEXT || !createWindowSurface(record)) {
    printf("ERROR: Unable to create the GL rendering context for the '%s' window!\n", record.title);
    return false;
  }
  makeContextCurrent(record);
  // Neither the compositor nor the size rule may make the window larger
  // than its context can draw.
  largestDrawableSize(record.maxWidth, record.maxHeight);
  if (record.toplevel != nullptr)
    xdg_toplevel_set_max_size(record.toplevel, record.maxWidth, record.maxHeight);
  if (record.frame != nullptr)
    libdecor_frame_set_max_content_size(record.frame, record.maxWidth, record.maxHeight);
  // The configuration said so; the context has the last word.
  const ContextColour colour = currentContextColour();
  releaseContext();
  if (!contextHasChosenColour(record.title, colour, chosen)) {
    eglDestroyContext(frontEnd.connection.eglDisplay, record.context);
    record.context = EGL_NO_CONTEXT;
    return false;
  }
  return true;
}

}  // namespace

bool createWindowSurface(DisplayWindow& record) {
  if (record.eglSurface != EGL_NO_SURFACE) {
    if (eglGetCurrentSurface(EGL_DRAW) == record.eglSurface) releaseContext();
    eglDestroySurface(frontEnd.connection.eglDisplay, record.eglSurface);
  }
  record.eglSurface =
      eglCreateWindowSurface(frontEnd.connection.eglDisplay, record.config,
                             reinterpret_cast<EGLNativeWindowType>(record.eglWindow), nullptr);
  if (record.eglSurface == EGL_NO_SURFACE) return false;
  record.surfaceWidth = record.width * record.scale;
  record.surfaceHeight = record.height * record.scale;
  makeContextCurrent(record);
  // A swap must never wait for the compositor's frame callback: a window it
  // hides gets none, and the other window would stop with it.
  eglSwapInterval(frontEnd.connection.eglDisplay, 0);
  releaseContext();
  return true;
}

DisplayWindow& displayWindow(WhichWindow which) {
  return frontEnd.windows[static_cast<int>(which)];
}

bool createWindow(WhichWindow which) {
  DisplayWindow& record = displayWindow(which);
  const bool tenBit = which == WhichWindow::TenBit;
  PixelFormatCandidate chosen;
  EGLConfig config = findEglConfig(tenBit ? tenBitColour : eightBitColour, !tenBit, chosen);
  if (config == nullptr) {
    reportNoConfiguration(tenBit, record.title);
    return false;
  }
  record.config = config;
  record.hasAlpha = chosen.alphaBits > 0;
  if (!createSurfaceWindow(record)) return false;
  if (!createDisplayContext(record, config, tenBit ? EGL_NO_CONTEXT : window10.context, chosen)) {
    destroyDisplayWindow(record);
    return false;
  }
  if (tenBit)
    splitViewEntryPoint = eglGetProcAddress;
  else
    noteEightBitWindowColour({chosen.redBits, chosen.greenBits, chosen.blueBits});
  return true;
}

void makeContextCurrent(const DisplayWindow& record) {
  eglMakeCurrent(frontEnd.connection.eglDisplay, record.eglSurface, record.eglSurface,
                 record.context);
}

void releaseContext() {
  eglMakeCurrent(frontEnd.connection.eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

}  // namespace wayland
