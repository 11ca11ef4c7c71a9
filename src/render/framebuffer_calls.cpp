#include "render/framebuffer_calls.h"

#include <cstdio>

namespace {

template <typename Function>
void fetch(Function& function, GlLookup lookup, const char* name, const char* suffix) {
  char full[64];
  std::snprintf(full, sizeof full, "%s%s", name, suffix);
  function = reinterpret_cast<Function>(lookup(full));
}

}  // namespace

bool fetchFramebufferCalls(FramebufferCalls& calls, GlLookup lookup, const char* suffix) {
  fetch(calls.genFramebuffers, lookup, "glGenFramebuffers", suffix);
  fetch(calls.bindFramebuffer, lookup, "glBindFramebuffer", suffix);
  fetch(calls.deleteFramebuffers, lookup, "glDeleteFramebuffers", suffix);
  fetch(calls.genRenderbuffers, lookup, "glGenRenderbuffers", suffix);
  fetch(calls.bindRenderbuffer, lookup, "glBindRenderbuffer", suffix);
  fetch(calls.deleteRenderbuffers, lookup, "glDeleteRenderbuffers", suffix);
  fetch(calls.renderbufferStorage, lookup, "glRenderbufferStorage", suffix);
  fetch(calls.framebufferRenderbuffer, lookup, "glFramebufferRenderbuffer", suffix);
  fetch(calls.checkFramebufferStatus, lookup, "glCheckFramebufferStatus", suffix);
  return calls.genFramebuffers != nullptr && calls.bindFramebuffer != nullptr &&
         calls.deleteFramebuffers != nullptr && calls.genRenderbuffers != nullptr &&
         calls.bindRenderbuffer != nullptr && calls.deleteRenderbuffers != nullptr &&
         calls.renderbufferStorage != nullptr && calls.framebufferRenderbuffer != nullptr &&
         calls.checkFramebufferStatus != nullptr;
}
