#include "frontend/run_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/driver_run.h"
#include "testing/recording_port.h"

namespace voka {
namespace {

using namespace voka::testing;

constexpr std::uint16_t data_port = 0x378;

class RunDriverTest : public ::testing::Test {
protected:
    RunOutcome run(std::vector<std::string> words, char separator = '.') {
        return run_words(port, std::move(words), separator);
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
        EXPECT_EQ(outcome.output, privilege_report);
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
        RunCase{{"ea", "0.5"}, ',', convert_error_report("0.5"), 1, 0},
        RunCase{{"ea", "0.5"}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "0,5"}, '.', convert_error_report("0,5"), 1, 0},
        RunCase{{"ea", ".5"}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "1e"}, '.', "1023\r\n", 0, 43},
        RunCase{{"ea", "  1  "}, '.', "1023\r\n", 0, 43},
        RunCase{{"ea", "."}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "+"}, '.', convert_error_report("+"), 1, 0},
        RunCase{{"ea", "0x10"}, '.', convert_error_report("0x10"), 1, 0},
        // Low 32 bits of the rounded index: 2^32 is 0, 2^32 + 3 re-initialises.
        RunCase{{"ea", "4294967296"}, '.', "0\r\n", 0, 43},
        RunCase{{"ea", "4294967299"}, '.', "-777\r\n", 0, 2},
        // Words 2 and 3 are converted whatever the keyword; only the row's arguments are rounded.
        RunCase{{"ea", "1e19"}, '.', invalid_op_report, 1, 0},
        RunCase{{"nokeyword", "1e19"}, '.', "", 0, 0},
        RunCase{{"nokeyword", "1e400"}, '.', overflow_report, 1, 0},
        RunCase{{"nokeyword", "x"}, '.', convert_error_report("x"), 1, 0},
        RunCase{{"ea", "0", "1e400"}, '.', overflow_report, 1, 0},
        RunCase{{"ea", "1e5000"}, '.', convert_error_report("1e5000"), 1, 0},
        RunCase{{"ea", "1e-400"}, '.', "0\r\n", 0, 43},
        // The first bad word is reported; later words are never read.
        RunCase{{"ea", "abc", "def"}, '.', convert_error_report("abc"), 1, 0},
        RunCase{{"ea", "0", "5", "junk"}, '.', "0\r\n", 0, 43}));

}  // namespace
}  // namespace voka
