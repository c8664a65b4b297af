#pragma once

#include "kit/play.hpp"

namespace golf {

void play(kit::Play& play);

}  // namespace golf
