#pragma once

#include "kit/play.hpp"

namespace mirkweld {

void play(kit::Play& play);

}  // namespace mirkweld
