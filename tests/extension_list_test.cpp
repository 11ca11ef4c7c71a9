#include "windows/extension_list.h"

#include <gtest/gtest.h>

namespace win32 {
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

}  // namespace
}  // namespace win32
