// Keys and windows on Mutter and KWin, for the end-to-end tests: neither
// offers a virtual keyboard, a screen copy or a window list to an ordinary
// client. This tool runs as the compositor's own user, stays connected for
// the compositor's lifetime, reads one command a line and answers each with
// the lines it has to say, then "ok" or "failed".
//
//   compositor_driver mutter   keys through Mutter's remote-desktop session
//                              on the session bus
//   compositor_driver kwin     keys through KWin's fake input, windows through
//                              its window management (KWin offers both only
//                              to a program named by a desktop entry)
//
// Commands: "key NAME" types the key (an XKB keysym name: f, F, Escape, Left);
// "windows" (KWin) says one line per window, "id x y width height", a tab,
// the app id, a tab and the title: a number of its own for the window, and
// its frame's place and size; "close ID" (KWin) asks the window to close, as
// its close button does.
#include <linux/input-event-codes.h>
#include <systemd/sd-bus.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <iostream>
#include <list>
#include <string>

#include "fake-input-client-protocol.h"
#include "plasma-window-management-client-protocol.h"

namespace {

// Mutter: one remote-desktop session, whose virtual keyboard lives as long
// as this connection does.
struct Mutter {
  sd_bus* bus = nullptr;
  std::string session;
};

bool callMutter(Mutter& mutter, const char* path, const char* interface, const char* method,
                sd_bus_message** reply, const char* types, ...) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* call = nullptr;
  int result = sd_bus_message_new_method_call(mutter.bus, &call, "org.gnome.Mutter.RemoteDesktop",
                                              path, interface, method);
  if (result >= 0 && *types != '\0') {
    va_list arguments;
    va_start(arguments, types);
    result = sd_bus_message_appendv(call, types, arguments);
    va_end(arguments);
  }
  if (result >= 0) result = sd_bus_call(mutter.bus, call, 10 * 1000 * 1000, &error, reply);
  if (result < 0)
    std::cerr << "compositor_driver: " << method << ": "
              << (error.message != nullptr ? error.message : std::strerror(-result)) << "\n";
  sd_bus_error_free(&error);
  sd_bus_message_unref(call);
  return result >= 0;
}

bool mutterKeysym(Mutter& mutter, xkb_keysym_t keysym, bool pressed) {
  return callMutter(mutter, mutter.session.c_str(), "org.gnome.Mutter.RemoteDesktop.Session",
                    "NotifyKeyboardKeysym", nullptr, "ub", keysym, pressed ? 1 : 0);
}

bool startMutter(Mutter& mutter) {
  sd_bus_message* reply = nullptr;
  const char* path = nullptr;
  if (sd_bus_open_user(&mutter.bus) < 0 ||
      !callMutter(mutter, "/org/gnome/Mutter/RemoteDesktop", "org.gnome.Mutter.RemoteDesktop",
                  "CreateSession", &reply, "") ||
      sd_bus_message_read(reply, "o", &path) < 0)
    return false;
  mutter.session = path;  // the reply holds the text
  sd_bus_message_unref(reply);
  if (!callMutter(mutter, mutter.session.c_str(), "org.gnome.Mutter.RemoteDesktop.Session", "Start",
                  nullptr, ""))
    return false;
  // Headless Mutter makes its keyboard at the first key sent, whose press is
  // lost: a Shift, pressed and released, makes it.
  return mutterKeysym(mutter, XKB_KEY_Shift_L, true) &&
         mutterKeysym(mutter, XKB_KEY_Shift_L, false);
}

// KWin: its windows as its window management tells them.
struct Window {
  org_kde_plasma_window* handle = nullptr;
  unsigned long id = 0;
  std::string title, appId;
  int x = 0, y = 0, width = 0, height = 0;
};

struct Kwin {
  wl_display* display = nullptr;
  wl_registry* registry = nullptr;
  org_kde_kwin_fake_input* input = nullptr;
  org_kde_plasma_window_management* management = nullptr;
  std::list<Window> windows;
  unsigned long windowsSeen = 0;
  xkb_keymap* keymap = nullptr;
};

int windowEvent(const void*, void* target, uint32_t, const wl_message* message, wl_argument* args) {
  Kwin& kwin = *static_cast<Kwin*>(wl_proxy_get_user_data(static_cast<wl_proxy*>(target)));
  for (auto window = kwin.windows.begin(); window != kwin.windows.end(); ++window) {
    if (window->handle != target) continue;
    const std::string name = message->name;
    if (name == "title_changed") window->title = args[0].s;
    if (name == "app_id_changed") window->appId = args[0].s;
    if (name == "geometry") {
      window->x = args[0].i;
      window->y = args[1].i;
      window->width = static_cast<int>(args[2].u);
      window->height = static_cast<int>(args[3].u);
    }
    if (name == "unmapped") {
      org_kde_plasma_window_destroy(window->handle);
      kwin.windows.erase(window);
    }
    break;
  }
  return 0;
}

int managementEvent(const void*, void* target, uint32_t, const wl_message* message,
                    wl_argument* args) {
  if (std::strcmp(message->name, "window_with_uuid") != 0) return 0;
  auto* management = static_cast<org_kde_plasma_window_management*>(target);
  Kwin& kwin = *static_cast<Kwin*>(wl_proxy_get_user_data(static_cast<wl_proxy*>(target)));
  Window window;
  window.id = ++kwin.windowsSeen;
  window.handle = org_kde_plasma_window_management_get_window_by_uuid(management, args[1].s);
  wl_proxy_add_dispatcher(reinterpret_cast<wl_proxy*>(window.handle), windowEvent, nullptr, &kwin);
  kwin.windows.push_back(window);
  return 0;
}

