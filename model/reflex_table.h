#pragma once

#include "sim_state.h"

namespace kb {

// Builds ReflexTable, ReflexCount, Reflex10Index, Reflex01Index, HMax, KMax and
// SweepOrder from AStar, BStar, CosGamma, GammaStar and SinGammaStar. Entries
// that stay keep their PeakRecorded and EwaldMark; new ones start unrecorded.
void BuildReflexTable(SimState& s);

// The number of entries BuildReflexTable would make, without making them.
int CountReflexes(const SimState& s);

void BuildSweepOrder(SimState& s);

}  // namespace kb
