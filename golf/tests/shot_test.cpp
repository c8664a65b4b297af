// The shot: the club table and its menu, the hit that stops on the pole, and what water, sand
// and a slope do to the ball.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "golf/tests/script.hpp"
#include "kit/testing/session.hpp"

namespace {

using golf_test::expect_whole_game;
using golf_test::first_pole;
using golf_test::first_pole_asked;
using golf_test::pole_screen;
using kit::testing::lines;
using kit::testing::readable;

const std::string kMenu = lines({"A. Hit the ball.", "B. Change club.", "C. Skip pole."});
const std::string kClubMenu =
    lines({"", "Club choices:", "A. W1", "B. W3", "C. I7", "D. SW", "E. Putter"});

std::string went(int yards) {
  return "It went " + std::to_string(yards) + (yards < 2 ? " yard away." : " yards away.");
}

// A 700-yard pole whose hazard reaches from 520 to 580 yards (the slope from 535).
const std::vector<int> kWaterPole = {440, 0, 20, 0};
const std::vector<int> kSandPole = {440, 1, 60, 20};
const std::vector<int> kSlopePole = {440, 2, 110, 35};

std::vector<int> with(std::vector<int> rolls, std::initializer_list<int> more) {
  rolls.insert(rolls.end(), more);
  return rolls;
}

struct Club {
  int key;
  char letter;
  std::string_view name;
  int base;
  int spread;
};

// From a normal lie, on 1160 yards with the water from 1000: the shortest and the longest hit.
TEST(Shot, ClubMenuAndNormalLie) {
  const Club clubs[] = {
      {'1', 'A', "1 Wood", 300, 300},    {'a', 'A', "1 Wood", 300, 300},
      {'b', 'B', "3 Wood", 250, 220},    {'C', 'C', "7 Iron", 150, 130},
      {'4', 'D', "Sand wedge", 50, 100}, {13, 'D', "Sand wedge", 50, 100},
      {'e', 'E', "Putter", 1, 30},       {'X', 'A', "1 Wood", 300, 300},
      {'Z', 'C', "7 Iron", 150, 130},
  };
  for (const Club& club : clubs) {
    const std::string keys = "B" + std::string(1, static_cast<char>(club.key)) + "AAC";
    const auto t = first_pole(keys, {900, 0, 0, 0, 0, club.spread});
    expect_whole_game(t);
    EXPECT_EQ(t.asked, first_pole_asked({900, 2, 60, 30, club.spread, club.spread}));
    const std::string letter(1, club.letter);
    const int left = 1160 - club.base;
    const std::string expected =
        lines({"B"}) + kClubMenu + lines({letter, std::string(club.name) + " was chosen.", ""}) +
        lines({"1160 yards left.", "There is water 1000 yards away."}) + kMenu +
        lines({"A", "You hit the ball.", went(club.base), std::to_string(left) + " yards left.",
               "There is water " + std::to_string(1000 - club.base) + " yards away."}) +
        kMenu + lines({"A", "You hit the ball.", went(club.base + club.spread)});
    EXPECT_NE(pole_screen(t.screen, 1).find(expected), std::string::npos)
        << "key " << club.key << "\n"
        << readable(t.screen);
  }
}

// A ball on the sand at 550; the club changed after the landing draws from its sand-lie column.
TEST(Shot, SandLieUsesTheClubChosenAfterLanding) {
  const Club clubs[] = {
      {'a', 'A', "1 Wood", 10, 10},      {'b', 'B', "3 Wood", 5, 15}, {'c', 'C', "7 Iron", 15, 25},
      {'d', 'D', "Sand wedge", 60, 100}, {'e', 'E', "Putter", 1, 5},
  };
  for (const Club& club : clubs) {
    const std::string keys = "AB" + std::string(1, static_cast<char>(club.key)) + "AC";
    const auto t = first_pole(keys, with(kSandPole, {250, 0}));
    expect_whole_game(t);
    EXPECT_EQ(t.asked, first_pole_asked({900, 2, 120, 30, 300, club.spread}));
    const std::string expected =
        lines({"It went 550 yards away.", "Your ball is on the sand.", "150 yards left."}) + kMenu +
        lines({"B"}) + kClubMenu +
        lines({std::string(1, club.letter), std::string(club.name) + " was chosen.", "",
               "150 yards left."}) +
        kMenu + lines({"A", "You hit the ball.", went(club.base)});
    EXPECT_NE(pole_screen(t.screen, 1).find(expected), std::string::npos) << club.name << "\n"
                                                                          << readable(t.screen);
  }
}

// From the sand the 1 Wood goes 10 to 20; landing in the sand again sets the lie again, and the
// first hit out of it is a normal one again.
TEST(Shot, SandLieLastsOneHit) {
  const auto t = first_pole("AAAAA", with(kSandPole, {250, 10, 0, 10, 0}));
  expect_whole_game(t);
  EXPECT_EQ(t.asked, first_pole_asked({900, 2, 120, 30, 300, 10, 10, 10, 300}));
  EXPECT_EQ(
      pole_screen(t.screen, 1),
      lines({"Pole 1.", "700 yards left.", "There is sand 520 yards away."}) + kMenu +
          lines({"A", "You hit the ball.", "It went 550 yards away.", "Your ball is on the sand.",
                 "150 yards left."}) +
          kMenu +
          lines({"A", "You hit the ball.", "It went 20 yards away.", "Your ball is on the sand.",
                 "130 yards left."}) +
          kMenu +
          lines({"A", "You hit the ball.", "It went 10 yards away.", "Your ball is on the sand.",
                 "120 yards left."}) +
          kMenu + lines({"A", "You hit the ball.", "It went 20 yards away.", "100 yards left."}) +
          kMenu +
          lines({"A", "You hit the ball.", "It went 100 yards away.", "Woo hoo! To the next pole.",
                 "", "Score on that pole: 5.", "Total score: 5.", ""}));
}

// One hit with the 1 Wood on each edge of each hazard and one yard outside it.
TEST(Shot, HazardEdges) {
  const std::string water = lines({"The ball goes in the water.", "1 hit added to your score.",
                                   "A new ball is landed next to the lake."});
  const std::string sand = lines({"Your ball is on the sand."});
  const std::string slope = lines({"The ball lands on a slope.", "And rolls all the way down."});
  struct Row {
    const std::vector<int>& pole;
    int landing;
    std::string after;  // what follows the length of the hit, up to the stroke menu
    int score;
  };
  const Row rows[] = {
      {kWaterPole, 519, lines({"181 yards left.", "There is water 1 yard away."}), 1},
      {kWaterPole, 520, water + lines({"184 yards left.", "There is water 4 yards away."}), 2},
      {kWaterPole, 580, water + lines({"184 yards left.", "There is water 4 yards away."}), 2},
      {kWaterPole, 581, lines({"119 yards left."}), 1},
      {kSandPole, 519, lines({"181 yards left.", "There is sand 1 yard away."}), 1},
      {kSandPole, 520, sand + lines({"180 yards left."}), 1},
      {kSandPole, 580, sand + lines({"120 yards left."}), 1},
      {kSandPole, 581, lines({"119 yards left."}), 1},
      {kSlopePole, 534, lines({"166 yards left.", "There is a slope 1 yard away."}), 1},
      {kSlopePole, 535, slope + lines({"166 yards left.", "There is a slope 1 yard away."}), 1},
      {kSlopePole, 580, slope + lines({"166 yards left.", "There is a slope 1 yard away."}), 1},
      {kSlopePole, 581, lines({"119 yards left."}), 1},
  };
  for (const Row& row : rows) {
    const auto t = first_pole("AC", with(row.pole, {row.landing - 300}));
    expect_whole_game(t);
    const std::string expected = lines({"A", "You hit the ball.", went(row.landing)}) + row.after +
                                 kMenu +
                                 lines({"C", "To the next pole.", "",
                                        "Score on that pole: " + std::to_string(row.score) + "."});
    EXPECT_NE(pole_screen(t.screen, 1).find(expected), std::string::npos)
        << "kind " << row.pole[1] << " landing " << row.landing << "\n"
        << readable(pole_screen(t.screen, 1));
  }
}

TEST(Shot, WaterAddsAPenaltyStroke) {
  const auto t = first_pole("AA", with(kWaterPole, {250, 300}));
  expect_whole_game(t);
  EXPECT_EQ(t.asked, first_pole_asked({900, 2, 60, 30, 300, 300}));
  EXPECT_EQ(
      pole_screen(t.screen, 1),
      lines({"Pole 1.", "700 yards left.", "There is water 520 yards away."}) + kMenu +
          lines({"A", "You hit the ball.", "It went 550 yards away.", "The ball goes in the water.",
                 "1 hit added to your score.", "A new ball is landed next to the lake.",
                 "184 yards left.", "There is water 4 yards away."}) +
          kMenu +
          lines({"A", "You hit the ball.", "It went 184 yards away.", "Woo hoo! To the next pole.",
                 "", "Score on that pole: 3.", "Total score: 3.", ""}));
}

// Water of the shortest extent, 60 yards: from 4 yards short of it every putt of 4 yards or more
// lands in it again.
TEST(Shot, PutterCannotCrossWater) {
  for (int putt = 1; putt <= 31; ++putt) {
    const auto t = first_pole("ABEAC", with(kWaterPole, {250, putt - 1}));
    expect_whole_game(t);
    const bool wet = putt >= 4;
    const std::string expected =
        lines({"A", "You hit the ball.", went(putt)}) +
        (wet ? lines({"The ball goes in the water.", "1 hit added to your score.",
                      "A new ball is landed next to the lake.", "184 yards left.",
                      "There is water 4 yards away."})
             : lines({std::to_string(184 - putt) + " yards left.",
                      "There is water " + std::to_string(4 - putt) +
                          (putt == 3 ? " yard away." : " yards away.")})) +
        kMenu +
        lines({"C", "To the next pole.", "",
               "Score on that pole: " + std::to_string(wet ? 4 : 3) + "."});
    EXPECT_NE(pole_screen(t.screen, 1).find(expected), std::string::npos)
        << "putt " << putt << "\n"
        << readable(pole_screen(t.screen, 1));
  }
}

}  // namespace
