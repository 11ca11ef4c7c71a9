// Real keymaps through xkbcommon, as the compositor hands them over, into
// the shared keysym table (viewer/keysyms.h, tested in tests/keysym_test.cpp):
// the main row's digits on QWERTY and AZERTY, not the keypad's.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include "viewer/keysyms.h"

namespace {

// The keysyms of a key as the front end reads them from a keymap: the
// symbol without and with Shift in the key's layout.
struct Keymap {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_DEFAULT_INCLUDES);
  xkb_keymap* keymap = nullptr;
  explicit Keymap(const char* layout) {
    xkb_context_include_path_append_default(context);
    const xkb_rule_names names = {"evdev", "pc105", layout, "", ""};
    keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  }
  ~Keymap() {
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
  }
  ViewerKey key(xkb_keycode_t code) const {
    const xkb_keysym_t* levels[2] = {nullptr, nullptr};
    xkb_keysym_t symbols[2] = {XKB_KEY_NoSymbol, XKB_KEY_NoSymbol};
    for (xkb_level_index_t level = 0; level < 2; ++level)
      if (xkb_keymap_key_get_syms_by_level(keymap, code, 0, level, &levels[level]) > 0)
        symbols[level] = levels[level][0];
    return viewerKeyFromKeysyms(symbols[0], symbols[1], false);
  }
};

TEST(WaylandKeysymMapping, RealKeymapsGiveTheMainRowDigits) {
  // Evdev key codes plus 8: 1 is KEY_1 (2), B is KEY_B (48) on QWERTY.
  constexpr xkb_keycode_t key1 = 2 + 8, key2 = 3 + 8, keyB = 48 + 8, keyKp1 = 79 + 8;
  const Keymap us("us"), french("fr");
  ASSERT_NE(us.keymap, nullptr) << "xkeyboard-config is missing";
  ASSERT_NE(french.keymap, nullptr);
  EXPECT_EQ(us.key(key1), ViewerKey::MainLight);
  EXPECT_EQ(us.key(key2), ViewerKey::SideLight);
  EXPECT_EQ(us.key(keyB), ViewerKey::Shade);
  EXPECT_EQ(us.key(keyKp1), ViewerKey::Other) << "the keypad's 1 is not the main row's";
  EXPECT_EQ(french.key(key1), ViewerKey::MainLight) << "AZERTY: & unshifted, 1 with Shift";
  EXPECT_EQ(french.key(key2), ViewerKey::SideLight);
}

}  // namespace
