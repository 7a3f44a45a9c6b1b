#include "platform/simulator/simulated_interface.h"

#include <cerrno>

#include <unistd.h>

namespace voka {
namespace {

constexpr int converter_bits = 10;
constexpr std::uint8_t start_or_clock_low = 0x3;  // data bits 7..4
constexpr std::uint8_t clock_high = 0xB;
constexpr std::uint8_t end_of_conversion = 0x7;
constexpr std::uint8_t channel0_status_bit = 0x40;  // active high
constexpr std::uint8_t channel1_status_bit = 0x80;  // active low, as the inverted BUSY line
constexpr std::uint8_t unused_port_value = 0xFF;
constexpr std::size_t trace_line_bytes = 10;

constexpr char hex_digits[] = "0123456789ABCDEF";

bool write_fully(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

SimulatedInterface::SimulatedInterface(const SimulatorState& state, int trace_fd)
    : state_(state), trace_fd_(trace_fd) {}

bool SimulatedInterface::request_access(std::uint16_t base, std::uint16_t) {
    base_ = base;
    return true;
}

std::uint8_t SimulatedInterface::status() const {
    if (state_.status_stuck) return state_.stuck_status;
    bool bit0 = false;
    bool bit1 = false;
    if (converting_ && presented_bit_ >= 0 && presented_bit_ < converter_bits) {
        const int shift = converter_bits - 1 - presented_bit_;  // most significant bit first
        bit0 = ((sample0_ >> shift) & 1) != 0;
        bit1 = ((sample1_ >> shift) & 1) != 0;
    }
    return static_cast<std::uint8_t>((bit0 ? channel0_status_bit : 0) | (bit1 ? 0 : channel1_status_bit));
}

std::uint8_t SimulatedInterface::read(std::uint16_t port) {
    std::uint8_t value = unused_port_value;
    if (port == base_) value = state_.data;
    else if (port == base_ + 1) value = status();
    record('R', port, value);
    return value;
}

void SimulatedInterface::write(std::uint16_t port, std::uint8_t value) {
    record('W', port, value);
    if (port != base_) return;
    const std::uint8_t previous_lines = state_.data >> 4;
    const std::uint8_t lines = value >> 4;
    state_.data = value;
    if (!converting_ && lines == start_or_clock_low) {
        converting_ = true;
        sample0_ = state_.input0;
        sample1_ = state_.input1;
        presented_bit_ = -1;
    } else if (converting_ && lines == clock_high && previous_lines == start_or_clock_low) {
        ++presented_bit_;
    } else if (lines == end_of_conversion) {
        converting_ = false;
    }
}

void SimulatedInterface::record(char direction, std::uint16_t port, std::uint8_t value) {
    if (trace_fd_ < 0) return;
    if (trace_size_ + trace_line_bytes > sizeof trace_) flush_trace();
    char* line = trace_ + trace_size_;
    line[0] = direction;
    line[1] = ' ';
    for (int i = 0; i < 4; ++i) line[2 + i] = hex_digits[(port >> (12 - 4 * i)) & 0xF];
    line[6] = ' ';
    line[7] = hex_digits[value >> 4];
    line[8] = hex_digits[value & 0xF];
    line[9] = '\n';
    trace_size_ += trace_line_bytes;
}

bool SimulatedInterface::flush_trace() {
    if (trace_size_ > 0 && !write_fully(trace_fd_, trace_, trace_size_)) trace_failed_ = true;
    trace_size_ = 0;
    return !trace_failed_;
}

}  // namespace voka
