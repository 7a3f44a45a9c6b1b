#include "frontend/run_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "testing/recording_port.h"

namespace voka {
namespace {

using testing::PortAccessRecord;
using testing::RecordingPort;

constexpr std::uint16_t data_port = 0x378;

std::string_view test_program_name() { return "kodrun_voka1"; }

struct RunOutcome {
    std::string output;  // the report's address replaced by XXXXXXXX
    int status;
};

class RunDriverTest : public ::testing::Test {
protected:
    RunOutcome run(std::vector<std::string> arguments, char separator = '.') {
        arguments.insert(arguments.begin(), "/opt/voka/kodrun_voka1");
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        const RunRequest request{port, data_port, separator,
                                 words_from_argument_list(static_cast<int>(argv.size()), argv.data()),
                                 &test_program_name};
        OutputLine out;
        const int status = run_driver(request, out);
        const std::string text(out.view());
        return {std::regex_replace(text, std::regex(" \xE0 [0-9A-F]{8}\\.\n"), " \xE0 XXXXXXXX.\n"), status};
    }

    // The accesses after the start-up's read and write.
    std::vector<PortAccessRecord> accesses_after_start_up() const {
        if (port.accesses.size() < 2) return {};
        return {port.accesses.begin() + 2, port.accesses.end()};
    }

    bool started_up() const {
        return port.accesses.size() >= 2 && port.accesses[0].direction == 'R' &&
               port.accesses[1] == PortAccessRecord{'W', data_port, static_cast<std::uint8_t>((saved & 0x0F) | 0xB0)};
    }

    void SetUp() override { port.data = saved; }

    std::uint8_t saved = 0x5A;
    RecordingPort port;
};

std::string report(std::string_view class_name, std::string_view message) {
    std::string text = "Exception ";
    text.append(class_name).append(" dans le module kodrun_voka1 \xE0 XXXXXXXX.\n");
    return text.append(message).append(".\r\n");
}

std::string convert_error(std::string_view word) {
    std::string message = "'";
    message.append(word).append("' n'est pas une valeur en virgule flottante correcte");
    return report("EConvertError", message);
}

const std::string overflow = report("EOverflow", "D\xE9" "bordement en virgule flottante");
const std::string invalid_op = report("EInvalidOp", "Op\xE9" "ration en virgule flottante incorrecte");

TEST_F(RunDriverTest, EmptyCommandLinePrintsNothingButStartsTheInterface) {
    const RunOutcome outcome = run({});
    EXPECT_EQ(outcome.output, "");
    EXPECT_EQ(outcome.status, exit_success);
    EXPECT_TRUE(started_up());
    EXPECT_TRUE(accesses_after_start_up().empty());
}

TEST_F(RunDriverTest, RefusedPortAccessIsReportedBeforeAnyWordIsLookedAt) {
    port.refuse_access = true;
    for (const auto& words : std::vector<std::vector<std::string>>{{"ea", "0"}, {"ea", "abc"}, {}}) {
        const RunOutcome outcome = run(words);
        EXPECT_EQ(outcome.output, report("EPrivilege", "Instruction privil\xE9" "gi\xE9" "e"));
        EXPECT_EQ(outcome.status, exit_failure_report);
    }
    EXPECT_TRUE(port.accesses.empty());
}

TEST_F(RunDriverTest, KeywordComparisonIsExact) {
    for (const std::string keyword : {"EA", "Ea", " ea", "ea ", "e", "eaa"}) {
        const RunOutcome outcome = run({keyword, "0"});
        EXPECT_EQ(outcome.output, "") << keyword;
        EXPECT_EQ(outcome.status, exit_success);
    }
}

struct RunCase {
    std::vector<std::string> words;
    char separator;
    std::string output;
    int status;
    std::size_t accesses_after_start_up;  // 43 for a converter read, 2 for a re-initialisation
};

class RunDriverCaseTest : public RunDriverTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunDriverCaseTest, PrintsTheAnswerOrTheReport) {
    port.status = [] { return std::uint8_t{0x00}; };  // channel 0 reads 0, channel 1 reads 1023
    const RunOutcome outcome = run(GetParam().words, GetParam().separator);
    EXPECT_EQ(outcome.output, GetParam().output);
    EXPECT_EQ(outcome.status, GetParam().status);
    EXPECT_TRUE(started_up());
    EXPECT_EQ(accesses_after_start_up().size(), GetParam().accesses_after_start_up);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RunDriverCaseTest,
    ::testing::Values(
        RunCase{{"ea", "1"}, '.', "1023\r\n", 0, 43},
        RunCase{{"ea", "0"}, '.', "0\r\n", 0, 43},
        RunCase{{"ead", "1"}, ',', "4,9951171875\r\n", 0, 43},
        RunCase{{"ead", "2"}, ',', "-3,7939453125\r\n", 0, 1},
        RunCase{{"nea", "9"}, '.', "\r\n", 0, 0},
        // No number: index 11, outside every range.
        RunCase{{"ea"}, '.', "-777\r\n", 0, 0},
        RunCase{{"nea"}, '.', "\r\n", 0, 0},
        // Indexes are rounded to nearest, ties to even, with the locale's separator.
        RunCase{{"ea", "0,5"}, ',', "0\r\n", 0, 43},
        RunCase{{"ea", "1,5"}, ',', "-777\r\n", 0, 1},
        RunCase{{"ea", "2,5"}, ',', "-777\r\n", 0, 1},
        RunCase{{"ea", "-0,5"}, ',', "0\r\n", 0, 43},
        RunCase{{"ea", "0.5"}, ',', convert_error("0.5"), 1, 0},
        RunCase{{"ea", "0.5"}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "0,5"}, '.', convert_error("0,5"), 1, 0},
        RunCase{{"ea", ".5"}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "1e"}, '.', "1023\r\n", 0, 43},
        RunCase{{"ea", "  1  "}, '.', "1023\r\n", 0, 43},
        RunCase{{"ea", "."}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "+"}, '.', convert_error("+"), 1, 0},
        RunCase{{"ea", "0x10"}, '.', convert_error("0x10"), 1, 0},
        // Low 32 bits of the rounded index: 2^32 is 0, 2^32 + 3 re-initialises.
        RunCase{{"ea", "4294967296"}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "4294967299"}, '.', "-777\r\n", 0, 2},
        // Words 2 and 3 are converted whatever the keyword; only the row's arguments are rounded.
        RunCase{{"ea", "1e19"}, '.', invalid_op, 1, 0},
        RunCase{{"nokeyword", "1e19"}, '.', "", 0, 0},
        RunCase{{"nokeyword", "1e400"}, '.', overflow, 1, 0},
        RunCase{{"nokeyword", "x"}, '.', convert_error("x"), 1, 0},
        RunCase{{"ea", "0", "1e400"}, '.', overflow, 1, 0},
        RunCase{{"ea", "1e5000"}, '.', convert_error("1e5000"), 1, 0},
        RunCase{{"ea", "1e-400"}, '.', "0\r\n", 0, 43},
        // The first bad word is reported; later words are never read.
        RunCase{{"ea", "abc", "def"}, '.', convert_error("abc"), 1, 0},
        RunCase{{"ea", "0", "5", "junk"}, '.', "0\r\n", 0, 43}));

}  // namespace
}  // namespace voka
