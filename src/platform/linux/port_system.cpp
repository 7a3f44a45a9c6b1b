#include "platform/linux/port_system.h"

#include <cerrno>

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <sys/auxv.h>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace voka {
namespace {

int clear_capabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capset, &header, none) != 0) return errno;
    __user_cap_data_struct left[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, left) != 0) return errno;
    for (const auto& set : left) {
        if (set.effective != 0 || set.permitted != 0 || set.inheritable != 0) return EPERM;
    }
    return 0;
}

class KernelPortSystem final : public PortSystem {
public:
    int grant_ports(std::uint16_t base, std::uint16_t count) override {
        return ioperm(base, count, 1) == 0 ? 0 : errno;
    }
    std::uint8_t in(std::uint16_t port) override { return inb(port); }
    // glibc's outb takes the value first.
    void out(std::uint16_t port, std::uint8_t value) override { outb(value, port); }

    int open_device(const char* path) override {
        const int fd = ::open(path, O_RDWR | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }
    int device_control(int fd, unsigned long request, void* argument) override {
        return ::ioctl(fd, request, argument) == 0 ? 0 : errno;
    }
    void close_device(int fd) override { ::close(fd); }

    // Set by the kernel at exec when the program gained ids or capabilities: no system call.
    bool elevated() override { return getauxval(AT_SECURE) != 0; }
    bool effective_root() override { return geteuid() == 0; }

    int drop_privileges() override {
        const uid_t caller_uid = getuid();
        const gid_t caller_gid = getgid();
        // Only a root effective id may (and must) clear the supplementary groups.
        if (geteuid() == 0 && setgroups(0, nullptr) != 0) return errno;
        if (setresgid(caller_gid, caller_gid, caller_gid) != 0) return errno;
        if (setresuid(caller_uid, caller_uid, caller_uid) != 0) return errno;
        uid_t real = 0, effective = 0, saved = 0;
        if (getresuid(&real, &effective, &saved) != 0) return errno;
        if (real != caller_uid || effective != caller_uid || saved != caller_uid) return EPERM;
        return clear_capabilities();
    }
};

}  // namespace

PortSystem& kernel_port_system() {
    static KernelPortSystem system;
    return system;
}

}  // namespace voka
