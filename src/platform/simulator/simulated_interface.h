#pragma once

#include <cstddef>
#include <cstdint>

#include "interface/port_access.h"
#include "platform/simulator/simulator_state.h"

namespace voka {

// A VOKA box on a simulated port: the data latch, the two serial converters clocked through
// the data port and read on the status port, and an optional trace of every access.
class SimulatedInterface final : public PortAccess {
public:
    // `trace_fd`: where each access is appended as "R PPPP VV" or "W PPPP VV"; -1 for none.
    SimulatedInterface(const SimulatorState& state, int trace_fd);

    bool request_access(std::uint16_t base, std::uint16_t count) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;

    const SimulatorState& state() const { return state_; }
    // Appends the trace lines not yet written; false when the trace file refused them.
    bool flush_trace();

private:
    std::uint8_t status() const;
    void record(char direction, std::uint16_t port, std::uint8_t value);

    SimulatorState state_;
    std::uint16_t base_ = 0;
    bool converting_ = false;
    std::uint16_t sample0_ = 0;
    std::uint16_t sample1_ = 0;
    int presented_bit_ = -1;  // -1 before the first clock edge of a conversion

    int trace_fd_;
    bool trace_failed_ = false;
    char trace_[1000];
    std::size_t trace_size_ = 0;
};

}  // namespace voka
