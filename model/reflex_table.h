#pragma once

#include "sim_state.h"

namespace kb {

// Builds ReflexTable, ReflexCount, Reflex10Index, Reflex01Index, HMax, KMax and
// SweepOrder from AStar, BStar, CosGamma and GammaStar. Leaves PeakRecorded and
// EwaldMark of the entries alone.
void BuildReflexTable(SimState& s);

// The enumeration stops at the table's capacity; with the crystal's constants
// 56 of the 98 candidates qualify, far below it.
void BuildSweepOrder(SimState& s);

}  // namespace kb
