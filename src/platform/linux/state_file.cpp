#include "platform/simulator/state_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace voka {
namespace {


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
    if (!remember_path(path, error)) return false;

    SiblingPath lock_path;
    sibling(".lock", lock_path);
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
    return parse({text, size}, state, error);
}

bool StateFile::save(const SimulatorState& state, SimulatorError& error) {
    SiblingPath temporary_path;
    sibling(".tmp", temporary_path);
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
