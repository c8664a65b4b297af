// The opening of a match: the team choice, the away draw, the announcement and the roster.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "match_script.hpp"

namespace {

using hooplandia_test::after_credit;
using hooplandia_test::away_moves;
using hooplandia_test::away_shoots;
using hooplandia_test::drops;
using hooplandia_test::gets;
using hooplandia_test::keeps;
using hooplandia_test::opening;
using hooplandia_test::play_script;
using hooplandia_test::receiver;
using hooplandia_test::shot;
using hooplandia_test::team_draw;
using hooplandia_test::tip_away;
using hooplandia_test::tip_home;
using kit::testing::lines;
using kit::testing::readable;

constexpr std::string_view kTeamNames[] = {"Sniffers", "Smoothies", "Douches"};

TEST(MatchSetup, OpeningScreenOfSmoothiesAgainstSniffers) {
  const auto t = play_script("b", team_draw(0) + tip_home(1));
  EXPECT_EQ(after_credit(t.screen), lines({
                                        "Choose one team.",
                                        "A. Sniffers.",
                                        "B. Smoothies.",
                                        "C. Douches.",
                                        "************",
                                        "Tonight:",
                                        "Smoothies against Sniffers.",
                                        "************",
                                        "The game begins!",
                                        "Felix Fudgewick gets the ball.",
                                        "A. Dribble.",
                                        "B. Pass to Daisy Blanket.",
                                        "C. Pass to Bertha Noodleby.",
                                        "D. Pass to Morley Bink.",
                                        "E. Pass to Barry Loafton.",
                                        "F. Toss the ball.",
                                    }))
      << readable(t.screen);
}

// Every key chooses a team, and nothing is echoed between the choice and the first rule line.
TEST(MatchSetup, EveryKeyChoosesATeam) {
  struct Row {
    std::string key;
    std::string_view home;
    std::string_view away;  // a draw of 2 gives the Douches, or the Sniffers against them
    std::string_view first_holder;
  };
  const Row rows[] = {
      {"1", "Sniffers", "Douches", "Walt Brimblecum"},
      {"a", "Sniffers", "Douches", "Walt Brimblecum"},
      {"A", "Sniffers", "Douches", "Walt Brimblecum"},
      {"\x1b", "Sniffers", "Douches", "Walt Brimblecum"},
      {std::string(1, '\0'), "Sniffers", "Douches", "Walt Brimblecum"},
      {"x", "Sniffers", "Douches", "Walt Brimblecum"},
      {"2", "Smoothies", "Douches", "Felix Fudgewick"},
      {"b", "Smoothies", "Douches", "Felix Fudgewick"},
      {"\r", "Smoothies", "Douches", "Felix Fudgewick"},
      {"3", "Douches", "Sniffers", "Odette Swoop"},
      {"C", "Douches", "Sniffers", "Odette Swoop"},
      {" ", "Douches", "Sniffers", "Odette Swoop"},
      {"Z", "Douches", "Sniffers", "Odette Swoop"},  // lower-cased first: 'z' is 122
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("key code " + std::to_string(static_cast<unsigned char>(row.key[0])));
    const auto t = play_script(row.key, team_draw(2) + tip_home(1));
    EXPECT_EQ(t.keys_used, 1U);
    const std::string expected = opening(row.home, row.away) + gets(row.first_holder);
    EXPECT_EQ(after_credit(t.screen).substr(0, expected.size()), expected) << readable(t.screen);
  }
}

TEST(MatchSetup, AwayDrawSkipsTheHomeTeam) {
  struct Row {
    char key;
    int draw;
    int away;  // team number
  };
  const Row rows[] = {
      {'a', 0, 2}, {'a', 1, 2}, {'a', 2, 3}, {'b', 0, 1}, {'b', 1, 3},
      {'b', 2, 3}, {'c', 0, 1}, {'c', 1, 2}, {'c', 2, 1},  // the last team wraps to the first
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("key ") + row.key + " draw " + std::to_string(row.draw));
    const auto t = play_script(std::string(1, row.key), team_draw(row.draw) + tip_home(1));
    const std::string expected = opening(kTeamNames[row.key - 'a'], kTeamNames[row.away - 1]);
    EXPECT_EQ(after_credit(t.screen).substr(0, expected.size()), expected) << readable(t.screen);
  }
}

