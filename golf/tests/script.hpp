// Shared by the golf tests: a first pole played on given keys and rolls, the other 17 skipped,
// and the screen of one pole cut out of the transcript.
#pragma once

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "golf/golf.hpp"
#include "kit/testing/session.hpp"

namespace golf_test {

// The set-up rolls of a skipped pole: 260 yards, water from 100 to 160.
inline constexpr int kSkippedPoleRolls[] = {0, 0, 0, 0};
inline constexpr int kSkippedPoleAsked[] = {900, 2, 60, 30};

// Plays the keys of pole 1 (they must end it), skips the other poles and presses the closing key.
inline kit::testing::Transcript first_pole(std::string_view keys, std::vector<int> rolls) {
  std::string all(keys);
  all.append(17, 'C');
  all.push_back(' ');
  for (int pole = 2; pole <= 18; ++pole)
    rolls.insert(rolls.end(), std::begin(kSkippedPoleRolls), std::end(kSkippedPoleRolls));
  return kit::testing::play_scripted(golf::play, all, std::move(rolls));
}

// The k of every roll of a first_pole run: pole 1's as given, then the skipped poles'.
inline std::vector<int> first_pole_asked(std::vector<int> asked) {
  for (int pole = 2; pole <= 18; ++pole)
    asked.insert(asked.end(), std::begin(kSkippedPoleAsked), std::end(kSkippedPoleAsked));
  return asked;
}

// From the heading of pole n up to the heading of the next pole or the closing prompt.
inline std::string pole_screen(const std::string& screen, int n) {
  const std::string heading = "Pole " + std::to_string(n) + ".\r\n";
  const std::size_t begin = screen.find(heading);
  if (begin == std::string::npos) return {};
  std::size_t end = screen.find("\r\nPole ", begin);
  if (end == std::string::npos) end = screen.find("\r\nHit a key", begin);
  return end == std::string::npos ? screen.substr(begin) : screen.substr(begin, end + 2 - begin);
}

inline void expect_whole_game(const kit::testing::Transcript& t) {
  EXPECT_TRUE(t.finished) << t.error << "\n" << kit::testing::readable(t.screen);
  EXPECT_EQ(t.error, "");
}

}  // namespace golf_test
