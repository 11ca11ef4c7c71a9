// Keys by keysym: the table's letters act with or without Shift or Caps
// Lock, the digits are those of the main row (wherever a layout puts them),
// Alt-modified keys and keys without a row are no commands.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "x11/x11_front_end.h"

namespace x11 {
namespace {

TEST(KeysymMapping, TableKeysInEitherCase) {
  struct Row {
    KeySym unshifted, shifted;
    ViewerKey key;
  };
  const Row rows[] = {{XK_Escape, NoSymbol, ViewerKey::Escape},
                      {XK_space, NoSymbol, ViewerKey::Space},
                      {XK_1, XK_exclam, ViewerKey::MainLight},
                      {XK_2, XK_at, ViewerKey::SideLight},
                      {XK_b, XK_B, ViewerKey::Shade},
                      {XK_n, XK_N, ViewerKey::Logo},
                      {XK_p, XK_P, ViewerKey::Pause},
                      {XK_f, XK_F, ViewerKey::FullScreen},
                      // A keyboard map may list only the capital for a letter key.
                      {XK_B, NoSymbol, ViewerKey::Shade},
                      {XK_N, NoSymbol, ViewerKey::Logo},
                      {XK_P, NoSymbol, ViewerKey::Pause},
                      {XK_F, NoSymbol, ViewerKey::FullScreen},
                      // AZERTY: the 1 and 2 keys give & and é unshifted.
                      {XK_ampersand, XK_1, ViewerKey::MainLight},
                      {XK_eacute, XK_2, ViewerKey::SideLight}};
  for (const Row& row : rows) {
    for (unsigned state : {0u, static_cast<unsigned>(ShiftMask), static_cast<unsigned>(LockMask),
                           static_cast<unsigned>(ControlMask)})
      EXPECT_EQ(viewerKeyFromKeysyms(row.unshifted, row.shifted, state), row.key)
          << "keysym 0x" << std::hex << row.unshifted << " state 0x" << state;
  }
}

TEST(KeysymMapping, OtherKeysAndAltCombinationsAreNoCommands) {
  const KeySym others[][2] = {{XK_x, XK_X},          {XK_F5, NoSymbol},     {XK_KP_1, XK_KP_End},
                              {XK_3, XK_numbersign}, {XK_Return, NoSymbol}, {XK_exclam, XK_1}};
  for (const auto& keys : others) {
    // A shifted 1 on a key whose own symbol is no command still counts as the 1 key,
    // except when the key is a table key of its own.
    const ViewerKey expected = keys[1] == XK_1 ? ViewerKey::MainLight : ViewerKey::Other;
    EXPECT_EQ(viewerKeyFromKeysyms(keys[0], keys[1], 0), expected)
        << "keysym 0x" << std::hex << keys[0];
  }
  for (KeySym keysym : {XK_b, XK_1, XK_Escape, XK_p})
    EXPECT_EQ(viewerKeyFromKeysyms(keysym, NoSymbol, Mod1Mask), ViewerKey::Other)
        << "Alt+0x" << std::hex << keysym;
}

}  // namespace
}  // namespace x11
