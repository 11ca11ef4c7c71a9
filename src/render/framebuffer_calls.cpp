#include "render/framebuffer_calls.h"

#include <cstdio>
#include <cstdlib>

#include "render/extension_list.h"

namespace {

template <typename Function>
void fetch(Function& function, GlLookup lookup, const char* name, const char* suffix) {
  char full[64];
  std::snprintf(full, sizeof full, "%s%s", name, suffix);
  function = reinterpret_cast<Function>(lookup(full));
}

}  // namespace

const char* framebufferCallSuffix(const char* version, const char* extensions) {
  if ((version != nullptr && std::atoi(version) >= 3) ||
      extensionListHas(extensions, "GL_ARB_framebuffer_object"))
    return "";
  return extensionListHas(extensions, "GL_EXT_framebuffer_object") ? "EXT" : nullptr;
}

bool findFramebufferCalls(FramebufferCalls& calls, GlLookup lookup) {
  calls = FramebufferCalls{};
  if (lookup == nullptr) return false;
  const char* suffix =
      framebufferCallSuffix(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                            reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)));
  if (suffix == nullptr) return false;
  fetch(calls.genFramebuffers, lookup, "glGenFramebuffers", suffix);
  fetch(calls.bindFramebuffer, lookup, "glBindFramebuffer", suffix);
  fetch(calls.deleteFramebuffers, lookup, "glDeleteFramebuffers", suffix);
  fetch(calls.genRenderbuffers, lookup, "glGenRenderbuffers", suffix);
  fetch(calls.bindRenderbuffer, lookup, "glBindRenderbuffer", suffix);
  fetch(calls.deleteRenderbuffers, lookup, "glDeleteRenderbuffers", suffix);
  fetch(calls.renderbufferStorage, lookup, "glRenderbufferStorage", suffix);
  fetch(calls.framebufferRenderbuffer, lookup, "glFramebufferRenderbuffer", suffix);
  fetch(calls.checkFramebufferStatus, lookup, "glCheckFramebufferStatus", suffix);
  if (calls.genFramebuffers != nullptr && calls.bindFramebuffer != nullptr &&
      calls.deleteFramebuffers != nullptr && calls.genRenderbuffers != nullptr &&
      calls.bindRenderbuffer != nullptr && calls.deleteRenderbuffers != nullptr &&
      calls.renderbufferStorage != nullptr && calls.framebufferRenderbuffer != nullptr &&
      calls.checkFramebufferStatus != nullptr)
    return true;
  calls = FramebufferCalls{};
  return false;
}
