// The display windows for real, under Wine on an X server of depth 30, where
// a 10-10-10-2 accelerated window format exists. One process builds both
// windows once (a visible window takes seconds to destroy under Wine) and
// the tests drive them with real messages through the window procedure.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "app/facts.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"
#include "windows/win32_front_end.h"

namespace win32 {
namespace {

// GL_UNSIGNED_INT_2_10_10_10_REV, beyond the OpenGL 1.1 header.
constexpr GLenum packed2101010 = 0x8368;
std::string creationOutput;
HWND createdWindow10 = nullptr;

class DisplayWindowsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(registerWindowClass(windowClassName), 1);
    ::testing::internal::CaptureStdout();
    createdWindow10 = createDeepColourWindow(windowClassName);
    window8.hwnd = createStandardWindow(windowClassName, title8, StandardWindowRole::Window8,
                                        window8.gl.dc, window8.gl.context);
    fflush(stdout);
    creationOutput = ::testing::internal::GetCapturedStdout();
    ASSERT_NE(window8.hwnd, nullptr);
    if (createdWindow10 != nullptr) initContextState();
    wglMakeCurrent(window8.gl.dc, window8.gl.context);
    initContextState();
    wglShareLists(window10.gl.context, window8.gl.context);
    ShowWindow(window10.hwnd, SW_SHOW);
    ShowWindow(window8.hwnd, SW_SHOW);
  }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new DisplayWindowsEnvironment);

RECT windowRect(HWND hwnd) {
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  return rect;
}

// The window's outer rectangle is windowSize square at (left, top).
void expectPlaced(HWND hwnd, int left, int top) {
  const RECT rect = windowRect(hwnd);
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right - rect.left, windowSize);
  EXPECT_EQ(rect.bottom - rect.top, windowSize);
}

std::string windowTitle(HWND hwnd) {
  char title[256] = {};
  GetWindowTextA(hwnd, title, sizeof title);
  return title;
}

int integerInContext(const DisplayWindow& record, GLenum name) {
  wglMakeCurrent(record.gl.dc, record.gl.context);
  GLint value = -1;
  glGetIntegerv(name, &value);
  return value;
}

bool lightInContext(const DisplayWindow& record, GLenum light) {
  wglMakeCurrent(record.gl.dc, record.gl.context);
  return glIsEnabled(light) == GL_TRUE;
}

bool quitPosted() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// Runs a message through the window procedure and reports how far the
// running scene moved: 0.2 degrees for every paint.
int paintsCausedBy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam = 0) {
  const double before = viewerState.sceneAngle;
  SendMessageA(hwnd, message, wParam, lParam);
  const double moved = viewerState.sceneAngle - before;
  return static_cast<int>(moved / 0.2 + 0.5);
}

class DisplayWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    viewerState = ViewerState{};
    while (quitPosted()) {
    }
  }
};

TEST_F(DisplayWindowsTest, DeepColourWindowStandsAtItsPlaceWithATenBitContext) {
  // Wine on a depth-30 screen offers no classic 8-bit window format; the
  // 8-bit window takes the nearest and says so, without an error line.
  EXPECT_EQ(creationOutput,
            "NOTE: the 8-bit window got 10 bits per colour on this display, so it cannot show "
            "8-bit bands.\n");
  ASSERT_NE(createdWindow10, nullptr);
  EXPECT_EQ(createdWindow10, window10.hwnd);
  EXPECT_NE(window10.gl.dc, nullptr);
  EXPECT_NE(window10.gl.context, nullptr);
  EXPECT_EQ(FindWindowA(windowClassName, "Dummy"), nullptr) << "the probe window must be gone";
  EXPECT_EQ(windowTitle(window10.hwnd), title10);
  expectPlaced(window10.hwnd, window10Left, window10Top);
  for (GLenum bits : {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS})
    EXPECT_EQ(integerInContext(window10, bits), 10);
  EXPECT_GE(integerInContext(window10, GL_DEPTH_BITS), 24);
}

TEST_F(DisplayWindowsTest, StandardWindowHasADepthBufferAndItsPlace) {
  EXPECT_EQ(windowTitle(window8.hwnd), title8);
  expectPlaced(window8.hwnd, window8Left, window8Top);
  // Wine on a depth-30 screen offers only 10-bit window formats, so the
  // 24-bit request gets at least 8 bits per channel here.
  EXPECT_GE(integerInContext(window8, GL_RED_BITS), 8);
  EXPECT_GE(integerInContext(window8, GL_DEPTH_BITS), 24);
}

