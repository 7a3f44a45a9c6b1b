#include "platform/hardware_port.h"

#include "platform/linux/linux_port_access.h"
#include "platform/program.h"

namespace voka {
namespace {

LinuxPortAccess& kernel_port() {
    static LinuxPortAccess access(kernel_port_system());
    return access;
}

}  // namespace

bool HardwarePort::request_access(std::uint16_t base, std::uint16_t count) {
    if (kernel_port().request_access(base, count)) return true;
    // The report on standard output stays as the driver defines it; the advice goes aside.
    FixedText<512> line;
    describe_refusal(kernel_port(), base, program_name(), line);
    write_standard_error(line.view());
    return false;
}

std::uint8_t HardwarePort::read(std::uint16_t port) { return kernel_port().read(port); }

void HardwarePort::write(std::uint16_t port, std::uint8_t value) { kernel_port().write(port, value); }

}  // namespace voka
