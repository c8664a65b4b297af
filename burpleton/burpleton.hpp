// The belching contest: bet on one of four contestants; chance alone sets every belch.
#pragma once

#include "kit/play.hpp"

namespace burpleton {

void play(kit::Play& play);

}  // namespace burpleton
