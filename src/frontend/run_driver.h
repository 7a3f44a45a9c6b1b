#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/command_words.h"
#include "frontend/failure.h"
#include "frontend/output_line.h"
#include "interface/port_access.h"

namespace voka {

struct RunRequest {
    PortAccess& port;
    std::uint16_t port_base;
    char decimal_separator;
    CommandWords words;
    // The program's own file name without its directory; asked only for a failure report.
    std::string_view (*program_name)();
};

inline constexpr int exit_success = 0;
inline constexpr int exit_failure_report = 1;

// The failure of a run whose port access the system refuses, raised at the start-up.
Failure port_access_refused();

// One run: start the interface, convert the arguments, call at most one operation and put its
// answer, or the failure report, into `out`. Answers the exit status.
int run_driver(const RunRequest& request, OutputLine& out);

}  // namespace voka
