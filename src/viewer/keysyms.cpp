#include "viewer/keysyms.h"

namespace {

// Latin-1 keysyms are the characters' own codes; the rest are X's values.
constexpr Keysym escapeKeysym = 0xff1b, leftKeysym = 0xff51, rightKeysym = 0xff53;

struct KeysymRow {
  Keysym keysym;
  ViewerKey key;
};

constexpr KeysymRow keysymTable[] = {
    {escapeKeysym, ViewerKey::Escape},
    {' ', ViewerKey::Space},
    {'1', ViewerKey::MainLight},
    {'2', ViewerKey::SideLight},
    {'b', ViewerKey::Shade},
    {'B', ViewerKey::Shade},
    {'c', ViewerKey::RampColour},
    {'C', ViewerKey::RampColour},
    {'n', ViewerKey::Logo},
    {'N', ViewerKey::Logo},
    {'p', ViewerKey::Pause},
    {'P', ViewerKey::Pause},
    {'i', ViewerKey::Report},
    {'I', ViewerKey::Report},
    {'f', ViewerKey::FullScreen},
    {'F', ViewerKey::FullScreen},
    {leftKeysym, ViewerKey::Left},
    {rightKeysym, ViewerKey::Right},
};

ViewerKey viewerKeyFromKeysym(Keysym keysym) {
  for (const KeysymRow& row : keysymTable)
    if (row.keysym == keysym) return row.key;
  return ViewerKey::Other;
}

}  // namespace

ViewerKey viewerKeyFromKeysyms(Keysym unshifted, Keysym shifted, bool altHeld) {
  if (altHeld) return ViewerKey::Other;
  const ViewerKey key = viewerKeyFromKeysym(unshifted);
  // On layouts whose digit row gives the digits only with Shift (AZERTY),
  // the key is still the 1 or 2 key, as its virtual-key code is on Windows.
  if (key == ViewerKey::Other && (shifted == '1' || shifted == '2'))
    return viewerKeyFromKeysym(shifted);
  return key;
}
