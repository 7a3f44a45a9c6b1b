#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace voka {

enum class ArgumentKind : std::uint8_t {
    args_none,
    args_index,
    args_index_integer,
    args_index_real,
    args_index_single,
};

enum class ResultKind : std::uint8_t { result_integer, result_text, result_real, result_single };

// The arguments of a call, evaluated as the row's argument kind names; the others stay unused.
struct OperationArguments {
    std::int32_t index = 0;
    std::int32_t value = 0;
    double real_value = 0.0;
    float single_value = 0.0f;
};

// An operation's answer; the row's result kind says which member holds it.
struct Answer {
    std::int32_t integer = 0;
    double real = 0.0;
    float single = 0.0f;
    std::string_view text;
};

struct CommandRow {
    std::string_view keyword;
    ArgumentKind arguments;
    ResultKind result;
    Answer (*call)(const OperationArguments&);
};

// Each operation file contributes one group of rows; the build lists the groups.
using CommandGroup = std::span<const CommandRow>;

// The row whose keyword equals `keyword` exactly, letter case included; null when none does.
const CommandRow* find_command(std::string_view keyword);

namespace row_detail {

template <class Result>
constexpr ResultKind result_kind() {
    if constexpr (std::is_same_v<Result, std::int32_t>) return ResultKind::result_integer;
    else if constexpr (std::is_same_v<Result, std::string_view>) return ResultKind::result_text;
    else if constexpr (std::is_same_v<Result, double>) return ResultKind::result_real;
    else {
        static_assert(std::is_same_v<Result, float>, "an operation answers int32, text, double or float");
        return ResultKind::result_single;
    }
}

template <class... Parameters>
constexpr ArgumentKind argument_kind() {
    using List = void (*)(Parameters...);
    if constexpr (std::is_same_v<List, void (*)()>) return ArgumentKind::args_none;
    else if constexpr (std::is_same_v<List, void (*)(std::int32_t)>) return ArgumentKind::args_index;
    else if constexpr (std::is_same_v<List, void (*)(std::int32_t, std::int32_t)>)
        return ArgumentKind::args_index_integer;
    else if constexpr (std::is_same_v<List, void (*)(std::int32_t, double)>)
        return ArgumentKind::args_index_real;
    else {
        static_assert(std::is_same_v<List, void (*)(std::int32_t, float)>,
                      "an operation takes nothing, an index, or an index and an int32, double or float");
        return ArgumentKind::args_index_single;
    }
}

template <class Result>
Answer answer(Result result) {
    Answer a;
    if constexpr (std::is_same_v<Result, std::int32_t>) a.integer = result;
    else if constexpr (std::is_same_v<Result, std::string_view>) a.text = result;
    else if constexpr (std::is_same_v<Result, double>) a.real = result;
    else a.single = result;
    return a;
}

template <auto operation, class Result, class... Parameters>
Answer call(const OperationArguments& arguments) {
    constexpr ArgumentKind kind = argument_kind<Parameters...>();
    if constexpr (kind == ArgumentKind::args_none) return answer(operation());
    else if constexpr (kind == ArgumentKind::args_index) return answer(operation(arguments.index));
    else if constexpr (kind == ArgumentKind::args_index_integer)
        return answer(operation(arguments.index, arguments.value));
    else if constexpr (kind == ArgumentKind::args_index_real)
        return answer(operation(arguments.index, arguments.real_value));
    else return answer(operation(arguments.index, arguments.single_value));
}

template <auto operation, class Result, class... Parameters>
constexpr CommandRow make_row(std::string_view keyword, Result (*)(Parameters...)) {
    return {keyword, argument_kind<Parameters...>(), result_kind<Result>(),
            &call<operation, Result, Parameters...>};
}

}  // namespace row_detail

// A table row for `operation`; its argument and result kinds follow from the operation's type.
template <auto operation>
constexpr CommandRow command_row(std::string_view keyword) {
    return row_detail::make_row<operation>(keyword, operation);
}

}  // namespace voka