TEST_F(DisplayWindowsTest, TenBitWindowHoldsTenBitGreyLevels) {
  // Draw into the back buffer and read it before any swap: the front buffer
  // reads back as zeros under Wine.
  wglMakeCurrent(window10.gl.dc, window10.gl.context);
  RECT client;
  GetClientRect(window10.hwnd, &client);
  viewerState.logoVisible = false;
  renderFrame(client.right, client.bottom);
  glReadBuffer(GL_BACK);
  const int height = client.bottom;
  std::vector<GLuint> column(static_cast<std::size_t>(height));
  glReadPixels(client.right / 2, 0, 1, height, GL_RGBA, packed2101010, column.data());
  std::set<GLuint> levels;
  for (GLuint pixel : column) levels.insert(pixel & 0x3ff);
  wglMakeCurrent(nullptr, nullptr);
  // Preset 3 spreads 0.4..0.6 over the square viewport (as tall as the client
  // is wide), of which the client shows the lower part.
  const double range = 0.2 * height / (client.right > height ? client.right : height);
  EXPECT_GT(static_cast<int>(levels.size()), static_cast<int>(1023 * range * 0.9))
      << "a column of the 10-bit window should show 10-bit steps";
}

TEST_F(DisplayWindowsTest, KeysRunTheirCommandsWithTheirRefreshes) {
  struct Row {
    WPARAM key;
    int paints;  // two per refresh
  };
  // P refreshes once, but its paints already see the scene paused.
  const Row rows[] = {{'B', 4}, {'N', 2}, {VK_SPACE, 0}, {'X', 0}, {VK_F5, 0}, {'P', 0}};
  for (const Row& row : rows)
    EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_KEYDOWN, row.key), row.paints)
        << "key 0x" << std::hex << row.key;
  EXPECT_EQ(viewerState.shadeIndex, 4);
  EXPECT_FALSE(viewerState.logoVisible);
  EXPECT_TRUE(viewerState.paused);

  // Paused: P resumes with one refresh, which now moves the scene again.
  const double angle = viewerState.sceneAngle;
  SendMessageA(window8.hwnd, WM_KEYDOWN, 'B', 0);
  EXPECT_EQ(viewerState.sceneAngle, angle) << "paused paints leave the scene still";
  EXPECT_EQ(viewerState.shadeIndex, 5);
  EXPECT_EQ(paintsCausedBy(window8.hwnd, WM_KEYDOWN, 'P'), 2);
  EXPECT_FALSE(quitPosted());
}

TEST_F(DisplayWindowsTest, LightKeysSwitchTheLightInBothContexts) {
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_KEYDOWN, '1'), 4);
  EXPECT_FALSE(lightInContext(window10, GL_LIGHT0));
  EXPECT_FALSE(lightInContext(window8, GL_LIGHT0));
  EXPECT_TRUE(lightInContext(window8, GL_LIGHT1));

  EXPECT_EQ(paintsCausedBy(window8.hwnd, WM_KEYDOWN, '2'), 4);
  EXPECT_FALSE(lightInContext(window10, GL_LIGHT1));
  EXPECT_FALSE(lightInContext(window8, GL_LIGHT1));

  SendMessageA(window10.hwnd, WM_KEYDOWN, '1', 0);
  SendMessageA(window10.hwnd, WM_KEYDOWN, '2', 0);
  for (const DisplayWindow* record : {&window10, &window8}) {
    EXPECT_TRUE(lightInContext(*record, GL_LIGHT0));
    EXPECT_TRUE(lightInContext(*record, GL_LIGHT1));
  }
  EXPECT_FALSE(viewerState.mainLightOff);
  EXPECT_FALSE(viewerState.sideLightOff);
  wglMakeCurrent(nullptr, nullptr);
}

TEST_F(DisplayWindowsTest, EscapeAndCloseEndTheLoopButLeaveTheWindows) {
  SendMessageA(window8.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(quitPosted());
  SendMessageA(window10.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(quitPosted());
  SendMessageA(window8.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(quitPosted());
  EXPECT_TRUE(IsWindow(window10.hwnd));
  EXPECT_TRUE(IsWindow(window8.hwnd));
}

TEST_F(DisplayWindowsTest, TimerRefreshesBothWindowsOnlyWhileRunning) {
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_TIMER, refreshTimerId), 2);
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_TIMER, refreshTimerId + 7), 0)
      << "only the refresh timer refreshes";

  viewerState.paused = true;
  const double logoAngle = viewerState.logoAngle;
  SendMessageA(window10.hwnd, WM_TIMER, refreshTimerId, 0);
  EXPECT_EQ(viewerState.logoAngle, logoAngle) << "a paused tick paints nothing at all";
}

