// The Wayland side of the display windows: the connection to the compositor,
// the globals it offers, and creating, showing, sizing and destroying the two
// toplevel windows. A window's title bar comes from the compositor where it
// offers server-side decorations (xdg-decoration); elsewhere libdecor draws
// one, so that the windows can be moved and closed on any desktop. The
// compositor places the windows and may size them (a tiling one does);
// where it leaves the size to us, the windows keep theirs.
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/facts.h"
#include "wayland/wayland_front_end.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace wayland {

FrontEnd frontEnd;

namespace {

bool isSet(const char* value) {
  return value != nullptr && value[0] != '\0';
}

// The compositor's name as a person would give it: WAYLAND_DISPLAY, or the
// socket libwayland falls back on without it.
const char* displayName() {
  const char* name = getenv("WAYLAND_DISPLAY");
  return isSet(name) ? name : "wayland-0";
}

// What the connection is made through, named as the error lines name it.
// A parent may hand over a connected socket in WAYLAND_SOCKET, which
// libwayland then takes before any display name (and removes from the
// environment once used): it is named before connecting.
std::string connectionName() {
  const char* handedOver = getenv("WAYLAND_SOCKET");
  if (isSet(handedOver))
    return std::string("the Wayland socket handed over as WAYLAND_SOCKET=") + handedOver;
  return std::string("the Wayland display '") + displayName() + "'";
}

// WAYLAND_SOCKET must name an open socket: libwayland would talk to any
// descriptor it is given, a console's among them.
bool handedOverSocketUsable() {
  const char* handedOver = getenv("WAYLAND_SOCKET");
  if (handedOver == nullptr) return true;
  char* end = nullptr;
  errno = 0;
  const long descriptor = strtol(handedOver, &end, 10);
  if (errno != 0 || end == handedOver || *end != '\0' || descriptor < 0 || descriptor > INT_MAX)
    return false;
  struct stat status = {};
  return fstat(static_cast<int>(descriptor), &status) == 0 && S_ISSOCK(status.st_mode);
}

// Everything openConnection bound, and the connection itself.
void dropConnection() {
  releaseSeat();
  frontEnd.connection.seat = nullptr;
  if (frontEnd.connection.decorationManager != nullptr)
    zxdg_decoration_manager_v1_destroy(frontEnd.connection.decorationManager);
  if (frontEnd.connection.plasmaShell != nullptr)
    org_kde_plasma_shell_destroy(frontEnd.connection.plasmaShell);
  if (frontEnd.connection.wmBase != nullptr) xdg_wm_base_destroy(frontEnd.connection.wmBase);
  if (frontEnd.connection.compositor != nullptr)
    wl_compositor_destroy(frontEnd.connection.compositor);
  forgetOutputs();
  forgetCheckGlobals();
  if (frontEnd.connection.registry != nullptr) wl_registry_destroy(frontEnd.connection.registry);
  wl_display_disconnect(frontEnd.connection.display);
  frontEnd.connection = Connection();
}

void pingReceived(void*, xdg_wm_base* wmBase, uint32_t serial) {
  xdg_wm_base_pong(wmBase, serial);
}
const xdg_wm_base_listener wmBaseListener = {pingReceived};

void globalAdded(void*, wl_registry* registry, uint32_t name, const char* interface,
                 uint32_t version) {
  frontEnd.connection.globalNames.push_back(interface);
  auto bind = [&](const wl_interface* wanted, uint32_t highest) {
    return wl_registry_bind(registry, name, wanted, version < highest ? version : highest);
  };
  if (strcmp(interface, wl_compositor_interface.name) == 0) {
    frontEnd.connection.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
  } else if (strcmp(interface, xdg_wm_base_interface.name) == 0) {
    frontEnd.connection.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
    xdg_wm_base_add_listener(frontEnd.connection.wmBase, &wmBaseListener, nullptr);
  } else if (strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0) {
    frontEnd.connection.decorationManager =
        static_cast<zxdg_decoration_manager_v1*>(bind(&zxdg_decoration_manager_v1_interface, 1));
  } else if (strcmp(interface, org_kde_plasma_shell_interface.name) == 0) {
    frontEnd.connection.plasmaShell =
        static_cast<org_kde_plasma_shell*>(bind(&org_kde_plasma_shell_interface, 1));
  } else if (strcmp(interface, wl_seat_interface.name) == 0 &&
             frontEnd.connection.seat == nullptr) {
    // Version 4 brings the keyboard's repeat rate; the program needs no later events.
    frontEnd.connection.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 4));
    listenToSeat(frontEnd.connection.seat);
  } else if (strcmp(interface, wl_output_interface.name) == 0) {
    addOutput(registry, name, version);
  } else if (strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
    addOutputManager(registry, name, version);
  } else {
    addCheckGlobal(registry, name, interface);
  }
}

