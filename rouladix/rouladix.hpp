#pragma once

#include "kit/play.hpp"

namespace rouladix {

void play(kit::Play& play);

}  // namespace rouladix
