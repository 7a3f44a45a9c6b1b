#include "interface/interface_control.h"

#include <array>

namespace voka {
namespace {

// Bits 7..4 of the data port: the converters' clock is bit 7; bits 4 and 5 stay high.
constexpr std::uint8_t idle_pattern = 0xB0;        // also the clock-high phase of a read
constexpr std::uint8_t clock_low_pattern = 0x30;
constexpr std::uint8_t after_read_pattern = 0x70;
constexpr std::uint8_t relay_mask = 0x0F;
constexpr std::uint8_t control_mask = 0xF0;
constexpr std::uint16_t register_count = 2;        // data and status; the control port is never used

PortAccess* attached_port = nullptr;
bool access_granted = false;
std::uint16_t data_port = 0;
std::uint16_t status_port = 0;
std::uint32_t saved_port_value = 0;
std::array<std::uint8_t, relay_count> relay_flags{};
std::uint8_t bit_count = 0;

}  // namespace

void attach_port(PortAccess& port) {
    attached_port = &port;
    access_granted = false;
    data_port = 0;
    status_port = 0;
    saved_port_value = 0;
    relay_flags = {};
    bit_count = 0;
}

void set_bit_count(std::uint8_t count) { bit_count = count; }

void select_port(std::uint16_t base) {
    data_port = base;
    status_port = static_cast<std::uint16_t>(base + 1);
}

std::uint16_t port_base() { return data_port; }

std::uint8_t port_read(std::uint16_t port) { return attached_port->read(port); }

void port_write(std::uint16_t port, std::uint32_t value) {
    attached_port->write(port, static_cast<std::uint8_t>(value));
}

bool interface_init() {
    if (!access_granted) {
        if (!attached_port->request_access(data_port, register_count)) return false;
        access_granted = true;
    }
    saved_port_value = port_read(data_port);
    port_write(data_port, (saved_port_value & relay_mask) | idle_pattern);
    return true;
}

void reset_for_printing() { port_write(data_port, saved_port_value); }

ChannelWords read_channels() {
    const std::uint32_t relays = port_read(data_port) & relay_mask;
    std::uint16_t channel0 = 0;
    std::uint16_t channel1 = 0;
    port_write(data_port, relays | clock_low_pattern);
    for (std::uint8_t bit = 0; bit < bit_count; ++bit) {
        port_write(data_port, relays | idle_pattern);
        const std::uint8_t first_status = port_read(status_port);
        const std::uint8_t second_status = port_read(status_port);
        // Channel 1 is active-low on status bit 7 (inverted BUSY), channel 0 active-high on bit 6.
        channel1 = static_cast<std::uint16_t>((channel1 << 1) | ((first_status & 0x80) == 0 ? 1 : 0));
        channel0 = static_cast<std::uint16_t>((channel0 << 1) | ((second_status & 0x40) != 0 ? 1 : 0));
        port_write(data_port, relays | clock_low_pattern);
    }
    port_write(data_port, relays | after_read_pattern);
    return {channel0, channel1};
}

void set_relay_state(std::size_t relay, std::uint8_t flag) { relay_flags[relay] = flag; }

std::uint8_t relay_state(std::size_t relay) { return relay_flags[relay]; }

void write_relays() {
    std::uint32_t out = port_read(data_port) & control_mask;
    for (std::size_t relay = 0; relay < relay_count; ++relay) {
        if (relay_flags[relay] != 0) out |= 1u << relay;
    }
    port_write(data_port, out);
}

}  // namespace voka