void globalRemoved(void*, wl_registry*, uint32_t name) {
  removeOutput(name);
}
const wl_registry_listener registryListener = {globalAdded, globalRemoved};

DisplayWindow* recordOf(const void* data) {
  return const_cast<DisplayWindow*>(static_cast<const DisplayWindow*>(data));
}

// The compositor's own toplevel: a size wish and states, then a configure to
// apply them.
void toplevelConfigured(void* data, xdg_toplevel*, int32_t width, int32_t height,
                        wl_array* states) {
  DisplayWindow& record = *recordOf(data);
  record.requestedWidth = width;
  record.requestedHeight = height;
  record.fullScreenState = false;
  const auto* state = static_cast<const uint32_t*>(states->data);
  for (std::size_t i = 0; i < states->size / sizeof *state; ++i)
    if (state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN) record.fullScreenState = true;
}

void toplevelClosed(void*, xdg_toplevel*) {
  // The window stays; the loop ends and the program exits.
  requestQuit();
}

void toplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
void toplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
const xdg_toplevel_listener toplevelListener = {toplevelConfigured, toplevelClosed, toplevelBounds,
                                                toplevelCapabilities};

void surfaceConfigured(void* data, xdg_surface* xdgSurface, uint32_t serial) {
  xdg_surface_ack_configure(xdgSurface, serial);
  applyConfigure(*recordOf(data));
}
const xdg_surface_listener surfaceListener = {surfaceConfigured};

// The same three events through libdecor, which owns the toplevel there.
void frameConfigured(libdecor_frame* frame, libdecor_configuration* configuration, void* data) {
  DisplayWindow& record = *recordOf(data);
  int width = 0, height = 0;
  if (!libdecor_configuration_get_content_size(configuration, frame, &width, &height))
    width = height = 0;
  record.requestedWidth = width;
  record.requestedHeight = height;
  libdecor_window_state windowState = LIBDECOR_WINDOW_STATE_NONE;
  record.fullScreenState = libdecor_configuration_get_window_state(configuration, &windowState) &&
                           (windowState & LIBDECOR_WINDOW_STATE_FULLSCREEN) != 0;
  applyConfigure(record);
  libdecor_state* state = libdecor_state_new(record.width, record.height);
  libdecor_frame_commit(frame, state, configuration);
  libdecor_state_free(state);
}

void frameClosed(libdecor_frame*, void*) {
  requestQuit();
}

void frameWantsCommit(libdecor_frame*, void* data) {
  recordOf(data)->needsPaint = true;
}

void frameDismissPopup(libdecor_frame*, const char*, void*) {}

libdecor_frame_interface frameInterface() {
  libdecor_frame_interface callbacks = {};
  callbacks.configure = frameConfigured;
  callbacks.close = frameClosed;
  callbacks.commit = frameWantsCommit;
  callbacks.dismiss_popup = frameDismissPopup;
  return callbacks;
}
libdecor_frame_interface frameCallbacks = frameInterface();

void decorError(libdecor*, libdecor_error, const char* message) {
  printf("ERROR: The window decorations failed: %s!\n", message);
  requestQuit();
}

libdecor_interface decorInterface() {
  libdecor_interface callbacks = {};
  callbacks.error = decorError;
  return callbacks;
}
libdecor_interface decorCallbacks = decorInterface();

// Where the compositor lets a client place its windows (KWin, through
// plasma-shell), the two stand side by side at their places, the 8-bit
// window on the left, as on Windows and X11; elsewhere the compositor
// places them. Asked before the first commit, which maps the window there.
void placeBesideEachOther(DisplayWindow& record) {
  if (frontEnd.connection.plasmaShell == nullptr || &record == &windowFull) return;
  const bool tenBit = &record == &window10;
  record.plasmaSurface =
      org_kde_plasma_shell_get_surface(frontEnd.connection.plasmaShell, record.surface);
  org_kde_plasma_surface_set_position(record.plasmaSurface, tenBit ? window10Left : window8Left,
                                      tenBit ? window10Top : window8Top);
}

