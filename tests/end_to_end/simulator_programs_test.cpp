// The *_sim programs run as processes against a state file of their own, with an exact
// environment; their standard output is checked byte for byte and their port accesses through
// the trace file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <locale.h>

#include "process_runner.h"

namespace voka::testing {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;
using ::testing::ElementsAreArray;
using ::testing::PrintToString;

using Words = std::vector<std::string>;

const std::string c_locale = "C";
const std::string french_locale = "fr_FR.UTF-8";

// The French tests need the locale generated on this machine; without it the programs would
// quietly fall back to the point, and the tests would check nothing of the comma.
AssertionResult locale_ready(const std::string& name) {
    if (name == c_locale) return AssertionSuccess();
    const locale_t loaded = ::newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (loaded == static_cast<locale_t>(nullptr)) {
        return AssertionFailure() << "locale " << name << " is not installed (`locale -a` lacks it): generate it "
                                  << "with `localedef -i fr_FR -f UTF-8 fr_FR.UTF-8`, as "
                                  << "scripts/install-dependencies.sh --tests does";
    }
    ::freelocale(loaded);
    return AssertionSuccess();
}

std::string access(char direction, std::uint16_t port, std::uint8_t value) {
    char line[16];
    std::snprintf(line, sizeof line, "%c %04X %02X", direction, port, value);
    return line;
}

// Start-up: the data byte read and the idle pattern written over its relay nibble.
std::vector<std::string> start_up(std::uint16_t base, std::uint8_t data_before) {
    return {access('R', base, data_before), access('W', base, static_cast<std::uint8_t>((data_before & 0x0F) | 0xB0))};
}

// One converter read in the protocol order: the relay nibble read, clock low, then per bit
// clock high, two status reads and clock low, and the after-read pattern.
std::vector<std::string> converter_read(std::uint16_t base, std::uint8_t data_before_read,
                                        const std::vector<std::uint8_t>& status_per_bit) {
    const std::uint8_t relays = data_before_read & 0x0F;
    const auto status_port = static_cast<std::uint16_t>(base + 1);
    std::vector<std::string> lines{access('R', base, data_before_read),
                                   access('W', base, static_cast<std::uint8_t>(relays | 0x30))};
    for (const std::uint8_t status : status_per_bit) {
        lines.push_back(access('W', base, static_cast<std::uint8_t>(relays | 0xB0)));
        lines.push_back(access('R', status_port, status));
        lines.push_back(access('R', status_port, status));
        lines.push_back(access('W', base, static_cast<std::uint8_t>(relays | 0x30)));
    }
    lines.push_back(access('W', base, static_cast<std::uint8_t>(relays | 0x70)));
    return lines;
}

// Inputs 700 (1010111100) and 300 (0100101100), most significant bit first: channel 0 on
// status bit 6, channel 1 inverted on bit 7.
const std::vector<std::uint8_t> status_for_700_300 = {0xC0, 0x00, 0xC0, 0x80, 0x40, 0xC0, 0x40, 0x40, 0x80, 0x80};

std::vector<std::string> concatenated(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

std::string state_text(std::uint8_t data, int input0, int input1) {
    char text[64];
    std::snprintf(text, sizeof text, "data=0x%02X\ninput0=%d\ninput1=%d\n", data, input0, input1);
    return text;
}

std::string convert_error_message(const std::string& word) {
    return "'" + word + "' n'est pas une valeur en virgule flottante correcte";
}
const std::string overflow_message = "D\xE9" "bordement en virgule flottante";
const std::string invalid_op_message = "Op\xE9" "ration en virgule flottante incorrecte";

// The two-line failure report, byte for byte but for the address, which is answered.
AssertionResult is_failure_report(const std::string& out, const std::string& class_name, const std::string& module,
                                  const std::string& message, std::string* address = nullptr) {
    const std::string head = "Exception " + class_name + " dans le module " + module + " \xE0 ";
    const std::string tail = ".\n" + message + ".\r\n";
    if (out.size() != head.size() + 8 + tail.size() || out.compare(0, head.size(), head) != 0 ||
        out.compare(head.size() + 8, std::string::npos, tail) != 0) {
        return AssertionFailure() << "got  " << PrintToString(out) << "\nwant " << PrintToString(head + "XXXXXXXX" + tail);
    }
    const std::string found = out.substr(head.size(), 8);
    if (found.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
        return AssertionFailure() << "the address " << PrintToString(found) << " is not 8 uppercase hex digits";
    }
    if (address != nullptr) *address = found;
    return AssertionSuccess();
}

class SimulatorProgramTest : public ::testing::Test {
protected:
    std::string state_path() const { return directory.file("state"); }
    std::string trace_path() const { return directory.file("trace"); }
    void set_state(const std::string& text) const { write_file(state_path(), text); }
    std::string state() const { return read_file(state_path()); }

    ProcessResult run(const Words& words, const std::string& locale = c_locale,
                      const std::string& program = "kodrun_voka1_sim") const {
        Words argv{program_path(program)};
        argv.insert(argv.end(), words.begin(), words.end());
        return run_process(argv, {"VOKA_SIM_STATE=" + state_path(), "VOKA_SIM_TRACE=" + trace_path(), "LC_ALL=" + locale});
    }

    // The trace lines added since the last call; earlier lines must still be there unchanged.
    std::vector<std::string> new_trace_lines() {
        const std::string text = file_exists(trace_path()) ? read_file(trace_path()) : "";
        EXPECT_TRUE(text.empty() || text.back() == '\n') << "the trace ends with a whole line";
        EXPECT_EQ(text.compare(0, trace_seen_.size(), trace_seen_), 0) << "the trace is appended to, not rewritten";
        std::vector<std::string> lines;
        std::size_t start = std::min(trace_seen_.size(), text.size());
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end == std::string::npos ? text.size() : end + 1;
        }
        trace_seen_ = text;
        return lines;
    }

    TemporaryDirectory directory;

private:
    std::string trace_seen_;
};

// --- one full converter read, on each program's own port ---

struct ProgramPort {
    std::string program;
    std::uint16_t base;
};

void PrintTo(const ProgramPort& p, std::ostream* out) { *out << p.program; }

class ConverterReadRunTest : public SimulatorProgramTest, public ::testing::WithParamInterface<ProgramPort> {};

TEST_P(ConverterReadRunTest, EaZeroIsStartUpThenOneFullReadAndLeavesTheLatchBehind) {
    set_state(state_text(0x5A, 700, 300));
    const ProcessResult result = run({"ea", "0"}, c_locale, GetParam().program);
    EXPECT_EQ(result.standard_output, "700\r\n");
    EXPECT_EQ(result.standard_error, "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_THAT(new_trace_lines(), ElementsAreArray(concatenated(start_up(GetParam().base, 0x5A),
                                                                 converter_read(GetParam().base, 0xBA, status_for_700_300))));
    // Relay nibble kept, after-read pattern on the control lines; the inputs as they were.
    EXPECT_EQ(state(), state_text(0x7A, 700, 300));
    EXPECT_FALSE(file_exists(state_path() + ".tmp"));

    const ProcessResult again = run({"ea", "1"}, c_locale, GetParam().program);
    EXPECT_EQ(again.standard_output, "300\r\n");
    EXPECT_EQ(again.exit_status, 0);
    EXPECT_THAT(new_trace_lines(), ElementsAreArray(concatenated(start_up(GetParam().base, 0x7A),
                                                                 converter_read(GetParam().base, 0xBA, status_for_700_300))));
}

