#include "platform/simulator/simulator_environment.h"

#include <cstdlib>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include "frontend/deliverable.h"

namespace voka {

bool default_state_path(FilePath& path, SimulatorError& error) {
    const char* const profile = std::getenv("USERPROFILE");
    if (profile == nullptr || *profile == '\0') {
        error.append("no state file: set VOKA_SIM_STATE or USERPROFILE");
        return false;
    }
    path.append(profile);
    path.append("\\.kodrun_voka_sim_lpt");
    path.append(static_cast<char>('0' + deliverable_port_number));
    return true;
}

// Binary, so that the C runtime writes the trace's LF line ends as they are.
int open_trace_file(const char* path) {
    return _open(path, _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

}  // namespace voka
