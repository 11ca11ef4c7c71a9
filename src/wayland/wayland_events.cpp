// The Wayland event loop and what it runs: paints
// the display windows, gives keys and the pointer their commands (through
// wayland_input.cpp), keeps the 10-bit window the size of the 8-bit one where
// the compositor leaves sizes to us, ends the program on Escape or a closed
// window, skips the frames of windows the compositor keeps out of sight (it
// stops answering their frame callbacks), and runs the 16 ms refresh timer
// beside the connection: one poll waits on the display, a timerfd for the
// refresh, one for key repeat and a pipe through which SIGINT and SIGTERM
// end the loop like Escape.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <initializer_list>

#include "app/blind_test.h"
#include "app/facts.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "render/split_view.h"
#include "viewer/size_rule.h"
#include "viewer/viewer_state.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

void quit() {
  frontEnd.quitRequested = true;
}

// A light switch applies to both contexts, the 10-bit one first; the next
// paint makes its own context current in any case.
void switchLight(Light light, bool on) {
  for (const DisplayWindow& record : frontEnd.windows) {
    if (record.context == EGL_NO_CONTEXT) continue;
    makeContextCurrent(record);
    switchLightInCurrentContext(light, on);
  }
  releaseContext();
}

// A quarter of a second: many frames at any refresh rate, also from a
// compositor on a busy machine, and short enough not to waste much.
constexpr std::chrono::milliseconds hiddenAfter{250};

void frameShown(void* data, wl_callback* callback, uint32_t) {
  DisplayWindow& record = *static_cast<DisplayWindow*>(data);
  wl_callback_destroy(callback);
  if (record.frameCallback == callback) record.frameCallback = nullptr;
}
const wl_callback_listener frameListener = {frameShown};

// Before the swap, whose commit carries the request: the latest commit's
// answer is the one waited for, and the wait counts from the oldest commit
// still unanswered.
void askWhenShown(DisplayWindow& record) {
  if (record.frameCallback != nullptr) {
    wl_callback_destroy(record.frameCallback);
  } else {
    record.unansweredSince = std::chrono::steady_clock::now();
  }
  record.frameCallback = wl_surface_frame(record.surface);
  wl_callback_add_listener(record.frameCallback, &frameListener, &record);
}

// Whether the compositor keeps the window out of sight: it has not answered
// a frame callback for a quarter of a second.
bool looksHidden(const DisplayWindow& record, std::chrono::steady_clock::time_point now) {
  return record.frameCallback != nullptr && now - record.unansweredSince >= hiddenAfter;
}

// A frame nobody would see costs as much as one they would; the animation
// still advances, so the window is right when it comes back, and the
// compositor's answer to the last commit says when that is.
void refreshWindow(DisplayWindow& record) {
  if (looksHidden(record, std::chrono::steady_clock::now()))
    skipFrame();
  else
    paintDisplayWindow(record);
}

bool noteLostConnection() {
  if (!frontEnd.lostConnection) printf("ERROR: The connection to the Wayland display was lost!\n");
  frontEnd.lostConnection = true;
  return false;
}

void tick() {
  uint64_t expirations = 0;
  if (read(frontEnd.refreshTimer, &expirations, sizeof expirations) != sizeof expirations) return;
  // Like WM_TIMER, late ticks are not made up for with a burst.
  if (!viewerState.paused) refreshBoth();
}

