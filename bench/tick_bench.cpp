// What one tick of the native front end costs a person's machine: both
// display windows drawn with the logo (its glyph lists built from the same
// outlines the program uses) and swapped, on the X server in DISPLAY
// (scripts/bench starts a private depth-30 Xvfb). Beside it, in the same run,
// the floor: the same two windows with the same configurations and contexts
// that only clear and swap. CPU time is the whole process's, the
// rasteriser's threads included, per tick; ticks run back to back.
//
//   tick_bench [TICKS]    default 600 ticks each (ten seconds of the program)
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "app/facts.h"
#include "freetype/glyph_outlines.h"
#include "linux/x11_front_end.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"

namespace {

constexpr double tickMs = refreshPeriodMs;

double secondsOn(clockid_t clock) {
  timespec now = {};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool createWindow(x11::DisplayWindow& record, const ColourRequest& colour, GLXContext share) {
  PixelFormatCandidate chosen;
  GLXFBConfig config = x11::findFramebufferConfig(colour, false, chosen);
  if (config == nullptr || !x11::createX11Window(record, config)) return false;
  if (!x11::createDisplayContext(record, config, share, chosen)) return false;
  x11::makeContextCurrent(record);
  initContextState();
  x11::limitWindowSize(record);
  x11::releaseContext();
  x11::showDisplayWindow(record);
  return true;
}

// Until both windows are mapped and exposed, as the program's loop sees them.
void waitUntilShown() {
  for (int i = 0; i < 2000 && !(x11::window10.mapped && x11::window8.mapped); ++i) {
    while (XPending(x11::display) > 0) {
      XEvent event;
      XNextEvent(x11::display, &event);
      x11::handleEvent(event);
    }
    timespec pause = {0, 5000000};
    nanosleep(&pause, nullptr);
  }
}

void bareTick() {
  for (const x11::DisplayWindow* record : {&x11::window10, &x11::window8}) {
    x11::makeContextCurrent(*record);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glXSwapBuffers(x11::display, record->window);
    x11::releaseContext();
  }
}

struct Cost {
  double cpuMs, wallMs;  // per tick
};

Cost timeTicks(void (*tick)(), int ticks) {
  for (int i = 0; i < 30; ++i) tick();  // shaders compiled, buffers allocated
  XSync(x11::display, False);
  const double cpu = secondsOn(CLOCK_PROCESS_CPUTIME_ID), wall = secondsOn(CLOCK_MONOTONIC);
  for (int i = 0; i < ticks; ++i) {
    tick();
    // As the program's loop does between ticks: the server has the frames.
    XSync(x11::display, False);
  }
  return {(secondsOn(CLOCK_PROCESS_CPUTIME_ID) - cpu) * 1000.0 / ticks,
          (secondsOn(CLOCK_MONOTONIC) - wall) * 1000.0 / ticks};
}

void printRow(const char* name, const Cost& cost) {
  printf("%-34s %10.3f %11.1f%% %12.3f\n", name, cost.cpuMs, cost.cpuMs / tickMs * 100.0,
         cost.wallMs);
}

}  // namespace

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? atoi(argv[1]) : 600;
  if (ticks <= 0 || !x11::openDisplay()) return 1;
  if (!createWindow(x11::window10, tenBitColour, nullptr) ||
      !createWindow(x11::window8, eightBitColour, x11::window10.context)) {
    printf(
        "ERROR: tick_bench needs a depth-30 X server with 10-bit and 8-bit GLX configurations\n");
    x11::closeWindows();
    return 1;
  }
  waitUntilShown();
  x11::makeContextCurrent(x11::window8);
  glyphListBase = glGenLists(256);
  const bool logo = buildGlyphOutlineLists(glyphListBase, 0.1f);
  x11::releaseContext();
  viewerState = ViewerState{};

  const Cost program = timeTicks(x11::refreshBoth, ticks);
  const Cost floor = timeTicks(bareTick, ticks);
  printf("\nOne tick = both %dx%d windows, depth-30 Xvfb, %d ticks each%s\n", windowSize,
         windowSize, ticks, logo ? "" : " (no logo font found)");
  printf("%-34s %10s %12s %12s\n", "", "CPU ms/tick", "of 16 ms", "wall ms/tick");
  printRow("program (scene, logo, swap)", program);
  printRow("floor (clear and swap only)", floor);
  printf("%-34s %10.1fx\n", "program / floor", program.cpuMs / floor.cpuMs);
  x11::closeWindows();
  return 0;
}
