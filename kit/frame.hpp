// The frame every program runs in: seed, keyboard on, the game, the closing key wait, keyboard
// off, exit status 0.
#pragma once

#include "kit/play.hpp"

namespace kit {

// The whole program on the real console; main() returns what this returns.
int run_program(Game game, const char* name);

}  // namespace kit
