#pragma once

#include <cstdint>
#include <string_view>

namespace voka {

enum class FailureKind : std::uint8_t { none, convert_error, overflow, invalid_op, privilege };

// A failure travels as a value to the top of the run, where it becomes the report.
struct Failure {
    FailureKind kind = FailureKind::none;
    const void* place = nullptr;  // the function where it arose; named by the report's address
    std::string_view word;        // the offending word, for a conversion failure

    explicit operator bool() const { return kind != FailureKind::none; }
};

template <class Value>
struct Checked {
    Value value{};
    Failure failure;
};

// The address of a function as an opaque place, for Failure::place.
template <class Function>
const void* place_of(Function* function) {
    return reinterpret_cast<const void*>(function);
}

}  // namespace voka
