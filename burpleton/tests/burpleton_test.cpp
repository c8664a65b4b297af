#include "burpleton/burpleton.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kit/testing/session.hpp"

namespace {

using kit::testing::lines;
using kit::testing::play_scripted;
using kit::testing::play_seeded;
using kit::testing::readable;

constexpr std::string_view kNames[] = {"Brian", "George", "Sam", "Elliot"};
const std::vector<int> kFourRolls = {9, 9, 9, 9};

// The eight pause keys of a run: both answers of the one-or-zero reader, and keys it maps.
constexpr std::string_view kPauses = "ab1 \r0xz";

bool ends_with(std::string_view screen, std::string_view tail) {
  return screen.size() >= tail.size() && screen.substr(screen.size() - tail.size()) == tail;
}

// A whole run: the bet key, the pauses, the closing key; belch lengths 1..10 become rolls.
kit::testing::Transcript contest(char bet, std::vector<int> lengths) {
  std::string keys(1, bet);
  keys += kPauses;
  keys += 'q';
  for (int& length : lengths) {
    length -= 1;
  }
  return play_scripted(burpleton::play, keys, lengths);
}

TEST(Burpleton, WholeScreenOfOneRun) {
  const auto t = contest('3', {5, 7, 7, 7});
  const std::string expected = lines({
      "BURPLETON.",
      "Four bellies, one bet, not a shred of skill.",
      "",
      "Who is going to win this?",
      "A. Brian.",
      "B. George.",
      "C. Sam.",
      "D. Elliot.",
      "C.",
      "",
      "Brian is going to belch.",
      "He is ready.",
      "BUUUUURP.",
      "",
      "George is going to belch.",
      "He is ready.",
      "BUUUUUUURP.",
      "",
      "Sam is going to belch.",
      "He is ready.",
      "BUUUUUUURP.",
      "",
      "Elliot is going to belch.",
      "He is ready.",
      "BUUUUUUURP.",
      "",
      "Sam wins.",
      "And you win!",
  });
  EXPECT_EQ(t.screen, expected) << readable(t.screen);
  EXPECT_TRUE(t.finished);
  EXPECT_EQ(t.keys_used, 10U);
  EXPECT_EQ(t.asked, kFourRolls);
  EXPECT_EQ(t.error, "");
}

// Where the run stands when the keys run out: each wait comes at its place, with everything
// before it on screen and the belch drawn between the two pauses.
TEST(Burpleton, EachKeyIsAwaitedAtItsPlace) {
  struct Case {
    std::string_view keys;
    std::string_view screen_ends;
    std::size_t rolls;
  };
  const Case cases[] = {
      {"", "D. Elliot.\r\n", 0},
      {"c", "C.\r\n\r\nBrian is going to belch.\r\n", 0},
      {"ca", "Brian is going to belch.\r\nHe is ready.\r\n", 1},
      {"cab", "He is ready.\r\nBUURP.\r\n\r\nGeorge is going to belch.\r\n", 1},
      {"cabab",
       "George is going to belch.\r\nHe is ready.\r\nBUUURP.\r\n\r\n"
       "Sam is going to belch.\r\n",
       2},
      {"cabababab",
       "Elliot is going to belch.\r\nHe is ready.\r\nBURP.\r\n\r\nSam wins.\r\n"
       "And you win!\r\n",
       4},
  };
  for (const Case& c : cases) {
    const auto t = play_scripted(burpleton::play, c.keys, {1, 2, 4, 0});
    EXPECT_FALSE(t.finished) << c.keys;
    EXPECT_EQ(t.keys_used, c.keys.size()) << c.keys;
    EXPECT_EQ(t.asked.size(), c.rolls) << c.keys;
    EXPECT_TRUE(ends_with(t.screen, c.screen_ends)) << c.keys << "\n" << readable(t.screen);
  }
}

// An equal belch takes the lead only for the contestant bet on; otherwise the first longest wins.
TEST(Burpleton, LongestBelchWinsAndTiesGoToTheBet) {
  struct Case {
    std::string_view bet;      // the key pressed at the bet
    std::vector<int> lengths;  // Brian, George, Sam, Elliot
    std::string_view winner;
    bool you_win;
  };
  const Case cases[] = {
      {"c", {5, 7, 7, 7}, "Sam", true},    {"d", {5, 7, 7, 3}, "George", false},
      {"a", {6, 6, 2, 6}, "Brian", true},  {"b", {4, 4, 9, 1}, "Sam", false},
      {"d", {3, 3, 3, 3}, "Elliot", true}, {"a", {2, 9, 1, 9}, "George", false},
      {"b", {8, 2, 8, 8}, "Brian", false}, {"d", {10, 1, 1, 10}, "Elliot", true},
      {"b", {3, 3, 3, 3}, "George", true}, {"a", {1, 2, 3, 4}, "Elliot", false},
      {"d", {1, 1, 1, 2}, "Elliot", true}, {"a", {10, 10, 10, 10}, "Brian", true},
      {"c", {4, 4, 3, 4}, "Brian", false}, {"b", {5, 4, 5, 6}, "Elliot", false},
  };
  for (const Case& c : cases) {
    const auto t = contest(c.bet[0], c.lengths);
    const std::string result = std::string(c.winner) + " wins.\r\n";
    const std::string tail = c.you_win ? result + "And you win!\r\n" : "\r\n" + result;
    EXPECT_TRUE(t.finished) << c.bet << " " << c.winner;
    EXPECT_EQ(t.error, "") << c.bet << " " << c.winner;
    EXPECT_TRUE(ends_with(t.screen, tail)) << c.bet << " " << c.winner << "\n"
                                           << readable(t.screen);
  }
}

TEST(Burpleton, ShortestAndLongestBelch) {
  const auto t = contest('a', {1, 10, 2, 1});
  const auto screen = kit::testing::split_lines(t.screen);
  ASSERT_EQ(screen.size(), 27U) << readable(t.screen);
  EXPECT_EQ(screen[12], "BURP.");
  EXPECT_EQ(screen[16], "BUUUUUUUUUURP.");
  EXPECT_EQ(screen[20], "BUURP.");
  EXPECT_EQ(screen[24], "BURP.");
  EXPECT_EQ(screen[26], "George wins.");
}

// With four equal belches the bet always wins, so the winner line names who the key bet on.
TEST(Burpleton, BetKeys) {
  struct Case {
    char key;
    std::string_view echo;
    std::string_view name;
  };
  const Case cases[] = {
      {'1', "A.", "Brian"},  {'a', "A.", "Brian"},  {'A', "A.", "Brian"},  {'\r', "B.", "George"},
      {' ', "A.", "Brian"},  {'3', "C.", "Sam"},    {'2', "B.", "George"}, {'d', "D.", "Elliot"},
      {'D', "D.", "Elliot"}, {'4', "D.", "Elliot"}, {'\0', "A.", "Brian"}, {'\x1b', "D.", "Elliot"},
      {'7', "D.", "Elliot"}, {'9', "B.", "George"}, {'Z', "C.", "Sam"},    {'5', "B.", "George"},
  };
  for (const Case& c : cases) {
    const auto t = contest(c.key, {4, 4, 4, 4});
    const auto screen = kit::testing::split_lines(t.screen);
    const int code = static_cast<unsigned char>(c.key);
    ASSERT_EQ(screen.size(), 28U) << code << "\n" << readable(t.screen);
    EXPECT_EQ(screen[8], c.echo) << code;
    EXPECT_EQ(screen[9], "") << code;
    EXPECT_EQ(screen[26], std::string(c.name) + " wins.") << code;
    EXPECT_EQ(screen[27], "And you win!") << code;
  }
}

// The pauses only pace the turns: whatever is pressed there, the same seed gives the same screen.
TEST(Burpleton, PauseKeysChangeNothing) {
  const std::string_view pause_sets[] = {"aaaaaaaa",
                                         "bbbbbbbb",
                                         "11110000",
                                         "\r\r\r\r    ",
                                         std::string_view("\0\0\0\0\0\0\0\0", 8),
                                         "\x82\xFFzZ9.,a"};
  for (std::uint32_t seed = 0; seed < 40; ++seed) {
    const auto reference = play_seeded(burpleton::play, "b" + std::string(kPauses) + "q", seed);
    ASSERT_TRUE(reference.finished);
    EXPECT_EQ(reference.asked, kFourRolls);
    for (const std::string_view pauses : pause_sets) {
      const auto t = play_seeded(burpleton::play, "b" + std::string(pauses) + "q", seed);
      EXPECT_TRUE(t.finished) << seed;
      EXPECT_EQ(t.asked, kFourRolls) << seed;
      EXPECT_EQ(t.screen, reference.screen) << seed << "\n" << readable(t.screen);
    }
  }
}

int belch_length(const std::string& line) {
  if (line.size() < 5 || line.front() != 'B' || line.substr(line.size() - 3) != "RP.") {
    return -1;
  }
  const std::string us = line.substr(1, line.size() - 4);
  return us.find_first_not_of('U') == std::string::npos ? static_cast<int>(us.size()) : -1;
}

// Seeded runs read back from the screen: every length lies in 1..10, all ten come up, and the
// winner is the longest belch, the bet among equals, else the first of them.
TEST(Burpleton, SeededRunsFollowTheRule) {
  bool seen[11] = {};
  for (std::uint32_t seed = 0; seed < 400; ++seed) {
    const int bet = static_cast<int>(seed % 4);
    const std::string keys = std::string(1, static_cast<char>('a' + bet)) + "0000000000";
    const auto t = play_seeded(burpleton::play, keys, seed);
    const auto screen = kit::testing::split_lines(t.screen);
    ASSERT_TRUE(t.finished) << seed;
    ASSERT_GE(screen.size(), 27U) << seed;
    int lengths[4] = {};
    int longest = 0;
    for (int n = 0; n < 4; ++n) {
      lengths[n] = belch_length(screen[12 + 4 * n]);
      ASSERT_GE(lengths[n], 1) << seed << " " << screen[12 + 4 * n];
      ASSERT_LE(lengths[n], 10) << seed;
      seen[lengths[n]] = true;
      longest = std::max(longest, lengths[n]);
    }
    int winner = 0;
    while (lengths[winner] != longest) {
      ++winner;
    }
    if (lengths[bet] == longest) {
      winner = bet;
    }
    EXPECT_EQ(screen[26], std::string(kNames[winner]) + " wins.") << seed;
    EXPECT_EQ(screen.size(), winner == bet ? 28U : 27U) << seed;
  }
  for (int length = 1; length <= 10; ++length) {
    EXPECT_TRUE(seen[length]) << length;
  }
}

}  // namespace
