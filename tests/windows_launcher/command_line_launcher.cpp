// Test tool: starts a program with a command-line text passed verbatim, so that tests can give
// the Windows programs any text (Wine would otherwise build it from a Unix argument list with
// its own quoting). Usage: command_line_launcher PROGRAM, with the whole command line (word 0
// included) in the environment variable VOKA_LAUNCH_COMMAND_LINE. Exits with the program's status.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 125;
    static char command_line[32768];
    const DWORD length = GetEnvironmentVariableA("VOKA_LAUNCH_COMMAND_LINE", command_line, sizeof command_line);
    if (length == 0 || length >= sizeof command_line) return 125;
    SetEnvironmentVariableA("VOKA_LAUNCH_COMMAND_LINE", nullptr);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], command_line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        return 126;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 127;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
