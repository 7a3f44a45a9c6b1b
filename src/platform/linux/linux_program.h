#pragma once

#include <string_view>

#include "frontend/run_driver.h"
#include "interface/port_access.h"

namespace voka {

// A run's request on Linux: words from the argument list, the decimal separator from the
// user's locale, the port base of this deliverable.
RunRequest linux_run_request(PortAccess& port, int argc, char** argv);

// Raw bytes to standard output; a failed write is not reported.
void write_standard_output(std::string_view bytes);

}  // namespace voka
