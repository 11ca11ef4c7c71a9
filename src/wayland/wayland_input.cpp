// The seat's keyboard and pointer. Keys arrive as raw key codes with the
// compositor's keymap: xkbcommon turns them into keysyms, which go through
// the shared key table. Wayland leaves key repeat to the client, so a held
// key repeats here at the rate the compositor gives, as a held key does on
// Windows. The left button starts a drag in either window; the compositor
// keeps sending the pointer to the window the button went down in until it
// is released, so a release anywhere ends the drag.
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include "viewer/keysyms.h"
#include "viewer/viewer_state.h"
#include "wayland/wayland_front_end.h"

namespace wayland {

namespace {

xkb_keysym_t keysymAtLevel(xkb_keymap* keymap, xkb_state* state, xkb_keycode_t key,
                           xkb_level_index_t level) {
  const xkb_keysym_t* symbols = nullptr;
  const xkb_layout_index_t layout = xkb_state_key_get_layout(state, key);
  if (xkb_keymap_key_get_syms_by_level(keymap, key, layout, level, &symbols) < 1)
    return XKB_KEY_NoSymbol;
  return symbols[0];
}

void runKey(xkb_keycode_t key) {
  handleViewerKey(viewerKeyOfKeyCode(frontEnd.keymap, frontEnd.keyState, key), waylandActions);
}

void armRepeat(int firstMs, int everyMs) {
  itimerspec when = {};
  when.it_value = {firstMs / 1000, (firstMs % 1000) * 1000000L};
  when.it_interval = {everyMs / 1000, (everyMs % 1000) * 1000000L};
  timerfd_settime(frontEnd.repeatTimer, 0, &when, nullptr);
}

void stopRepeat() {
  frontEnd.repeatingKey = 0;
  if (frontEnd.repeatTimer >= 0) armRepeat(0, 0);
}

void keymapReceived(void*, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
  void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1
                   ? mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                   : MAP_FAILED;
  close(fd);
  if (text == MAP_FAILED) return;
  xkb_keymap* newKeymap =
      xkb_keymap_new_from_string(frontEnd.keyContext, static_cast<const char*>(text),
                                 XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
  munmap(text, size);
  if (newKeymap == nullptr) return;
  // A new keymap (another keyboard, or a tool typing) replaces the old one.
  stopRepeat();
  xkb_state_unref(frontEnd.keyState);
  xkb_keymap_unref(frontEnd.keymap);
  frontEnd.keymap = newKeymap;
  frontEnd.keyState = xkb_state_new(frontEnd.keymap);
}

void keyboardEntered(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}

void keyboardLeft(void*, wl_keyboard*, uint32_t, wl_surface*) {
  stopRepeat();
}

void keyChanged(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t rawKey, uint32_t state) {
  if (frontEnd.keyState == nullptr) return;
  // Wayland key codes are the kernel's; XKB's are 8 higher, as on X11.
  const xkb_keycode_t key = rawKey + 8;
  if (state == WL_KEYBOARD_KEY_STATE_RELEASED) {
    if (key == frontEnd.repeatingKey) stopRepeat();
    return;
  }
  if (frontEnd.repeatRate > 0 && xkb_keymap_key_repeats(frontEnd.keymap, key)) {
    frontEnd.repeatingKey = key;
    armRepeat(frontEnd.repeatDelayMs,
              1000 / frontEnd.repeatRate > 0 ? 1000 / frontEnd.repeatRate : 1);
  } else {
    stopRepeat();
  }
  runKey(key);
}

void modifiersChanged(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                      uint32_t locked, uint32_t group) {
  if (frontEnd.keyState != nullptr)
    xkb_state_update_mask(frontEnd.keyState, depressed, latched, locked, 0, 0, group);
}

void repeatInfoReceived(void*, wl_keyboard*, int32_t rate, int32_t delay) {
  frontEnd.repeatRate = rate;
  frontEnd.repeatDelayMs = delay;
}

const wl_keyboard_listener keyboardListener = {keymapReceived,   keyboardEntered,
                                               keyboardLeft,     keyChanged,
                                               modifiersChanged, repeatInfoReceived};

bool isDisplaySurface(const wl_surface* surface) {
  return surface != nullptr && (surface == window10.surface || surface == window8.surface ||
                                surface == windowFull.surface);
}

void pointerEntered(void*, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t, wl_fixed_t) {
  frontEnd.pointerSurface = surface;
}

void pointerLeft(void*, wl_pointer*, uint32_t, wl_surface*) {
  frontEnd.pointerSurface = nullptr;
}

void pointerMotion(void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {
  if (isDisplaySurface(frontEnd.pointerSurface)) frontEnd.pointerMoved = true;
}

void buttonChanged(void*, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
  if (button != BTN_LEFT) return;
  if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
    // Presses on a decoration belong to libdecor (moving, closing).
    if (isDisplaySurface(frontEnd.pointerSurface)) beginDrag();
  } else {
    endDrag();
  }
}

void axisMoved(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}

// The seat is bound at version 4: the later events (frames, axis details)
// never come and stay empty.
wl_pointer_listener pointerCallbacks() {
  wl_pointer_listener callbacks = {};
  callbacks.enter = pointerEntered;
  callbacks.leave = pointerLeft;
  callbacks.motion = pointerMotion;
  callbacks.button = buttonChanged;
  callbacks.axis = axisMoved;
  return callbacks;
}
const wl_pointer_listener pointerListener = pointerCallbacks();

void capabilitiesChanged(void*, wl_seat* seat, uint32_t capabilities) {
  const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  const bool hasPointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (hasKeyboard && frontEnd.keyboard == nullptr) {
    frontEnd.keyboard = wl_seat_get_keyboard(seat);
    wl_keyboard_add_listener(frontEnd.keyboard, &keyboardListener, nullptr);
  } else if (!hasKeyboard && frontEnd.keyboard != nullptr) {
    stopRepeat();
    wl_keyboard_release(frontEnd.keyboard);
    frontEnd.keyboard = nullptr;
  }
  if (hasPointer && frontEnd.pointer == nullptr) {
    frontEnd.pointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(frontEnd.pointer, &pointerListener, nullptr);
  } else if (!hasPointer && frontEnd.pointer != nullptr) {
    wl_pointer_release(frontEnd.pointer);
    frontEnd.pointer = nullptr;
    frontEnd.pointerSurface = nullptr;
  }
}

void seatNamed(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {capabilitiesChanged, seatNamed};

}  // namespace

ViewerKey viewerKeyOfKeyCode(xkb_keymap* keymap, xkb_state* state, xkb_keycode_t key) {
  const bool altHeld =
      xkb_state_mod_name_is_active(state, XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0;
  return viewerKeyFromKeysyms(keysymAtLevel(keymap, state, key, 0),
                              keysymAtLevel(keymap, state, key, 1), altHeld);
}

void listenToSeat(wl_seat* seat) {
  if (frontEnd.keyContext == nullptr) frontEnd.keyContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (frontEnd.repeatTimer < 0)
    frontEnd.repeatTimer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  wl_seat_add_listener(seat, &seatListener, nullptr);
}

int keyRepeatTimer() {
  return frontEnd.repeatTimer;
}

void repeatHeldKey() {
  uint64_t expirations = 0;
  if (read(frontEnd.repeatTimer, &expirations, sizeof expirations) != sizeof expirations) return;
  // Like a late timer tick, missed repeats are not made up for with a burst.
  if (frontEnd.repeatingKey != 0 && frontEnd.keyState != nullptr) runKey(frontEnd.repeatingKey);
}

void handleDragMotion() {
  // All moves since the last look count as one, so the paints keep up with
  // the hand.
  if (!frontEnd.pointerMoved) return;
  frontEnd.pointerMoved = false;
  if (viewerState.dragging) refreshBoth();
}

void releaseSeat() {
  if (frontEnd.keyboard != nullptr) wl_keyboard_release(frontEnd.keyboard);
  if (frontEnd.pointer != nullptr) wl_pointer_release(frontEnd.pointer);
  if (frontEnd.connection.seat != nullptr) wl_seat_destroy(frontEnd.connection.seat);
  xkb_state_unref(frontEnd.keyState);
  xkb_keymap_unref(frontEnd.keymap);
  xkb_context_unref(frontEnd.keyContext);
  if (frontEnd.repeatTimer >= 0) close(frontEnd.repeatTimer);
  frontEnd.keyboard = nullptr;
  frontEnd.pointer = nullptr;
  frontEnd.keyState = nullptr;
  frontEnd.keymap = nullptr;
  frontEnd.keyContext = nullptr;
  frontEnd.repeatTimer = -1;
  frontEnd.pointerSurface = nullptr;
}

}  // namespace wayland
