// Scripted matches: every roll is given with the k the game must ask for it, so a transcript
// states both the screen and the exact order of chance.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "hooplandia/hooplandia.hpp"
#include "kit/testing/session.hpp"

namespace hooplandia_test {

struct Roll {
  int value;
  int k;
};
using Script = std::vector<Roll>;

inline Script operator+(Script first, const Script& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

inline Script repeat(int times, const Script& script) {
  Script all;
  for (int n = 0; n < times; ++n) {
    all = all + script;
  }
  return all;
}

// The away team: a roll of 2, plus 1.
inline Script team_draw(int value) { return {{value, 2}}; }
inline Script tip_home(int slot) { return {{0, 1}, {slot - 1, 4}}; }
inline Script tip_away(int slot) { return {{1, 1}, {slot - 1, 4}}; }
// A drop roll of a rating: anything but 1 keeps the ball.
inline Script keeps(int rating) { return {{0, rating}}; }
inline Script drops(int rating) { return {{1, rating}}; }
inline Script shot(int base, int shooting_roll, int shooting) {
  return {{base, 5}, {shooting_roll, shooting}};
}
// Away actions: 1 dribbles above midcourt and passes at it, 2 shoots, 3 draws again.
inline Script away_moves() { return {{0, 2}}; }
inline Script away_shoots() { return {{1, 2}}; }
inline Script away_draws_again(int second) { return {{2, 2}, {second, 2}}; }
inline Script receiver(int entry) { return {{entry - 1, 3}}; }

inline std::vector<int> values_of(const Script& script) {
  std::vector<int> values;
  for (const Roll& roll : script) {
    values.push_back(roll.value);
  }
  return values;
}

inline std::vector<int> ks_of(const Script& script) {
  std::vector<int> ks;
  for (const Roll& roll : script) {
    ks.push_back(roll.k);
  }
  return ks;
}

// Plays the script and checks that the game asked for exactly its rolls, with their k, in order.
inline kit::testing::Transcript play_script(std::string_view keys, const Script& script) {
  kit::testing::Transcript transcript =
      kit::testing::play_scripted(hooplandia::play, keys, values_of(script));
  EXPECT_EQ(transcript.error, "") << kit::testing::readable(transcript.screen);
  EXPECT_EQ(transcript.asked, ks_of(script)) << kit::testing::readable(transcript.screen);
  return transcript;
}

// The title, a credit line of one line and an empty line, then the rest of the screen.
inline std::string after_credit(const std::string& screen) {
  constexpr std::string_view title = "HOOPLANDIA.\r\n";
  EXPECT_EQ(screen.substr(0, title.size()), title);
  const std::size_t credit_end = screen.find("\r\n", title.size());
  EXPECT_NE(credit_end, std::string::npos);
  if (credit_end == std::string::npos) {
    return "";
  }
  EXPECT_GT(credit_end, title.size()) << "the credit line is empty";
  EXPECT_EQ(screen.substr(credit_end, 4), "\r\n\r\n");
  return screen.substr(credit_end + 4);
}

inline bool ends_with(const std::string& screen, const std::string& tail) {
  return screen.size() >= tail.size() &&
         screen.compare(screen.size() - tail.size(), tail.size(), tail) == 0;
}

inline std::string opening(std::string_view home, std::string_view away) {
  const std::string fixture = std::string(home) + " against " + std::string(away) + ".";
  return kit::testing::lines({"Choose one team.", "A. Sniffers.", "B. Smoothies.", "C. Douches.",
                              "************", "Tonight:", fixture, "************",
                              "The game begins!"});
}

inline std::string gets(std::string_view name) {
  return kit::testing::lines({std::string(name) + " gets the ball."});
}

// The home menu offering the four mates in this order.
inline std::string menu(std::initializer_list<std::string_view> mates) {
  std::string screen = kit::testing::lines({"A. Dribble."});
  char letter = 'B';
  for (const std::string_view mate : mates) {
    screen +=
        kit::testing::lines({std::string(1, letter++) + ". Pass to " + std::string(mate) + "."});
  }
  return screen + kit::testing::lines({"F. Toss the ball."});
}

}  // namespace hooplandia_test
