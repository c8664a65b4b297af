// The fights: rounds, blows, the item menu and the items, the knock-outs.
#include <gtest/gtest.h>

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
using mirkweld_test::kDock;
using mirkweld_test::kPark;
using mirkweld_test::kTown;
using mirkweld_test::Script;
using mirkweld_test::title;

std::string met(int place, std::string_view creature) {
  return title() + arrival(place) +
         lines({"A", "You are assaulted by a " + std::string(creature) + "!"}) + fight_menu();
}

const std::string kLostWithNothing = lines({"", "Final score: 0.", "", "Hit a key to exit."});

TEST(Encounter, TheCreatureStrikesEvenInTheRoundItIsKnockedOut) {
  Script s;
  s.explore(kBridge, 1).hit(2, 0).arrive(kTown);
  const auto t = s.run();
  EXPECT_EQ(t.screen, met(kBridge, "Yululup") +
                          lines({"A", "12 hits.", "The Yululup jumps on you!", "8 hits.",
                                 "The Yululup is k.o."}) +
                          arrival(kTown))
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_EQ(t.error, "");
}

// The weakest and strongest blows both ways; a blow line says "hits." from 2 for the player and
// from 1 for a creature.
TEST(Encounter, BlowsOfEveryCreature) {
  struct Row {
    int place;
    int outcome;
    std::string_view creature;
    Script round;
    std::string after;
  };
  const Row rows[] = {
      {kTown, 1, "Bensneth", Script{}.hit(0, 0),
       lines({"A", "9 hits.", "The Bensneth jumps on you!", "1 hits."}) + fight_menu()},
      {kTown, 1, "Bensneth", Script{}.hit(5, 5),
       lines({"A", "14 hits.", "The Bensneth jumps on you!", "6 hits."}) + fight_menu()},
      {kBridge, 1, "Yululup", Script{}.hit(0, 0).arrive(kDock),
       lines({"A", "10 hits.", "The Yululup jumps on you!", "8 hits.", "The Yululup is k.o."}) +
           arrival(kDock)},
      {kBridge, 1, "Yululup", Script{}.hit(5, 2).arrive(kDock),
       lines({"A", "15 hits.", "The Yululup jumps on you!", "10 hits.", "The Yululup is k.o."}) +
           arrival(kDock)},
      {kBridge, 1, "Yululup", Script{}.key('c').blow(5),
       lines({"C", "The Yululup jumps on you!", "13 hits.", "You are k.o."}) + kLostWithNothing},
      {kDock, 1, "Babof", Script{}.hit(0, 0).arrive(kDock),
       lines({"A", "11 hits.", "The Babof jumps on you!", "3 hits.", "The Babof is k.o."}) +
           arrival(kDock)},
      {kPark, 1, "Babof", Script{}.hit(5, 5).arrive(kDock),
       lines({"A", "16 hits.", "The Babof jumps on you!", "8 hits.", "The Babof is k.o."}) +
           arrival(kDock)},
  };
  for (const Row& row : rows) {
    Script s;
    s.explore(row.place, row.outcome);
    s.keys += row.round.keys;
    s.rolls.insert(s.rolls.end(), row.round.rolls.begin(), row.round.rolls.end());
    s.ks.insert(s.ks.end(), row.round.ks.begin(), row.round.ks.end());
    const auto t = s.run();
    EXPECT_EQ(t.screen, met(row.place, row.creature) + row.after) << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks) << readable(t.screen);
    EXPECT_EQ(t.error, "");
  }
}

TEST(Encounter, BensnethTakesTwoHits) {
  Script s;
  s.explore(kTown, 1).hit(5, 0).hit(0, 0).arrive(kBridge);
  const auto t = s.run();
  EXPECT_EQ(
      t.screen,
      met(kTown, "Bensneth") + lines({"A", "14 hits.", "The Bensneth jumps on you!", "1 hits."}) +
          fight_menu() +
          lines({"A", "9 hits.", "The Bensneth jumps on you!", "1 hits.", "The Bensneth is k.o."}) +
          arrival(kBridge))
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_EQ(t.error, "");
}

TEST(Encounter, BothKnockedOutInOneRound) {
  Script s;
  s.explore(kPark, 3).hit(1, 3).key('x');
  const auto t = s.run();
  EXPECT_EQ(t.screen, met(kPark, "Yululup") +
                          lines({"A", "11 hits.", "The Yululup jumps on you!", "11 hits.",
                                 "The Yululup is k.o.", "You are k.o."}) +
                          kLostWithNothing)
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.error, "");
}

