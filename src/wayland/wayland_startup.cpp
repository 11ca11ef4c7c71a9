// Start-up on Wayland: the platform steps of the shared start-up order. The
// 10-bit window is created first and, where EGL offers no 10-10-10-2
// configuration, the program gives up before any window exists; the 8-bit
// context shares the 10-bit context's display lists from its creation on;
// the logo's glyph lists are built in that shared space.
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <initializer_list>

#include "app/facts.h"
#include "app/startup.h"
#include "freetype/glyph_outlines.h"
#include "render/frame_setup.h"
#include "render/scene.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

DisplayWindow window10 = {title10};
DisplayWindow window8 = {title8};

namespace {

constexpr float glyphExtrusion = 0.1f;

// The window with its context, or nothing at all.
bool createDisplayWindow(DisplayWindow& record, const ColourRequest& colour, EGLContext shareList) {
  EGLConfig config = findEglConfig(colour, record.hasAlpha);
  if (config == nullptr) {
    if (&record == &window10) {
      printf("%s", noTenBitFormatLine);
    } else {
      printf("ERROR: Couldn't find an 8 bit framebuffer configuration for the '%s' window!\n",
             record.title);
    }
    return false;
  }
  if (!createSurfaceWindow(record)) return false;
  if (!createDisplayContext(record, config, shareList, colour.colourBits)) {
    destroyDisplayWindow(record);
    return false;
  }
  return true;
}

bool createWindow10() {
  if (!createDisplayWindow(window10, tenBitColour, EGL_NO_CONTEXT)) return false;
  makeContextCurrent(window10);
  initContextState();
  return true;
}

void showWindow10() {
  showDisplayWindow(window10);
}

bool createWindow8() {
  return createDisplayWindow(window8, eightBitColour, window10.context);
}

// EGL shares display lists only when a context is created: createWindow8
// has already made the 8-bit context with the 10-bit context as its share list.
void shareLists() {}

void makeWindow8Current() {
  makeContextCurrent(window8);
}

void initWindow8Context() {
  makeWindow8Current();
  initContextState();
}

void showWindow8() {
  showDisplayWindow(window8);
}

// Characters 0..254 as extruded polygons of em height 1; list 255 is
// allocated but stays empty. Without a font the logo is simply absent, and
// no list stays behind for it.
void buildGlyphLists() {
  buildLogoGlyphLists(glyphExtrusion);
  releaseContext();
}

void sleepMilliseconds(unsigned milliseconds) {
  timespec pause = {static_cast<time_t>(milliseconds / 1000),
                    static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

// With --check the report takes the event loop's place. The windows are
// measured at the sizes the compositor settles on: a tiling one resizes the
// first window when the second appears, and may hold that back until the
// first window has answered its earlier configure with a frame. So, as the
// event loop would, each configured window is painted, until a round trip
// brings no new configure (a few rounds at most; a bound keeps a restless
// compositor from holding the check forever).
bool tenBitsDelivered = false;
void reportInsteadOfEventLoop() {
  for (int round = 0; round < 10; ++round) {
    bool painted = false;
    for (DisplayWindow* record : {&window10, &window8}) {
      if (!record->needsPaint || !record->shown) continue;
      paintDisplayWindow(*record);
      painted = true;
    }
    if (!roundTrip()) return;
    if (!painted && !window10.needsPaint && !window8.needsPaint) break;
  }
  tenBitsDelivered = reportDisplayChain();
}

}  // namespace

int runApplication(const StartOptions& options) {
  const bool checkOnly = options.check;
  const StartupSteps waylandSteps = {
      connectDisplay,
      createWindow10,
      showWindow10,
      createWindow8,
      shareLists,
      initWindow8Context,
      makeWindow8Current,
      showWindow8,
      buildGlyphLists,
      startRefreshTimer,
      checkOnly ? reportInsteadOfEventLoop : runEventLoop,
      sleepMilliseconds,
  };
  int status = runStartup(waylandSteps);
  if (checkOnly && status == 0 && !tenBitsDelivered) status = 1;
  // A compositor that went away (or threw the program out) is no normal end.
  if (connectionLost()) status = -1;
  // The windows would go with the process; closing them here keeps leak
  // checkers' reports down to real leaks.
  disconnectDisplay();
  return status;
}

}  // namespace wayland
