#pragma once

#include "interface/port_access.h"

namespace voka {

// The PC's own port registers, reached as the platform allows.
class HardwarePort final : public PortAccess {
public:
    bool request_access(std::uint16_t base, std::uint16_t count) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
};

}  // namespace voka
