#include "platform/hardware_port.h"

#include <sys/io.h>

namespace voka {

bool HardwarePort::request_access(std::uint16_t base, std::uint16_t count) {
    // Exactly the registers asked for: no iopl, no other port.
    return ioperm(base, count, 1) == 0;
}

std::uint8_t HardwarePort::read(std::uint16_t port) { return inb(port); }

void HardwarePort::write(std::uint16_t port, std::uint8_t value) { outb(value, port); }

}  // namespace voka
