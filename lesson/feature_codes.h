#pragma once

#include <cstdint>

namespace kb {

// One elementary change of the panel or the model; see ApplyFeatures.
using FeatureCode = std::uint8_t;

inline constexpr FeatureCode kMaxFeatureCode = 41;

}  // namespace kb
