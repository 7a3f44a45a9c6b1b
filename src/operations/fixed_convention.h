#pragma once

#include <cstdint>

namespace voka {

// The single-precision entries of the fixed-convention vocabulary; the others are their base
// operations under a second keyword.
float stdeas(std::int32_t index);
float stdsas(std::int32_t index, float value);
float stdrsas(std::int32_t index);

}  // namespace voka
