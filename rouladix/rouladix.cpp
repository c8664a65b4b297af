#include "rouladix/rouladix.hpp"

namespace rouladix {

// Placeholder until the game lands.
void play(kit::Play& play) { play.line("ROULADIX."); }

}  // namespace rouladix
