#pragma once

#include <cstdint>

#include "platform/simulator/simulator_state.h"

namespace voka::testing {

inline SimulatorState box_state(std::uint8_t data, std::uint16_t input0, std::uint16_t input1) {
    SimulatorState state;
    state.data = data;
    state.input0 = input0;
    state.input1 = input1;
    return state;
}

// The same box, missing or unpowered: every status read gives `status`.
inline SimulatorState with_stuck_status(SimulatorState state, std::uint8_t status) {
    state.status_stuck = true;
    state.stuck_status = status;
    return state;
}

}  // namespace voka::testing
