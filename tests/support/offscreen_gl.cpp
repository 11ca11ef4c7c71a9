#include "offscreen_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

namespace {

EGLDisplay sharedDisplay(std::string& error) {
  static EGLDisplay display = EGL_NO_DISPLAY;
  static bool tried = false;
  if (!tried) {
    tried = true;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay != nullptr)
      display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display != EGL_NO_DISPLAY && !eglInitialize(display, nullptr, nullptr))
      display = EGL_NO_DISPLAY;
    if (display != EGL_NO_DISPLAY) eglBindAPI(EGL_OPENGL_API);
  }
  if (display == EGL_NO_DISPLAY) error = "no surfaceless EGL display";
  return display;
}

}  // namespace

OffscreenGl::OffscreenGl(int width, int height, int bits)
    : width_(width), height_(height), bits_(bits) {
  EGLDisplay display = sharedDisplay(error_);
  if (display == EGL_NO_DISPLAY) return;

  const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
    error_ = "no EGL config for desktop OpenGL";
    return;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
  context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context_ == EGL_NO_CONTEXT) {
    context_ = nullptr;
    error_ = "eglCreateContext failed";
    return;
  }
  makeCurrent();

  glGenFramebuffers(1, &framebuffer_);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glGenRenderbuffers(1, &colour_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, bits == 10 ? GL_RGB10_A2 : GL_RGBA8, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error_ = "framebuffer incomplete";
    return;
  }
  GLint redBits = 0;
  glGetIntegerv(GL_RED_BITS, &redBits);
  if (redBits != bits) error_ = "framebuffer has " + std::to_string(redBits) + " red bits";
}

OffscreenGl::~OffscreenGl() {
  if (context_ == nullptr) return;
  std::string ignored;
  EGLDisplay display = sharedDisplay(ignored);
  makeCurrent();
  glDeleteFramebuffers(1, &framebuffer_);
  glDeleteRenderbuffers(1, &colour_);
  glDeleteRenderbuffers(1, &depth_);
  eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(display, static_cast<EGLContext>(context_));
}

void OffscreenGl::makeCurrent() {
  std::string ignored;
  eglMakeCurrent(sharedDisplay(ignored), EGL_NO_SURFACE, EGL_NO_SURFACE,
                 static_cast<EGLContext>(context_));
  if (framebuffer_ != 0) glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

std::vector<Pixel> OffscreenGl::read() const {
  std::vector<Pixel> image(static_cast<std::size_t>(width_) * height_);
  glFinish();
  if (bits_ == 10) {
    std::vector<std::uint32_t> raw(image.size());
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, raw.data());
    for (std::size_t i = 0; i < raw.size(); ++i)
      image[i] = {static_cast<int>(raw[i] & 0x3ff), static_cast<int>((raw[i] >> 10) & 0x3ff),
                  static_cast<int>((raw[i] >> 20) & 0x3ff)};
  } else {
    std::vector<std::uint8_t> raw(image.size() * 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    for (std::size_t i = 0; i < image.size(); ++i)
      image[i] = {raw[4 * i], raw[4 * i + 1], raw[4 * i + 2]};
  }
  return image;
}
