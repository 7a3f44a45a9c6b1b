#pragma once

#include <cstdint>

namespace voka {

// The kernel services the hardware port uses, behind one interface so that the choice of
// access can be tested without a port, a parport device or privileges.
class PortSystem {
public:
    // ioperm for `count` ports from `base`: 0, or the errno.
    virtual int grant_ports(std::uint16_t base, std::uint16_t count) = 0;
    virtual std::uint8_t in(std::uint16_t port) = 0;
    virtual void out(std::uint16_t port, std::uint8_t value) = 0;

    // A parallel-port device: open read-write (a descriptor, or minus the errno) and its
    // ioctls (0, or the errno).
    virtual int open_device(const char* path) = 0;
    virtual int device_control(int fd, unsigned long request, void* argument) = 0;
    virtual void close_device(int fd) = 0;

    // Whether the program was started with more privilege than its caller (setuid, setgid or
    // file capabilities), and whether it runs as root now.
    virtual bool elevated() = 0;
    virtual bool effective_root() = 0;
    // Back to the caller's ids, no supplementary groups, no capabilities: 0, or the errno.
    virtual int drop_privileges() = 0;

protected:
    ~PortSystem() = default;
};

// The real kernel.
PortSystem& kernel_port_system();

}  // namespace voka
