// kit::Play: all a game sees of the world. A screen, one key press at a time, and chance.
#pragma once

#include <string_view>

#include "kit/chance.hpp"
#include "kit/screen.hpp"

namespace kit {

// A source of key presses: each call returns the next press as a code 0..255 in code page 850
// (0 for a key without a character). It does not return when input has ended: production leaves
// the program, a test harness unwinds out of the game.
class Keys {
 public:
  using Source = int (*)(void* context);
  Keys(Source source, void* context) : source_(source), context_(context) {}
  int read() { return source_(context_); }

 private:
  Source source_;
  void* context_;
};

class Play {
 public:
  Play(Screen& screen, Keys& keys, Chance& chance)
      : screen_(screen), keys_(keys), chance_(chance) {}

  void text(std::string_view text) { screen_.text(text); }
  void number(long long value) { screen_.number(value); }
  void character(char c) { screen_.character(c); }
  void end_line() { screen_.end_line(); }
  void line(std::string_view text) {
    screen_.text(text);
    screen_.end_line();
  }

  // Everything written so far is on screen before the wait begins.
  int read_key() {
    screen_.flush();
    return keys_.read();
  }

  int roll(int k) { return chance_.roll(k); }

 private:
  Screen& screen_;
  Keys& keys_;
  Chance& chance_;
};

// A game is one procedure over its own local state.
using Game = void (*)(Play& play);

// Steps 3 and 4 of every program: the game, then the closing key wait. The shipping frame, replay
// and the tests all go through here.
void play_through(Play& play, Game game);

}  // namespace kit
