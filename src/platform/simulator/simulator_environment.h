#pragma once

#include "frontend/fixed_text.h"
#include "platform/simulator/state_file.h"

namespace voka {

using FilePath = FixedText<4200>;

// The per-user state file of this deliverable's simulated box, used when VOKA_SIM_STATE is not
// set; false (with the reason) where the platform gives no user directory.
bool default_state_path(FilePath& path, SimulatorError& error);

// The trace file opened for appending, as a descriptor for SimulatedInterface; -1 on failure.
int open_trace_file(const char* path);

}  // namespace voka
