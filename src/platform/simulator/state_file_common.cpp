#include "platform/simulator/state_file.h"

#include <charconv>
#include <cstring>

namespace voka {

bool StateFile::remember_path(std::string_view path, SimulatorError& error) {
    if (path.empty() || path.size() > path_capacity || path.find('\0') != std::string_view::npos) {
        error.append(path);
        error.append(": not a usable state file path");
        return false;
    }
    std::memcpy(path_, path.data(), path.size());
    path_[path.size()] = '\0';
    path_size_ = path.size();
    return true;
}

const char* StateFile::sibling(std::string_view suffix, SiblingPath& out) const {
    std::memcpy(out, path_, path_size_);
    std::memcpy(out + path_size_, suffix.data(), suffix.size());
    out[path_size_ + suffix.size()] = '\0';
    return out;
}

bool StateFile::parse(std::string_view text, SimulatorState& state, SimulatorError& error) const {
    const std::string_view path(path_, path_size_);
    if (text.size() > largest_state_file) {
        error.append(path);
        error.append(": too large for a state file");
        return false;
    }
    const StateParseError parse_error = parse_simulator_state(text, state);
    if (parse_error.line == 0) return true;
    error.append(path);
    error.append(':');
    error.commit(std::to_chars(error.end(), error.limit(), parse_error.line).ptr);
    error.append(": ");
    error.append(parse_error.problem);
    return false;
}

}  // namespace voka
