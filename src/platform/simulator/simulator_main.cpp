// The driver over the simulated interface. Only this program reads VOKA_SIM_STATE and
// VOKA_SIM_TRACE; the driver's own code reads no environment variable.
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "frontend/deliverable.h"
#include "frontend/run_driver.h"
#include "platform/linux/linux_program.h"
#include "platform/simulator/simulated_interface.h"
#include "platform/simulator/state_file.h"

namespace {

// Distinct from the driver's own statuses: the simulated box itself could not be set up.
constexpr int exit_simulator_error = 2;

int fail(const char* program, voka::SimulatorError& error) {
    std::string_view name = program != nullptr ? program : "";
    if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
    voka::SimulatorError line;
    line.append(name);
    line.append(": ");
    line.append(error.view());
    line.append('\n');
    const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
    static_cast<void>(ignored);
    return exit_simulator_error;
}

// $VOKA_SIM_STATE, or ~/.kodrun_voka_sim_lptN for this deliverable's port.
bool state_file_path(voka::FixedText<4200>& path, voka::SimulatorError& error) {
    if (const char* chosen = std::getenv("VOKA_SIM_STATE"); chosen != nullptr && *chosen != '\0') {
        path.append(chosen);
        return true;
    }
    const char* const home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        error.append("no state file: set VOKA_SIM_STATE or HOME");
        return false;
    }
    path.append(home);
    path.append("/.kodrun_voka_sim_lpt");
    path.append(static_cast<char>('0' + voka::deliverable_port_number));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* const program = argc > 0 ? argv[0] : nullptr;
    voka::SimulatorError error;
    voka::FixedText<4200> path;
    if (!state_file_path(path, error)) return fail(program, error);

    voka::StateFile state_file;
    voka::SimulatorState state;
    if (!state_file.load(path.view(), state, error)) return fail(program, error);

    int trace_fd = -1;
    if (const char* trace = std::getenv("VOKA_SIM_TRACE"); trace != nullptr && *trace != '\0') {
        trace_fd = ::open(trace, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (trace_fd < 0) {
            error.append(trace);
            error.append(": cannot open the trace file");
            return fail(program, error);
        }
    }

    voka::SimulatedInterface box(state, trace_fd);
    static voka::OutputLine out;
    const int status = voka::run_driver(voka::linux_run_request(box, argc, argv), out);
    if (!box.flush_trace()) {
        error.append(std::getenv("VOKA_SIM_TRACE"));
        error.append(": cannot write the trace");
        return fail(program, error);
    }
    if (!state_file.save(box.state(), error)) return fail(program, error);
    voka::write_standard_output(out.view());
    return status;
}