INSTANTIATE_TEST_SUITE_P(Programs, ConverterReadRunTest,
                         ::testing::Values(ProgramPort{"kodrun_voka1_sim", 0x378}, ProgramPort{"kodrun_voka2_sim", 0x278},
                                           ProgramPort{"kodrun_voka3_sim", 0x3BC}));

// --- result lines ---

// How far a run got on the port, from its trace.
enum class PortWork { start_up_only, reset_for_printing, reinitialised, converter_read };

std::size_t trace_length(PortWork work) {
    switch (work) {
        case PortWork::start_up_only: return 2;
        case PortWork::reset_for_printing: return 3;
        case PortWork::reinitialised: return 4;
        case PortWork::converter_read: return 2 + 43;
    }
    return 0;
}

struct AnswerCase {
    std::string locale;
    Words words;
    int input0;
    int input1;
    std::string output;
    PortWork work;
};

void PrintTo(const AnswerCase& c, std::ostream* out) { *out << c.locale << ' ' << PrintToString(c.words); }

class AnswerLineTest : public SimulatorProgramTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerLineTest, PrintsOneLineEndedByCrLf) {
    const AnswerCase& c = GetParam();
    ASSERT_TRUE(locale_ready(c.locale));
    set_state(state_text(0x5A, c.input0, c.input1));
    const ProcessResult result = run(c.words, c.locale);
    EXPECT_EQ(result.standard_output, c.output);
    EXPECT_EQ(result.standard_error, "");
    EXPECT_EQ(result.exit_status, 0);
    const std::vector<std::string> trace = new_trace_lines();
    EXPECT_EQ(trace.size(), trace_length(c.work)) << PrintToString(trace);
    if (c.work == PortWork::reset_for_printing && trace.size() == 3) {
        EXPECT_EQ(trace[2], access('W', 0x378, 0x5A)) << "the byte start-up found";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Operations, AnswerLineTest,
    ::testing::Values(
        AnswerCase{c_locale, {"ea", "0"}, 0, 1023, "0\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "1"}, 0, 1023, "1023\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "0"}, 1023, 0, "1023\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "1"}, 1023, 1, "1\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ead", "1"}, 0, 1023, "4.9951171875\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ead", "0"}, 512, 0, "2.5\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ead", "0"}, 1, 0, "0.0048828125\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ead", "0"}, 0, 0, "0\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ead", "0"}, 512, 0, "2,5\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ead", "1"}, 0, 1023, "4,9951171875\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "2"}, 700, 300, "-777\r\n", PortWork::reset_for_printing},
        AnswerCase{c_locale, {"ead", "2"}, 700, 300, "-3.7939453125\r\n", PortWork::reset_for_printing},
        AnswerCase{french_locale, {"ead", "3"}, 700, 300, "-3,7939453125\r\n", PortWork::reinitialised},
        AnswerCase{c_locale, {"ea", "3"}, 700, 300, "-777\r\n", PortWork::reinitialised},
        // Bad indexes touch nothing beyond start-up; no word 2 is index 11.
        AnswerCase{c_locale, {"ea"}, 700, 300, "-777\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"ea", "4"}, 700, 300, "-777\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"ea", "-1"}, 700, 300, "-777\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"ead", "7"}, 700, 300, "-777\r\n", PortWork::start_up_only},
        AnswerCase{french_locale, {"ead", "7"}, 700, 300, "-777\r\n", PortWork::start_up_only},
        // Names: Windows-1252 bytes, no port access.
        AnswerCase{c_locale, {"nea", "0"}, 700, 300, "E. analogique 0\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"nea", "2"}, 700, 300, "RAZ pour impression\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"nea", "3"}, 700, 300, "R\xE9initialisation\r\n", PortWork::start_up_only},
        AnswerCase{french_locale, {"nead", "3"}, 700, 300, "R\xE9initialisation\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"nea", "4"}, 700, 300, "\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"nead"}, 700, 300, "\r\n", PortWork::start_up_only},
        // Word 4 and later are never read.
        AnswerCase{c_locale, {"ea", "0", "5", "junk"}, 700, 300, "700\r\n", PortWork::converter_read},
        // Empty arguments make no word: the next one takes its number.
        AnswerCase{c_locale, {"ea", "", "1"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"", "ea", "", "", "1"}, 700, 300, "300\r\n", PortWork::converter_read}));

