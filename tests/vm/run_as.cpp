// Test tool for the virtual machine: runs a program as another user, with no supplementary
// groups: run_as UID GID PROGRAM [ARGUMENTS...]
#include <cstdio>
#include <cstdlib>

#include <grp.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) return 125;
    const auto uid = static_cast<uid_t>(std::atoi(argv[1]));
    const auto gid = static_cast<gid_t>(std::atoi(argv[2]));
    if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0) {
        std::perror("run_as");
        return 125;
    }
    execv(argv[3], argv + 3);
    std::perror("run_as");
    return 127;
}
