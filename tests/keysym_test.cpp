// Keys by keysym on X11 and Wayland (XKB's keysyms are X's): the table's
// letters act with or without Shift or Caps Lock, the digits are those of
// the main row (wherever a layout puts them), keys with Alt held and keys
// without a row are no commands. The keysyms are X's values; Latin-1 ones
// are the characters' codes.
#include <gtest/gtest.h>

#include "viewer/keysyms.h"

namespace {

constexpr Keysym noSymbol = 0, escape = 0xff1b, returnKey = 0xff0d, f5 = 0xffc2, keypad1 = 0xffb1,
                 keypadEnd = 0xff9c, left = 0xff51, right = 0xff53, eacute = 0xe9;

TEST(KeysymMapping, TableKeysInEitherCaseAndOnAzerty) {
  struct Row {
    Keysym unshifted, shifted;
    ViewerKey key;
  };
  const Row rows[] = {{escape, noSymbol, ViewerKey::Escape},
                      {' ', noSymbol, ViewerKey::Space},
                      {'1', '!', ViewerKey::MainLight},
                      {'2', '@', ViewerKey::SideLight},
                      {'b', 'B', ViewerKey::Shade},
                      {'c', 'C', ViewerKey::RampColour},
                      {'n', 'N', ViewerKey::Logo},
                      {'p', 'P', ViewerKey::Pause},
                      {'i', 'I', ViewerKey::Report},
                      {'f', 'F', ViewerKey::FullScreen},
                      {left, noSymbol, ViewerKey::Left},
                      {right, noSymbol, ViewerKey::Right},
                      // A keyboard map may list only the capital (wtype types N so).
                      {'B', noSymbol, ViewerKey::Shade},
                      {'C', noSymbol, ViewerKey::RampColour},
                      {'N', noSymbol, ViewerKey::Logo},
                      {'P', noSymbol, ViewerKey::Pause},
                      {'I', noSymbol, ViewerKey::Report},
                      {'F', noSymbol, ViewerKey::FullScreen},
                      // AZERTY: the 1 and 2 keys give & and é unshifted.
                      {'&', '1', ViewerKey::MainLight},
                      {eacute, '2', ViewerKey::SideLight}};
  for (const Row& row : rows) {
    EXPECT_EQ(viewerKeyFromKeysyms(row.unshifted, row.shifted, false), row.key)
        << "keysym 0x" << std::hex << row.unshifted;
    EXPECT_EQ(viewerKeyFromKeysyms(row.unshifted, row.shifted, true), ViewerKey::Other)
        << "Alt+0x" << std::hex << row.unshifted;
  }
}

TEST(KeysymMapping, OtherKeysAreNoCommands) {
  const Keysym others[][2] = {{'x', 'X'}, {f5, noSymbol},        {keypad1, keypadEnd},
                              {'3', '#'}, {returnKey, noSymbol}, {'!', '1'}};
  for (const auto& keys : others) {
    // A shifted 1 on a key whose own symbol is no command still counts as the 1 key.
    const ViewerKey expected = keys[1] == '1' ? ViewerKey::MainLight : ViewerKey::Other;
    EXPECT_EQ(viewerKeyFromKeysyms(keys[0], keys[1], false), expected)
        << "keysym 0x" << std::hex << keys[0];
  }
}

}  // namespace
