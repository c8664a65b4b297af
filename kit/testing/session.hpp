// Plays a game through its shipping entry point on scripted keys and a seeded or scripted chance
// source, and keeps the exact screen: the evidence every game test compares.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "kit/play.hpp"

namespace kit::testing {

struct Transcript {
  std::string screen;         // the code page 850 bytes as written, CR LF line ends
  bool finished = false;      // the game and its closing key wait completed
  std::size_t keys_used = 0;  // key presses read, the closing one included
  std::vector<int> asked;     // the k of every chance roll, in order
  std::string error;          // what went wrong with a script (rolls ran out, a roll above k)
};

// Keys are raw codes, one byte each. The game runs through kit::play_through, as it ships.
Transcript play_seeded(Game game, std::string_view keys, std::uint32_t seed);

// The chance source answers the rolls in order; a roll outside 0..k, or one more roll than
// given, stops the game and is reported in error.
Transcript play_scripted(Game game, std::string_view keys, std::vector<int> rolls);

// The lines joined as the screen shows them: each followed by CR LF.
std::string lines(std::initializer_list<std::string_view> lines);

// The screen cut into its lines, without their CR LF; an unfinished last line (a prompt) is kept.
std::vector<std::string> split_lines(std::string_view screen);

// The screen made readable for a failure message: CR LF becomes a line feed.
std::string readable(std::string_view screen);

}  // namespace kit::testing
