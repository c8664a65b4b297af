// Shots, the score, the end of the match and the closing prompt.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "match_script.hpp"

namespace {

using hooplandia_test::after_credit;
using hooplandia_test::away_moves;
using hooplandia_test::away_shoots;
using hooplandia_test::drops;
using hooplandia_test::ends_with;
using hooplandia_test::gets;
using hooplandia_test::keeps;
using hooplandia_test::menu;
using hooplandia_test::opening;
using hooplandia_test::play_script;
using hooplandia_test::receiver;
using hooplandia_test::repeat;
using hooplandia_test::Script;
using hooplandia_test::shot;
using hooplandia_test::team_draw;
using hooplandia_test::tip_away;
using hooplandia_test::tip_home;
using kit::testing::lines;
using kit::testing::readable;

constexpr std::string_view kPrompt = "Hit a key to end.";

const std::string& walt_menu() {
  static const std::string text =
      menu({"Mindy Q Fox", "Pablo Trumpet", "Leandro Fastidioso", "Hurst Wobblefoot"});
  return text;
}

const std::string& felix_menu() {
  static const std::string text =
      menu({"Daisy Blanket", "Bertha Noodleby", "Morley Bink", "Barry Loafton"});
  return text;
}

// Sniffers at home against the Smoothies. Walt Brimblecum (dribbling 4, shooting 3) takes the ball
// up by some dribbles, then shoots himself or drops it to Daisy Blanket (shooting 6) of the
// Smoothies, who shoots from there.
TEST(Scoring, ShotTotalsAndPoints) {
  struct Row {
    bool home;
    int dribbles;  // court position 3 + dribbles
    int base;
    int shooting_roll;
    std::string outcome;
  };
  const Row rows[] = {
      {true, 0, 5, 0, lines({"Misses the basket."})},
      {true, 0, 3, 3, lines({"Scores!", "Home: 2 Away: 0"})},
      {true, 3, 0, 3, lines({"Scores!", "Home: 2 Away: 0"})},  // never a bonus at home
      {true, 3, 1, 1, lines({"Misses the basket."})},
      {false, 0, 2, 0, lines({"Misses the basket."})},
      {false, 0, 3, 0, lines({"Scores!", "Home: 0 Away: 2"})},
      {false, 1, 2, 1, lines({"Misses the basket."})},
      {false, 1, 2, 2, lines({"Scores!", "3 points from far away!", "Home: 0 Away: 3"})},
      {false, 3, 5, 0, lines({"Misses the basket."})},
      {false, 3, 5, 1, lines({"Scores!", "3 points from far away!", "Home: 0 Away: 3"})},
      {false, 3, 0, 6, lines({"Scores!", "3 points from far away!", "Home: 0 Away: 3"})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.home ? "home" : "away") + " at " +
                 std::to_string(3 + row.dribbles) + ": " + std::to_string(row.base) + " + " +
                 std::to_string(row.shooting_roll));
    const Script up = team_draw(0) + tip_home(1) + repeat(row.dribbles, keeps(4));
    const Script script = row.home ? up + shot(row.base, row.shooting_roll, 3) + tip_home(1)
                                   : up + drops(4) + tip_away(2) + away_shoots() +
                                         shot(row.base, row.shooting_roll, 6) + tip_home(1);
    const std::string keys =
        "a" + std::string(static_cast<std::size_t>(row.dribbles), 'a') + (row.home ? "f" : "a");
    const auto t = play_script(keys, script);
    const std::string shooter = row.home ? lines({"F."}) : gets("Daisy Blanket");
    EXPECT_TRUE(ends_with(t.screen, shooter + lines({"Tosses the ball."}) + row.outcome +
                                        gets("Walt Brimblecum") + walt_menu()))
        << readable(t.screen);
  }
}

