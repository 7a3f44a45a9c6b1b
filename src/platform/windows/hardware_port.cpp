#include "platform/hardware_port.h"

#include <windows.h>

#include "frontend/failure_report.h"
#include "frontend/run_driver.h"
#include "platform/program.h"

namespace voka {
namespace {

// Set while an in or out instruction of ours runs: an exception then means that Windows does
// not let this process touch the port (EXCEPTION_PRIV_INSTRUCTION; another code under emulation).
volatile bool port_instruction_running = false;

[[noreturn]] void end_with_privilege_report() {
    static OutputLine out;
    write_failure_report(port_access_refused(), program_name(), out);
    write_standard_output(out.view());
    ExitProcess(1);
}

LONG CALLBACK on_exception(EXCEPTION_POINTERS*) {
    if (!port_instruction_running) return EXCEPTION_CONTINUE_SEARCH;
    end_with_privilege_report();
}

}  // namespace

// Windows has no call that grants port access: the first access of the run either works or
// raises an exception, which the handler turns into the report.
bool HardwarePort::request_access(std::uint16_t, std::uint16_t) {
    AddVectoredExceptionHandler(1, &on_exception);
    return true;
}

std::uint8_t HardwarePort::read(std::uint16_t port) {
    std::uint8_t value;
    port_instruction_running = true;
    asm volatile("inb %w1, %b0" : "=a"(value) : "Nd"(port) : "memory");
    port_instruction_running = false;
    return value;
}

void HardwarePort::write(std::uint16_t port, std::uint8_t value) {
    port_instruction_running = true;
    asm volatile("outb %b0, %w1" : : "a"(value), "Nd"(port) : "memory");
    port_instruction_running = false;
}

}  // namespace voka
