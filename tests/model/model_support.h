#pragma once

#include <cmath>
#include <numbers>

#include "model/rotation.h"
#include "model/sim_state.h"

namespace kb::test {

// The model's share of the initialisation: constants, table and the rotation reset.
inline void InitModel(SimState& s)
{
    InitConstantsAndTable(s);
    ResetRotationForInit(s);
}

inline int IndexOf(const SimState& s, int h, int k)
{
    for (int i = 0; i < s.ReflexCount; ++i) {
        const Reflex& r = s.ReflexTable[static_cast<std::size_t>(i)];
        if (r.H == h && r.K == k) {
            return i;
        }
    }
    return -1;
}

inline const Reflex& At(const SimState& s, int index)
{
    return s.ReflexTable[static_cast<std::size_t>(index)];
}

inline double Deg(double rad)
{
    return rad * 180.0 / std::numbers::pi;
}

}  // namespace kb::test
