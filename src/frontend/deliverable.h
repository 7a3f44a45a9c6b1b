#pragma once

#include <cstdint>

namespace voka {

// Fixed when each deliverable is built; nothing about the port is read at run time.
extern const std::uint16_t deliverable_port_base;
// 1, 2 or 3: the n of "LPTn:".
extern const int deliverable_port_number;

}  // namespace voka
