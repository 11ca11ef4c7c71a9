// The framebuffer-object calls beyond OpenGL 1.1: from OpenGL 3.0 and
// GL_ARB_framebuffer_object or, with the same constants,
// GL_EXT_framebuffer_object. The window system hands them out for the
// context current; each caller decides which names its context answers to.
#pragma once

#include "render/gl_headers.h"

using GlFunction = void (*)();
using GlLookup = GlFunction (*)(const char* name);

struct FramebufferCalls {
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
  PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
  PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
  PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
  PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
};

// Every call through lookup by its core name with suffix appended ("" for
// the core names, "EXT" for the extension's); true when each one came.
bool fetchFramebufferCalls(FramebufferCalls& calls, GlLookup lookup, const char* suffix);
