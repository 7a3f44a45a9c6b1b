#pragma once

#include <cstddef>
#include <cstdint>

#include "interface/port_access.h"

namespace voka {

inline constexpr std::size_t relay_count = 4;

struct ChannelWords {
    std::uint16_t channel0;
    std::uint16_t channel1;
};

// Puts the module back to its start-of-run state (everything zero, relays off) and routes every
// port access of the run to `port`.
void attach_port(PortAccess& port);

void set_bit_count(std::uint8_t count);
void select_port(std::uint16_t base);
std::uint16_t port_base();

std::uint8_t port_read(std::uint16_t port);
// Writes the low 8 bits of `value`; callers rely on the truncation.
void port_write(std::uint16_t port, std::uint32_t value);

// Start-up and re-initialisation: saves the data byte, writes the idle control pattern.
// False only when the system refuses access to the registers at the run's first access.
[[nodiscard]] bool interface_init();
void reset_for_printing();
ChannelWords read_channels();

// The flags that write_relays drives onto data bits 0 to 3; non-zero is on.
void set_relay_state(std::size_t relay, std::uint8_t flag);
std::uint8_t relay_state(std::size_t relay);
void write_relays();

}  // namespace voka
