// The deep-colour window on a screen without 10-bit window formats, under
// Wine on an X server of depth 24. Wine's wglChoosePixelFormatARB returns
// FALSE there (a driver might instead return TRUE with no format). And the
// ways a DXGI window or surface fails, which need no 10-bit screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/facts.h"
#include "windows/win32_front_end.h"

namespace win32 {
namespace {

// One format as the fake driver lists and describes it.
struct FakeFormat {
  int number;
  int colourBits, alphaBits, depthBits;
  int pixelType = WGL_TYPE_RGBA_ARB;
};

// A driver this machine lacks, played through the entry-point lookup: which
// entry points exist, the extension list it reports and the formats its
// chooser lists, deeper ones first as drivers do.
struct FakeDriver {
  bool hasExtensionsString = true;
  const char* extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format";
  bool hasAttribfv = true;
  std::vector<FakeFormat> formats;
  bool describes = true;
  int lookupsWithoutContext = 0;
};
FakeDriver fake;

const char* WINAPI fakeExtensionsString(HDC) {
  return fake.extensions;
}
BOOL WINAPI fakeAttribiv(HDC, int number, int, UINT count, const int* names, int* values) {
  if (!fake.describes) return FALSE;
  for (const FakeFormat& format : fake.formats) {
    if (format.number != number) continue;
    for (UINT i = 0; i < count; ++i) {
      switch (names[i]) {
        case WGL_RED_BITS_ARB:
        case WGL_GREEN_BITS_ARB:
        case WGL_BLUE_BITS_ARB:
          values[i] = format.colourBits;
          break;
        case WGL_ALPHA_BITS_ARB:
          values[i] = format.alphaBits;
          break;
        case WGL_DEPTH_BITS_ARB:
          values[i] = format.depthBits;
          break;
        case WGL_PIXEL_TYPE_ARB:
          values[i] = format.pixelType;
          break;
        case WGL_ACCELERATION_ARB:
          values[i] = WGL_FULL_ACCELERATION_ARB;
          break;
        default:  // drawing to a window, OpenGL, double buffering
          values[i] = 1;
          break;
      }
    }
    return TRUE;
  }
  return FALSE;
}
BOOL WINAPI fakeAttribfv(HDC, int, int, UINT, const int*, FLOAT*) {
  return FALSE;
}
BOOL WINAPI fakeChoose(HDC, const int*, const FLOAT*, UINT maxFormats, int* formats, UINT* count) {
  *count = 0;
  for (const FakeFormat& format : fake.formats)
    if (*count < maxFormats) formats[(*count)++] = format.number;
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

// Runs createDeepColourWindow (or the 10-bit DXGI window) against the fake
// driver; returns its console output and checks that a failure leaves
// nothing behind.
std::string failWith(const FakeDriver& driver, bool dxgi = false) {
  fake = driver;
  wglEntryPointLookup = fakeLookup;
  ::testing::internal::CaptureStdout();
  HWND result = dxgi ? createDxgiWindow(windowClassName, true, nullptr, window10)
                     : createDeepColourWindow(windowClassName);
  fflush(stdout);
  std::string output = ::testing::internal::GetCapturedStdout();
  wglEntryPointLookup = wglGetProcAddress;

  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(window10.hwnd, nullptr);
  EXPECT_EQ(window10.gl.context, nullptr);
  EXPECT_EQ(FindWindowA(windowClassName, nullptr), nullptr) << "no window of the class may remain";
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_EQ(fake.lookupsWithoutContext, 0) << "entry points are fetched under the probe context";
  return output;
}

// Where no 10-bit format was found, the error line and the note that
// suggests DXGI swap chains (Wine has DXGI).
std::string withDxgiNote(const std::string& errorLine) {
  return errorLine + tryDxgiNote;
}

TEST(FakeDriverTest, ExtensionNameCountsWhereverItStandsInTheList) {
  // The chooser is reached (and finds nothing) only when the name was found.
  for (const char* list :
       {"WGL_ARB_pixel_format WGL_ARB_extensions_string",
        "WGL_ARB_extensions_string WGL_ARB_pixel_format",
        "WGL_ARB_multisample WGL_ARB_pixel_format WGL_EXT_swap_control", "WGL_ARB_pixel_format"}) {
    FakeDriver driver;
    driver.extensions = list;
    EXPECT_EQ(failWith(driver), withDxgiNote(noTenBitFormatLine)) << list;
  }
  FakeDriver onlyFloat;
  onlyFloat.extensions = "WGL_ARB_extensions_string WGL_ARB_pixel_format_float";
  EXPECT_EQ(failWith(onlyFloat), withDxgiNote(noPixelFormatExtensionLine));
}

TEST(FakeDriverTest, MissingPiecesEachGiveTheirOneLine) {
  FakeDriver noExtensionsString;
  noExtensionsString.hasExtensionsString = false;
  EXPECT_EQ(failWith(noExtensionsString),
            withDxgiNote("ERROR: Unable to get wglGetExtensionsStringARB function pointer!\n"));

  FakeDriver nullList;
  nullList.extensions = nullptr;
  EXPECT_EQ(failWith(nullList), withDxgiNote(noPixelFormatExtensionLine))
      << "a driver without a list supports nothing";

  FakeDriver noAttribfv;
  noAttribfv.hasAttribfv = false;
  EXPECT_EQ(failWith(noAttribfv), withDxgiNote(noPixelFormatExtensionLine));
}

// A real classic format of this screen (8 bits per colour at depth 24),
// which the fake driver can claim is 10-10-10-2.
int realFormatNumber() {
  HDC dc = nullptr;
  HGLRC context = nullptr;
  HWND window = createStandardWindow(windowClassName, "Real", StandardWindowRole::HiddenAccelerated,
                                     dc, context);
  if (window == nullptr) return 0;
  const int format = GetPixelFormat(dc);
  wglDeleteContext(context);
  ReleaseDC(window, dc);
  DestroyWindow(window);
  return format;
}

TEST(FakeDriverTest, ChoosesTheExactFormatAmongDeeperFloatAndDepthlessOnes) {
  const int real = realFormatNumber();
  ASSERT_NE(real, 0);
  // Numbers 9001 to 9003 exist nowhere: choosing one of them fails when
  // the pixel format is set, with its own line.
  FakeDriver driver;
  driver.formats = {{9001, 12, 2, 24},
                    {9002, 10, 2, 24, WGL_TYPE_RGBA_FLOAT_ARB},
                    {9003, 10, 2, 0},
                    {real, 10, 2, 24}};
  // The exact format is set and gets a context, which reports the 8 bits it
  // really has: the claim is caught and nothing stays behind. A format was
  // found, so no note suggests another way.
  EXPECT_EQ(failWith(driver), std::string("ERROR: The '") + title10 +
                                  "' window got 8 bits per colour instead of 10!\n");

  driver.formats = {{9001, 12, 2, 24}, {9002, 10, 2, 24, WGL_TYPE_RGBA_FLOAT_ARB}};
  EXPECT_EQ(failWith(driver), withDxgiNote(noTenBitFormatLine)) << "none exact: no 10-bit format";
  driver.formats = {};
  EXPECT_EQ(failWith(driver), withDxgiNote(noTenBitFormatLine)) << "nothing listed";

  driver.formats = {{real, 10, 2, 24}};
  driver.describes = false;
  EXPECT_EQ(failWith(driver), withDxgiNote(noTenBitFormatLine))
      << "formats it cannot describe are passed over";
}

// DXGI's surfaces find their framebuffer objects the one way, through the
// driver's lookup, and only what the context names.
TEST(FakeDriverTest, DxgiWindowNeedsTheDriversFramebufferObjects) {
  EXPECT_EQ(failWith(FakeDriver{}, true),
            "ERROR: The OpenGL driver offers no framebuffer objects for the DXGI swap chains!\n");
}

TEST(FakeDriverTest, AFormatThatCannotBeSetIsNamed) {
  FakeDriver driver;
  driver.formats = {{9003, 10, 2, 24}};
  EXPECT_EQ(failWith(driver), std::string("ERROR: Unable to set the pixelformat for the '") +
                                  title10 + "' window!\n");
}

TEST(NoDeepColourTest, FailsWithOneLineAndLeavesNothingBehind) {
  ::testing::internal::CaptureStdout();
  HWND result = createDeepColourWindow(windowClassName);
  fflush(stdout);
  const std::string output = ::testing::internal::GetCapturedStdout();

  EXPECT_EQ(result, nullptr);
  EXPECT_EQ(output, withDxgiNote("ERROR: wglChoosePixelFormat failed!\n"));
  EXPECT_EQ(window10.hwnd, nullptr);
  EXPECT_EQ(window10.gl.dc, nullptr);
  EXPECT_EQ(window10.gl.context, nullptr);
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

// The framebuffer objects and renderbuffers in the current context, among
// the first names.
int framebufferNames() {
  using IsName = GLboolean(APIENTRY*)(GLuint);
  const auto isFramebuffer = reinterpret_cast<IsName>(wglEntryPoint("glIsFramebuffer"));
  const auto isRenderbuffer = reinterpret_cast<IsName>(wglEntryPoint("glIsRenderbuffer"));
  int count = 0;
  for (GLuint name = 1; name <= 64; ++name)
    count += (isFramebuffer(name) ? 1 : 0) + (isRenderbuffer(name) ? 1 : 0);
  return count;
}

// Full screen's framebuffer object is made in the 10-bit window's context,
// which lives on: where its surface cannot be made, the names go again.
TEST(DxgiTest, AFullScreenSurfaceThatFailsKeepsNoFramebufferObject) {
  ::testing::internal::CaptureStdout();
  const bool made = createDxgiWindow(windowClassName, true, nullptr, window10) != nullptr;
  fflush(stdout);
  ASSERT_TRUE(made) << ::testing::internal::GetCapturedStdout();
  ::testing::internal::GetCapturedStdout();
  const int before = framebufferNames();
  EXPECT_EQ(before, 3) << "the window's own framebuffer object and its two renderbuffers";
  wglMakeCurrent(nullptr, nullptr);
  // No window takes no swap chain; a client area wider than any renderbuffer
  // takes no framebuffer object.
  HWND tooWide = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 16385, 1, nullptr, nullptr,
                                 nullptr, nullptr);
  const struct {
    HWND hwnd;
    const char* line;
  } failures[] = {
      {nullptr, "ERROR: Unable to create the R10G10B10A2_UNORM swap chain for full screen!\n"},
      {tooWide, "ERROR: Unable to create the 10-10-10-2 framebuffer object for full screen!\n"}};
  for (const auto& failure : failures) {
    DisplayWindow record;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(createDxgiFullScreen(failure.hwnd, record));
    fflush(stdout);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), failure.line);
    EXPECT_EQ(record.dxgi, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    wglMakeCurrent(window10.gl.dc, window10.gl.context);
    EXPECT_EQ(framebufferNames(), before) << failure.line;
    wglMakeCurrent(nullptr, nullptr);
  }
  DestroyWindow(tooWide);
  releaseDxgiPresentation();
}

}  // namespace
}  // namespace win32

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!win32::registerWindowClass(windowClassName)) return 1;
  return RUN_ALL_TESTS();
}
