#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frontend/fixed_text.h"

namespace voka {

inline constexpr std::uint16_t largest_input_count = 1023;

// What outlives a run of the simulated interface, as its state file holds it.
struct SimulatorState {
    std::uint8_t data = 0x00;        // the data-port latch
    std::uint16_t input0 = 0;        // converter inputs, counts 0 to 1023
    std::uint16_t input1 = 0;
    bool status_stuck = false;       // a missing or unpowered box: every status read gives
    std::uint8_t stuck_status = 0;   // this byte
};

struct StateParseError {
    std::size_t line = 0;  // 0: no error
    std::string_view problem;
};

// One key=value a line: data=0xHH, input0=N, input1=N, optionally status=0xHH. Empty lines are
// allowed; anything else is an error naming its line.
StateParseError parse_simulator_state(std::string_view text, SimulatorState& state);

using StateText = FixedText<64>;

StateText format_simulator_state(const SimulatorState& state);

}  // namespace voka
