// Keys by keysym on Wayland: xkbcommon's keysyms are X's, and the same rules
// hold: the table's letters act with or without Shift or Caps Lock, the
// digits are those of the main row (wherever a layout puts them), Alt-held
// keys and keys without a row are no commands. The last test runs real
// keymaps through xkbcommon, as the compositor hands them over.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include "wayland/wayland_front_end.h"

namespace wayland {
namespace {

TEST(WaylandKeysymMapping, TableKeysInEitherCaseAndOnAzerty) {
  struct Row {
    xkb_keysym_t unshifted, shifted;
    ViewerKey key;
  };
  const Row rows[] = {{XKB_KEY_Escape, XKB_KEY_NoSymbol, ViewerKey::Escape},
                      {XKB_KEY_space, XKB_KEY_NoSymbol, ViewerKey::Space},
                      {XKB_KEY_1, XKB_KEY_exclam, ViewerKey::MainLight},
                      {XKB_KEY_2, XKB_KEY_at, ViewerKey::SideLight},
                      {XKB_KEY_b, XKB_KEY_B, ViewerKey::Shade},
                      {XKB_KEY_n, XKB_KEY_N, ViewerKey::Logo},
                      {XKB_KEY_p, XKB_KEY_P, ViewerKey::Pause},
                      {XKB_KEY_i, XKB_KEY_I, ViewerKey::Report},
                      {XKB_KEY_I, XKB_KEY_NoSymbol, ViewerKey::Report},
                      {XKB_KEY_f, XKB_KEY_F, ViewerKey::FullScreen},
                      {XKB_KEY_F, XKB_KEY_NoSymbol, ViewerKey::FullScreen},
                      // A tool's keymap may hold only the capital (wtype types N so).
                      {XKB_KEY_N, XKB_KEY_NoSymbol, ViewerKey::Logo},
                      {XKB_KEY_ampersand, XKB_KEY_1, ViewerKey::MainLight},
                      {XKB_KEY_eacute, XKB_KEY_2, ViewerKey::SideLight}};
  for (const Row& row : rows) {
    EXPECT_EQ(viewerKeyFromKeysyms(row.unshifted, row.shifted, false), row.key)
        << "keysym 0x" << std::hex << row.unshifted;
    EXPECT_EQ(viewerKeyFromKeysyms(row.unshifted, row.shifted, true), ViewerKey::Other)
        << "Alt+0x" << std::hex << row.unshifted;
  }
  for (xkb_keysym_t other : {XKB_KEY_x, XKB_KEY_F5, XKB_KEY_KP_1, XKB_KEY_3, XKB_KEY_Return})
    EXPECT_EQ(viewerKeyFromKeysyms(other, XKB_KEY_NoSymbol, false), ViewerKey::Other)
        << "keysym 0x" << std::hex << other;
}

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
}  // namespace wayland