bool startEgl() {
  frontEnd.connection.eglDisplay =
      eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, frontEnd.connection.display, nullptr);
  if (frontEnd.connection.eglDisplay == EGL_NO_DISPLAY ||
      !eglInitialize(frontEnd.connection.eglDisplay, nullptr, nullptr)) {
    printf("ERROR: Unable to start EGL on the Wayland display '%s'!\n", displayName());
    frontEnd.connection.eglDisplay = EGL_NO_DISPLAY;
    return false;
  }
  // The scene is OpenGL 1.1 fixed function: desktop OpenGL, not OpenGL ES.
  if (!eglBindAPI(EGL_OPENGL_API)) {
    printf("ERROR: EGL on the Wayland display '%s' offers no desktop OpenGL!\n", displayName());
    return false;
  }
  return true;
}

}  // namespace

std::string openConnection() {
  if (frontEnd.connection.display != nullptr) return std::string();
  // An empty WAYLAND_SOCKET names nothing; libwayland would fail on it.
  if (getenv("WAYLAND_SOCKET") != nullptr && !isSet(getenv("WAYLAND_SOCKET")))
    unsetenv("WAYLAND_SOCKET");
  const std::string name = connectionName();
  // The name tried is the name given: an empty WAYLAND_DISPLAY is unset.
  if (handedOverSocketUsable())
    frontEnd.connection.display =
        wl_display_connect(isSet(getenv("WAYLAND_SOCKET")) ? nullptr : displayName());
  if (frontEnd.connection.display == nullptr) return "Unable to connect to " + name;
  frontEnd.connection.registry = wl_display_get_registry(frontEnd.connection.display);
  wl_registry_add_listener(frontEnd.connection.registry, &registryListener, nullptr);
  // Twice: the globals, then what binding them sent (the keyboard's map).
  if (wl_display_roundtrip(frontEnd.connection.display) >= 0 &&
      wl_display_roundtrip(frontEnd.connection.display) >= 0) {
    frontEnd.connection.compositorKind =
        compositorFromGlobals(frontEnd.connection.globalNames, isSet(getenv("SWAYSOCK")));
    return std::string();
  }
  // A compositor that ended, or a socket with nobody behind it.
  const int error = wl_display_get_error(frontEnd.connection.display);
  dropConnection();
  return "The connection to " + name + " was lost at start (" + strerror(error) + ")";
}

bool connectDisplay() {
  const std::string failure = openConnection();
  if (!failure.empty()) {
    printf("ERROR: %s!\n", failure.c_str());
    return false;
  }
  if (frontEnd.connection.compositor == nullptr || frontEnd.connection.wmBase == nullptr) {
    printf("ERROR: The Wayland display '%s' offers no %s!\n", displayName(),
           frontEnd.connection.compositor == nullptr ? "wl_compositor" : "xdg_wm_base (xdg-shell)");
    disconnectDisplay();
    return false;
  }
  if (frontEnd.connection.decorationManager == nullptr)
    frontEnd.connection.decorContext = libdecor_new(frontEnd.connection.display, &decorCallbacks);
  if (!startEgl()) {
    disconnectDisplay();
    return false;
  }
  return true;
}

