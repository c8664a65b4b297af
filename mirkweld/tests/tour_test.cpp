// The tour: places, exploring and passing, life, money and item finds, the two endings.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mirkweld/tests/script.hpp"

namespace {

using kit::testing::lines;
using kit::testing::readable;
using mirkweld_test::arrival;
using mirkweld_test::fight_menu;
using mirkweld_test::kBridge;
using mirkweld_test::kDanceFloor;
using mirkweld_test::kDock;
using mirkweld_test::kPark;
using mirkweld_test::kPlaceLines;
using mirkweld_test::kTown;
using mirkweld_test::Script;
using mirkweld_test::tail;
using mirkweld_test::title;

TEST(Tour, OpensWithTheTitleAndWaitsAtThePlaceMenu) {
  for (int place = kBridge; place <= kDanceFloor; ++place) {
    const auto t = Script{}.arrive(place).run();
    EXPECT_EQ(t.screen,
              lines({"MIRKWELD RPG 2.", "", kPlaceLines[place], "A. Explore.", "B. Pass."}))
        << readable(t.screen);
    EXPECT_EQ(t.asked, (std::vector<int>{4}));
    EXPECT_EQ(t.keys_used, 0U);
    EXPECT_FALSE(t.finished);
    EXPECT_EQ(t.error, "");
  }
}

TEST(Tour, PassingWritesOnlyTheEchoAndDrawsNoExploreRoll) {
  Script s;
  s.arrive(kTown).key('b').arrive(kPark).key('2').arrive(kDock).key('\r').arrive(kDanceFloor);
  s.key('B').arrive(kBridge);
  const auto t = s.run();
  EXPECT_EQ(t.screen, title() + arrival(kTown) + lines({"B"}) + arrival(kPark) + lines({"B"}) +
                          arrival(kDock) + lines({"B"}) + arrival(kDanceFloor) + lines({"B"}) +
                          arrival(kBridge))
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_EQ(t.error, "");
}

TEST(Tour, ExploringWithoutAFindSaysNoNews) {
  struct Row {
    int place;
    int outcome;
  };
  const Row rows[] = {
      {kBridge, 0}, {kBridge, 3},     {kBridge, 9},     {kDock, 0}, {kDock, 4},
      {kDock, 9},   {kTown, 3},       {kTown, 8},       {kPark, 0}, {kPark, 5},
      {kPark, 9},   {kDanceFloor, 0}, {kDanceFloor, 3},
  };
  for (const Row& row : rows) {
    Script s;
    s.arrive(row.place).key('1').roll(row.place == kDanceFloor ? 3 : 9, row.outcome);
    s.arrive(kTown);
    const auto t = s.run();
    EXPECT_EQ(t.screen, title() + arrival(row.place) + lines({"A", "No news."}) + arrival(kTown))
        << row.place << " " << row.outcome << "\n"
        << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks);
    EXPECT_EQ(t.error, "");
  }
}

TEST(Tour, MoneyFindsAreTwoMoreThanTheirRoll) {
  struct Row {
    int place;
    int outcome;
    int k;
    int roll;
    std::string_view line;
  };
  const Row rows[] = {
      {kTown, 2, 20, 0, "You get 2 dollars!"},      {kTown, 2, 20, 20, "You get 22 dollars!"},
      {kTown, 2, 20, 10, "You get 12 dollars!"},    {kPark, 4, 5, 0, "You get 2 dollars!"},
      {kPark, 4, 5, 5, "You get 7 dollars!"},       {kDanceFloor, 2, 5, 3, "You get 5 dollars!"},
      {kDanceFloor, 2, 5, 5, "You get 7 dollars!"},
  };
  for (const Row& row : rows) {
    Script s;
    s.explore(row.place, row.outcome).roll(row.k, row.roll).arrive(kBridge);
    const auto t = s.run();
    EXPECT_EQ(t.screen, title() + arrival(row.place) + lines({"A", row.line}) + arrival(kBridge))
        << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks);
    EXPECT_EQ(t.error, "");
  }
}

// Money to 110 in five town finds of 22.
Script five_town_finds(std::string& screen) {
  Script s;
  screen = title();
  for (int n = 0; n < 5; ++n) {
    s.explore(kTown, 2).roll(20, 20);
    screen += arrival(kTown) + lines({"A", "You get 22 dollars!"});
  }
  return s;
}

