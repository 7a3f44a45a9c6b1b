#pragma once

#include <cstdint>
#include <string_view>

namespace voka {

// Indexes 0 and 1 are the two converter channels; 2 resets the port for a printer and
// 3 re-initialises the interface.
std::int32_t ea(std::int32_t index);
std::string_view nea(std::int32_t index);
double ead(std::int32_t index);
std::string_view nead(std::int32_t index);

}  // namespace voka
