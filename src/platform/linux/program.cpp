#include "platform/program.h"

#include <cerrno>
#include <clocale>
#include <csignal>

#include <unistd.h>

#include "frontend/deliverable.h"

namespace voka {
namespace {

const char* invoked_as = "";

std::string_view without_directory(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// LC_ALL, then LC_NUMERIC, then LANG, as setlocale reads them; only the numeric category loads.
char locale_decimal_separator() {
    if (std::setlocale(LC_NUMERIC, "") == nullptr) return '.';
    const char* const point = std::localeconv()->decimal_point;
    return point != nullptr && point[0] != '\0' ? point[0] : '.';
}

void write_all(int fd, std::string_view bytes) {
    // A reader that went away is no failure of the run: no signal may end it before its status.
    static bool pipe_signal_ignored = false;
    if (!pipe_signal_ignored) {
        std::signal(SIGPIPE, SIG_IGN);
        pipe_signal_ignored = true;
    }
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace

RunRequest platform_run_request(PortAccess& port, int argc, char** argv) {
    if (argc > 0) invoked_as = argv[0];
    return {port, deliverable_port_base, locale_decimal_separator(), words_from_argument_list(argc, argv),
            &program_name};
}

// The file actually running, not whatever the caller put in argv[0]; read once.
std::string_view program_name() {
    static char path[4096];
    static std::string_view name;
    if (name.empty()) {
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
        name = length > 0 && static_cast<std::size_t>(length) < sizeof path
                   ? without_directory({path, static_cast<std::size_t>(length)})
                   : without_directory(invoked_as);
    }
    return name;
}

void write_standard_output(std::string_view bytes) {
    if (!bytes.empty()) write_all(STDOUT_FILENO, bytes);
}

void write_standard_error(std::string_view bytes) {
    if (!bytes.empty()) write_all(STDERR_FILENO, bytes);
}

}  // namespace voka