// A miss leaves the ball where it was; a basket puts it back at midcourt.
TEST(Scoring, CourtPositionAfterShots) {
  const Script daisy_at_4 = team_draw(0) + tip_home(1) + keeps(4) + drops(4) + tip_away(2);
  struct Row {
    std::string_view what;
    std::string keys;
    Script rolls;
    std::string tail;
  };
  const Row rows[] = {
      // Still above midcourt after the miss, so the next away move is a dribble.
      {"away miss", "aaa",
       daisy_at_4 + away_shoots() + shot(2, 1, 6) + tip_away(2) + away_moves() + keeps(5) +
           away_shoots() + shot(2, 0, 6) + tip_home(1),
       lines({"Tosses the ball.", "Misses the basket.", "Daisy Blanket gets the ball.", "Dribbles.",
              "Tosses the ball.", "Misses the basket."}) +
           gets("Walt Brimblecum") + walt_menu()},
      // Back at midcourt after the basket: the same draw passes, and the next basket is worth 2.
      {"away basket", "aaak",
       daisy_at_4 + away_shoots() + shot(2, 2, 6) + tip_away(2) + away_moves() + receiver(1) +
           keeps(5) + away_shoots() + shot(3, 0, 2),
       lines({"Tosses the ball.", "Scores!", "3 points from far away!", "Home: 0 Away: 3",
              "Daisy Blanket gets the ball.", "Passes the ball.", "Felix Fudgewick gets the ball.",
              "Tosses the ball.", "Scores!", "Home: 0 Away: 5", "They win."}) +
           std::string(kPrompt)},
      // Scored from 5; the next shot, from 3, falls short by the two steps given up.
      {"home basket", "aaaff",
       team_draw(0) + tip_home(1) + repeat(2, keeps(4)) + shot(1, 3, 3) + tip_home(1) +
           shot(4, 1, 3) + tip_home(1),
       lines({"F.", "Tosses the ball.", "Scores!", "Home: 2 Away: 0"}) + gets("Walt Brimblecum") +
           walt_menu() + lines({"F.", "Tosses the ball.", "Misses the basket."}) +
           gets("Walt Brimblecum") + walt_menu()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.what));
    const auto t = play_script(row.keys, row.rolls);
    EXPECT_TRUE(ends_with(t.screen, row.tail)) << readable(t.screen);
  }
}

// Smoothies at home against the Sniffers: a home basket, then the Sniffers score 3 from beyond
// midcourt, then the home team scores twice more and wins.
const Script kFirstHalf = team_draw(0) + tip_home(2) + shot(3, 3, 6) + tip_home(2) + keeps(5) +
                          drops(5) + tip_away(1) + away_shoots() + shot(2, 2, 3) + tip_home(1);
const std::string kFirstHalfScreen =
    opening("Smoothies", "Sniffers") + gets("Daisy Blanket") +
    menu({"Felix Fudgewick", "Bertha Noodleby", "Morley Bink", "Barry Loafton"}) +
    lines({"F.", "Tosses the ball.", "Scores!", "Home: 2 Away: 0"}) + gets("Daisy Blanket") +
    menu({"Felix Fudgewick", "Bertha Noodleby", "Morley Bink", "Barry Loafton"}) +
    lines({"A.", "Dribbles."}) +
    menu({"Felix Fudgewick", "Bertha Noodleby", "Morley Bink", "Barry Loafton"}) +
    lines({"A.", "Drops the ball.", "The ball bounces away."}) + gets("Walt Brimblecum") +
    lines({
        "Tosses the ball.",
        "Scores!",
        "3 points from far away!",
        "Home: 2 Away: 3",
        "Felix Fudgewick gets the ball.",
    }) +
    felix_menu();

TEST(Scoring, AwayBasketFromBeyondMidcourt) {
  const auto t = play_script("bfaa", kFirstHalf);
  EXPECT_EQ(after_credit(t.screen), kFirstHalfScreen) << readable(t.screen);
}

TEST(Scoring, HomeWinEndsTheMatchAtSix) {
  const auto t = play_script("bfaaff" + std::string(1, ' '),
                             kFirstHalf + shot(4, 2, 2) + tip_home(1) + shot(5, 1, 2));
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.keys_used, 7U);
  EXPECT_EQ(after_credit(t.screen),
            kFirstHalfScreen + lines({"F.", "Tosses the ball.", "Scores!", "Home: 4 Away: 3"}) +
                gets("Felix Fudgewick") + felix_menu() +
                lines({
                    "F.",
                    "Tosses the ball.",
                    "Scores!",
                    "Home: 6 Away: 3",
                    "You win.",
                }) +
                std::string(kPrompt))
      << readable(t.screen);
}

