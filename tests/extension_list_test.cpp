#include "render/extension_list.h"

#include <gtest/gtest.h>

#include <string>

#include "render/framebuffer_calls.h"

namespace {

// The name counts only as a whole token, wherever it stands in the list.
TEST(ExtensionListTest, FindsTheNameOnlyAsAWholeToken) {
  const char* name = "WGL_ARB_pixel_format";
  const char* holding[] = {"WGL_ARB_pixel_format WGL_ARB_multisample ",
                           "WGL_EXT_swap_control WGL_ARB_pixel_format WGL_ARB_x",
                           "WGL_ARB_extensions_string WGL_ARB_pixel_format", "WGL_ARB_pixel_format",
                           // A longer name first must not hide the real one after it.
                           "WGL_ARB_pixel_format_float WGL_ARB_pixel_format"};
  for (const char* list : holding) EXPECT_TRUE(extensionListHas(list, name)) << list;
  const char* lacking[] = {"WGL_ARB_extensions_string WGL_ARB_multisample",
                           "WGL_ARB_pixel_format_float", "XWGL_ARB_pixel_format", "WGL_ARB_pixel",
                           ""};
  for (const char* list : lacking) EXPECT_FALSE(extensionListHas(list, name)) << list;
  EXPECT_FALSE(extensionListHas(nullptr, name));
}

// Which framebuffer-object names a context answers to, from its version and
// extension string; null for none.
TEST(ExtensionListTest, FramebufferCallsFollowTheVersionAndTheExtensions) {
  const struct {
    const char* version;
    const char* extensions;
    const char* suffix;
  } rows[] = {
      {"4.5 (Compatibility Profile) Mesa 22.3.6", "", ""},
      {"3.0 Mesa", nullptr, ""},
      {"2.1 Mesa", "GL_EXT_texture3D GL_ARB_framebuffer_object", ""},
      {"2.1 Mesa", "GL_ARB_framebuffer_object GL_EXT_framebuffer_object", ""},
      {"2.1", "GL_EXT_texture3D GL_EXT_framebuffer_object", "EXT"},
      {"1.4", "GL_EXT_framebuffer_object_extra GL_ARB_framebuffer_object_x", nullptr},
      {nullptr, nullptr, nullptr},
  };
  for (const auto& row : rows) {
    const char* suffix = framebufferCallSuffix(row.version, row.extensions);
    SCOPED_TRACE(std::string(row.version != nullptr ? row.version : "(no version)") + " / " +
                 (row.extensions != nullptr ? row.extensions : "(no list)"));
    if (row.suffix == nullptr) {
      EXPECT_EQ(suffix, nullptr);
    } else {
      ASSERT_NE(suffix, nullptr);
      EXPECT_STREQ(suffix, row.suffix);
    }
  }
}

}  // namespace
