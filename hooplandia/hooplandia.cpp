#include "hooplandia/hooplandia.hpp"

namespace hooplandia {

// Placeholder until the game lands.
void play(kit::Play& play) { play.line("HOOPLANDIA."); }

}  // namespace hooplandia
