#include "golf/golf.hpp"

namespace golf {

// Placeholder until the game lands.
void play(kit::Play& play) { play.line("GOLF."); }

}  // namespace golf