// Every key answers the fight menu; passing and the empty item menu both give a free blow.
TEST(Encounter, FightMenuKeys) {
  struct Row {
    char key;
    std::string round;  // the player's part of the first round
  };
  const Row rows[] = {
      {'a', lines({"A", "11 hits."})},
      {'1', lines({"A", "11 hits."})},
      {'X', lines({"A", "11 hits."})},
      {'b', lines({"B", "No item yet there."})},
      {'2', lines({"B", "No item yet there."})},
      {'\r', lines({"B", "No item yet there."})},
      {'c', lines({"C"})},
      {'3', lines({"C"})},
      {' ', lines({"C"})},
  };
  for (const Row& row : rows) {
    const bool hits = row.round.starts_with("A");
    Script s;
    s.explore(kDock, 1).key(row.key);
    if (hits) {
      s.blow(0);
    }
    s.blow(0);
    std::string expected =
        met(kDock, "Babof") + row.round + lines({"The Babof jumps on you!", "3 hits."});
    if (hits) {
      expected += lines({"The Babof is k.o."}) + arrival(kBridge);
    } else {
      s.hit(0, 0);
      expected +=
          fight_menu() +
          lines({"A", "11 hits.", "The Babof jumps on you!", "3 hits.", "The Babof is k.o."}) +
          arrival(kBridge);
    }
    s.arrive(kBridge);
    const auto t = s.run();
    EXPECT_EQ(t.screen, expected) << int{row.key} << "\n" << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks) << int{row.key};
    // Without an item no key is read: the key after B answers the next fight menu.
    EXPECT_EQ(t.keys_used, s.keys.size()) << int{row.key};
    EXPECT_EQ(t.error, "") << int{row.key};
  }
}

// The held cigar offered and declined: no item roll, and the creature strikes.
TEST(Encounter, DecliningTheHeldItem) {
  for (const char key : {'b', 'B', '2', '\r'}) {
    Script s;
    s.explore(kBridge, 2).roll(2, 1).explore(kDock, 1);
    s.key('b').key(key).blow(0).hit(0, 0).arrive(kBridge);
    const auto t = s.run();
    EXPECT_EQ(
        t.screen,
        title() + arrival(kBridge) + lines({"A", "You get a cinnamon cigar!"}) + arrival(kDock) +
            lines({"A", "You are assaulted by a Babof!"}) + fight_menu() +
            lines(
                {"B", "A. cinnamon cigar", "B. none.", "B", "The Babof jumps on you!", "3 hits."}) +
            fight_menu() +
            lines({"A", "11 hits.", "The Babof jumps on you!", "3 hits.", "The Babof is k.o."}) +
            arrival(kBridge))
        << int{key} << "\n"
        << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks) << int{key};
    EXPECT_EQ(t.error, "") << int{key};
  }
}

// Each item tried once against a Babof, then the fight and the game played out to the win, so
// that the bonus shows in the score.
TEST(Encounter, TryingTheHeldItem) {
  struct Row {
    int item;
    int k;
    int roll;
    bool fight_goes_on;
    std::vector<std::string_view> after;  // the rest of the round
    std::string_view score;
  };
  const std::vector<std::string_view> no_news = {"No news.", "The Babof jumps on you!", "3 hits."};
  const Row rows[] = {
      {0, 4, 1, true, {"The Babof listens to the flute."}, "Final score: 504."},
      {0, 4, 0, true, no_news, "Final score: 500."},
      {0, 4, 2, true, no_news, "Final score: 500."},
      {0, 4, 4, true, no_news, "Final score: 500."},
      {1, 2, 1, true, {"The Babof smokes that cigar."}, "Final score: 502."},
      {1, 2, 0, true, no_news, "Final score: 500."},
      {1, 2, 2, true, no_news, "Final score: 500."},
      {2,
       2,
       1,
       false,
       {"The Babof answers on its phone", "and walks away.", "The Babof jumps on you!", "3 hits."},
       "Final score: 500."},
      {2, 2, 0, true, no_news, "Final score: 500."},
  };
  constexpr std::string_view kNames[] = {"fabulous flute", "cinnamon cigar", "telephone trap"};
  for (const Row& row : rows) {
    const std::string name(kNames[row.item]);
    const std::string second(kNames[(row.item + 1) % 3]);
    Script s;
    s.explore(kBridge, 2).roll(2, row.item).explore(kDock, 1).try_item(row.k, row.roll);
    const bool calmed = row.roll == 1 && row.item != 2;
    if (!calmed) {
      s.blow(0);
    }
    std::string expected = title() + arrival(kBridge) + lines({"A", "You get a " + name + "!"}) +
                           arrival(kDock) + lines({"A", "You are assaulted by a Babof!"}) +
                           fight_menu() + lines({"B", "A. " + name, "B. none.", "A"});
    for (const std::string_view line : row.after) {
      expected += lines({line});
    }
    if (row.fight_goes_on) {
      // A calmed creature strikes again in the next round.
      s.hit(0, 0);
      expected += fight_menu() + lines({"A", "11 hits.", "The Babof jumps on you!", "3 hits.",
                                        "The Babof is k.o."});
    }
    s.explore(kBridge, 2).roll(2, row.item).key('x');
    expected += arrival(kBridge) + lines({"A", "You get a " + second + "!", "You win.", "",
                                          row.score, "", "Hit a key to exit."});
    const auto t = s.run();
    EXPECT_EQ(t.screen, expected) << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks) << readable(t.screen);
    EXPECT_TRUE(t.finished);
    EXPECT_EQ(t.error, "");
  }
}