// Arguments rounded to an index: 0 reads channel 0, 1 channel 1, 2 resets, anything else idles.
INSTANTIATE_TEST_SUITE_P(
    IndexConversion, AnswerLineTest,
    ::testing::Values(
        AnswerCase{c_locale, {"ea", "0.5"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "1.5"}, 700, 300, "-777\r\n", PortWork::reset_for_printing},
        AnswerCase{c_locale, {"ea", "2.5"}, 700, 300, "-777\r\n", PortWork::reset_for_printing},
        AnswerCase{c_locale, {"ea", "-0.5"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "0.50000001"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", ".5"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "5."}, 700, 300, "-777\r\n", PortWork::start_up_only},
        AnswerCase{c_locale, {"ea", "+1"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "1e"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "1E+0"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "0.1e1"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "  1  "}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "."}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "-0"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "1e-400"}, 700, 300, "700\r\n", PortWork::converter_read},
        // The low 32 bits of the rounded value.
        AnswerCase{c_locale, {"ea", "4294967296"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "4294967297"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{c_locale, {"ea", "4294967298"}, 700, 300, "-777\r\n", PortWork::reset_for_printing},
        AnswerCase{french_locale, {"ea", "0,5"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ea", "1,5"}, 700, 300, "-777\r\n", PortWork::reset_for_printing},
        AnswerCase{french_locale, {"ea", "2,5"}, 700, 300, "-777\r\n", PortWork::reset_for_printing},
        AnswerCase{french_locale, {"ea", "-0,5"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ea", ",5"}, 700, 300, "700\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ea", "1,4"}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ea", "  1  "}, 700, 300, "300\r\n", PortWork::converter_read},
        AnswerCase{french_locale, {"ea", "1e0"}, 700, 300, "300\r\n", PortWork::converter_read}));

// --- failure reports ---

struct ReportCase {
    std::string locale;
    Words words;
    std::string class_name;
    std::string message;
};

void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.locale << ' ' << PrintToString(c.words); }

class FailureReportTest : public SimulatorProgramTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(FailureReportTest, ReportsOnStandardOutputAfterStartUpAndCallsNoOperation) {
    const ReportCase& c = GetParam();
    ASSERT_TRUE(locale_ready(c.locale));
    set_state(state_text(0x5A, 700, 300));
    const ProcessResult result = run(c.words, c.locale);
    EXPECT_TRUE(is_failure_report(result.standard_output, c.class_name, program_file_name("kodrun_voka1_sim"), c.message));
    EXPECT_EQ(result.standard_error, "");
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_THAT(new_trace_lines(), ElementsAreArray(start_up(0x378, 0x5A)));
    EXPECT_EQ(state(), state_text(0xBA, 700, 300)) << "the port was started before the failure";
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureReportTest,
    ::testing::Values(
        ReportCase{c_locale, {"ea", "abc"}, "EConvertError", convert_error_message("abc")},
        ReportCase{c_locale, {"ea", "abc", "def"}, "EConvertError", convert_error_message("abc")},
        // Word 3 is converted although `ea` takes only an index.
        ReportCase{c_locale, {"ea", "0", "junk"}, "EConvertError", convert_error_message("junk")},
        ReportCase{c_locale, {"ea", "0,5"}, "EConvertError", convert_error_message("0,5")},
        ReportCase{french_locale, {"ea", "0.5"}, "EConvertError", convert_error_message("0.5")},
        ReportCase{c_locale, {"ea", "+"}, "EConvertError", convert_error_message("+")},
        ReportCase{c_locale, {"ea", "e5"}, "EConvertError", convert_error_message("e5")},
        ReportCase{c_locale, {"ea", "0x10"}, "EConvertError", convert_error_message("0x10")},
        ReportCase{c_locale, {"ea", "1 000"}, "EConvertError", convert_error_message("1 000")},
        // The word is quoted with its blanks; a tab is no blank.
        ReportCase{c_locale, {"ea", " 1\t"}, "EConvertError", convert_error_message(" 1\t")},
        ReportCase{c_locale, {"ea", "1e5000"}, "EConvertError", convert_error_message("1e5000")},
        ReportCase{c_locale, {"ea", "1e-5000"}, "EConvertError", convert_error_message("1e-5000")},
        ReportCase{c_locale, {"ea", "1e400"}, "EOverflow", overflow_message},
        ReportCase{c_locale, {"ea", "-1e400"}, "EOverflow", overflow_message},
        ReportCase{c_locale, {"ea", "0", "1e400"}, "EOverflow", overflow_message},
        ReportCase{c_locale, {"ea", "1e19"}, "EInvalidOp", invalid_op_message},
        ReportCase{c_locale, {"ea", "-1e19"}, "EInvalidOp", invalid_op_message},
        ReportCase{c_locale, {"ead", "9223372036854775808"}, "EInvalidOp", invalid_op_message},
        ReportCase{french_locale, {"nea", "1e19"}, "EInvalidOp", invalid_op_message},
        // Words are converted whatever the keyword.
        ReportCase{c_locale, {"xyz", "1e400"}, "EOverflow", overflow_message},
        ReportCase{c_locale, {"EA", "abc"}, "EConvertError", convert_error_message("abc")}));

TEST_F(SimulatorProgramTest, TheReportAddressIsTheSameOnEveryRunOfTheProgram) {
    std::string first;
    std::string second;
    ASSERT_TRUE(is_failure_report(run({"ea", "1e19"}).standard_output, "EInvalidOp", program_file_name("kodrun_voka1_sim"),
                                  invalid_op_message, &first));
    ASSERT_TRUE(is_failure_report(run({"ea", "1e19"}).standard_output, "EInvalidOp", program_file_name("kodrun_voka1_sim"),
                                  invalid_op_message, &second));
    EXPECT_EQ(first, second);
}

TEST_F(SimulatorProgramTest, TheReportNamesTheProgramFileItRunsFrom) {
    const std::string renamed = directory.file(program_file_name("autre_nom"));
    std::filesystem::copy_file(program_path("kodrun_voka2_sim"), renamed);
    const ProcessResult result = run_process(
        {renamed, "ea", "abc"}, {"VOKA_SIM_STATE=" + state_path(), "LC_ALL=C"});
    EXPECT_TRUE(is_failure_report(result.standard_output, "EConvertError", program_file_name("autre_nom"), convert_error_message("abc")));
    EXPECT_EQ(result.exit_status, 1);
}

// --- runs that print nothing ---

class SilentRunTest : public SimulatorProgramTest, public ::testing::WithParamInterface<Words> {};

TEST_P(SilentRunTest, PrintsNothingAndEndsWithStatusZeroAfterStartUp) {
    set_state(state_text(0x5A, 700, 300));
    const ProcessResult result = run(GetParam());
    EXPECT_EQ(result.standard_output, "");
    EXPECT_EQ(result.standard_error, "");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_THAT(new_trace_lines(), ElementsAreArray(start_up(0x378, 0x5A)));
    EXPECT_EQ(state(), state_text(0xBA, 700, 300));
}

INSTANTIATE_TEST_SUITE_P(NoKeyword, SilentRunTest,
                         ::testing::Values(Words{}, Words{"", ""}, Words{"xyz", "1e19"}, Words{"xyz", "1e19", "-1e19"},
                                           Words{"EA", "0"}, Words{"Ea", "0"}, Words{" ea", "0"}, Words{"ea ", "0"},
                                           Words{"eaa", "0"}, Words{"e", "0"}));

// --- the port across runs ---

TEST_F(SimulatorProgramTest, ResetForPrintingWritesBackWhatThePreviousRunLeft) {
    set_state(state_text(0x5A, 700, 300));
    ASSERT_EQ(run({"ea", "0"}).standard_output, "700\r\n");
    new_trace_lines();
    ASSERT_EQ(state(), state_text(0x7A, 700, 300));

    ProcessResult result = run({"ea", "2"});
    EXPECT_EQ(result.standard_output, "-777\r\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_THAT(new_trace_lines(), ElementsAreArray({"R 0378 7A", "W 0378 BA", "W 0378 7A"}));
    EXPECT_EQ(state(), state_text(0x7A, 700, 300));

    result = run({"ea", "3"});
    EXPECT_EQ(result.standard_output, "-777\r\n");
    EXPECT_EQ(result.exit_status, 0);
    // The second start-up of the run saves the idle byte the first one wrote.
    EXPECT_THAT(new_trace_lines(), ElementsAreArray({"R 0378 7A", "W 0378 BA", "R 0378 BA", "W 0378 BA"}));
    EXPECT_EQ(state(), state_text(0xBA, 700, 300));

    result = run({"ead", "2"});
    EXPECT_EQ(result.standard_output, "-3.7939453125\r\n");
    EXPECT_THAT(new_trace_lines(), ElementsAreArray({"R 0378 BA", "W 0378 BA", "W 0378 BA"}));
}

TEST_F(SimulatorProgramTest, AStuckStatusIsReadByEveryConversionAndKeptInTheStateFile) {
    set_state("data=0x03\ninput0=700\ninput1=300\nstatus=0x40\n");
    EXPECT_EQ(run({"ea", "0"}).standard_output, "1023\r\n");
    EXPECT_EQ(run({"ea", "1"}).standard_output, "1023\r\n");
    EXPECT_EQ(state(), "data=0x73\ninput0=700\ninput1=300\nstatus=0x40\n");
}

TEST_F(SimulatorProgramTest, AMissingStateFileIsAnIdlePortWithZeroInputs) {
    const ProcessResult result = run({"ea", "1"});
    EXPECT_EQ(result.standard_output, "0\r\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_THAT(new_trace_lines(), ElementsAreArray(concatenated(start_up(0x378, 0x00),
                                                                 converter_read(0x378, 0xB0, std::vector<std::uint8_t>(10, 0x80)))));
    EXPECT_EQ(state(), state_text(0x70, 0, 0));
}

// --- the state file ---

struct BadStateCase {
    std::string contents;
    int line;
    Words words;
};

void PrintTo(const BadStateCase& c, std::ostream* out) { *out << PrintToString(c.contents); }

class BadStateFileTest : public SimulatorProgramTest, public ::testing::WithParamInterface<BadStateCase> {};

TEST_P(BadStateFileTest, EndsWithStatusTwoAndOneLineNamingFileAndLine) {
    set_state(GetParam().contents);
    const ProcessResult result = run(GetParam().words);
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.standard_output, "");
    const std::string prefix = program_file_name("kodrun_voka1_sim") + ": " + state_path() + ":" + std::to_string(GetParam().line) + ": ";
    EXPECT_THAT(result.standard_error, ::testing::StartsWith(prefix));
    EXPECT_GT(result.standard_error.size(), prefix.size() + 1) << "the problem is named";
    EXPECT_EQ(result.standard_error.find('\n'), result.standard_error.size() - 1) << "exactly one line";
    EXPECT_EQ(state(), GetParam().contents) << "the file is left byte for byte";
}

INSTANTIATE_TEST_SUITE_P(
    Problems, BadStateFileTest,
    ::testing::Values(BadStateCase{"data=0x5A\nfoo=1\n", 2, {"ea", "0"}},
                      BadStateCase{"input0=abc\n", 1, {"ea", "0"}},
                      BadStateCase{"\n\ninput1=1024\n", 3, {"ea", "1"}},
                      BadStateCase{"input0=1\r\ninput0=1\r\n", 2, {"ea", "0"}},
                      BadStateCase{"data\n", 1, {}},
                      BadStateCase{"data=0x5A\ninput0=700\ninput1=300\nstatus=0x1G\n", 4, {"ea", "2"}},
                      // The state file is checked before any word: no failure report either.
                      BadStateCase{"data=0x5A\ninput0=-1\n", 2, {"ea", "abc"}}));

TEST_F(SimulatorProgramTest, AStateFileThatCannotBeReadEndsWithStatusTwo) {
    std::filesystem::create_directory(state_path());
    const ProcessResult result = run({"ea", "0"});
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.standard_output, "");
    EXPECT_THAT(result.standard_error, ::testing::StartsWith(program_file_name("kodrun_voka1_sim") + ": " + state_path() + ": "));
    EXPECT_EQ(result.standard_error.find('\n'), result.standard_error.size() - 1) << "exactly one line";
    EXPECT_TRUE(std::filesystem::is_directory(state_path()));
}

