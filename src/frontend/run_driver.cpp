#include "frontend/run_driver.h"

#include <charconv>

#include "frontend/argument_conversion.h"
#include "frontend/command_table.h"
#include "frontend/failure_report.h"
#include "frontend/format_real.h"
#include "interface/interface_control.h"

namespace voka {
namespace {

constexpr std::uint8_t converter_bits = 10;
constexpr double default_first_argument = 11.0;
constexpr double default_second_argument = 22.0;

Failure evaluate_arguments(ArgumentKind kind, double first, double second, OperationArguments& out) {
    if (kind == ArgumentKind::args_none) return {};
    if (kind == ArgumentKind::args_index_single) {
        // Narrowed before the index is rounded: with both out of range, the overflow is reported.
        const Checked<float> single = narrow_to_single(second);
        if (single.failure) return single.failure;
        out.single_value = single.value;
    }
    const Checked<std::int32_t> index = round_argument(first);
    if (index.failure) return index.failure;
    out.index = index.value;
    if (kind == ArgumentKind::args_index_integer) {
        const Checked<std::int32_t> value = round_argument(second);
        if (value.failure) return value.failure;
        out.value = value.value;
    } else if (kind == ArgumentKind::args_index_real) {
        out.real_value = second;
    }
    return {};
}

void print_answer(ResultKind kind, const Answer& answer, char separator, OutputLine& out) {
    switch (kind) {
        case ResultKind::result_integer: out.commit(std::to_chars(out.end(), out.limit(), answer.integer).ptr); break;
        case ResultKind::result_text: out.append(answer.text); break;
        case ResultKind::result_real: out.append(format_real(answer.real, separator).view()); break;
        case ResultKind::result_single:
            out.append(format_real(static_cast<double>(answer.single), separator).view());
            break;
    }
    out.append("\r\n");
}

Failure dispatch(const RunRequest& request, OutputLine& out) {
    set_bit_count(converter_bits);
    select_port(request.port_base);
    if (!interface_init()) return port_access_refused();

    const CommandWords& words = request.words;
    double first_argument = default_first_argument;
    double second_argument = default_second_argument;
    const std::string_view command_keyword = words[1];
    if (words.argument_count >= 2) {
        const Checked<double> first = parse_argument(words[2], request.decimal_separator);
        if (first.failure) return first.failure;
        first_argument = first.value;
    }
    if (words.argument_count >= 3) {
        const Checked<double> second = parse_argument(words[3], request.decimal_separator);
        if (second.failure) return second.failure;
        second_argument = second.value;
    }

    const CommandRow* const row = find_command(command_keyword);
    if (row == nullptr) return {};
    OperationArguments arguments;
    if (const Failure failure = evaluate_arguments(row->arguments, first_argument, second_argument, arguments)) {
        return failure;
    }
    print_answer(row->result, row->call(arguments), request.decimal_separator, out);
    return {};
}

}  // namespace

Failure port_access_refused() { return {FailureKind::privilege, place_of(&interface_init), {}}; }

int run_driver(const RunRequest& request, OutputLine& out) {
    attach_port(request.port);
    const Failure failure = dispatch(request, out);
    if (!failure) return exit_success;
    write_failure_report(failure, request.program_name(), out);
    return exit_failure_report;
}

}  // namespace voka
