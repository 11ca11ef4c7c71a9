// The deep-colour window on a screen without 10-bit window formats, under
// Wine on an X server of depth 24. Wine's wglChoosePixelFormatARB returns
// FALSE there (a driver might instead return TRUE with no format).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/facts.h"
#include "windows/win32_front_end.h"

namespace win32 {
namespace {

// A driver this machine lacks, played through the entry-point lookup: which
// entry points exist, the extension list it reports and how many formats
// its chooser finds.
struct FakeDriver {
  bool hasExtensionsString = true;
  const char* extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format";
  bool hasAttribfv = true;
  UINT formatsFound = 0;
  int lookupsWithoutContext = 0;
};
FakeDriver fake;

const char* WINAPI fakeExtensionsString(HDC) {
  return fake.extensions;
}
BOOL WINAPI fakeAttribiv(HDC, int, int, UINT, const int*, int*) {
  return FALSE;
}
BOOL WINAPI fakeAttribfv(HDC, int, int, UINT, const int*, FLOAT*) {
  return FALSE;
}
BOOL WINAPI fakeChoose(HDC, const int*, const FLOAT*, UINT, int* format, UINT* count) {
  *format = 0;
  *count = fake.formatsFound;
  return TRUE;
}

template <typename Function>
PROC asProc(Function function) {
  return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(function));
}

PROC WINAPI fakeLookup(LPCSTR name) {
  if (wglGetCurrentContext() == nullptr) ++fake.lookupsWithoutContext;
  if (std::strcmp(name, "wglGetExtensionsStringARB") == 0)
    return fake.hasExtensionsString ? asProc(fakeExtensionsString) : nullptr;
  if (std::strcmp(name, "wglGetPixelFormatAttribivARB") == 0) return asProc(fakeAttribiv);
  if (std::strcmp(name, "wglGetPixelFormatAttribfvARB") == 0)
    return fake.hasAttribfv ? asProc(fakeAttribfv) : nullptr;
  if (std::strcmp(name, "wglChoosePixelFormatARB") == 0) return asProc(fakeChoose);
  return nullptr;
}

// Runs createDeepColourWindow against the fake driver; returns its console
// output and checks that a failure leaves nothing behind.
std::string failWith(const FakeDriver& driver) {
  fake = driver;
  wglEntryPointLookup = fakeLookup;
  ::testing::internal::CaptureStdout();
  HWND result = createDeepColourWindow(windowClassName);
  fflush(stdout);
  std::string output = ::testing::internal::GetCapturedStdout();
  wglEntryPointLookup = wglGetProcAddress;

  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(window10.hwnd, nullptr);
  EXPECT_EQ(window10.hglrc, nullptr);
  EXPECT_EQ(FindWindowA(windowClassName, nullptr), nullptr) << "no window of the class may remain";
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_EQ(fake.lookupsWithoutContext, 0) << "entry points are fetched under the probe context";
  return output;
}

TEST(FakeDriverTest, ExtensionNameCountsWhereverItStandsInTheList) {
  // The chooser is reached (and finds nothing) only when the name was found.
  for (const char* list :
       {"WGL_ARB_pixel_format WGL_ARB_extensions_string",
        "WGL_ARB_extensions_string WGL_ARB_pixel_format",
        "WGL_ARB_multisample WGL_ARB_pixel_format WGL_EXT_swap_control", "WGL_ARB_pixel_format"}) {
    FakeDriver driver;
    driver.extensions = list;
    EXPECT_EQ(failWith(driver), noTenBitFormatLine) << list;
  }
  FakeDriver onlyFloat;
  onlyFloat.extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format_float";
  EXPECT_EQ(failWith(onlyFloat), noPixelFormatExtensionLine);
}

TEST(FakeDriverTest, MissingPiecesEachGiveTheirOneLine) {
  FakeDriver noExtensionsString;
  noExtensionsString.hasExtensionsString = false;
  EXPECT_EQ(failWith(noExtensionsString),
            "ERROR: Unable to get wglGetExtensionsStringARB function pointer!\n");

  FakeDriver nullList;
  nullList.extensions = nullptr;
  EXPECT_EQ(failWith(nullList), noPixelFormatExtensionLine)
      << "a driver without a list supports nothing";

  FakeDriver noAttribfv;
  noAttribfv.hasAttribfv = false;
  EXPECT_EQ(failWith(noAttribfv), noPixelFormatExtensionLine);
}

TEST(NoDeepColourTest, FailsWithOneLineAndLeavesNothingBehind) {
  ::testing::internal::CaptureStdout();
  HWND result = createDeepColourWindow(windowClassName);
  fflush(stdout);
  const std::string output = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(output, "ERROR: wglChoosePixelFormat failed!\n");
  EXPECT_EQ(window10.hwnd, nullptr);
  EXPECT_EQ(window10.hdc, nullptr);
  EXPECT_EQ(window10.hglrc, nullptr);
  EXPECT_EQ(FindWindowA(windowClassName, nullptr), nullptr) << "no window of the class may remain";
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST(NoDeepColourTest, StandardWindowStillGetsAContextWithDepth) {
  HDC dc = nullptr;
  HGLRC context = nullptr;
  ::testing::internal::CaptureStdout();
  HWND window =
      createStandardWindow(windowClassName, title8, StandardWindowRole::Window8, dc, context);
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
}  // namespace win32

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!win32::registerWindowClass(windowClassName)) return 1;
  return RUN_ALL_TESTS();
}
