#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/blind_test.h"

namespace {

ScreenHalf otherHalf(ScreenHalf half) {
  return half == ScreenHalf::Left ? ScreenHalf::Right : ScreenHalf::Left;
}

// Answers every round, naming the 10-bit half in the first `right` rounds and
// the 8-bit half in the rest; returns the last line printed.
std::string answerRounds(BlindTest& test, int right) {
  std::string last;
  for (int round = 0; round < blindRoundCount; ++round) {
    const ScreenHalf eightBit = currentEightBitHalf(test);
    last = answerBlindRound(test, round < right ? otherHalf(eightBit) : eightBit);
  }
  return last;
}

TEST(BlindTestScore, ChanceIsTheExactOneSidedBinomialTail) {
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(10, 10), 1.0 / 1024);
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(9, 10), 11.0 / 1024);
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(8, 10), 56.0 / 1024);
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(0, 10), 1.0);
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(11, 10), 0.0);
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(1, 1), 0.5);
  EXPECT_DOUBLE_EQ(chanceOfAtLeast(3, 4), 5.0 / 16);
}

TEST(BlindTestScore, RoundsTakeEachHalfWithEvenOddsFromTheSource) {
  std::mt19937 source(20261208);  // repeatable in the test only
  const auto next = [&source] { return static_cast<std::uint32_t>(source()); };
  constexpr int tests = 2000;
  int leftPerRound[blindRoundCount] = {};
  int allSame = 0;
  for (int t = 0; t < tests; ++t) {
    BlindTest test;
    startBlindTest(test, next);
    int left = 0;
    for (int round = 0; round < blindRoundCount; ++round) {
      if (test.eightBitHalf[round] == ScreenHalf::Left) ++leftPerRound[round], ++left;
    }
    if (left == 0 || left == blindRoundCount) ++allSame;
  }
  for (int round = 0; round < blindRoundCount; ++round) {
    EXPECT_NEAR(leftPerRound[round], tests / 2, tests / 20) << "round " << round + 1;
  }
  // One test in 512 puts the 8-bit picture on the same half in every round.
  EXPECT_LT(allSame, tests / 100);
}

TEST(BlindTestScore, AnswersGiveTheRoundLinesTheScoreAndTheStatus) {
  std::uint32_t bits = 0x9e3779b9u;
  const auto next = [&bits] { return bits = bits * 1664525u + 1013904223u; };

  BlindTest test;
  startBlindTest(test, next);
  EXPECT_EQ(blindRoundLine(test), "Round 1 of 10: which half is smoother? Press Left or Right.\n");
  const std::string all = answerRounds(test, 10);
  EXPECT_EQ(all,
            "You picked the 10-bit half in 10 of 10 rounds. Guessing does at least that well in "
            "0.1 % of tries.\nYou can see the difference between 8 and 10 bits on this display "
            "chain.\n");
  EXPECT_EQ(blindExitStatus(test), 0);
  EXPECT_EQ(answerBlindRound(test, ScreenHalf::Left), "") << "no answer after the last round";

  startBlindTest(test, next);
  EXPECT_NE(answerRounds(test, 9).find("9 of 10 rounds. Guessing does at least that well in 1.1 %"),
            std::string::npos);
  EXPECT_EQ(blindExitStatus(test), 0);

  startBlindTest(test, next);
  const std::string eight = answerRounds(test, 8);
  EXPECT_NE(eight.find("8 of 10 rounds. Guessing does at least that well in 5.5 %"),
            std::string::npos);
  EXPECT_NE(eight.find("This test found no difference you can see: "), std::string::npos);
  EXPECT_EQ(blindExitStatus(test), 1);

  startBlindTest(test, next);
  EXPECT_NE(answerRounds(test, 0).find("0 of 10 rounds"), std::string::npos);
  EXPECT_EQ(blindExitStatus(test), 1);

  // Escape in round 2: the score so far, and status 1 however good it was.
  startBlindTest(test, next);
  EXPECT_EQ(answerBlindRound(test, otherHalf(currentEightBitHalf(test))),
            "Round 2 of 10: which half is smoother? Press Left or Right.\n");
  EXPECT_NE(blindScoreLines(test).find("1 of 1 rounds"), std::string::npos);
  EXPECT_EQ(blindExitStatus(test), 1);
}

}  // namespace
