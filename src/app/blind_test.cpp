#include "app/blind_test.h"

#include <cstdio>
#include <exception>
#include <random>

#include "app/display_check.h"
#include "viewer/viewer_state.h"

BlindTest blindTest;

namespace {
// The usual threshold: a score that guessing reaches at most one time in
// twenty is taken as seen.
constexpr double seenThreshold = 0.05;
}  // namespace

void startBlindTest(BlindTest& test, const std::function<std::uint32_t()>& nextRandom) {
  test = BlindTest{};
  // The top bit: every 32-bit source's best.
  for (ScreenHalf& half : test.eightBitHalf)
    half = (nextRandom() >> 31) != 0 ? ScreenHalf::Right : ScreenHalf::Left;
}

ScreenHalf currentEightBitHalf(const BlindTest& test) {
  const int round = test.answered < blindRoundCount ? test.answered : blindRoundCount - 1;
  return test.eightBitHalf[round];
}

std::string blindRoundLine(const BlindTest& test) {
  char line[96];
  std::snprintf(line, sizeof line, "Round %d of %d: which half is smoother? Press Left or Right.\n",
                test.answered + 1, blindRoundCount);
  return line;
}

std::string answerBlindRound(BlindTest& test, ScreenHalf answer) {
  if (test.answered >= blindRoundCount) return "";
  if (answer != currentEightBitHalf(test)) ++test.tenBitPicks;
  ++test.answered;
  if (test.answered < blindRoundCount) return blindRoundLine(test);
  return blindScoreLines(test);
}

double chanceOfAtLeast(int picked, int rounds) {
  if (picked <= 0) return 1.0;
  if (picked > rounds) return 0.0;
  // Sum the binomial coefficients C(rounds, i) for i >= picked, each built
  // from the one before; exact in a double for any count of rounds here.
  double coefficient = 1.0, tail = 0.0, all = 0.0;
  for (int i = 0; i <= rounds; ++i) {
    if (i > 0) coefficient = coefficient * (rounds - i + 1) / i;
    all += coefficient;
    if (i >= picked) tail += coefficient;
  }
  return tail / all;
}

std::string blindScoreLines(const BlindTest& test) {
  if (test.answered == 0) return "The blind test ended before its first answer.\n";
  const double chance = chanceOfAtLeast(test.tenBitPicks, test.answered);
  char score[192];
  std::snprintf(score, sizeof score,
                "You picked the 10-bit half in %d of %d rounds. Guessing does at least that well "
                "in %.1f %% of tries.\n",
                test.tenBitPicks, test.answered, chance * 100.0);
  if (blindExitStatus(test) == 0)
    return std::string(score) +
           "You can see the difference between 8 and 10 bits on this display chain.\n";
  if (test.answered < blindRoundCount)
    return std::string(score) + "The test ended before its last round, so it shows nothing yet.\n";
  return std::string(score) +
         "This test found no difference you can see: a link of the chain may carry only 8 bits "
         "(lumivane --check names it), the panel may dither 8 bits to look like 10, or the "
         "levels are too fine to see from where you sit (come closer, or try another preset "
         "with B).\n";
}

int blindExitStatus(const BlindTest& test) {
  const bool finished = test.answered == blindRoundCount;
  return finished && chanceOfAtLeast(test.tenBitPicks, test.answered) <= seenThreshold ? 0 : 1;
}

bool beginBlindTest() {
  try {
    // The system's randomness (getrandom, rand_s), never the clock.
    std::random_device source;
    startBlindTest(blindTest, [&source] { return static_cast<std::uint32_t>(source()); });
  } catch (const std::exception&) {
    printf("ERROR: No source of random numbers for the blind test!\n");
    return false;
  }
  while (viewerState.shadeIndex != narrowestRampPreset()) cycleShade();
  viewerState.halfLabelsShown = false;
  viewerState.blindTestRunning = true;
  viewerState.eightBitHalfOnRight = currentEightBitHalf(blindTest) == ScreenHalf::Right;
  printf("%s", blindRoundLine(blindTest).c_str());
  return true;
}

bool pickBlindHalf(bool right) {
  const std::string lines =
      answerBlindRound(blindTest, right ? ScreenHalf::Right : ScreenHalf::Left);
  viewerState.blindTestRunning = blindTest.answered < blindRoundCount;
  viewerState.eightBitHalfOnRight = currentEightBitHalf(blindTest) == ScreenHalf::Right;
  printf("%s", lines.c_str());
  return !viewerState.blindTestRunning;
}

int finishBlindTest(int status) {
  if (!viewerState.blindTestRunning && blindTest.answered == 0) return status == 0 ? -1 : status;
  if (viewerState.blindTestRunning) {
    printf("%s", blindScoreLines(blindTest).c_str());
    viewerState.blindTestRunning = false;
  }
  return status == 0 ? blindExitStatus(blindTest) : status;
}