TEST(Tour, MoneyAt119StillFindsAndCanPass120) {
  std::string expected;
  Script s = five_town_finds(expected);
  s.explore(kTown, 2).roll(20, 7);
  expected += arrival(kTown) + lines({"A", "You get 9 dollars!"});
  s.explore(kTown, 2).roll(20, 20);
  expected += arrival(kTown) + lines({"A", "You get 22 dollars!"});
  s.explore(kBridge, 2).roll(2, 0).explore(kBridge, 2).roll(2, 0).key('x');
  expected += arrival(kBridge) + lines({"A", "You get a fabulous flute!"}) + arrival(kBridge) +
              lines({"A", "You get a cinnamon cigar!", "You win.", "", "Final score: 641.", "",
                     "Hit a key to exit."});
  const auto t = s.run();
  EXPECT_EQ(t.screen, expected) << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.error, "");
}

TEST(Tour, MoneyAt120SilencesTheFindsReservedForThePoor) {
  std::string expected;
  Script s = five_town_finds(expected);
  s.explore(kTown, 2).roll(20, 8);
  expected += arrival(kTown) + lines({"A", "You get 10 dollars!"});
  // Each of these writes nothing after the echo, not even "No news.", and rolls nothing more.
  for (const int place : {kTown, kDock, kPark, kDanceFloor}) {
    s.explore(place, 2);
    expected += arrival(place) + lines({"A"});
  }
  s.explore(kPark, 4);
  expected += arrival(kPark) + lines({"A"});
  s.explore(kPark, 5);
  expected += arrival(kPark) + lines({"A", "No news."});
  // The bridge's item is found whatever the money.
  s.explore(kBridge, 2).roll(2, 2).explore(kBridge, 2).roll(2, 2).key('x');
  expected += arrival(kBridge) + lines({"A", "You get a telephone trap!"}) + arrival(kBridge) +
              lines({"A", "You get a fabulous flute!", "You win.", "", "Final score: 620.", "",
                     "Hit a key to exit."});
  const auto t = s.run();
  EXPECT_EQ(t.screen, expected) << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.error, "");
}

TEST(Tour, TheSecondItemAlwaysDiffersFromTheFirst) {
  struct Find {
    int place;
    int roll;
    std::string_view name;
  };
  struct Row {
    Find first;
    Find second;
  };
  const Row rows[] = {
      {{kBridge, 0, "fabulous flute"}, {kBridge, 0, "cinnamon cigar"}},
      {{kDock, 1, "cinnamon cigar"}, {kPark, 1, "telephone trap"}},
      {{kPark, 2, "telephone trap"}, {kBridge, 2, "fabulous flute"}},
      {{kBridge, 0, "fabulous flute"}, {kDock, 2, "telephone trap"}},
      {{kBridge, 1, "cinnamon cigar"}, {kBridge, 0, "fabulous flute"}},
      {{kDock, 2, "telephone trap"}, {kBridge, 1, "cinnamon cigar"}},
  };
  for (const Row& row : rows) {
    Script s;
    s.explore(row.first.place, 2).roll(2, row.first.roll);
    s.explore(row.second.place, 2).roll(2, row.second.roll).key('x');
    const auto t = s.run();
    const std::string item_one = "You get a " + std::string(row.first.name) + "!";
    const std::string item_two = "You get a " + std::string(row.second.name) + "!";
    EXPECT_EQ(
        t.screen,
        title() + arrival(row.first.place) + lines({"A", item_one}) + arrival(row.second.place) +
            lines({"A", item_two, "You win.", "", "Final score: 500.", "", "Hit a key to exit."}))
        << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks);
    EXPECT_TRUE(t.finished);
    EXPECT_EQ(t.keys_used, 3U);
    EXPECT_EQ(t.error, "");
  }
}

TEST(Tour, AWonGameScores500PlusBonusPlusMoney) {
  Script s;
  s.explore(kBridge, 2).roll(2, 1);
  s.explore(kTown, 2).roll(20, 20).explore(kTown, 2).roll(20, 13);
  s.explore(kDock, 1);
  for (int n = 0; n < 3; ++n) {
    s.try_item(2, 1);
  }
  s.hit(0, 0);
  s.explore(kBridge, 2).roll(2, 1).key(' ');
  const std::string calmed = fight_menu() + lines({"B", "A. cinnamon cigar", "B. none.", "A",
                                                   "The Babof smokes that cigar."});
  const auto t = s.run();
  EXPECT_EQ(
      t.screen,
      title() + arrival(kBridge) + lines({"A", "You get a cinnamon cigar!"}) + arrival(kTown) +
          lines({"A", "You get 22 dollars!"}) + arrival(kTown) +
          lines({"A", "You get 15 dollars!"}) + arrival(kDock) +
          lines({"A", "You are assaulted by a Babof!"}) + calmed + calmed + calmed + fight_menu() +
          lines({"A", "11 hits.", "The Babof jumps on you!", "3 hits.", "The Babof is k.o."}) +
          arrival(kBridge) +
          lines({"A", "You get a telephone trap!", "You win.", "", "Final score: 543.", "",
                 "Hit a key to exit."}))
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.keys_used, s.keys.size());
  EXPECT_EQ(t.error, "");
}

