#pragma once

#include <string>
#include <vector>

namespace voka::testing {

struct ProcessResult {
    std::string standard_output;
    std::string standard_error;
    int exit_status = -1;  // -1 when the process did not exit normally
};

// The programs under test are the Linux ones, or the Windows ones run under Wine.
bool windows_programs();

// Runs `argv` (argv[0] is the file to execute, found as given) with exactly `environment`
// ("NAME=value" entries) and standard input from /dev/null. For the Windows programs, the
// first argument naming a ".exe" is started through Wine, with Wine's own variables added.
ProcessResult run_process(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

// Starts `argv` as run_process does, with standard output and error going to /dev/null, and
// returns at once with the process id; the caller ends it with wait_process (or kills it first).
int start_process(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

// Waits for a process from start_process: its exit status, or -1 when it did not exit normally.
int wait_process(int process_id);

// The built program `name` (e.g. "kodrun_voka1_sim").
std::string program_path(const std::string& name);

// The file name of program `name` as the program itself names it: "kodrun_voka1.exe" on Windows.
std::string program_file_name(const std::string& name);

// A fresh directory for one test's files, removed with everything in it when this goes.
class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& contents);
bool file_exists(const std::string& path);

}  // namespace voka::testing
