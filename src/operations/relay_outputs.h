#pragma once

#include <cstdint>
#include <string_view>

namespace voka {

// Relays A to D are indexes 0 to 3. Switching one drives the other three off: the relay bits
// are always rewritten from the states commanded in this run.
std::int32_t sb(std::int32_t index, std::int32_t value);
std::string_view nsb(std::int32_t index);
// The state last commanded for the relay in this run (the relay itself is not read back).
std::int32_t rsb(std::int32_t index);

}  // namespace voka
