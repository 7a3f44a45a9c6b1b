#include "platform/simulator/simulator_environment.h"

#include <cstdlib>

#include <fcntl.h>

#include "frontend/deliverable.h"

namespace voka {

bool default_state_path(FilePath& path, SimulatorError& error) {
    const char* const home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        error.append("no state file: set VOKA_SIM_STATE or HOME");
        return false;
    }
    path.append(home);
    path.append("/.kodrun_voka_sim_lpt");
    path.append(static_cast<char>('0' + deliverable_port_number));
    return true;
}

int open_trace_file(const char* path) { return ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644); }

}  // namespace voka