TEST_F(SimulatorProgramTest, WithoutVokaSimStateEachProgramKeepsItsOwnFileUnderHome) {
    if (windows_programs()) GTEST_SKIP() << "on Windows the default is under USERPROFILE, which Wine sets itself";
    const std::string home = directory.file("home");
    std::filesystem::create_directory(home);
    for (int number = 1; number <= 3; ++number) {
        const std::string file = home + "/.kodrun_voka_sim_lpt" + std::to_string(number);
        write_file(file, state_text(0x05, 100 + number, 0));
    }
    for (int number = 1; number <= 3; ++number) {
        SCOPED_TRACE("kodrun_voka" + std::to_string(number) + "_sim");
        const ProcessResult result = run_process({program_path("kodrun_voka" + std::to_string(number) + "_sim"), "ea", "0"},
                                                 {"HOME=" + home, "LC_ALL=C"});
        EXPECT_EQ(result.standard_output, std::to_string(100 + number) + "\r\n");
        EXPECT_EQ(result.exit_status, 0);
        for (int other = 1; other <= 3; ++other) {
            const std::string file = home + "/.kodrun_voka_sim_lpt" + std::to_string(other);
            EXPECT_EQ(read_file(file), state_text(other <= number ? 0x75 : 0x05, 100 + other, 0)) << file;
        }
    }
    // A state file named in the environment takes the place of the one under HOME.
    const ProcessResult named = run_process({program_path("kodrun_voka1_sim"), "ea", "3"},
                                            {"HOME=" + home, "VOKA_SIM_STATE=" + state_path(), "LC_ALL=C"});
    EXPECT_EQ(named.standard_output, "-777\r\n");
    EXPECT_EQ(state(), state_text(0xB0, 0, 0));
    EXPECT_EQ(read_file(home + "/.kodrun_voka_sim_lpt1"), state_text(0x75, 101, 0));
}

}  // namespace
}  // namespace voka::testing
