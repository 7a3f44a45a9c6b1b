#include "platform/simulator/state_file.h"

#include <charconv>
#include <cstring>

#include <windows.h>

namespace voka {
namespace {

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE as_handle(std::intptr_t lock) { return reinterpret_cast<HANDLE>(lock); }

void describe(SimulatorError& error, std::string_view path, std::string_view what, DWORD code) {
    error.append(path);
    error.append(": ");
    error.append(what);
    if (code != 0) {
        error.append(": Windows error ");
        error.commit(std::to_chars(error.end(), error.limit(), static_cast<unsigned long>(code)).ptr);
    }
}

}  // namespace

StateFile::~StateFile() {
    if (lock_ != -1) CloseHandle(as_handle(lock_));
}

bool StateFile::load(std::string_view path, SimulatorState& state, SimulatorError& error) {
    if (!remember_path(path, error)) return false;

    SiblingPath lock_path;
    sibling(".lock", lock_path);
    const HANDLE lock = CreateFileA(lock_path, GENERIC_READ | GENERIC_WRITE, share_all, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (lock == INVALID_HANDLE_VALUE) {
        describe(error, lock_path, "cannot open the lock file", GetLastError());
        return false;
    }
    lock_ = reinterpret_cast<std::intptr_t>(lock);
    OVERLAPPED whole_file{};
    if (!LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &whole_file)) {
        describe(error, lock_path, "cannot lock", GetLastError());
        return false;
    }

    const HANDLE file = CreateFileA(path_, GENERIC_READ, share_all, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            state = SimulatorState{};
            return true;
        }
        describe(error, path, "cannot read", code);
        return false;
    }
    char text[largest_state_file + 1];
    DWORD size = 0;
    DWORD read_error = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, text + size, static_cast<DWORD>(sizeof text - size), &got, nullptr)) {
            read_error = GetLastError();
            break;
        }
        if (got == 0) break;
        size += got;
        if (size == sizeof text) break;
    }
    CloseHandle(file);
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

    const HANDLE file = CreateFileA(temporary_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        describe(error, temporary_path, "cannot write", GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool complete = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                          written == text.size();
    const DWORD write_error = complete ? 0 : GetLastError();
    CloseHandle(file);
    if (!complete) {
        describe(error, temporary_path, "cannot write", write_error);
        DeleteFileA(temporary_path);
        return false;
    }
    if (!MoveFileExA(temporary_path, path_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        describe(error, {path_, path_size_}, "cannot replace", GetLastError());
        DeleteFileA(temporary_path);
        return false;
    }
    return true;
}

}  // namespace voka
