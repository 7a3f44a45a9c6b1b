// Whole runs of the driver over the recording fake port, with any words.
//
// Input: byte 0 holds the choices: bit 0 the separator ("," when set), bits 1-2 the base
// address, bit 3 one command-line text rather than an argument list, bit 4 a system that
// refuses the port, bits 5-7 the length (1 to 8) of the status pattern; byte 1 is the data
// byte the port holds before the run; then the status pattern, which the status register
// answers over and over. The rest is the command line: the one text after the program name,
// or arguments separated by NUL bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/argument_conversion.h"
#include "frontend/command_table.h"
#include "frontend/command_words.h"
#include "frontend/run_driver.h"
#include "fuzz_check.h"
#include "testing/driver_run.h"
#include "testing/recording_port.h"

namespace {

using namespace voka;
using namespace voka::testing;
using voka::fuzzing::require;

constexpr std::uint16_t bases[] = {0x378, 0x278, 0x3BC, 0x378};
constexpr std::size_t most_arguments = 6;  // more than are read, so that later ones are seen to be ignored

struct Scenario {
    char separator = '.';
    std::uint16_t base = 0x378;
    bool one_text = false;
    bool refuse = false;
    std::uint8_t data = 0;
    std::vector<std::uint8_t> status;
    std::string_view command_line;
};

struct RunRecord {
    int status = -1;
    std::string output;  // the report's address masked
    std::vector<PortAccessRecord> accesses;
    int access_requests = 0;
    std::uint16_t granted_base = 0;
    std::uint16_t granted_count = 0;

    bool operator==(const RunRecord&) const = default;
};

std::unique_ptr<SplitWordStorage> split_storage = std::make_unique<SplitWordStorage>();
std::vector<std::string> arguments;

CommandWords words_of(const Scenario& s) {
    if (s.one_text) {
        static std::string text;
        text.assign("kodrun_voka1 ").append(s.command_line);
        return split_command_line(text, *split_storage);
    }
    arguments.assign(1, "/opt/voka/kodrun_voka1");
    std::string_view rest = s.command_line;
    while (arguments.size() <= most_arguments) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        arguments.emplace_back(rest.substr(0, end));
        if (end == rest.size()) break;
        rest.remove_prefix(end + 1);
    }
    static std::vector<const char*> argv;
    argv.clear();
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    return words_from_argument_list(static_cast<int>(argv.size()), argv.data());
}

RunRecord run(const Scenario& s, const CommandWords& words) {
    RecordingPort port;
    port.data_port = s.base;
    port.data = s.data;
    port.refuse_access = s.refuse;
    std::size_t next_status = 0;
    port.status = [&] { return s.status[next_status++ % s.status.size()]; };

    const RunRequest request{port, s.base, s.separator, words, &test_program_name};
    static OutputLine out;
    out.truncate(0);
    RunRecord record;
    record.status = run_driver(request, out);
    record.output = mask_report_address(std::string(out.view()));
    record.accesses = std::move(port.accesses);
    record.access_requests = port.access_requests;
    record.granted_base = port.granted_base;
    record.granted_count = port.granted_count;
    return record;
}

// What the run must report, worked out from the words with the conversion functions: word 2,
// then word 3, then what the matched row rounds or narrows.
struct Expectation {
    FailureKind failure = FailureKind::none;
    std::string_view failed_word;
    const CommandRow* row = nullptr;
    std::int32_t index = 0;
    std::int32_t value = 0;
};

Expectation expectation(const Scenario& s, const CommandWords& words) {
    Expectation e;
    if (s.refuse) {
        e.failure = FailureKind::privilege;
        return e;
    }
    double first = 11.0;
    double second = 22.0;
    for (std::size_t k = 2; k <= 3; ++k) {
        if (words.argument_count < k) break;
        const Checked<double> parsed = parse_argument(words[k], s.separator);
        if (parsed.failure) {
            e.failure = parsed.failure.kind;
            e.failed_word = words[k];
            return e;
        }
        (k == 2 ? first : second) = parsed.value;
    }
    e.row = find_command(words[1]);
    if (e.row == nullptr || e.row->arguments == ArgumentKind::args_none) return e;
    if (e.row->arguments == ArgumentKind::args_index_single && narrow_to_single(second).failure) {
        e.failure = FailureKind::overflow;
        return e;
    }
    const Checked<std::int32_t> index = round_argument(first);
    if (index.failure) {
        e.failure = FailureKind::invalid_op;
        return e;
    }
    e.index = index.value;
    if (e.row->arguments == ArgumentKind::args_index_integer) {
        const Checked<std::int32_t> value = round_argument(second);
        if (value.failure) {
            e.failure = FailureKind::invalid_op;
            return e;
        }
        e.value = value.value;
    }
    return e;
}

std::string expected_report(const Expectation& e) {
    std::string report;
    switch (e.failure) {
        case FailureKind::convert_error: report = convert_error_report(e.failed_word); break;
        case FailureKind::overflow: report = overflow_report; break;
        case FailureKind::invalid_op: report = invalid_op_report; break;
        default: report = privilege_report; break;
    }
    // The two lines before the final CR LF hold at most 1023 bytes.
    if (report.size() - 2 > 1023) report = report.substr(0, 1023) + "\r\n";
    return report;
}

bool one_of(std::string_view keyword, std::initializer_list<std::string_view> keywords) {
    return std::find(keywords.begin(), keywords.end(), keyword) != keywords.end();
}

