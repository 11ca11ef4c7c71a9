// What one tick of the native front end costs a person's machine: both
// display windows drawn with the logo (its glyph lists built from the same
// outlines the program uses) and swapped, on the X server in DISPLAY
// (scripts/bench starts a private depth-30 Xvfb). Beside it, in the same run,
// the floor: the same two windows with the same configurations and contexts
// that only clear and swap. Both are paced as the program is, one tick every
// 16 ms (bench/paced_ticks.h); given its process id, the X server's CPU time
// is counted beside the client's.
//
//   tick_bench [TICKS [SERVER_PID]]    default 600 ticks each (ten seconds)
#include <time.h>

#include <cstdlib>

#include "app/facts.h"
#include "freetype/glyph_outlines.h"
#include "paced_ticks.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"
#include "x11/x11_front_end.h"

namespace {

// As the program's start-up makes each window.
bool createWindow(WhichWindow which) {
  if (!x11::createWindow(which)) return false;
  x11::makeContextCurrent(x11::displayWindow(which));
  initContextState();
  x11::releaseContext();
  x11::showWindow(which);
  return true;
}

// Until both windows are mapped and exposed, as the program's loop sees them.
void waitUntilShown() {
  for (int i = 0; i < 2000 && !(x11::window10.mapped && x11::window8.mapped); ++i) {
    while (XPending(x11::frontEnd.display) > 0) {
      XEvent event;
      XNextEvent(x11::frontEnd.display, &event);
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
    glXSwapBuffers(x11::frontEnd.display, record->window);
    x11::releaseContext();
  }
}

// As the program's loop does between ticks: the server has the frames.
void syncWithServer() {
  XSync(x11::frontEnd.display, False);
}

}  // namespace

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? atoi(argv[1]) : 600;
  const pid_t server = argc > 2 ? static_cast<pid_t>(atoi(argv[2])) : 0;
  if (ticks <= 0 || !x11::openDisplay()) return 1;
  if (!createWindow(WhichWindow::TenBit) || !createWindow(WhichWindow::EightBit)) {
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

  const paced::Cost program = paced::timeTicks(x11::refreshBoth, syncWithServer, ticks, server);
  const paced::Cost floor = paced::timeTicks(bareTick, syncWithServer, ticks, server);
  paced::printTable(logo ? "X11 (GLX)" : "X11 (GLX), no logo font found", "X server", ticks,
                    program, floor, server > 0);
  x11::closeWindows();
  return 0;
}
