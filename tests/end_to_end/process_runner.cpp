#include "process_runner.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace voka::testing {
namespace {

std::vector<char*> c_strings(const std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (const std::string& s : strings) result.push_back(const_cast<char*>(s.c_str()));
    result.push_back(nullptr);
    return result;
}

#ifndef VOKA_WINE_LOADER
#define VOKA_WINE_LOADER ""
#define VOKA_WINE_PREFIX ""
#endif

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Through Wine: a prefix of the build's own, no debug output, and the loader before the program.
void run_under_wine(std::vector<std::string>& argv, std::vector<std::string>& environment) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        if (ends_with(argv[i], ".exe")) {
            argv.insert(argv.begin() + static_cast<std::ptrdiff_t>(i), VOKA_WINE_LOADER);
            break;
        }
    }
    environment.push_back(std::string("WINEPREFIX=") + VOKA_WINE_PREFIX);
    environment.push_back("WINEDEBUG=-all");
}

}  // namespace

bool windows_programs() { return std::string(VOKA_WINE_LOADER) != ""; }

ProcessResult run_process(const std::vector<std::string>& command, const std::vector<std::string>& given_environment) {
    std::vector<std::string> argv = command;
    std::vector<std::string> environment = given_environment;
    if (windows_programs()) run_under_wine(argv, environment);

    int out_pipe[2];
    int err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);

    std::vector<char*> arguments = c_strings(argv);
    std::vector<char*> variables = c_strings(environment);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv.at(0).c_str(), &actions, nullptr, arguments.data(), variables.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (spawned != 0) {
        close(out_pipe[0]);
        close(err_pipe[0]);
        throw std::runtime_error("cannot start " + argv.at(0));
    }

    ProcessResult result;
    pollfd streams[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.standard_output, &result.standard_error};
    int open_streams = 2;
    while (open_streams > 0) {
        if (poll(streams, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(streams[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
            } else {
                close(streams[i].fd);
                streams[i].fd = -1;
                --open_streams;
            }
        }
    }

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

int start_process(const std::vector<std::string>& command, const std::vector<std::string>& given_environment) {
    std::vector<std::string> argv = command;
    std::vector<std::string> environment = given_environment;
    if (windows_programs()) run_under_wine(argv, environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> arguments = c_strings(argv);
    std::vector<char*> variables = c_strings(environment);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv.at(0).c_str(), &actions, nullptr, arguments.data(), variables.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + argv.at(0));
    return child;
}

int wait_process(int process_id) {
    int status = 0;
    while (waitpid(process_id, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string program_file_name(const std::string& name) { return windows_programs() ? name + ".exe" : name; }

std::string program_path(const std::string& name) {
    return std::string(VOKA_PROGRAM_DIRECTORY) + "/" + program_file_name(name);
}

TemporaryDirectory::TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "voka-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace voka::testing
