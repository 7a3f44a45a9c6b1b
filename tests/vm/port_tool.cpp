// Test tool for the virtual machine, run as root: reads an I/O port, or writes one (the
// isa-debug-exit port hands the guest's verdict to QEMU).
//   port_tool read PORT        prints the byte as two uppercase hex digits
//   port_tool write PORT VALUE (decimal numbers)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/io.h>

int main(int argc, char** argv) {
    if (argc < 3) return 125;
    const auto port = static_cast<unsigned short>(std::atoi(argv[2]));
    if (ioperm(port, 1, 1) != 0) {
        std::perror("port_tool");
        return 1;
    }
    if (std::strcmp(argv[1], "read") == 0) {
        std::printf("%02X\n", inb(port));
        return 0;
    }
    if (std::strcmp(argv[1], "write") == 0 && argc == 4) {
        outb(static_cast<unsigned char>(std::atoi(argv[3])), port);
        return 0;
    }
    return 125;
}
