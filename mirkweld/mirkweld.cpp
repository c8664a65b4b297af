#include "mirkweld/mirkweld.hpp"

namespace mirkweld {

// Placeholder until the game lands.
void play(kit::Play& play) { play.line("MIRKWELD."); }

}  // namespace mirkweld
