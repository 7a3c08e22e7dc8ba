#pragma once

#include <string>
#include <string_view>

#include "model/sim_state.h"

namespace kb {

// What the picture shows now, in one German sentence for a screen reader:
// the crystal's angle in whole degrees (so that it changes every few ticks,
// not every tick) and the reflection in Bragg position with its angles, or
// that none is.
std::string DescribeScene(const SimState& s, std::string_view decimalSeparator);
// The same for an unknown crystal: a reflection in Bragg position with its
// 2Theta only, never its indices.
std::string DescribeLabScene(const SimState& s, std::string_view decimalSeparator);

}  // namespace kb
