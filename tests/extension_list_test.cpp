#include "windows/extension_list.h"

#include <gtest/gtest.h>

namespace win32 {
namespace {

TEST(ExtensionListTest, FindsTheNameAsAWholeTokenAnywhere) {
  const char* name = "WGL_ARB_pixel_format";
  EXPECT_TRUE(extensionListHas("WGL_ARB_pixel_format WGL_ARB_multisample ", name));
  EXPECT_TRUE(extensionListHas("WGL_EXT_swap_control WGL_ARB_pixel_format WGL_ARB_x", name));
  EXPECT_TRUE(extensionListHas("WGL_ARB_extensions_string WGL_ARB_pixel_format", name));
  EXPECT_TRUE(extensionListHas("WGL_ARB_pixel_format", name));
  // A longer name first must not hide the real one after it.
  EXPECT_TRUE(extensionListHas("WGL_ARB_pixel_format_float WGL_ARB_pixel_format", name));
}

TEST(ExtensionListTest, RejectsAbsentPartialEmptyAndNullLists) {
  const char* name = "WGL_ARB_pixel_format";
  EXPECT_FALSE(extensionListHas("WGL_ARB_extensions_string WGL_ARB_multisample", name));
  EXPECT_FALSE(extensionListHas("WGL_ARB_pixel_format_float", name));
  EXPECT_FALSE(extensionListHas("XWGL_ARB_pixel_format", name));
  EXPECT_FALSE(extensionListHas("WGL_ARB_pixel", name));
  EXPECT_FALSE(extensionListHas("", name));
  EXPECT_FALSE(extensionListHas(nullptr, name));
}

}  // namespace
}  // namespace win32