bool createSurfaceWindow(DisplayWindow& record) {
  record.surface = wl_compositor_create_surface(frontEnd.connection.compositor);
  if (record.surface == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", record.title);
    return false;
  }
  record.width = windowSize;
  record.height = windowSize;
  followOutputs(record);
  if (frontEnd.connection.decorContext != nullptr) {
    record.frame = libdecor_decorate(frontEnd.connection.decorContext, record.surface,
                                     &frameCallbacks, &record);
    libdecor_frame_set_title(record.frame, record.title);
    libdecor_frame_set_app_id(record.frame, LUMIVANE_APP_ID);
  } else {
    record.xdgSurface = xdg_wm_base_get_xdg_surface(frontEnd.connection.wmBase, record.surface);
    xdg_surface_add_listener(record.xdgSurface, &surfaceListener, &record);
    record.toplevel = xdg_surface_get_toplevel(record.xdgSurface);
    xdg_toplevel_add_listener(record.toplevel, &toplevelListener, &record);
    xdg_toplevel_set_title(record.toplevel, record.title);
    xdg_toplevel_set_app_id(record.toplevel, LUMIVANE_APP_ID);
    if (frontEnd.connection.decorationManager != nullptr) {
      record.decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(
          frontEnd.connection.decorationManager, record.toplevel);
      zxdg_toplevel_decoration_v1_set_mode(record.decoration,
                                           ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
  }
  placeBesideEachOther(record);
  record.eglWindow = wl_egl_window_create(record.surface, record.width, record.height);
  if (record.eglWindow == nullptr) {
    printf("ERROR: Unable to create the '%s' window!\n", record.title);
    destroyDisplayWindow(record);
    return false;
  }
  return true;
}

void showDisplayWindow(DisplayWindow& record) {
  // A toplevel is mapped by its first buffer, which may follow only the
  // compositor's first configure: commit without one and wait for it.
  if (record.frame != nullptr) {
    libdecor_frame_map(record.frame);
  } else {
    wl_surface_commit(record.surface);
  }
  while (!record.configured && endingSignal() == 0 && dispatchDisplay()) {
  }
  // A signal or a lost connection ends the program before the window is shown.
  if (!record.configured) return;
  // The first buffer must have the size of the configure just acknowledged
  // (KWin answers one of another size by giving the window that size): a
  // surface made before the configure, at another size, is made anew.
  if ((record.surfaceWidth != record.width * record.scale ||
       record.surfaceHeight != record.height * record.scale) &&
      !createWindowSurface(record)) {
    printf("ERROR: Unable to create the '%s' window!\n", record.title);
    requestQuit();
    return;
  }
  record.shown = true;
  paintDisplayWindow(record);
}

void applyConfigure(DisplayWindow& record) {
  record.configured = true;
  if (&record == &windowFull) noteFullScreenConfigure();
  const int width = record.requestedWidth > 0 ? record.requestedWidth : record.width;
  const int height = record.requestedHeight > 0 ? record.requestedHeight : record.height;
  resizeDisplayWindow(record, width, height);
  record.needsPaint = record.shown;
}

void resizeDisplayWindow(DisplayWindow& record, int width, int height) {
  if (width == record.width && height == record.height) return;
  noteNewSize(record, width, height);
  wl_egl_window_resize(record.eglWindow, record.width * record.scale, record.height * record.scale,
                       0, 0);
}

void destroyDisplayWindow(DisplayWindow& record) {
  if (record.context != EGL_NO_CONTEXT) {
    if (eglGetCurrentContext() == record.context) releaseContext();
    eglDestroyContext(frontEnd.connection.eglDisplay, record.context);
    record.context = EGL_NO_CONTEXT;
  }
  if (record.eglSurface != EGL_NO_SURFACE) {
    eglDestroySurface(frontEnd.connection.eglDisplay, record.eglSurface);
    record.eglSurface = EGL_NO_SURFACE;
  }
  if (record.frameCallback != nullptr) wl_callback_destroy(record.frameCallback);
  record.frameCallback = nullptr;
  if (record.eglWindow != nullptr) wl_egl_window_destroy(record.eglWindow);
  if (record.decoration != nullptr) zxdg_toplevel_decoration_v1_destroy(record.decoration);
  if (record.toplevel != nullptr) xdg_toplevel_destroy(record.toplevel);
  if (record.xdgSurface != nullptr) xdg_surface_destroy(record.xdgSurface);
  if (record.frame != nullptr) libdecor_frame_unref(record.frame);
  if (record.plasmaSurface != nullptr) org_kde_plasma_surface_destroy(record.plasmaSurface);
  if (record.surface != nullptr) wl_surface_destroy(record.surface);
  record.eglWindow = nullptr;
  record.decoration = nullptr;
  record.toplevel = nullptr;
  record.xdgSurface = nullptr;
  record.frame = nullptr;
  record.plasmaSurface = nullptr;
  record.surface = nullptr;
  record.surfaceWidth = record.surfaceHeight = 0;
  record.shown = false;
  record.configured = false;
  record.needsPaint = false;
  record.fullScreenState = false;
  record.outputs.clear();
}

void disconnectDisplay() {
  if (frontEnd.connection.display == nullptr) return;
  leaveFullScreen();
  destroyDisplayWindow(window8);
  destroyDisplayWindow(window10);
  releaseSeat();
  // The windows and the seat go at once; the EGL display and the connection are left to
  // the process's end. Terminating EGL unloads Mesa's driver, whose few
  // lasting allocations then show as leaks in an unknown module that no
  // leak checker can tell from ours, and EGL keeps using the connection
  // until it is terminated. libdecor stays too: its cairo plugin (0.1.1)
  // crashes releasing a seat that never had a pointer, as on a headless
  // compositor.
  wl_display_flush(frontEnd.connection.display);
}

}  // namespace wayland
