// Real keymaps through xkbcommon, as the compositor hands them over, through
// the front end's own key lookup into the shared keysym table
// (viewer/keysyms.h, tested in tests/keysym_test.cpp): the main row's digits
// on QWERTY and AZERTY, not the keypad's, and no command while Alt is held.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include "wayland/wayland_front_end.h"

namespace {

// A keymap of one layout and its state, as the seat's keyboard holds them.
struct Keymap {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES);
  xkb_keymap* keymap = nullptr;
  xkb_state* state = nullptr;
  explicit Keymap(const char* layout) {
    xkb_context_include_path_append_default(context);
    const xkb_rule_names names = {"evdev", "pc105", layout, "", ""};
    keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap != nullptr) state = xkb_state_new(keymap);
  }
  ~Keymap() {
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
  }
  ViewerKey key(xkb_keycode_t code) const {
    return wayland::viewerKeyOfKeyCode(keymap, state, code);
  }
};

TEST(WaylandKeysymMapping, RealKeymapsGiveTheMainRowDigits) {
  // Evdev key codes plus 8: 1 is KEY_1 (2), B is KEY_B (48) on QWERTY.
  constexpr xkb_keycode_t key1 = 2 + 8, key2 = 3 + 8, keyB = 48 + 8, keyKp1 = 79 + 8;
  constexpr xkb_keycode_t keyLeftAlt = 56 + 8;
  const Keymap us("us"), french("fr");
  ASSERT_NE(us.state, nullptr) << "xkeyboard-config is missing";
  ASSERT_NE(french.state, nullptr);
  EXPECT_EQ(us.key(key1), ViewerKey::MainLight);
  EXPECT_EQ(us.key(key2), ViewerKey::SideLight);
  EXPECT_EQ(us.key(keyB), ViewerKey::Shade);
  EXPECT_EQ(us.key(keyKp1), ViewerKey::Other) << "the keypad's 1 is not the main row's";
  EXPECT_EQ(french.key(key1), ViewerKey::MainLight) << "AZERTY: & unshifted, 1 with Shift";
  EXPECT_EQ(french.key(key2), ViewerKey::SideLight);
  xkb_state_update_key(us.state, keyLeftAlt, XKB_KEY_DOWN);
  EXPECT_EQ(us.key(keyB), ViewerKey::Other) << "Alt+B is the desktop's";
}

}  // namespace
