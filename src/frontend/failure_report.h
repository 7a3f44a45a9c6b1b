#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/failure.h"
#include "frontend/output_line.h"

namespace voka {

// The report's address for a place in the program: its offset in the program image, added to
// the conventional image base, so that it is the same on every run whatever the load address.
std::uint32_t report_address(const void* place);

// "Exception <class> dans le module <program> à <address>." LF, then the message with a
// final "." and CR LF; at most 1023 bytes before the CR LF.
void write_failure_report(const Failure& failure, std::string_view program_name, OutputLine& out);

}  // namespace voka