struct Rated {
  int team;
  int slot;
  std::string_view name;
  int dribbling;
  int passing;
  int shooting;
};

constexpr Rated kRoster[] = {
    {1, 1, "Walt Brimblecum", 4, 4, 3},   {1, 2, "Mindy Q Fox", 2, 2, 5},
    {1, 3, "Pablo Trumpet", 4, 1, 6},     {1, 4, "Leandro Fastidioso", 5, 4, 5},
    {1, 5, "Hurst Wobblefoot", 3, 3, 2},  {2, 1, "Felix Fudgewick", 1, 1, 2},
    {2, 2, "Daisy Blanket", 5, 5, 6},     {2, 3, "Bertha Noodleby", 3, 3, 5},
    {2, 4, "Morley Bink", 3, 3, 2},       {2, 5, "Barry Loafton", 4, 3, 4},
    {3, 1, "Odette Swoop", 4, 2, 2},      {3, 2, "Benny Quillan", 6, 2, 4},
    {3, 3, "Terry Mopple", 2, 2, 1},      {3, 4, "Ned Parsnipes", 1, 1, 0},
    {3, 5, "Olive Stegosaurus", 2, 4, 2},
};

const Rated& first_of(int team) { return kRoster[static_cast<std::size_t>(team - 1) * 5]; }

// Each player's three ratings are the k of his dribble, pass and shot rolls, on either sheet.
TEST(MatchSetup, RosterRatingsDriveTheRollsAtHome) {
  for (const Rated& p : kRoster) {
    SCOPED_TRACE(std::string(p.name));
    const std::string keys{static_cast<char>('a' + p.team - 1), 'a', 'f', 'b'};
    // A dribble, a shot that misses, and a pass that drops the ball.
    const auto t = play_script(keys, team_draw(0) + tip_home(p.slot) + keeps(p.dribbling) +
                                         shot(0, 0, p.shooting) + tip_home(p.slot) +
                                         drops(p.passing) + tip_home(p.slot));
    EXPECT_NE(t.screen.find("\r\n" + gets(p.name)), std::string::npos) << readable(t.screen);
  }
}

TEST(MatchSetup, RosterRatingsDriveTheRollsAway) {
  for (const Rated& p : kRoster) {
    SCOPED_TRACE(std::string(p.name));
    const int home = p.team % 3 + 1;
    const Rated& home_first = first_of(home);
    const std::string keys{static_cast<char>('a' + home - 1), 'a', 'f'};
    // The home dribble puts the ball above midcourt, so the away holder dribbles back, then
    // passes and drops the ball, then misses a shot.
    const auto t = play_script(
        keys, team_draw(p.team - 1) + tip_home(1) + keeps(home_first.dribbling) +
                  shot(0, 0, home_first.shooting) + tip_away(p.slot) + away_moves() +
                  keeps(p.dribbling) + away_moves() + receiver(1) + drops(p.passing) +
                  tip_away(p.slot) + away_shoots() + shot(0, 0, p.shooting) + tip_home(1));
    const std::string rest = after_credit(t.screen);
    const std::string expected = opening(kTeamNames[home - 1], kTeamNames[p.team - 1]);
    EXPECT_EQ(rest.substr(0, expected.size()), expected) << readable(t.screen);
    EXPECT_NE(rest.find("Misses the basket.\r\n" + gets(p.name) + "Dribbles.\r\n"),
              std::string::npos)
        << readable(t.screen);
  }
}

}  // namespace
