// Moving the ball: the home menu and its keys, dribbles, passes, drops and the away team's moves.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "match_script.hpp"

namespace {

using hooplandia_test::after_credit;
using hooplandia_test::away_draws_again;
using hooplandia_test::away_moves;
using hooplandia_test::away_shoots;
using hooplandia_test::drops;
using hooplandia_test::ends_with;
using hooplandia_test::gets;
using hooplandia_test::keeps;
using hooplandia_test::ks_of;
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
using hooplandia_test::values_of;
using kit::testing::lines;
using kit::testing::readable;

// Smoothies at home against the Sniffers: a dribble, a pass, a drop, then the away team's dribble
// back to midcourt and a pass to the lowest other slot.
TEST(PossessionPlay, StretchOfSmoothiesAgainstSniffers) {
  const auto t =
      play_script("bada", team_draw(0) + tip_home(2) + keeps(5) + keeps(5) + drops(3) +
                              tip_away(4) + away_moves() + keeps(5) + away_moves() + receiver(1) +
                              keeps(4) + away_shoots() + shot(0, 0, 3) + tip_home(2));
  EXPECT_EQ(after_credit(t.screen),
            opening("Smoothies", "Sniffers") +
                lines({
                    "Daisy Blanket gets the ball.",
                    "A. Dribble.",
                    "B. Pass to Felix Fudgewick.",
                    "C. Pass to Bertha Noodleby.",
                    "D. Pass to Morley Bink.",
                    "E. Pass to Barry Loafton.",
                    "F. Toss the ball.",
                    "A.",
                    "Dribbles.",
                    "A. Dribble.",
                    "B. Pass to Felix Fudgewick.",
                    "C. Pass to Bertha Noodleby.",
                    "D. Pass to Morley Bink.",
                    "E. Pass to Barry Loafton.",
                    "F. Toss the ball.",
                    "D.",
                    "Passes.",
                    "Morley Bink gets the ball.",
                    "A. Dribble.",
                    "B. Pass to Felix Fudgewick.",
                    "C. Pass to Daisy Blanket.",
                    "D. Pass to Bertha Noodleby.",
                    "E. Pass to Barry Loafton.",
                    "F. Toss the ball.",
                    "A.",
                    "Drops the ball.",
                    "The ball bounces away.",
                    "Leandro Fastidioso gets the ball.",
                    "Dribbles.",
                    "Passes the ball.",
                    "Walt Brimblecum gets the ball.",
                }) +
                lines({"Tosses the ball.", "Misses the basket.", "Daisy Blanket gets the ball."}) +
                menu({"Felix Fudgewick", "Bertha Noodleby", "Morley Bink", "Barry Loafton"}))
      << readable(t.screen);
}

TEST(PossessionPlay, MatesListsLeaveOutTheHolder) {
  struct Row {
    int slot;
    std::string_view holder;
    std::string expected_menu;
  };
  const Row rows[] = {
      {1, "Walt Brimblecum",
       menu({"Mindy Q Fox", "Pablo Trumpet", "Leandro Fastidioso", "Hurst Wobblefoot"})},
      {2, "Mindy Q Fox",
       menu({"Walt Brimblecum", "Pablo Trumpet", "Leandro Fastidioso", "Hurst Wobblefoot"})},
      {3, "Pablo Trumpet",
       menu({"Walt Brimblecum", "Mindy Q Fox", "Leandro Fastidioso", "Hurst Wobblefoot"})},
      {4, "Leandro Fastidioso",
       menu({"Walt Brimblecum", "Mindy Q Fox", "Pablo Trumpet", "Hurst Wobblefoot"})},
      {5, "Hurst Wobblefoot",
       menu({"Walt Brimblecum", "Mindy Q Fox", "Pablo Trumpet", "Leandro Fastidioso"})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("slot " + std::to_string(row.slot));
    const auto t = play_script("a", team_draw(0) + tip_home(row.slot));
    EXPECT_EQ(after_credit(t.screen),
              opening("Sniffers", "Smoothies") + gets(row.holder) + row.expected_menu)
        << readable(t.screen);
  }
}

// Pablo Trumpet (slot 3, dribbling 4, passing 1) on the ball: what each key makes of the menu.
TEST(PossessionPlay, MenuKeysAndWhatFollows) {
  const std::string walt_menu =
      menu({"Mindy Q Fox", "Pablo Trumpet", "Leandro Fastidioso", "Hurst Wobblefoot"});
  const std::string pablo_menu =
      menu({"Walt Brimblecum", "Mindy Q Fox", "Leandro Fastidioso", "Hurst Wobblefoot"});
  const std::string to_walt = lines({"B.", "Passes."}) + gets("Walt Brimblecum") + walt_menu;
  struct Row {
    std::string key;
    Script rolls;
    std::string after_menu;
  };
  const Row rows[] = {
      {"2", keeps(1), to_walt},
      {"b", keeps(1), to_walt},
      {"B", keeps(1), to_walt},
      {"\r", keeps(1), to_walt},  // 13 mod 6
      {"7", keeps(1), to_walt},   // no digit of the menu: 55 mod 6
      {" ", keeps(1),
       lines({"C.", "Passes."}) + gets("Mindy Q Fox") +
           menu({"Walt Brimblecum", "Pablo Trumpet", "Leandro Fastidioso", "Hurst Wobblefoot"})},
      {"\x1b", keeps(1),
       lines({"D.", "Passes."}) + gets("Leandro Fastidioso") +
           menu({"Walt Brimblecum", "Mindy Q Fox", "Pablo Trumpet", "Hurst Wobblefoot"})},
      {"e", keeps(1),
       lines({"E.", "Passes."}) + gets("Hurst Wobblefoot") +
           menu({"Walt Brimblecum", "Mindy Q Fox", "Pablo Trumpet", "Leandro Fastidioso"})},
      {std::string(1, '\0'), keeps(4), lines({"A.", "Dribbles."}) + pablo_menu},
      {"x", keeps(4), lines({"A.", "Dribbles."}) + pablo_menu},
      {"X", keeps(4), lines({"A.", "Dribbles."}) + pablo_menu},  // lower-cased first: 120 mod 6
      // A drop gives the ball to a tip-off at once, without a key press.
      {"b", drops(1) + tip_home(1),
       lines({"B.", "Drops the ball.", "The ball bounces away."}) + gets("Walt Brimblecum") +
           walt_menu},
      {"a", drops(4) + tip_home(3),
       lines({"A.", "Drops the ball.", "The ball bounces away."}) + gets("Pablo Trumpet") +
           pablo_menu},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("key code " + std::to_string(static_cast<unsigned char>(row.key[0])));
    const auto t = play_script("a" + row.key, team_draw(0) + tip_home(3) + row.rolls);
    EXPECT_EQ(after_credit(t.screen), opening("Sniffers", "Smoothies") + gets("Pablo Trumpet") +
                                          pablo_menu + row.after_menu)
        << readable(t.screen);
  }
}

// Four dribbles from midcourt: the ball stops at 6, which the next shot total shows.
TEST(PossessionPlay, HomeDribbleStopsAtTheEndOfTheCourt) {
  const std::string walt_menu =
      menu({"Mindy Q Fox", "Pablo Trumpet", "Leandro Fastidioso", "Hurst Wobblefoot"});
  struct Row {
    int base;
    int shooting_roll;  // Walt Brimblecum shoots with 3
    std::string outcome;
  };
  const Row rows[] = {
      {1, 1, lines({"Misses the basket."})},  // 1 + 3 + 1 = 5
      {1, 2, lines({"Scores!", "Home: 2 Away: 0"})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.base) + " + " + std::to_string(row.shooting_roll));
    const auto t = play_script("aaaaaf", team_draw(0) + tip_home(1) + repeat(4, keeps(4)) +
                                             shot(row.base, row.shooting_roll, 3) + tip_home(1));
    std::string dribbles;
    for (int n = 0; n < 4; ++n) {
      dribbles += walt_menu + lines({"A.", "Dribbles."});
    }
    EXPECT_EQ(after_credit(t.screen), opening("Sniffers", "Smoothies") + gets("Walt Brimblecum") +
                                          dribbles + walt_menu + lines({"F.", "Tosses the ball."}) +
                                          row.outcome + gets("Walt Brimblecum") + walt_menu)
        << readable(t.screen);
  }
}

// Which move the away holder draws, by court position. Each move is announced before its own
// rolls: the run stops at the first roll left unscripted, and that roll's k says which came next.
TEST(PossessionPlay, AwayActionByCourtPosition) {
  // Daisy Blanket away, at midcourt, or at 4 after a home dribble and a drop.
  const Script at_midcourt = team_draw(0) + tip_away(2);
  const Script above_midcourt = team_draw(0) + tip_home(1) + keeps(4) + drops(4) + tip_away(2);
  struct Row {
    bool above;
    Script action;
    std::string_view announced;
    int next_k;  // the receiver's 3, Daisy's dribbling of 5, or the shot's 5
  };
  const Row rows[] = {
      {false, away_moves(), "Passes the ball.", 3},
      {true, away_moves(), "Dribbles.", 5},
      {false, away_shoots(), "Tosses the ball.", 5},
      {true, away_shoots(), "Tosses the ball.", 5},
      {false, away_draws_again(0), "Tosses the ball.", 5},
      {true, away_draws_again(0), "Tosses the ball.", 5},
      {false, away_draws_again(1), "Passes the ball.", 3},
      {true, away_draws_again(1), "Passes the ball.", 3},
      {true, away_draws_again(2), "Passes the ball.", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.announced) + (row.above ? " above" : " at") + " midcourt");
    const Script script = (row.above ? above_midcourt : at_midcourt) + row.action;
    const auto t =
        kit::testing::play_scripted(hooplandia::play, row.above ? "aaa" : "a", values_of(script));
    std::vector<int> expected_ks = ks_of(script);
    expected_ks.push_back(row.next_k);
    EXPECT_EQ(t.asked, expected_ks);
    EXPECT_NE(t.error.find("not scripted"), std::string::npos) << t.error;
    EXPECT_TRUE(ends_with(t.screen, gets("Daisy Blanket") + lines({row.announced})))
        << readable(t.screen);
  }
}

