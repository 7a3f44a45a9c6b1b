#include "frontend/run_driver.h"
#include "platform/hardware_port.h"
#include "platform/program.h"

int main(int argc, char** argv) {
    voka::HardwarePort port;
    static voka::OutputLine out;
    const int status = voka::run_driver(voka::platform_run_request(port, argc, argv), out);
    voka::write_standard_output(out.view());
    return status;
}