bool is_decimal_integer(std::string_view text) {
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) return false;
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void check_answer(const Scenario& s, const Expectation& e, std::string_view line, std::string_view input) {
    require(line.size() >= 2 && line.substr(line.size() - 2) == "\r\n", "a result line ends in CR LF", input);
    const std::string_view body = line.substr(0, line.size() - 2);
    require(body.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos,
            "a result line holds no other CR, LF or NUL", input);
    switch (e.row->result) {
        case ResultKind::result_integer:
            require(is_decimal_integer(body), "an integer answer is plain decimal digits", input);
            break;
        case ResultKind::result_text:
            require(std::none_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
                    "a text answer holds no control byte", input);
            break;
        case ResultKind::result_real:
        case ResultKind::result_single: {
            const Checked<double> back = parse_argument(body, s.separator);
            require(!back.failure, "a real answer reads back as a number", input);
            if (e.row->result == ResultKind::result_single) {
                require(static_cast<double>(static_cast<float>(back.value)) == back.value,
                        "a single answer prints a single exactly", input);
            }
            break;
        }
    }
}

void check_port_accesses(const Scenario& s, const Expectation& e, const RunRecord& r, std::string_view input) {
    require(r.access_requests == 1, "access to the port is asked for once a run", input);
    require(r.granted_base == s.base && r.granted_count == 2, "access is asked for the data and status registers only",
            input);
    if (s.refuse) {
        require(r.accesses.empty(), "a refused port is never touched", input);
        return;
    }
    const auto& a = r.accesses;
    const std::uint16_t status_port = static_cast<std::uint16_t>(s.base + 1);
    require(a.size() >= 2 && a[0] == PortAccessRecord{'R', s.base, s.data} &&
                a[1] == PortAccessRecord{'W', s.base, static_cast<std::uint8_t>((s.data & 0x0F) | 0xB0)},
            "every run starts by reading the data byte and writing the idle pattern over its relays", input);
    if (e.failure != FailureKind::none || e.row == nullptr) {
        require(a.size() == 2, "a run that fails, or matches no row, calls no operation", input);
        return;
    }

    const std::string_view keyword = e.row->keyword;
    const bool resets = one_of(keyword, {"ea", "ead", "stdea", "stdead", "stdeas"}) && e.index == 2;
    const bool switches = one_of(keyword, {"sb", "stdsb"}) && e.index >= 0 && e.index <= 3;
    std::size_t status_reads = 0;
    for (std::size_t p = 0; p < a.size(); ++p) {
        require(a[p].port == s.base || a[p].port == status_port, "only the data and status registers are touched",
                input);
        if (a[p].port == status_port) {
            require(a[p].direction == 'R', "the status register is only read", input);
            ++status_reads;
            continue;
        }
        if (a[p].direction != 'W' || (a[p].value & 0x30) == 0x30) continue;
        const bool reset_write = resets && a[p].value == s.data;
        const bool relay_write = switches && p + 1 == a.size() && a[p - 1].direction == 'R' &&
                                 a[p - 1].port == s.base && (a[p].value & 0xF0) == (a[p - 1].value & 0xF0);
        require(reset_write || relay_write,
                "data writes keep bits 4 and 5 high, but for the saved byte and the relay write", input);
    }
    require(status_reads == 0 || status_reads == 20, "a converter read takes two status reads for each of 10 bits",
            input);

    if (resets) {
        require(a.size() == 3 && a[2] == PortAccessRecord{'W', s.base, s.data},
                "resetting for printing writes back the byte found at start-up", input);
    }
    if (switches) {
        const std::uint8_t relays = e.value == 1 ? static_cast<std::uint8_t>(1u << e.index) : 0;
        require(a.size() == 4 && a[2].direction == 'R' && a[2].port == s.base && a[3].direction == 'W' &&
                    a[3].port == s.base && a[3].value == ((a[2].value & 0xF0) | relays),
                "a relay write keeps bits 4-7 and drives bits 0-3 from the commanded states", input);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Scenario s;
    s.separator = (data[0] & 0x01) != 0 ? ',' : '.';
    s.base = bases[(data[0] >> 1) & 0x03];
    s.one_text = (data[0] & 0x08) != 0;
    s.refuse = (data[0] & 0x10) != 0;
    s.data = data[1];
    const std::size_t pattern = ((data[0] >> 5) & 0x07) + 1u;
    for (std::size_t k = 0; k < pattern; ++k) s.status.push_back(2 + k < size ? data[2 + k] : 0x00);
    s.command_line = input.substr(std::min(size, 2 + pattern));

    const CommandWords words = words_of(s);
    const RunRecord record = run(s, words);
    const Expectation e = expectation(s, words);

    if (e.failure != FailureKind::none) {
        require(record.status == exit_failure_report, "a failure ends with exit status 1", input);
        require(record.output == expected_report(e), "a failure prints exactly its two-line report", input);
    } else {
        require(record.status == exit_success, "a run without failure ends with exit status 0", input);
        if (e.row == nullptr) {
            require(record.output.empty(), "a keyword that matches no row prints nothing", input);
        } else {
            check_answer(s, e, record.output, input);
        }
    }
    check_port_accesses(s, e, record, input);

    // Nothing outlives a run: after a run that switches a relay on, the same run again gives
    // the same answer and the same port accesses.
    {
        RecordingPort other;
        const std::vector<std::string> words_on = {std::string(1, static_cast<char>('0' + (data[1] & 3))), "1"};
        static_cast<void>(run_words(other, {"sb", words_on[0], words_on[1]}));
    }
    require(run(s, words) == record, "a run does not depend on the runs before it", input);
    return 0;
}