TEST_F(DisplayWindowsTest, EightBitWindowSizeCarriesOverOneWay) {
  MoveWindow(window8.hwnd, window8Left, window8Top, 500, 300, TRUE);
  RECT rect = windowRect(window10.hwnd);
  EXPECT_EQ(rect.left, window10Left);
  EXPECT_EQ(rect.top, window10Top);
  EXPECT_EQ(rect.right - rect.left, 500);
  EXPECT_EQ(rect.bottom - rect.top, 300);

  MoveWindow(window10.hwnd, window10Left, window10Top, 450, 350, TRUE);
  rect = windowRect(window8.hwnd);
  EXPECT_EQ(rect.right - rect.left, 500) << "resizing the 10-bit window changes nothing else";
  EXPECT_EQ(rect.bottom - rect.top, 300);

  MoveWindow(window8.hwnd, window8Left, window8Top, windowSize, windowSize, TRUE);
  rect = windowRect(window10.hwnd);
  EXPECT_EQ(rect.right - rect.left, windowSize);
  EXPECT_EQ(rect.bottom - rect.top, windowSize);
}

TEST_F(DisplayWindowsTest, MinimisedEightBitWindowLeavesTheTenBitWindowWhole) {
  MoveWindow(window8.hwnd, window8Left, window8Top, 450, 420, TRUE);
  const RECT before = windowRect(window10.hwnd);
  ShowWindow(window8.hwnd, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window8.hwnd));
  RECT rect = windowRect(window10.hwnd);
  EXPECT_EQ(rect.right - rect.left, 450) << "the 10-bit window collapsed";
  EXPECT_EQ(rect.bottom - rect.top, 420) << "the 10-bit window collapsed";
  EXPECT_EQ(rect.left, before.left);
  ShowWindow(window8.hwnd, SW_RESTORE);
  rect = windowRect(window10.hwnd);
  EXPECT_EQ(rect.right - rect.left, 450) << "restored: the 8-bit window's size again";
  EXPECT_EQ(rect.bottom - rect.top, 420);
  MoveWindow(window8.hwnd, window8Left, window8Top, windowSize, windowSize, TRUE);
}

// A minimised window's own rectangle is its icon's: the size rule works on
// its restored place, and it comes back there at the new size.
TEST_F(DisplayWindowsTest, MinimisedTenBitWindowFollowsAtItsRestoredPlace) {
  ShowWindow(window10.hwnd, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window10.hwnd));
  MoveWindow(window8.hwnd, window8Left, window8Top, 450, 420, TRUE);
  EXPECT_TRUE(IsIconic(window10.hwnd)) << "the 10-bit window stays minimised";
  ShowWindow(window10.hwnd, SW_RESTORE);
  const RECT rect = windowRect(window10.hwnd);
  EXPECT_EQ(rect.left, window10Left);
  EXPECT_EQ(rect.top, window10Top);
  EXPECT_EQ(rect.right - rect.left, 450);
  EXPECT_EQ(rect.bottom - rect.top, 420);
  MoveWindow(window8.hwnd, window8Left, window8Top, windowSize, windowSize, TRUE);
  expectPlaced(window10.hwnd, window10Left, window10Top);
}

TEST_F(DisplayWindowsTest, NeitherWindowGrowsBeyondWhatItsContextCanDraw) {
  wglMakeCurrent(window10.gl.dc, window10.gl.context);
  GLint viewport[2] = {};
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
  wglMakeCurrent(nullptr, nullptr);
  ASSERT_GT(viewport[0], windowSize);
  const auto clientOf = [](HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    return client;
  };
  // What a person's drag of the edge or the maximise button may reach.
  MINMAXINFO limits = {};
  limits.ptMaxTrackSize = {40000, 40000};
  limits.ptMaxSize = limits.ptMaxTrackSize;
  SendMessageA(window8.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  const RECT outer = windowRect(window8.hwnd), client = clientOf(window8.hwnd);
  const LONG frameWidth = (outer.right - outer.left) - client.right;
  EXPECT_EQ(limits.ptMaxTrackSize.x, viewport[0] + frameWidth);
  EXPECT_LE(limits.ptMaxSize.x, viewport[0] + frameWidth);

  // What a program or a window manager asks for directly.
  MoveWindow(window8.hwnd, window8Left, window8Top, 32767, 300, TRUE);
  EXPECT_LE(clientOf(window8.hwnd).right, viewport[0]);
  EXPECT_LE(clientOf(window10.hwnd).right, viewport[0]) << "the size rule asked for more";
  EXPECT_GT(clientOf(window10.hwnd).right, windowSize);
  MoveWindow(window8.hwnd, window8Left, window8Top, windowSize, windowSize, TRUE);
  const RECT rect = windowRect(window10.hwnd);
  EXPECT_EQ(rect.right - rect.left, windowSize);
}

TEST_F(DisplayWindowsTest, DragRepaintsUntilReleaseOrLostCapture) {
  EXPECT_EQ(paintsCausedBy(window8.hwnd, WM_MOUSEMOVE, 0), 0) << "no drag yet";
  SendMessageA(window8.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(viewerState.dragging);
  EXPECT_EQ(GetCapture(), window8.hwnd) << "the mouse is captured, so a release anywhere ends";
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_MOUSEMOVE, MK_LBUTTON), 2);
  SendMessageA(window8.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(900, 900));
  EXPECT_FALSE(viewerState.dragging);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(paintsCausedBy(window8.hwnd, WM_MOUSEMOVE, 0), 0);

  // Capture taken away before any release reaches us: the drag ends too.
  SendMessageA(window10.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(viewerState.dragging);
  ReleaseCapture();
  EXPECT_FALSE(viewerState.dragging);
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_MOUSEMOVE, 0), 0);
}

