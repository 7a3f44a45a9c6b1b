#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "interface/port_access.h"

namespace voka::testing {

struct PortAccessRecord {
    char direction;  // 'R' or 'W'
    std::uint16_t port;
    std::uint8_t value;

    bool operator==(const PortAccessRecord&) const = default;
};

// Records every access. The data register reads back the last byte written (initially
// `data`); every other register reads what `status` answers.
class RecordingPort final : public voka::PortAccess {
public:
    std::uint16_t data_port = 0x378;
    std::uint8_t data = 0x00;
    std::function<std::uint8_t()> status = [] { return std::uint8_t{0x00}; };
    bool refuse_access = false;

    std::vector<PortAccessRecord> accesses;
    int access_requests = 0;

    bool request_access(std::uint16_t base, std::uint16_t count) override {
        ++access_requests;
        granted_base = base;
        granted_count = count;
        return !refuse_access;
    }
    std::uint8_t read(std::uint16_t port) override {
        const std::uint8_t value = port == data_port ? data : status();
        accesses.push_back({'R', port, value});
        return value;
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        accesses.push_back({'W', port, value});
        if (port == data_port) data = value;
    }

    std::uint16_t granted_base = 0;
    std::uint16_t granted_count = 0;
};

}  // namespace voka::testing