// Reads what the compositor sent (waiting as long as it takes, or until a
// timer expires) and runs its handlers; false when the connection broke.
bool pumpEvents(bool withTimers) {
  wl_display* display = frontEnd.connection.display;
  while (wl_display_prepare_read(display) != 0)
    if (wl_display_dispatch_pending(display) < 0) return noteLostConnection();
  // A full socket (EAGAIN) empties while we wait; anything else is fatal.
  if (wl_display_flush(display) < 0 && errno != EAGAIN) {
    wl_display_cancel_read(display);
    return noteLostConnection();
  }
  pollfd waits[4] = {{wl_display_get_fd(display), POLLIN, 0},
                     {withTimers ? frontEnd.refreshTimer : -1, POLLIN, 0},
                     {withTimers ? keyRepeatTimer() : -1, POLLIN, 0},
                     {endingSignalDescriptor(), POLLIN, 0}};
  if (endingSignal() != 0) {
    wl_display_cancel_read(display);
    return true;
  }
  if (poll(waits, 4, -1) < 0 && errno != EINTR) {
    wl_display_cancel_read(display);
    return noteLostConnection();
  }
  if ((waits[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
    if (wl_display_read_events(display) < 0) return noteLostConnection();
  } else {
    wl_display_cancel_read(display);
  }
  if (wl_display_dispatch_pending(display) < 0) return noteLostConnection();
  // The queue is empty now; painting may fill it again.
  leaveFullScreenIfAsked();
  if ((waits[2].revents & POLLIN) != 0) repeatHeldKey();
  handleDragMotion();
  if ((waits[1].revents & POLLIN) != 0) tick();
  return true;
}

}  // namespace

const FrontEndActions waylandActions = {
    quit, switchLight, refreshBoth, printReportAndRepaint, toggleFullScreen, pickBlindHalf};

void paintDisplayWindow(DisplayWindow& record) {
  record.needsPaint = false;
  makeContextCurrent(record);
  if (&record == &windowFull)
    renderSplitView(record.width * record.scale, record.height * record.scale);
  else
    renderFrame(record.width * record.scale, record.height * record.scale);
  // The compositor would show alpha 0 as see-through.
  if (record.hasAlpha) makeFrameOpaque();
  askWhenShown(record);
  eglSwapBuffers(frontEnd.connection.eglDisplay, record.eglSurface);
  // No context stays current between events.
  releaseContext();
}

void refreshBoth() {
  // The 10-bit window is painted first, as on Windows, so the 8-bit window
  // shows the scene one advance further on. A window is painted only once
  // the compositor has configured it: a buffer before that is an error. In
  // full screen the split view alone is painted, both pictures at once.
  if (fullScreenShown()) {
    refreshWindow(windowFull);
    return;
  }
  if (window10.shown) refreshWindow(window10);
  if (window8.shown) refreshWindow(window8);
}

// Resizing the 8-bit window gives the 10-bit window the same size; the rule
// runs one way only. A compositor that sizes windows itself (a tiling one)
// has the last word over the 10-bit window's size.
void noteNewSize(DisplayWindow& record, int width, int height) {
  // The context's limit is in buffer pixels, the size in logical ones.
  const int maxWidth = record.maxWidth / record.scale, maxHeight = record.maxHeight / record.scale;
  record.width = width < maxWidth ? width : maxWidth;
  record.height = height < maxHeight ? height : maxHeight;
  if (&record != &window8 || window10.surface == nullptr) return;
  if (window10.requestedWidth > 0 || window10.requestedHeight > 0) return;
  // Places are the compositor's on Wayland: only the size follows.
  Window10Place place;
  WindowBox target = {};
  if (!window10FollowingWindow8({0, 0, record.width, record.height}, Window8Shape::Normal,
                                {0, 0, window10.width, window10.height}, window10.maxWidth,
                                window10.maxHeight, place, target))
    return;
  if (target.width == window10.width && target.height == window10.height) return;
  resizeDisplayWindow(window10, target.width, target.height);
  if (window10.frame != nullptr) {
    libdecor_state* state = libdecor_state_new(window10.width, window10.height);
    libdecor_frame_commit(window10.frame, state, nullptr);
    libdecor_state_free(state);
  }
  window10.needsPaint = window10.shown;
}

void requestQuit() {
  quit();
}

bool connectionLost() {
  return frontEnd.lostConnection;
}

bool dispatchDisplay() {
  return pumpEvents(false);
}

bool roundTrip() {
  if (frontEnd.lostConnection) return false;
  return wl_display_roundtrip(frontEnd.connection.display) >= 0 || noteLostConnection();
}

void startRefreshTimer() {
  frontEnd.refreshTimer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  itimerspec every = {};
  every.it_interval = {0, static_cast<long>(refreshPeriodMs) * 1000000L};
  every.it_value = every.it_interval;
  timerfd_settime(frontEnd.refreshTimer, 0, &every, nullptr);
}

void runEventLoop() {
  // The blind test ends where full screen is taken from it, or shrinks from
  // the output: the two windows, or the desktop beside it, would tell which
  // picture is which.
  while (!frontEnd.quitRequested && !frontEnd.lostConnection && endingSignal() == 0 &&
         !(viewerState.blindTestRunning && !fullScreenCoversOutput())) {
    // Windows configured anew are painted at their new size, also when
    // paused; a running scene repaints them with the next tick anyway.
    for (DisplayWindow* record : {&window10, &window8, &windowFull})
      if (record->needsPaint && record->shown) paintDisplayWindow(*record);
    if (!pumpEvents(true)) break;
  }
  if (frontEnd.refreshTimer >= 0) close(frontEnd.refreshTimer);
  frontEnd.refreshTimer = -1;
}

}  // namespace wayland
