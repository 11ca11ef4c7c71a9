#include "app/pixel_format_choice.h"

#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "app/facts.h"

namespace {

bool usable(const PixelFormatCandidate& c) {
  return c.drawsToWindow && c.doubleBuffered && c.rgba && c.depthBits > 0;
}

bool exact(const PixelFormatCandidate& c, const ColourRequest& request) {
  return c.redBits == request.colourBits && c.greenBits == request.colourBits &&
         c.blueBits == request.colourBits &&
         (request.alphaBits == anyAlpha || c.alphaBits == request.alphaBits);
}

// Smaller is better, compared element by element.
std::tuple<bool, bool, bool, int, int> rank(const PixelFormatCandidate& c) {
  return {!c.accelerated, !c.screensOwnDepth, !c.trueColour, c.alphaBits,
          std::abs(c.depthBits - 24)};
}

// Fewer bits than asked for lose levels, more only cost memory: any shortfall
// weighs more than every surplus.
int colourDistance(const PixelFormatCandidate& c, int bits) {
  int shortfall = 0, surplus = 0;
  for (int channel : {c.redBits, c.greenBits, c.blueBits}) {
    if (channel < bits) shortfall += bits - channel;
    if (channel > bits) surplus += channel - bits;
  }
  return shortfall * 1000 + surplus;
}

}  // namespace

int choosePixelFormat(const std::vector<PixelFormatCandidate>& candidates,
                      const ColourRequest& request) {
  int best = -1;
  for (int i = 0; i < static_cast<int>(candidates.size()); ++i) {
    if (!usable(candidates[i]) || !exact(candidates[i], request)) continue;
    if (best < 0 || rank(candidates[i]) < rank(candidates[best])) best = i;
  }
  return best;
}

int chooseNearestPixelFormat(const std::vector<PixelFormatCandidate>& candidates,
                             const ColourRequest& request) {
  int best = -1;
  const auto key = [&](int i) {
    return std::tuple_cat(std::make_tuple(colourDistance(candidates[i], request.colourBits)),
                          rank(candidates[i]));
  };
  for (int i = 0; i < static_cast<int>(candidates.size()); ++i) {
    if (!usable(candidates[i])) continue;
    if (best < 0 || key(i) < key(best)) best = i;
  }
  return best;
}

bool contextHasChosenColour(const char* title, const ContextColour& got,
                            const PixelFormatCandidate& chosen) {
  const int gotBits[] = {got.redBits, got.greenBits, got.blueBits};
  const int chosenBits[] = {chosen.redBits, chosen.greenBits, chosen.blueBits};
  for (int channel = 0; channel < 3; ++channel) {
    if (gotBits[channel] == chosenBits[channel]) continue;
    printf("ERROR: The '%s' window got %d bits per colour instead of %d!\n", title,
           gotBits[channel], chosenBits[channel]);
    return false;
  }
  return true;
}

void reportNoConfiguration(bool tenBit, const char* title) {
  if (tenBit)
    printf("%s", noTenBitFormatLine);
  else
    printf("ERROR: Couldn't find an 8 bit framebuffer configuration for the '%s' window!\n", title);
}

void noteEightBitWindowColour(const ContextColour& got) {
  if (got.redBits == 8 && got.greenBits == 8 && got.blueBits == 8) return;
  printf(
      "NOTE: the 8-bit window got %d bits per colour on this display, so it cannot show 8-bit "
      "bands.\n",
      got.redBits);
}
