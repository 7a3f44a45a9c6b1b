#pragma once

#include <cstdint>

namespace voka {

// The one seam between the line protocol and whatever carries out the port accesses: the
// platform's real port, the simulated interface, or a test's recording fake.
class PortAccess {
public:
    // Asks for byte access to `count` consecutive registers from `base`. Called once, before
    // the first access of a run; false when the system refuses.
    virtual bool request_access(std::uint16_t base, std::uint16_t count) = 0;
    virtual std::uint8_t read(std::uint16_t port) = 0;
    virtual void write(std::uint16_t port, std::uint8_t value) = 0;

protected:
    ~PortAccess() = default;
};

}  // namespace voka