void globalAdded(void* data, wl_registry* registry, uint32_t name, const char* interface,
                 uint32_t version) {
  Kwin& kwin = *static_cast<Kwin*>(data);
  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
    kwin.input = static_cast<org_kde_kwin_fake_input*>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
  } else if (std::strcmp(interface, org_kde_plasma_window_management_interface.name) == 0 &&
             version >= 13) {  // windows named by uuid
    kwin.management = static_cast<org_kde_plasma_window_management*>(wl_registry_bind(
        registry, name, &org_kde_plasma_window_management_interface, std::min(version, 16u)));
    wl_proxy_add_dispatcher(reinterpret_cast<wl_proxy*>(kwin.management), managementEvent, nullptr,
                            &kwin);
  }
}
void globalRemoved(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {globalAdded, globalRemoved};

bool startKwin(Kwin& kwin) {
  kwin.display = wl_display_connect(nullptr);
  if (kwin.display == nullptr) return false;
  kwin.registry = wl_display_get_registry(kwin.display);
  wl_registry_add_listener(kwin.registry, &registryListener, &kwin);
  if (wl_display_roundtrip(kwin.display) < 0 || kwin.input == nullptr ||
      kwin.management == nullptr) {
    std::cerr << "compositor_driver: KWin offers no fake input or window management here\n";
    return false;
  }
  org_kde_kwin_fake_input_authenticate(kwin.input, "Lumivane tests", "typing into the program");
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  kwin.keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
  xkb_context_unref(context);
  return kwin.keymap != nullptr && wl_display_roundtrip(kwin.display) >= 0;
}

// The evdev code of the key that gives keysym in KWin's default layout, and
// whether it takes Shift.
bool findKey(xkb_keymap* keymap, xkb_keysym_t keysym, uint32_t& code, bool& shift) {
  for (xkb_level_index_t level = 0; level < 2; ++level)
    for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap);
         ++key) {
      const xkb_keysym_t* syms = nullptr;
      if (xkb_keymap_key_get_syms_by_level(keymap, key, 0, level, &syms) == 1 &&
          syms[0] == keysym) {
        code = key - 8;  // XKB numbers keys 8 above evdev
        shift = level == 1;
        return true;
      }
    }
  return false;
}

bool kwinKey(Kwin& kwin, xkb_keysym_t keysym) {
  uint32_t code = 0;
  bool shift = false;
  if (!findKey(kwin.keymap, keysym, code, shift)) return false;
  const auto key = [&](uint32_t evdev, bool pressed) {
    org_kde_kwin_fake_input_keyboard_key(kwin.input, evdev, pressed ? 1 : 0);
  };
  if (shift) key(KEY_LEFTSHIFT, true);
  key(code, true);
  key(code, false);
  if (shift) key(KEY_LEFTSHIFT, false);
  return wl_display_roundtrip(kwin.display) >= 0;
}

void stop(Mutter& mutter, Kwin& kwin) {
  sd_bus_flush_close_unref(mutter.bus);
  for (const Window& window : kwin.windows) org_kde_plasma_window_destroy(window.handle);
  for (void* proxy : {static_cast<void*>(kwin.input), static_cast<void*>(kwin.management),
                      static_cast<void*>(kwin.registry)})
    if (proxy != nullptr) wl_proxy_destroy(static_cast<wl_proxy*>(proxy));
  if (kwin.display != nullptr) wl_display_disconnect(kwin.display);
  xkb_keymap_unref(kwin.keymap);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc == 2 ? argv[1] : "";
  Mutter mutter;
  Kwin kwin;
  if (kind != "mutter" && kind != "kwin") {
    std::cerr << "usage: compositor_driver mutter|kwin\n";
    return 2;
  }
  if (!(kind == "mutter" ? startMutter(mutter) : startKwin(kwin))) {
    std::cout << "failed" << std::endl;
    stop(mutter, kwin);
    return 1;
  }
  std::cout << "ok" << std::endl;
  for (std::string line; std::getline(std::cin, line);) {
    bool done = false;
    if (line.rfind("key ", 0) == 0) {
      const xkb_keysym_t keysym = xkb_keysym_from_name(line.c_str() + 4, XKB_KEYSYM_NO_FLAGS);
      done = keysym != XKB_KEY_NoSymbol &&
             (kind == "mutter"
                  ? mutterKeysym(mutter, keysym, true) && mutterKeysym(mutter, keysym, false)
                  : kwinKey(kwin, keysym));
    } else if (kind == "kwin" && (line == "windows" || line.rfind("close ", 0) == 0)) {
      done = wl_display_roundtrip(kwin.display) >= 0;
      for (const Window& w : kwin.windows) {
        if (line == "windows")
          std::cout << w.id << " " << w.x << " " << w.y << " " << w.width << " " << w.height << "\t"
                    << w.appId << "\t" << w.title << "\n";
        else if (std::to_string(w.id) == line.substr(6))
          org_kde_plasma_window_close(w.handle);
      }
      done = done && wl_display_roundtrip(kwin.display) >= 0;
    }
    std::cout << (done ? "ok" : "failed") << std::endl;
  }
  stop(mutter, kwin);
  return 0;
}
