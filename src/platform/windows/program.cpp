#include "platform/program.h"

#include <windows.h>

#include "frontend/deliverable.h"

namespace voka {
namespace {

// LOCALE_SDECIMAL of the user's locale; "." where it gives none.
char locale_decimal_separator() {
    char separator[8];
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator);
    return length > 1 && separator[0] != '\0' ? separator[0] : '.';
}

void write_all(DWORD handle_id, std::string_view bytes) {
    const HANDLE handle = GetStdHandle(handle_id);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
            return;
        }
        bytes.remove_prefix(written);
    }
}

}  // namespace

// Windows hands over one command-line text; the C runtime's own argument list is not used.
RunRequest platform_run_request(PortAccess& port, int, char**) {
    static SplitWordStorage storage;
    return {port, deliverable_port_base, locale_decimal_separator(), split_command_line(GetCommandLineA(), storage),
            &program_name};
}

std::string_view program_name() {
    static char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string_view name(path, length < MAX_PATH ? length : 0);
    const std::size_t separator = name.find_last_of("\\/:");
    return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

void write_standard_output(std::string_view bytes) { write_all(STD_OUTPUT_HANDLE, bytes); }

void write_standard_error(std::string_view bytes) { write_all(STD_ERROR_HANDLE, bytes); }

}  // namespace voka
