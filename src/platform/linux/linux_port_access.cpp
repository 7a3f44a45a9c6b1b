#include "platform/linux/linux_port_access.h"

#include <cerrno>
#include <charconv>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <linux/ppdev.h>
#include <unistd.h>

namespace voka {
namespace {

constexpr std::string_view device_prefix = "parport";

// The first number of a base-addr file ("888\t0\n": the base, then the ECP base).
bool read_base_address(const char* path, unsigned& base) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[64];
    const ssize_t size = ::read(fd, text, sizeof text);
    ::close(fd);
    if (size <= 0) return false;
    const auto [end, error] = std::from_chars(text, text + size, base);
    return error == std::errc{} && end != text;
}

bool is_device_name(std::string_view name) {
    if (name.size() <= device_prefix.size() || name.substr(0, device_prefix.size()) != device_prefix) return false;
    for (const char c : name.substr(device_prefix.size())) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

}  // namespace

LinuxPortAccess::LinuxPortAccess(PortSystem& system, std::string_view proc_root, std::string_view device_root)
    : system_(system), proc_root_(proc_root), device_root_(device_root) {}

bool LinuxPortAccess::request_access(std::uint16_t base, std::uint16_t count) {
    base_ = base;
    const int io_error = system_.grant_ports(base, count);
    if (io_error == 0) {
        mode_ = Mode::direct;
    } else {
        switch (claim_device(base)) {
            case DeviceOutcome::claimed: mode_ = Mode::device; break;
            case DeviceOutcome::not_permitted: refusal_ = AccessRefusal::device_not_permitted; break;
            case DeviceOutcome::busy: refusal_ = AccessRefusal::device_busy; break;
            case DeviceOutcome::none_found:
            case DeviceOutcome::failed:
                if (io_error == ENOSYS) refusal_ = AccessRefusal::no_permission_support;
                else if (system_.effective_root()) refusal_ = AccessRefusal::refused_to_root;
                else refusal_ = AccessRefusal::not_permitted;
                break;
        }
    }
    // Whatever came of it, nothing more is done with the privileges the program was given.
    if (system_.elevated() && system_.drop_privileges() != 0) {
        mode_ = Mode::none;
        refusal_ = AccessRefusal::privileges_kept;
    }
    return mode_ != Mode::none;
}

bool LinuxPortAccess::find_device(std::uint16_t base) {
    FixedText<256> directory_path;
    directory_path.append(proc_root_);
    directory_path.append("/sys/dev/parport");
    directory_path.append('\0');
    DIR* const directory = ::opendir(directory_path.data());
    if (directory == nullptr) return false;
    bool found = false;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name = entry->d_name;
        if (!is_device_name(name)) continue;
        FixedText<512> base_file;
        base_file.append(directory_path.view().substr(0, directory_path.size() - 1));
        base_file.append('/');
        base_file.append(name);
        base_file.append("/base-addr");
        base_file.append('\0');
        unsigned device_base = 0;
        if (read_base_address(base_file.data(), device_base) && device_base == base) {
            device_path_.append(device_root_);
            device_path_.append('/');
            device_path_.append(name);
            device_path_.append('\0');
            found = true;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

LinuxPortAccess::DeviceOutcome LinuxPortAccess::claim_device(std::uint16_t base) {
    if (!find_device(base)) return DeviceOutcome::none_found;
    const int fd = system_.open_device(device_path_.data());
    if (fd < 0) {
        if (fd == -EACCES || fd == -EPERM) return DeviceOutcome::not_permitted;
        return fd == -EBUSY ? DeviceOutcome::busy : DeviceOutcome::failed;
    }
    // Exclusive use must be asked for before the first claim.
    int error = system_.device_control(fd, PPEXCL, nullptr);
    if (error == 0) error = system_.device_control(fd, PPCLAIM, nullptr);
    if (error != 0) {
        system_.close_device(fd);
        return error == EBUSY ? DeviceOutcome::busy : DeviceOutcome::failed;
    }
    device_fd_ = fd;
    return DeviceOutcome::claimed;
}

std::uint8_t LinuxPortAccess::read(std::uint16_t port) {
    if (mode_ == Mode::direct) return system_.in(port);
    unsigned char value = 0xFF;
    if (mode_ == Mode::device) {
        // PPRSTATUS gives the raw status register, BUSY still inverted, as the protocol expects.
        if (port == base_) system_.device_control(device_fd_, PPRDATA, &value);
        else if (port == base_ + 1) system_.device_control(device_fd_, PPRSTATUS, &value);
    }
    return value;
}

void LinuxPortAccess::write(std::uint16_t port, std::uint8_t value) {
    if (mode_ == Mode::direct) {
        system_.out(port, value);
    } else if (mode_ == Mode::device && port == base_) {
        unsigned char data = value;
        system_.device_control(device_fd_, PPWDATA, &data);
    }
}

void describe_refusal(const LinuxPortAccess& access, std::uint16_t base, std::string_view program,
                      FixedText<512>& line) {
    static constexpr char hex[] = "0123456789ABCDEF";
    const std::string_view device = access.device_path();
    line.append(program);
    line.append(": no access to the parallel port at 0x");
    for (int shift = 8; shift >= 0; shift -= 4) line.append(hex[(base >> shift) & 0xF]);
    line.append(": ");
    switch (access.refusal()) {
        case AccessRefusal::none: break;
        case AccessRefusal::not_permitted:
            line.append("run as root, give the program cap_sys_rawio, or use the parallel-port device with group lp");
            break;
        case AccessRefusal::device_not_permitted:
            line.append(device);
            line.append(" may not be opened by this user: add the user to group lp");
            break;
        case AccessRefusal::device_busy:
            line.append(device);
            line.append(" is busy: another program holds the parallel port");
            break;
        case AccessRefusal::refused_to_root:
            line.append("port I/O is refused even to root; kernel lockdown may forbid it: use the parallel-port "
                        "device (parport_pc driver) with group lp");
            break;
        case AccessRefusal::no_permission_support:
            line.append("the kernel was built without I/O-port permission support: use the parallel-port device "
                        "(parport_pc driver) with group lp");
            break;
        case AccessRefusal::privileges_kept:
            line.append("the program could not give up its privileges after the port grant, so it does not run");
            break;
    }
    line.append('\n');
}

}  // namespace voka