TEST(Tour, AKnockOutScoresMoneyAndBonusWithoutTheWin) {
  Script s;
  s.explore(kTown, 2).roll(20, 10).explore(kDock, 1);
  s.key('c').blow(5).key('3').blow(0).key('x');
  const auto t = s.run();
  EXPECT_EQ(t.screen, title() + arrival(kTown) + lines({"A", "You get 12 dollars!"}) +
                          arrival(kDock) + lines({"A", "You are assaulted by a Babof!"}) +
                          fight_menu() + lines({"C", "The Babof jumps on you!", "8 hits."}) +
                          fight_menu() +
                          lines({"C", "The Babof jumps on you!", "3 hits.", "You are k.o.", "",
                                 "Final score: 12.", "", "Hit a key to exit."}))
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.error, "");
}

// The player's life shows in the one Yululup blow that knocks the player out: a blow of exactly
// the life does, a blow of one less does not.
TEST(Tour, ExploringRestoresLifeUpToTheMaximum) {
  struct Row {
    const char* what;
    Script before;  // ends with exploring into a Yululup
    int life;
  };
  const Row rows[] = {
      {"the dance floor adds 1", Script{}.explore(kDanceFloor, 1), 10},
      {"the bridge adds 2", Script{}.explore(kBridge, 1), 11},
      {"the park stops at 11, not 15", Script{}.explore(kPark, 3), 11},
      {"the dance floor at 10 gives 11", Script{}.explore(kDanceFloor, 0).explore(kDanceFloor, 1),
       11},
      {"the dance floor at 11 stays at 11",
       Script{}.explore(kDanceFloor, 0).explore(kDanceFloor, 0).explore(kDanceFloor, 1), 11},
      {"passing in town adds nothing", Script{}.pass(kTown).explore(kDanceFloor, 1), 10},
      {"a fight's loss is restored by exploring later",
       Script{}.explore(kDock, 1).hit(0, 5).explore(kTown, 0).explore(kDanceFloor, 1), 9},
  };
  for (const Row& row : rows) {
    const std::string fatal = std::to_string(row.life) + " hits.";
    const std::string scratch = std::to_string(row.life - 1) + " hits.";

    Script lost = row.before;
    lost.hit(0, row.life - 8).key('x');
    const auto t = lost.run();
    const std::string lost_end =
        lines({"A", "10 hits.", "The Yululup jumps on you!", fatal, "The Yululup is k.o.",
               "You are k.o.", "", "Final score: 0.", "", "Hit a key to exit."});
    EXPECT_EQ(tail(t.screen, lost_end), lost_end) << row.what << "\n" << readable(t.screen);
    EXPECT_EQ(t.asked, lost.ks) << row.what;
    EXPECT_TRUE(t.finished) << row.what;
    EXPECT_EQ(t.error, "") << row.what;

    Script survived = row.before;
    survived.hit(0, row.life - 9).arrive(kBridge);
    const auto u = survived.run();
    const std::string survived_end =
        lines({"A", "10 hits.", "The Yululup jumps on you!", scratch, "The Yululup is k.o."}) +
        arrival(kBridge);
    EXPECT_EQ(tail(u.screen, survived_end), survived_end) << row.what << "\n" << readable(u.screen);
    EXPECT_EQ(u.asked, survived.ks) << row.what;
    EXPECT_EQ(u.error, "") << row.what;
  }
}

// A whole game on a seed: it comes to its end, and its last key is the frame's, not the game's.
TEST(Tour, ASeededGameEndsAndLeavesTheLastKeyToTheFrame) {
  for (const std::uint32_t seed : {1234U, 1U, 20261211U}) {
    const std::string keys(400, 'a');
    const auto t = kit::testing::play_seeded(mirkweld::play, keys, seed);
    ASSERT_TRUE(t.finished) << seed;
    EXPECT_EQ(t.error, "");
    EXPECT_TRUE(t.screen.starts_with(lines({"MIRKWELD RPG 2.", ""})));
    EXPECT_TRUE(t.screen.ends_with(lines({"", "Hit a key to exit."}))) << readable(t.screen);

    const auto short_one = kit::testing::play_seeded(
        mirkweld::play, std::string_view(keys).substr(0, t.keys_used - 1), seed);
    EXPECT_FALSE(short_one.finished) << seed;
    EXPECT_EQ(short_one.screen, t.screen) << seed;
  }
}

}  // namespace
