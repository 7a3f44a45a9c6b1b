// The driver over the simulated interface. Only this program reads VOKA_SIM_STATE and
// VOKA_SIM_TRACE; the driver's own code reads no environment variable.
#include <cstdlib>
#include <string_view>

#include "frontend/run_driver.h"
#include "platform/program.h"
#include "platform/simulator/simulated_interface.h"
#include "platform/simulator/simulator_environment.h"
#include "platform/simulator/state_file.h"

namespace {

// Distinct from the driver's own statuses: the simulated box itself could not be set up.
constexpr int exit_simulator_error = 2;

int fail(const voka::SimulatorError& error) {
    voka::SimulatorError line;
    line.append(voka::program_name());
    line.append(": ");
    line.append(error.view());
    line.append('\n');
    voka::write_standard_error(line.view());
    return exit_simulator_error;
}

// $VOKA_SIM_STATE, or the platform's per-user file for this deliverable's port.
bool state_file_path(voka::FilePath& path, voka::SimulatorError& error) {
    if (const char* chosen = std::getenv("VOKA_SIM_STATE"); chosen != nullptr && *chosen != '\0') {
        path.append(chosen);
        return true;
    }
    return voka::default_state_path(path, error);
}

}  // namespace

int main(int argc, char** argv) {
    voka::SimulatorError error;
    voka::FilePath path;
    if (!state_file_path(path, error)) return fail(error);

    voka::StateFile state_file;
    voka::SimulatorState state;
    if (!state_file.load(path.view(), state, error)) return fail(error);

    int trace_fd = -1;
    if (const char* trace = std::getenv("VOKA_SIM_TRACE"); trace != nullptr && *trace != '\0') {
        trace_fd = voka::open_trace_file(trace);
        if (trace_fd < 0) {
            error.append(trace);
            error.append(": cannot open the trace file");
            return fail(error);
        }
    }

    voka::SimulatedInterface box(state, trace_fd);
    static voka::OutputLine out;
    const int status = voka::run_driver(voka::platform_run_request(box, argc, argv), out);
    if (!box.flush_trace()) {
        error.append(std::getenv("VOKA_SIM_TRACE"));
        error.append(": cannot write the trace");
        return fail(error);
    }
    if (!state_file.save(box.state(), error)) return fail(error);
    voka::write_standard_output(out.view());
    return status;
}