// Sniffers at home; Daisy Blanket of the Smoothies scores 2 at midcourt or 3 from above it.
TEST(Scoring, AwayWinsAtFiveOrMore) {
  const Script two = tip_away(2) + away_shoots() + shot(3, 0, 6);
  const Script three =
      tip_home(1) + keeps(4) + drops(4) + tip_away(2) + away_shoots() + shot(2, 2, 6);
  struct Row {
    Script baskets;
    std::string keys;
    std::string last_basket;
  };
  const Row rows[] = {
      {two + three, "aa", lines({"Scores!", "3 points from far away!", "Home: 0 Away: 5"})},
      {two + two + two, "", lines({"Scores!", "Home: 0 Away: 6"})},
      {two + two + three, "aa", lines({"Scores!", "3 points from far away!", "Home: 0 Away: 7"})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(kit::testing::readable(row.last_basket));
    // No tip-off follows the winning basket: the script has no rolls left for one.
    const std::string keys = "a" + row.keys + "k";
    const auto t = play_script(keys, team_draw(0) + row.baskets);
    EXPECT_TRUE(t.finished);
    EXPECT_EQ(t.keys_used, keys.size());
    EXPECT_TRUE(ends_with(t.screen, lines({"Tosses the ball."}) + row.last_basket +
                                        lines({"They win."}) + std::string(kPrompt)))
        << readable(t.screen);
  }
}

int count(const std::vector<std::string>& all, std::string_view line) {
  int found = 0;
  for (const std::string& each : all) {
    found += each == line ? 1 : 0;
  }
  return found;
}

// Seeded matches played to their end on a stream of mixed keys.
TEST(Scoring, SeededMatchesEndWithAWinnerAndTheKeyWait) {
  std::string keys;
  while (keys.size() < 20000) {
    keys += "fabcdef\r 123456x";
  }
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto t = kit::testing::play_seeded(hooplandia::play, keys, seed);
    ASSERT_TRUE(t.finished) << t.error;
    const std::vector<std::string> all = kit::testing::split_lines(t.screen);
    ASSERT_GE(all.size(), 4U);
    ASSERT_EQ(all.back(), kPrompt);

    const std::string& result = all[all.size() - 2];
    int home = -1;
    int away = -1;
    ASSERT_EQ(std::sscanf(all[all.size() - 3].c_str(), "Home: %d Away: %d", &home, &away), 2)
        << readable(t.screen);
    if (result == "You win.") {
      EXPECT_EQ(home, 6);
      EXPECT_LE(away, 4);
    } else {
      EXPECT_EQ(result, "They win.");
      EXPECT_GE(away, 5);
      EXPECT_LE(away, 7);
      EXPECT_LE(home, 4);
    }

    // Every key answered something: the team, a home menu (each echoed), the closing wait.
    int echoes = 0;
    for (const char* echo : {"A.", "B.", "C.", "D.", "E.", "F."}) {
      echoes += count(all, echo);
    }
    EXPECT_EQ(t.keys_used, static_cast<std::size_t>(echoes) + 2);

    // A drop is always followed by the loose ball and a tip-off, and only a drop makes one; the
    // bonus line only ever follows a basket.
    for (std::size_t n = 0; n + 2 < all.size(); ++n) {
      if (all[n] == "Drops the ball.") {
        EXPECT_EQ(all[n + 1], "The ball bounces away.");
        EXPECT_TRUE(all[n + 2].ends_with(" gets the ball.")) << all[n + 2];
      }
      if (all[n + 1] == "The ball bounces away.") {
        EXPECT_EQ(all[n], "Drops the ball.");
      }
      if (all[n + 1] == "3 points from far away!") {
        EXPECT_EQ(all[n], "Scores!");
      }
    }
  }
}

}  // namespace
