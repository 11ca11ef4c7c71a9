// The framebuffer-object calls beyond OpenGL 1.1: from OpenGL 3.0 and
// GL_ARB_framebuffer_object or, with the same constants,
// GL_EXT_framebuffer_object. The window system hands them out for the
// context current; the context's version and extension string tell which
// names it answers to, and whether it has them at all.
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

// The suffix of the names a context of this version and extension string
// answers to: "" for the core names (OpenGL 3.0, GL_ARB_framebuffer_object),
// "EXT" for GL_EXT_framebuffer_object's; null where it has neither.
const char* framebufferCallSuffix(const char* version, const char* extensions);

// With a context current: every call through lookup under the names the
// context answers to. Only what the context says it has is asked for, as a
// lookup may hand out a function for any name. False, with calls left
// empty, where the context has no framebuffer objects or lookup lacks a call.
bool findFramebufferCalls(FramebufferCalls& calls, GlLookup lookup);
