#pragma once

#include "kit/play.hpp"

namespace hooplandia {

void play(kit::Play& play);

}  // namespace hooplandia
