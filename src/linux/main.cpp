// The native Linux program: one executable for both Linux display systems,
// choosing its front end at start (display_system.h); the demonstration, or
// with --check a measured report of both windows and the display output.
// Console lines go out as they are printed, also into a pipe.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/facts.h"
#include "app/start_options.h"
#include "linux/display_system.h"
#include "wayland/wayland_front_end.h"
#include "x11/x11_front_end.h"

namespace {

bool isSocket(const std::string& path) {
  struct stat status = {};
  return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  const StartOptions options = startOptionsFromArguments(argc, argv);
  if (!options.valid) {
    printf("%s", usageLine);
    return 2;
  }
  const char* forced = getenv("LUMIVANE_PLATFORM");
  switch (chooseDisplaySystem(forced, getenv("WAYLAND_DISPLAY"), getenv("WAYLAND_SOCKET"),
                              isSocket(defaultWaylandSocket(getenv("XDG_RUNTIME_DIR"))))) {
    case DisplaySystem::Wayland:
      // Where X11 could take over, the connection is tried before anything
      // is printed; the console then tells why X11 is used.
      if (fallsBackToX11(forced, getenv("DISPLAY"))) {
        const std::string failure = wayland::openConnection();
        if (!failure.empty()) {
          const std::string note = "NOTE: " + failure + ", so the X display '" + getenv("DISPLAY") +
                                   "' is used instead.\n";
          return x11::runApplication(options, note);
        }
      }
      return wayland::runApplication(options);
    case DisplaySystem::X11:
      return x11::runApplication(options);
    case DisplaySystem::Unknown:
      break;
  }
  // The console looks as it always does, with the reason in its error line.
  printf("%s", consoleBanner);
  printf("ERROR: LUMIVANE_PLATFORM is '%s'; it can be 'wayland' or 'x11'!\n", forced);
  return -1;
}
