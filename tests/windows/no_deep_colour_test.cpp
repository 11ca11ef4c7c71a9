// The deep-colour window on a screen without 10-bit window formats, under
// Wine on an X server of depth 24. Wine's wglChoosePixelFormatARB returns
// FALSE there (a driver might instead return TRUE with no format).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "windows/display_windows.h"

namespace {

const char className[] = "OpenGLWindowClass";

TEST(NoDeepColourTest, FailsWithOneLineAndLeavesNothingBehind) {
  ASSERT_EQ(registerWindowClass(className), 1);
  ::testing::internal::CaptureStdout();
  HWND result = createDeepColourWindow(className);
  fflush(stdout);
  const std::string output = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(output, "ERROR: wglChoosePixelFormat failed!\n");
  EXPECT_EQ(window10.hwnd, nullptr);
  EXPECT_EQ(window10.hdc, nullptr);
  EXPECT_EQ(window10.hglrc, nullptr);
  EXPECT_EQ(FindWindowA(className, nullptr), nullptr) << "no window of the class may remain";
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(NoDeepColourTest, StandardWindowStillGetsAContextWithDepth) {
  HDC dc = nullptr;
  HGLRC context = nullptr;
  ::testing::internal::CaptureStdout();
  HWND window =
      createStandardWindow(className, "Lumivane - Display Port 8 bit video", true, dc, context);
  fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(window, nullptr);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr) << "the context is not made current";
  wglMakeCurrent(dc, context);
  GLint red = 0, depth = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  EXPECT_EQ(red, 8);
  EXPECT_GE(depth, 24);
  wglMakeCurrent(nullptr, nullptr);
  wglDeleteContext(context);
  DestroyWindow(window);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