// Pablo Trumpet (slot 3, dribbling 4, passing 1) plays away from court position 4.
TEST(PossessionPlay, AwayDribblesAndPasses) {
  const std::string felix_menu =
      menu({"Daisy Blanket", "Bertha Noodleby", "Morley Bink", "Barry Loafton"});
  const Script opening_rolls = team_draw(0) + tip_home(1) + keeps(1) + drops(1) + tip_away(3);
  const std::string opening_screen = opening("Smoothies", "Sniffers") + gets("Felix Fudgewick") +
                                     felix_menu + lines({"A.", "Dribbles."}) + felix_menu +
                                     lines({"A.", "Drops the ball.", "The ball bounces away."}) +
                                     gets("Pablo Trumpet");
  const auto passes_to = [](std::string_view name) {
    return lines({"Passes the ball."}) + gets(name) +
           lines({"Tosses the ball.", "Misses the basket."});
  };
  struct Row {
    std::string_view what;
    Script rolls;  // each ends in a missed shot or a loose ball
    std::string lines_printed;
  };
  const Row rows[] = {
      {"pass to entry 1",
       away_draws_again(1) + receiver(1) + keeps(1) + away_shoots() + shot(0, 0, 3),
       passes_to("Walt Brimblecum")},
      {"pass to entry 2",
       away_draws_again(1) + receiver(2) + keeps(1) + away_shoots() + shot(0, 0, 5),
       passes_to("Mindy Q Fox")},
      {"pass to entry 3",
       away_draws_again(2) + receiver(3) + keeps(1) + away_shoots() + shot(0, 0, 5),
       passes_to("Leandro Fastidioso")},
      {"pass to entry 4",
       away_draws_again(2) + receiver(4) + keeps(1) + away_shoots() + shot(0, 0, 2),
       passes_to("Hurst Wobblefoot")},
      // The receiver is drawn before the drop roll, also when the ball is then dropped.
      {"pass dropped", away_draws_again(1) + receiver(4) + drops(1),
       lines({"Passes the ball.", "Drops the ball.", "The ball bounces away."})},
      {"dribble dropped", away_moves() + drops(4),
       lines({"Dribbles.", "Drops the ball.", "The ball bounces away."})},
      // Back at midcourt the same draw passes instead of dribbling.
      {"dribble kept",
       away_moves() + keeps(4) + away_moves() + receiver(1) + keeps(1) + away_shoots() +
           shot(0, 0, 3),
       lines({"Dribbles."}) + lines({"Passes the ball.", "Walt Brimblecum gets the ball.",
                                     "Tosses the ball.", "Misses the basket."})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.what));
    const auto t = play_script("baa", opening_rolls + row.rolls + tip_home(1));
    EXPECT_EQ(after_credit(t.screen),
              opening_screen + row.lines_printed + gets("Felix Fudgewick") + felix_menu)
        << readable(t.screen);
  }
}

}  // namespace
