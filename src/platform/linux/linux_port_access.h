#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/fixed_text.h"
#include "interface/port_access.h"
#include "platform/linux/port_system.h"

namespace voka {

// Why the port could not be had, each with its own advice.
enum class AccessRefusal : std::uint8_t {
    none,
    not_permitted,          // no I/O permission and no parallel-port device for this address
    device_not_permitted,   // the device exists but this user may not open it
    device_busy,            // another program holds the device
    refused_to_root,        // root without I/O permission: kernel lockdown
    no_permission_support,  // the kernel has no I/O-port permission at all
    privileges_kept,        // the grant worked but the privileges could not be given up
};

// The port on Linux, reached the first way that works: direct I/O on exactly the two registers
// (root or CAP_SYS_RAWIO), else the kernel's parallel-port device for the same address (a plain
// user in group lp). A program started with more privilege than its caller gives it all up
// right after the grant, which survives that.
class LinuxPortAccess final : public PortAccess {
public:
    explicit LinuxPortAccess(PortSystem& system, std::string_view proc_root = "/proc",
                             std::string_view device_root = "/dev");

    bool request_access(std::uint16_t base, std::uint16_t count) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;

    AccessRefusal refusal() const { return refusal_; }
    // The device that was used or refused, when there was one (held NUL-terminated for open).
    std::string_view device_path() const {
        return device_path_.size() == 0 ? std::string_view{} : device_path_.view().substr(0, device_path_.size() - 1);
    }

private:
    enum class Mode : std::uint8_t { none, direct, device };
    enum class DeviceOutcome : std::uint8_t { claimed, none_found, not_permitted, busy, failed };

    DeviceOutcome claim_device(std::uint16_t base);
    bool find_device(std::uint16_t base);

    PortSystem& system_;
    std::string_view proc_root_;
    std::string_view device_root_;
    Mode mode_ = Mode::none;
    AccessRefusal refusal_ = AccessRefusal::none;
    std::uint16_t base_ = 0;
    int device_fd_ = -1;
    FixedText<256> device_path_;
};

// One line for standard error: why the port was refused and what to do about it.
void describe_refusal(const LinuxPortAccess& access, std::uint16_t base, std::string_view program,
                      FixedText<512>& line);

}  // namespace voka
