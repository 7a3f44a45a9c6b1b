#pragma once

#include <cstdint>

namespace voka {

// The answer for a function the interface lacks or an index outside the function's range.
inline constexpr std::int32_t absent_code = -777;
inline constexpr double absent_real = -777.0;

}  // namespace voka
