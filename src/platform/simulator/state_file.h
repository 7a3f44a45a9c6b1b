#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frontend/fixed_text.h"
#include "platform/simulator/simulator_state.h"

namespace voka {

// One line for standard error, naming the file and what is wrong with it.
using SimulatorError = FixedText<2 * 4096 + 256>;

// The state file shared by runs: held under an exclusive lock (on a companion ".lock" file, so
// that the lock outlives the atomic replace) from load to save.
class StateFile {
public:
    StateFile() = default;
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;
    ~StateFile();

    // Locks and reads `path`; a missing file is the default state. On an error the file is
    // left as it was.
    bool load(std::string_view path, SimulatorState& state, SimulatorError& error);
    // Writes the state to a temporary file and renames it over the state file.
    bool save(const SimulatorState& state, SimulatorError& error);

private:
    static constexpr std::size_t path_capacity = 4096;
    static constexpr std::size_t largest_state_file = 4096;
    using SiblingPath = char[path_capacity + 8];

    // The parts every platform shares (state_file_common.cpp).
    bool remember_path(std::string_view path, SimulatorError& error);
    // The state file's path with `suffix`, NUL-terminated, in `out`.
    const char* sibling(std::string_view suffix, SiblingPath& out) const;
    // Parses what was read (at most largest_state_file + 1 bytes); the error names file and line.
    bool parse(std::string_view text, SimulatorState& state, SimulatorError& error) const;

    char path_[path_capacity + 8] = {};
    std::size_t path_size_ = 0;
    std::intptr_t lock_ = -1;  // the lock file: a descriptor or a handle, as the platform has it
};

}  // namespace voka
