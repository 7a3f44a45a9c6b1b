#pragma once

#include <string_view>

#include "frontend/run_driver.h"
#include "interface/port_access.h"

namespace voka {

// What a run takes from the operating system, one implementation per platform.

// The run's request: the command-line words, the user locale's decimal separator and this
// deliverable's port base.
RunRequest platform_run_request(PortAccess& port, int argc, char** argv);

// The running program's own file name, without its directory.
std::string_view program_name();

// Raw bytes, no conversion of line ends or code page; a failed write is not reported.
void write_standard_output(std::string_view bytes);
void write_standard_error(std::string_view bytes);

}  // namespace voka