// Key F: the split view's window over the monitor with the 10-bit window's
// own pixel format, topmost, over the two unpainted windows. Another program
// taking the focus brings them back as they were, a minimised one minimised.
TEST_F(DisplayWindowsTest, FullScreenGivesWayWhenTheFocusGoesAndTheWindowsComeBackAsTheyWere) {
  ShowWindow(window8.hwnd, SW_MINIMIZE);
  const RECT place10 = windowRect(window10.hwnd);
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_KEYDOWN, 'F'), 1) << "one split-view frame";
  ASSERT_TRUE(inFullScreen());
  EXPECT_TRUE(IsWindowVisible(fullScreen.hwnd));
  EXPECT_EQ(GetForegroundWindow(), fullScreen.hwnd);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(window10.hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT area = windowRect(fullScreen.hwnd);
  EXPECT_TRUE(EqualRect(&area, &monitor.rcMonitor)) << area.right << "x" << area.bottom;
  EXPECT_NE(GetWindowLongA(fullScreen.hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_EQ(GetPixelFormat(fullScreen.gl.dc), GetPixelFormat(window10.gl.dc));
  EXPECT_EQ(windowTitle(fullScreen.hwnd).rfind("Lumivane", 0), 0u);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_TIMER, refreshTimerId), 1)
      << "a tick paints the split view alone";
  SendMessageA(fullScreen.hwnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(quitPosted()) << "closing the full-screen window ends the program like Escape";

  SendMessageA(fullScreen.hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
  MSG msg;
  while (PeekMessageA(&msg, fullScreen.hwnd, leaveFullScreenMessage, leaveFullScreenMessage,
                      PM_REMOVE))
    DispatchMessageA(&msg);
  EXPECT_FALSE(inFullScreen());
  EXPECT_FALSE(IsWindowVisible(fullScreen.hwnd));
  EXPECT_TRUE(IsWindowVisible(window10.hwnd));
  EXPECT_TRUE(IsIconic(window8.hwnd)) << "the 8-bit window comes back minimised";
  const RECT back10 = windowRect(window10.hwnd);
  EXPECT_TRUE(EqualRect(&back10, &place10));
  ShowWindow(window8.hwnd, SW_RESTORE);
  EXPECT_EQ(paintsCausedBy(window10.hwnd, WM_TIMER, refreshTimerId), 2) << "both windows again";
}

TEST_F(DisplayWindowsTest, PaintLeavesNoContextCurrent) {
  wglMakeCurrent(window10.gl.dc, window10.gl.context);
  refreshBoth();
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  EXPECT_FALSE(quitPosted()) << "destroying the probe must not have posted a quit";
}

// What Wine's Direct3D reads as it loads: the variable through ucrtbase's
// copy of the environment. Under Wine its command thread is turned off, as
// it spins between ticks; a person's own choice stays.
TEST(WineDirect3D, CommandsRunOnTheProgramsThreadUnlessThePersonChoseOtherwise) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const bool wine = GetProcAddress(ntdll, "wine_get_version") != nullptr;
  HMODULE runtime = GetModuleHandleA("ucrtbase.dll");
  if (!wine || runtime == nullptr) GTEST_SKIP() << "not Wine, or no ucrtbase in this process";
  auto readVariable = reinterpret_cast<char*(__cdecl*)(const char*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(runtime, "getenv")));
  auto setVariable = reinterpret_cast<int(__cdecl*)(const char*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(runtime, "_putenv")));
  ASSERT_NE(readVariable, nullptr);
  ASSERT_NE(setVariable, nullptr);
  const auto seen = [&] {
    const char* value = readVariable("WINE_D3D_CONFIG");
    return std::string(value != nullptr ? value : "(unset)");
  };
  setVariable("WINE_D3D_CONFIG=");
  ASSERT_EQ(seen(), "(unset)");
  keepWineDirect3DOnThisThread();
  EXPECT_EQ(seen(), "csmt=0");
  setVariable("WINE_D3D_CONFIG=csmt=1,renderer=gl");
  keepWineDirect3DOnThisThread();
  EXPECT_EQ(seen(), "csmt=1,renderer=gl");
  setVariable("WINE_D3D_CONFIG=");
}

}  // namespace
}  // namespace win32

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
