// The course: poles one after the other, the screen before every stroke, the stroke menu, the
// pole end with its scores and the end of the game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "golf/golf.hpp"
#include "golf/tests/script.hpp"
#include "kit/testing/session.hpp"

namespace {

using golf_test::expect_whole_game;
using golf_test::first_pole;
using golf_test::first_pole_asked;
using golf_test::pole_screen;
using kit::testing::lines;
using kit::testing::readable;

constexpr std::string_view kMenuA = "A. Hit the ball.";
constexpr std::string_view kMenuB = "B. Change club.";
constexpr std::string_view kMenuC = "C. Skip pole.";

// The spreads of the club table, normal and sand-lie columns.
constexpr int kHitSpreads[] = {300, 220, 130, 100, 30, 10, 15, 25, 5};

std::string skipped_pole(int n, std::int64_t total) {
  return lines({"Pole " + std::to_string(n) + ".", "260 yards left.",
                "There is water 100 yards away.", kMenuA, kMenuB, kMenuC, "C", "To the next pole.",
                "", "Score on that pole: 0.", "Total score: " + std::to_string(total) + ".", ""});
}

// 412 yards, sand from 235 to 300; the 1 Wood goes 310, the sand wedge would go 150 and stops on
// the pole.
TEST(Course, SamplePole) {
  const auto t = first_pole("ABDA", {152, 1, 52, 25, 10, 100});
  expect_whole_game(t);
  EXPECT_EQ(t.asked, first_pole_asked({900, 2, 120, 30, 300, 100}));
  EXPECT_TRUE(t.screen.starts_with("GOLF.\r\n"));
  const std::size_t credit_end = t.screen.find("\r\n", 7);
  EXPECT_GT(credit_end, 7U) << "a credit line under the title";
  EXPECT_EQ(t.screen.substr(credit_end, 13), "\r\n\r\nPole 1.\r\n");
  EXPECT_EQ(pole_screen(t.screen, 1) + "Pole 2.\r\n", lines({"Pole 1.",
                                                             "412 yards left.",
                                                             "There is sand 235 yards away.",
                                                             "A. Hit the ball.",
                                                             "B. Change club.",
                                                             "C. Skip pole.",
                                                             "A",
                                                             "You hit the ball.",
                                                             "It went 310 yards away.",
                                                             "102 yards left.",
                                                             "A. Hit the ball.",
                                                             "B. Change club.",
                                                             "C. Skip pole.",
                                                             "B",
                                                             "",
                                                             "Club choices:",
                                                             "A. W1",
                                                             "B. W3",
                                                             "C. I7",
                                                             "D. SW",
                                                             "E. Putter",
                                                             "D",
                                                             "Sand wedge was chosen.",
                                                             "",
                                                             "102 yards left.",
                                                             "A. Hit the ball.",
                                                             "B. Change club.",
                                                             "C. Skip pole.",
                                                             "A",
                                                             "You hit the ball.",
                                                             "It went 102 yards away.",
                                                             "Woo hoo! To the next pole.",
                                                             "",
                                                             "Score on that pole: 2.",
                                                             "Total score: 2.",
                                                             "",
                                                             "Pole 2."}));
  EXPECT_TRUE(t.screen.ends_with(
      lines({"Score on that pole: 0.", "Total score: 2.", "", "Hit a key to end the game."})))
      << readable(t.screen);
}

TEST(Course, SkippingEveryPoleScoresNothing) {
  const auto t = first_pole("C", {0, 0, 0, 0});
  expect_whole_game(t);
  EXPECT_EQ(t.keys_used, 19U);
  EXPECT_EQ(t.asked, first_pole_asked({900, 2, 60, 30}));
  const std::size_t first = t.screen.find("Pole 1.");
  ASSERT_NE(first, std::string::npos);
  std::string expected;
  for (int n = 1; n <= 18; ++n) expected += skipped_pole(n, 0);
  expected += lines({"Hit a key to end the game."});
  EXPECT_EQ(t.screen.substr(first), expected);
}

// Poles 17 and 18 holed with one 1 Wood each, whose 300 yards stop on the 260-yard pole.
TEST(Course, HolingTheLastPoleGoesToTheBeach) {
  std::string keys(16, 'C');
  keys += "AA ";
  std::vector<int> rolls;
  for (int pole = 1; pole <= 16; ++pole) rolls.insert(rolls.end(), {0, 0, 0, 0});
  rolls.insert(rolls.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  const auto t = kit::testing::play_scripted(golf::play, keys, rolls);
  expect_whole_game(t);
  EXPECT_EQ(pole_screen(t.screen, 16), skipped_pole(16, 0));
  EXPECT_EQ(t.screen.substr(t.screen.find("Pole 17.")), lines({"Pole 17.",
                                                               "260 yards left.",
                                                               "There is water 100 yards away.",
                                                               kMenuA,
                                                               kMenuB,
                                                               kMenuC,
                                                               "A",
                                                               "You hit the ball.",
                                                               "It went 260 yards away.",
                                                               "Woo hoo! To the next pole.",
                                                               "",
                                                               "Score on that pole: 1.",
                                                               "Total score: 1.",
                                                               "",
                                                               "Pole 18.",
                                                               "260 yards left.",
                                                               "There is water 100 yards away.",
                                                               kMenuA,
                                                               kMenuB,
                                                               kMenuC,
                                                               "A",
                                                               "You hit the ball.",
                                                               "It went 260 yards away.",
                                                               "Woo hoo! To the beach.",
                                                               "",
                                                               "Score on that pole: 1.",
                                                               "Total score: 2.",
                                                               "",
                                                               "Hit a key to end the game."}));
}

// The stroke menu reads keys as typed: a capital that names no option maps by its own code.
TEST(Course, StrokeMenuKeys) {
  struct Row {
    int key;
    char letter;
  };
  const Row rows[] = {
      {'1', 'A'}, {'a', 'A'}, {'A', 'A'}, {'2', 'B'}, {'b', 'B'}, {'B', 'B'},
      {'3', 'C'}, {'c', 'C'}, {'C', 'C'}, {'X', 'B'}, {'x', 'A'}, {'Z', 'A'},
      {' ', 'C'}, {13, 'B'},  {0, 'A'},   {27, 'A'},  {'4', 'B'}, {'D', 'C'},
  };
  for (const Row& row : rows) {
    std::string keys(1, static_cast<char>(row.key));
    std::vector<int> rolls = {0, 0, 0, 0};
    std::string follows;
    if (row.letter == 'A') {
      rolls.push_back(0);
      follows =
          lines({"You hit the ball.", "It went 260 yards away.", "Woo hoo! To the next pole."});
    } else if (row.letter == 'B') {
      keys += "eC";
      follows = lines({"", "Club choices:"});
    } else {
      follows = lines({"To the next pole.", ""});
    }
    const auto t = first_pole(keys, rolls);
    expect_whole_game(t);
    const std::string pole = pole_screen(t.screen, 1);
    const std::string echo = lines({kMenuC, std::string(1, row.letter)}) + follows;
    EXPECT_NE(pole.find(echo), std::string::npos) << "key " << row.key << "\n" << readable(pole);
  }
}

// A slope from 150 to 160 on a 260-yard pole; every distance line passes 2 and 1.
TEST(Course, OneYardIsSingular) {
  const auto t = first_pole("BEABDABEAABDABEAA", {0, 2, 90, 0, 1, 96, 0, 0, 59, 0, 30});
  expect_whole_game(t);
  EXPECT_EQ(t.asked, first_pole_asked({900, 2, 170, 35, 30, 100, 30, 30, 100, 30, 30}));
  const std::string menu = lines({kMenuA, kMenuB, kMenuC});
  std::string want = lines({"Pole 1.", "260 yards left.", "There is a slope 150 yards away."});
  want += menu + lines({"B", "", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter",
                        "E", "Putter was chosen.", ""});
  want += lines({"260 yards left.", "There is a slope 150 yards away."}) + menu;
  want += lines({"A", "You hit the ball.", "It went 2 yards away."});
  want += lines({"258 yards left.", "There is a slope 148 yards away."}) + menu;
  want += lines({"B", "", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter", "D",
                 "Sand wedge was chosen.", ""});
  want += lines({"258 yards left.", "There is a slope 148 yards away."}) + menu;
  want += lines({"A", "You hit the ball.", "It went 146 yards away."});
  want += lines({"112 yards left.", "There is a slope 2 yards away."}) + menu;
  want += lines({"B", "", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter", "E",
                 "Putter was chosen.", ""});
  want += lines({"112 yards left.", "There is a slope 2 yards away."}) + menu;
  want += lines({"A", "You hit the ball.", "It went 1 yard away."});
  want += lines({"111 yards left.", "There is a slope 1 yard away."}) + menu;
  want += lines({"A", "You hit the ball.", "It went 1 yard away.", "The ball lands on a slope.",
                 "And rolls all the way down."});
  want += lines({"111 yards left.", "There is a slope 1 yard away."}) + menu;
  want += lines({"B", "", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter", "D",
                 "Sand wedge was chosen.", ""});
  want += lines({"111 yards left.", "There is a slope 1 yard away."}) + menu;
  want += lines({"A", "You hit the ball.", "It went 109 yards away.", "2 yards left."}) + menu;
  want += lines({"B", "", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter", "E",
                 "Putter was chosen.", ""});
  want += lines({"2 yards left."}) + menu;
  want += lines({"A", "You hit the ball.", "It went 1 yard away.", "1 yard left."}) + menu;
  // The putter's 31 yards stop on the pole.
  want += lines({"A", "You hit the ball.", "It went 1 yard away.", "Woo hoo! To the next pole.", "",
                 "Score on that pole: 7.", "Total score: 7.", ""});
  EXPECT_EQ(pole_screen(t.screen, 1), want) << readable(t.screen);
}

// Club changes cost nothing; every pole starts again with the 1 Wood from a normal lie.
TEST(Course, NewPoleStartsWithTheWoodOutOfTheSand) {
  // Pole 1: the putter, one putt, skip. Pole 2: the 1 Wood lands in the sand (520 to 580 of
  // 700), the putter chosen, skip. Pole 3: the first hit holes it.
  const std::string keys = "BEACABECA" + std::string(15, 'C') + " ";
  std::vector<int> rolls = {0, 0, 0, 0, 0, 440, 1, 60, 20, 250, 0, 0, 0, 0, 0};
  for (int pole = 4; pole <= 18; ++pole) rolls.insert(rolls.end(), {0, 0, 0, 0});
  const auto t = kit::testing::play_scripted(golf::play, keys, rolls);
  expect_whole_game(t);
  std::vector<int> asked = {900, 2, 60, 30, 30, 900, 2, 120, 30, 300, 900, 2, 60, 30, 300};
  for (int pole = 4; pole <= 18; ++pole) asked.insert(asked.end(), {900, 2, 60, 30});
  EXPECT_EQ(t.asked, asked);
  EXPECT_NE(pole_screen(t.screen, 1).find("Score on that pole: 1."), std::string::npos);
  EXPECT_NE(
      pole_screen(t.screen, 2)
          .find(lines({"It went 550 yards away.", "Your ball is on the sand.", "150 yards left."})),
      std::string::npos);
  EXPECT_TRUE(t.screen.ends_with(lines({"Total score: 3.", "", "Hit a key to end the game."})));
}

// A player who putts into the water without end: the strokes pass what 16 bits hold and every
// score stays right.
TEST(Course, StrokesBeyondSixteenBits) {
  constexpr int kPutts = 16400;
  std::string keys = "ABE";
  keys.append(kPutts, 'A');
  keys += "C";
  // 700 yards, water from 520 to 580: the 1 Wood lands at 550, every 10-yard putt from 516 in it.
  std::vector<int> rolls = {440, 0, 20, 0, 250};
  rolls.insert(rolls.end(), kPutts, 9);
  const auto t = first_pole(keys, rolls);
  expect_whole_game(t);
  const std::int64_t strokes = 2 + std::int64_t{2} * kPutts;  // 32802
  const std::string score = std::to_string(strokes);
  EXPECT_TRUE(pole_screen(t.screen, 1)
                  .ends_with(lines({"It went 10 yards away.", "The ball goes in the water.",
                                    "1 hit added to your score.",
                                    "A new ball is landed next to the lake.", "184 yards left.",
                                    "There is water 4 yards away.", kMenuA, kMenuB, kMenuC, "C",
                                    "To the next pole.", "", "Score on that pole: " + score + ".",
                                    "Total score: " + score + ".", ""})));
  EXPECT_TRUE(t.screen.ends_with(lines({"Score on that pole: 0.", "Total score: " + score + ".", "",
                                        "Hit a key to end the game."})));
}

// Whole games on a seed and a stream of keys of every kind.
TEST(Course, SeededGamesPlayEighteenPolesAndAddUp) {
  for (const std::uint32_t seed : {1U, 7U, 42U, 2026U, 4294967295U}) {
    std::string keys;
    std::uint32_t state = seed;
    for (int i = 0; i < 3000; ++i) {
      state = state * 1664525U + 1013904223U;
      keys.push_back(static_cast<char>(state >> 24U));
    }
    const auto t = kit::testing::play_seeded(golf::play, keys, seed);
    expect_whole_game(t);
    EXPECT_EQ(kit::testing::play_seeded(golf::play, keys, seed).screen, t.screen);

    std::int64_t sum = 0;
    std::size_t roll = 0;
    for (int n = 1; n <= 18; ++n) {
      const std::string pole = pole_screen(t.screen, n);
      ASSERT_FALSE(pole.empty()) << "seed " << seed << " pole " << n;
      const std::size_t second_line = pole.find("\r\n") + 2;
      const std::size_t hazard_line = pole.find("\r\n", second_line) + 2;
      EXPECT_EQ(pole.substr(hazard_line, 9), "There is ") << "seed " << seed << " pole " << n;

      std::int64_t hits = 0;
      std::int64_t water = 0;
      for (std::size_t at = pole.find("You hit the ball."); at != std::string::npos;
           at = pole.find("You hit the ball.", at + 1))
        ++hits;
      for (std::size_t at = pole.find("The ball goes in the water."); at != std::string::npos;
           at = pole.find("The ball goes in the water.", at + 1))
        ++water;
      const std::size_t score_at = pole.find("Score on that pole: ");
      ASSERT_NE(score_at, std::string::npos);
      const std::int64_t score = std::stoll(pole.substr(score_at + 20));
      EXPECT_EQ(score, hits + water) << "seed " << seed << " pole " << n;
      sum += score;
      const std::size_t total_at = pole.find("Total score: ");
      EXPECT_EQ(std::stoll(pole.substr(total_at + 13)), sum) << "seed " << seed << " pole " << n;

      // Four set-up rolls, then one roll per hit from a column of the club table.
      ASSERT_LE(roll + 4 + static_cast<std::size_t>(hits), t.asked.size());
      EXPECT_EQ(t.asked[roll], 900);
      EXPECT_EQ(t.asked[roll + 1], 2);
      const std::vector<int> edges = {t.asked[roll + 2], t.asked[roll + 3]};
      EXPECT_TRUE(edges == std::vector<int>({60, 30}) || edges == std::vector<int>({120, 30}) ||
                  edges == std::vector<int>({170, 35}));
      for (std::int64_t h = 0; h < hits; ++h) {
        const int k = t.asked[roll + 4 + static_cast<std::size_t>(h)];
        EXPECT_NE(std::find(std::begin(kHitSpreads), std::end(kHitSpreads), k),
                  std::end(kHitSpreads))
            << "seed " << seed << " pole " << n << " k " << k;
      }
      roll += 4 + static_cast<std::size_t>(hits);
    }
    EXPECT_EQ(roll, t.asked.size());
    EXPECT_TRUE(t.screen.ends_with(
        lines({"Total score: " + std::to_string(sum) + ".", "", "Hit a key to end the game."})));
  }
}

}  // namespace
