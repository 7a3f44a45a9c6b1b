#include "platform/simulator/state_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace voka {
namespace {

constexpr std::size_t largest_state_file = 4096;

// `base` followed by `suffix`, NUL-terminated, in `out` (which has room for both).
const char* with_suffix(const char* base, std::size_t size, std::string_view suffix, char* out) {
    std::memcpy(out, base, size);
    std::memcpy(out + size, suffix.data(), suffix.size());
    out[size + suffix.size()] = '\0';
    return out;
}

void describe(SimulatorError& error, std::string_view path, std::string_view what, int error_number) {
    error.append(path);
    error.append(": ");
    error.append(what);
    if (error_number != 0) {
        error.append(": ");
        error.append(std::strerror(error_number));
    }
}

}  // namespace

StateFile::~StateFile() {
    if (lock_ >= 0) ::close(static_cast<int>(lock_));
}

bool StateFile::load(std::string_view path, SimulatorState& state, SimulatorError& error) {
    if (path.empty() || path.size() > path_capacity || path.find('\0') != std::string_view::npos) {
        describe(error, path, "not a usable state file path", 0);
        return false;
    }
    std::memcpy(path_, path.data(), path.size());
    path_[path.size()] = '\0';
    path_size_ = path.size();

    char lock_path[path_capacity + 8];
    with_suffix(path_, path_size_, ".lock", lock_path);
    lock_ = ::open(lock_path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const int lock_fd = static_cast<int>(lock_);
    if (lock_fd < 0) {
        describe(error, lock_path, "cannot open the lock file", errno);
        return false;
    }
    while (::flock(lock_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            describe(error, lock_path, "cannot lock", errno);
            return false;
        }
    }

    const int fd = ::open(path_, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            state = SimulatorState{};
            return true;
        }
        describe(error, path, "cannot read", errno);
        return false;
    }
    char text[largest_state_file + 1];
    std::size_t size = 0;
    int read_error = 0;
    for (;;) {
        const ssize_t got = ::read(fd, text + size, sizeof text - size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) read_error = errno;
        if (got <= 0) break;
        size += static_cast<std::size_t>(got);
        if (size == sizeof text) break;
    }
    ::close(fd);
    if (read_error != 0) {
        describe(error, path, "cannot read", read_error);
        return false;
    }
    if (size > largest_state_file) {
        describe(error, path, "too large for a state file", 0);
        return false;
    }

    const StateParseError parse_error = parse_simulator_state({text, size}, state);
    if (parse_error.line != 0) {
        error.append(path);
        error.append(':');
        error.commit(std::to_chars(error.end(), error.limit(), parse_error.line).ptr);
        error.append(": ");
        error.append(parse_error.problem);
        return false;
    }
    return true;
}

bool StateFile::save(const SimulatorState& state, SimulatorError& error) {
    char temporary_path[path_capacity + 8];
    with_suffix(path_, path_size_, ".tmp", temporary_path);
    const StateText text = format_simulator_state(state);

    const int fd = ::open(temporary_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        describe(error, temporary_path, "cannot write", errno);
        return false;
    }
    std::string_view rest = text.view();
    while (!rest.empty()) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) {
            describe(error, temporary_path, "cannot write", errno);
            ::close(fd);
            ::unlink(temporary_path);
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(fd) != 0 || ::rename(temporary_path, path_) != 0) {
        describe(error, {path_, path_size_}, "cannot replace", errno);
        ::unlink(temporary_path);
        return false;
    }
    return true;
}

}  // namespace voka
