// The Wayland front end's tick beside its floor, as tick_bench measures the
// X11 one: both display windows drawn with the logo and swapped, then the
// same two windows with the same configurations and contexts that only clear
// and swap, each paced at one tick every 16 ms, on the compositor in
// WAYLAND_DISPLAY (scripts/bench starts a private headless sway). Given its
// process id, the compositor's CPU time is counted beside the client's.
//
//   wayland_tick_bench [TICKS [COMPOSITOR_PID]]    default 600 ticks each
#include <cstdlib>

#include "app/facts.h"
#include "freetype/glyph_outlines.h"
#include "paced_ticks.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "viewer/viewer_state.h"
#include "wayland/wayland_front_end.h"

namespace {

// As the program's start-up makes each window.
bool createWindow(WhichWindow which) {
  if (!wayland::createWindow(which)) return false;
  wayland::makeContextCurrent(wayland::displayWindow(which));
  initContextState();
  wayland::releaseContext();
  return true;
}

// Until both windows are configured and shown, as the program's loop sees them.
bool waitUntilShown() {
  for (int i = 0; i < 200 && !(wayland::window10.shown && wayland::window8.shown); ++i)
    if (!wayland::roundTrip()) return false;
  return wayland::window10.shown && wayland::window8.shown;
}

void bareTick() {
  for (const wayland::DisplayWindow* record : {&wayland::window10, &wayland::window8}) {
    wayland::makeContextCurrent(*record);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    eglSwapBuffers(wayland::frontEnd.connection.eglDisplay, record->eglSurface);
    wayland::releaseContext();
  }
}

// As the program's loop does between ticks: the compositor has the frames
// and its answers are handled.
void roundTrip() {
  wayland::roundTrip();
}

}  // namespace

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? atoi(argv[1]) : 600;
  const pid_t compositor = argc > 2 ? static_cast<pid_t>(atoi(argv[2])) : 0;
  if (ticks <= 0 || !wayland::connectDisplay()) return 1;
  const bool created = createWindow(WhichWindow::TenBit) && createWindow(WhichWindow::EightBit);
  if (created) {
    wayland::showDisplayWindow(wayland::window10);
    wayland::showDisplayWindow(wayland::window8);
  }
  if (!created || !waitUntilShown()) {
    printf(
        "ERROR: wayland_tick_bench needs a compositor with 10-bit and 8-bit EGL "
        "configurations\n");
    wayland::disconnectDisplay();
    return 1;
  }
  wayland::makeContextCurrent(wayland::window8);
  glyphListBase = glGenLists(256);
  const bool logo = buildGlyphOutlineLists(glyphListBase, 0.1f);
  wayland::releaseContext();
  viewerState = ViewerState{};

  const paced::Cost program = paced::timeTicks(wayland::refreshBoth, roundTrip, ticks, compositor);
  const paced::Cost floor = paced::timeTicks(bareTick, roundTrip, ticks, compositor);
  paced::printTable(logo ? "Wayland (EGL)" : "Wayland (EGL), no logo font found", "compositor",
                    ticks, program, floor, compositor > 0);
  wayland::disconnectDisplay();
  return 0;
}
