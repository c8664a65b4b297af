// A game of mirkweld written down as the keys pressed and the rolls met, each roll with the k the
// game must ask for it, and the pieces of screen the tests put together.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "kit/testing/session.hpp"
#include "mirkweld/mirkweld.hpp"

namespace mirkweld_test {

constexpr int kBridge = 0;
constexpr int kDock = 1;
constexpr int kTown = 2;
constexpr int kPark = 3;
constexpr int kDanceFloor = 4;

constexpr std::string_view kPlaceLines[] = {"You are on a bridge.", "You are on a dock.",
                                            "You are in town.", "You are in a park.",
                                            "You are on a dance floor."};

struct Script {
  std::string keys;
  std::vector<int> rolls;
  std::vector<int> ks;  // the k the game must ask for each roll

  Script& key(char code) {
    keys += code;
    return *this;
  }
  Script& roll(int k, int value) {
    ks.push_back(k);
    rolls.push_back(value);
    return *this;
  }
  Script& arrive(int place) { return roll(4, place); }
  Script& pass(int place) { return arrive(place).key('b'); }
  Script& explore(int place, int outcome) {
    return arrive(place).key('a').roll(place == kDanceFloor ? 3 : 9, outcome);
  }
  Script& blow(int value) { return roll(5, value); }
  // Fight menu A, the player's blow, then the creature's.
  Script& hit(int player_blow, int creature_blow) {
    return key('a').blow(player_blow).blow(creature_blow);
  }
  // Fight menu B, item menu A, the item's roll of k.
  Script& try_item(int k, int value) { return key('b').key('a').roll(k, value); }

  kit::testing::Transcript run() const {
    return kit::testing::play_scripted(mirkweld::play, keys, rolls);
  }
};

inline std::string title() { return kit::testing::lines({"MIRKWELD RPG 2."}); }

inline std::string arrival(int place) {
  return kit::testing::lines({"", kPlaceLines[place], "A. Explore.", "B. Pass."});
}

inline std::string fight_menu() { return kit::testing::lines({"A. Hit.", "B. Item.", "C. Pass."}); }

// The end of a screen as long as the expected text, for comparing the last turn only.
inline std::string tail(const std::string& screen, const std::string& expected) {
  return screen.size() < expected.size() ? screen : screen.substr(screen.size() - expected.size());
}

}  // namespace mirkweld_test
