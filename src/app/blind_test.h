// The blind test (`--blind`): ten rounds in the full-screen split view, each
// with the exact 8-bit picture on a half chosen at random and 10 bits on the
// other; the person names the smoother half with Left or Right, and the score
// says whether the answers beat guessing. Plain data and arithmetic: the
// front end draws the halves as each round says and prints the lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum class ScreenHalf { Left, Right };

constexpr int blindRoundCount = 10;

// Whether the program's test runs (from its start until the last answer or
// Escape) is viewerState.blindTestRunning, which the key table reads.
struct BlindTest {
  int answered = 0;     // rounds answered so far; the current round is answered + 1
  int tenBitPicks = 0;  // answers that named the 10-bit half
  ScreenHalf eightBitHalf[blindRoundCount] = {};
};

extern BlindTest blindTest;

// Starts the test: each round's 8-bit half drawn with even odds, one draw of
// `nextRandom` (32 random bits) per round. The program draws from the
// system's randomness; only tests pass a repeatable source.
void startBlindTest(BlindTest& test, const std::function<std::uint32_t()>& nextRandom);

// The half that shows 8 bits now (the last round's once the test is over).
ScreenHalf currentEightBitHalf(const BlindTest& test);

// "Round 3 of 10: which half is smoother? Press Left or Right.\n"
std::string blindRoundLine(const BlindTest& test);

// Records the answer for the current round. Returns the next round's line, or
// after the last round the score lines; nothing once all rounds are answered.
std::string answerBlindRound(BlindTest& test, ScreenHalf answer);

// The chance that guessing names the 10-bit half in at least `picked` of
// `rounds` rounds: the exact one-sided binomial tail at one half.
double chanceOfAtLeast(int picked, int rounds);

// The score so far, what it means, and the exit status it gives: 0 when all
// rounds were answered and guessing does that well in at most 5 % of tries,
// 1 otherwise (also after Escape before the end).
std::string blindScoreLines(const BlindTest& test);
int blindExitStatus(const BlindTest& test);

// What the front ends call, on `blindTest` and the viewer's state.
// --blind, once the full-screen split view is shown: the narrowest preset,
// no labels, each round's 8-bit half from the system's randomness, the first
// round's line. False, with an ERROR line, where no random source answers.
bool beginBlindTest();
// Left or Right while the test runs: the answer recorded, the next round's
// half shown and its line printed, or the score; true when the test is over
// (the front end then ends its loop).
bool pickBlindHalf(bool right);
// The exit status of a --blind run whose loop ended with `status`: a test
// ended early (Escape, a closed window, full screen lost) prints its score
// so far and gives 1; one that never began (no full screen) gives -1.
int finishBlindTest(int status);
