// Test tool for the virtual machine: takes the port as the hardware programs do, then shows
// what privileges are left and whether the grant still works:
//   privilege_probe BASE   (BASE in decimal)
// prints "uid R E S gid R E S groups N cap P E data 0xHH" or "refused".
#include <cstdio>
#include <cstdlib>

#include <grp.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/linux/linux_port_access.h"

int main(int argc, char** argv) {
    if (argc != 2) return 125;
    const auto base = static_cast<std::uint16_t>(std::atoi(argv[1]));
    voka::LinuxPortAccess access(voka::kernel_port_system());
    if (!access.request_access(base, 2)) {
        std::printf("refused\n");
        return 1;
    }
    uid_t ruid, euid, suid;
    gid_t rgid, egid, sgid;
    getresuid(&ruid, &euid, &suid);
    getresgid(&rgid, &egid, &sgid);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3] = {};
    syscall(SYS_capget, &header, caps);
    std::printf("uid %u %u %u gid %u %u %u groups %d cap %x %x data 0x%02X\n", ruid, euid, suid, rgid, egid, sgid,
                getgroups(0, nullptr), caps[0].permitted, caps[0].effective, access.read(base));
    return 0;
}