TEST(Encounter, TheTelephoneTrapsLastBlowCanKnockThePlayerOut) {
  Script s;
  s.explore(kBridge, 2).roll(2, 2).explore(kTown, 1);
  s.try_item(2, 0).blow(5).try_item(2, 1).blow(4).key('x');
  const auto t = s.run();
  EXPECT_EQ(
      t.screen,
      title() + arrival(kBridge) + lines({"A", "You get a telephone trap!"}) + arrival(kTown) +
          lines({"A", "You are assaulted by a Bensneth!"}) + fight_menu() +
          lines({"B", "A. telephone trap", "B. none.", "A", "No news.",
                 "The Bensneth jumps on you!", "6 hits."}) +
          fight_menu() +
          lines({"B", "A. telephone trap", "B. none.", "A", "The Bensneth answers on its phone",
                 "and walks away.", "The Bensneth jumps on you!", "5 hits.", "You are k.o."}) +
          kLostWithNothing)
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.error, "");
}

// Calming goes on working past 120, but earns nothing more.
TEST(Encounter, TheBonusStopsGrowingAt120) {
  struct Row {
    int item;
    int k;
    int calms;
    std::string_view score;
  };
  const Row rows[] = {
      {0, 4, 29, "Final score: 616."}, {0, 4, 30, "Final score: 620."},
      {0, 4, 31, "Final score: 620."}, {1, 2, 59, "Final score: 618."},
      {1, 2, 60, "Final score: 620."}, {1, 2, 62, "Final score: 620."},
  };
  constexpr std::string_view kNames[] = {"fabulous flute", "cinnamon cigar"};
  constexpr std::string_view kCalmed[] = {"The Babof listens to the flute.",
                                          "The Babof smokes that cigar."};
  for (const Row& row : rows) {
    const std::string name(kNames[row.item]);
    Script s;
    s.explore(kBridge, 2).roll(2, row.item).explore(kDock, 1);
    std::string expected = title() + arrival(kBridge) + lines({"A", "You get a " + name + "!"}) +
                           arrival(kDock) + lines({"A", "You are assaulted by a Babof!"});
    for (int n = 0; n < row.calms; ++n) {
      s.try_item(row.k, 1);
      expected += fight_menu() + lines({"B", "A. " + name, "B. none.", "A", kCalmed[row.item]});
    }
    s.hit(0, 0).explore(kBridge, 2).roll(2, 2).key('x');
    expected +=
        fight_menu() +
        lines({"A", "11 hits.", "The Babof jumps on you!", "3 hits.", "The Babof is k.o."}) +
        arrival(kBridge) +
        lines({"A", "You get a telephone trap!", "You win.", "", row.score, "",
               "Hit a key to exit."});
    const auto t = s.run();
    EXPECT_EQ(t.screen, expected) << row.calms << "\n" << readable(t.screen);
    EXPECT_EQ(t.asked, s.ks) << row.calms;
    EXPECT_TRUE(t.finished);
    EXPECT_EQ(t.error, "");
  }
}

// A Bensneth sent away half beaten is whole again at the next meeting.
TEST(Encounter, EveryFightMeetsAFreshCreature) {
  Script s;
  s.explore(kBridge, 2).roll(2, 2).explore(kTown, 1);
  s.hit(0, 0).try_item(2, 1).blow(0);
  s.explore(kTown, 1).hit(0, 0).hit(0, 0).arrive(kDock);
  const std::string first_hit =
      fight_menu() + lines({"A", "9 hits.", "The Bensneth jumps on you!", "1 hits."});
  const auto t = s.run();
  EXPECT_EQ(
      t.screen,
      title() + arrival(kBridge) + lines({"A", "You get a telephone trap!"}) + arrival(kTown) +
          lines({"A", "You are assaulted by a Bensneth!"}) + first_hit + fight_menu() +
          lines({"B", "A. telephone trap", "B. none.", "A", "The Bensneth answers on its phone",
                 "and walks away.", "The Bensneth jumps on you!", "1 hits."}) +
          arrival(kTown) + lines({"A", "You are assaulted by a Bensneth!"}) + first_hit +
          first_hit + lines({"The Bensneth is k.o."}) + arrival(kDock))
      << readable(t.screen);
  EXPECT_EQ(t.asked, s.ks);
  EXPECT_EQ(t.error, "");
}

}  // namespace
