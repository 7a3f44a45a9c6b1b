// The whole vocabulary as callers see it: the keywords and their kinds, the fixed-convention
// entries against their base operations, and the answers of the functions the box lacks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frontend/command_groups.h"
#include "frontend/command_table.h"
#include "testing/driver_run.h"
#include "testing/recording_port.h"

namespace voka {
namespace {

using namespace voka::testing;
using enum ArgumentKind;
using enum ResultKind;

struct KeywordCase {
    std::string_view keyword;
    ArgumentKind arguments;
    ResultKind result;
};

class KeywordTest : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(KeywordTest, HasItsRowWithTheDocumentedKinds) {
    const CommandRow* const row = find_command(GetParam().keyword);
    ASSERT_NE(row, nullptr) << GetParam().keyword;
    EXPECT_EQ(row->arguments, GetParam().arguments) << GetParam().keyword;
    EXPECT_EQ(row->result, GetParam().result) << GetParam().keyword;
}

INSTANTIATE_TEST_SUITE_P(
    AllThirtySeven, KeywordTest,
    ::testing::Values(
        KeywordCase{"ea", args_index, result_integer}, KeywordCase{"nea", args_index, result_text},
        KeywordCase{"ead", args_index, result_real}, KeywordCase{"nead", args_index, result_text},
        KeywordCase{"sb", args_index_integer, result_integer}, KeywordCase{"nsb", args_index, result_text},
        KeywordCase{"rsb", args_index, result_integer}, KeywordCase{"sa", args_index_integer, result_integer},
        KeywordCase{"nsa", args_index, result_text}, KeywordCase{"rsa", args_index, result_integer},
        KeywordCase{"sad", args_index_real, result_real}, KeywordCase{"nsad", args_index, result_text},
        KeywordCase{"rsad", args_index, result_real}, KeywordCase{"eb", args_index, result_integer},
        KeywordCase{"neb", args_index, result_text}, KeywordCase{"titre", args_none, result_text},
        KeywordCase{"detail", args_none, result_text}, KeywordCase{"stdea", args_index, result_integer},
        KeywordCase{"stdnea", args_index, result_text}, KeywordCase{"stdead", args_index, result_real},
        KeywordCase{"stdeas", args_index, result_single}, KeywordCase{"stdnead", args_index, result_text},
        KeywordCase{"stdsa", args_index_integer, result_integer}, KeywordCase{"stdnsa", args_index, result_text},
        KeywordCase{"stdrsa", args_index, result_integer}, KeywordCase{"stdsad", args_index_real, result_real},
        KeywordCase{"stdsas", args_index_single, result_single}, KeywordCase{"stdnsad", args_index, result_text},
        KeywordCase{"stdrsad", args_index, result_real}, KeywordCase{"stdrsas", args_index, result_single},
        KeywordCase{"stdeb", args_index, result_integer}, KeywordCase{"stdneb", args_index, result_text},
        KeywordCase{"stdsb", args_index_integer, result_integer}, KeywordCase{"stdnsb", args_index, result_text},
        KeywordCase{"stdrsb", args_index, result_integer}, KeywordCase{"stdtitre", args_none, result_text},
        KeywordCase{"stddetail", args_none, result_text}));

// A port whose status lines give a fixed but irregular bit pattern, so that a converter read
// answers counts that tell the channels apart.
class PatternPort {
public:
    RecordingPort port;

    PatternPort() {
        port.data = 0x5A;
        port.status = [this] { return patterns[reads++ % 7]; };
    }

private:
    static constexpr std::uint8_t patterns[7] = {0x00, 0xC0, 0x40, 0x80, 0xFF, 0x3F, 0x40};
    std::size_t reads = 0;
};

struct Pair {
    std::string_view variant;
    std::string_view base;
};

class FixedConventionTest : public ::testing::TestWithParam<Pair> {};

TEST_P(FixedConventionTest, AnswersAndTouchesThePortExactlyAsItsBaseOperation) {
    const std::vector<std::vector<std::string>> argument_lists = {
        {}, {"0"}, {"1"}, {"2"}, {"3"}, {"4"}, {"-1"}, {"1", "1"}, {"2", "0"}, {"0", "2,5"}, {"3", "-7"}, {"1e19"}};
    for (const auto& arguments : argument_lists) {
        for (const char separator : {'.', ','}) {
            std::vector<std::string> variant_words{std::string(GetParam().variant)};
            std::vector<std::string> base_words{std::string(GetParam().base)};
            variant_words.insert(variant_words.end(), arguments.begin(), arguments.end());
            base_words.insert(base_words.end(), arguments.begin(), arguments.end());
            PatternPort variant_port;
            PatternPort base_port;
            const RunOutcome variant = run_words(variant_port.port, variant_words, separator);
            const RunOutcome base = run_words(base_port.port, base_words, separator);
            SCOPED_TRACE(::testing::PrintToString(variant_words) + " separator " + separator);
            EXPECT_EQ(variant.output, base.output);
            EXPECT_EQ(variant.status, base.status);
            EXPECT_EQ(variant_port.port.accesses, base_port.port.accesses);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllTwenty, FixedConventionTest,
    ::testing::Values(Pair{"stdea", "ea"}, Pair{"stdnea", "nea"}, Pair{"stdead", "ead"}, Pair{"stdeas", "ead"},
                      Pair{"stdnead", "nead"}, Pair{"stdsa", "sa"}, Pair{"stdnsa", "nsa"}, Pair{"stdrsa", "rsa"},
                      Pair{"stdsad", "sad"}, Pair{"stdsas", "sad"}, Pair{"stdnsad", "nsad"},
                      Pair{"stdrsad", "rsad"}, Pair{"stdrsas", "rsad"}, Pair{"stdeb", "eb"},
                      Pair{"stdneb", "neb"}, Pair{"stdsb", "sb"}, Pair{"stdnsb", "nsb"}, Pair{"stdrsb", "rsb"},
                      Pair{"stdtitre", "titre"}, Pair{"stddetail", "detail"}));

TEST(SinglePrecision, EveryCountPrintsAsItsDoubleCounterpart) {
    for (std::uint16_t count = 0; count < 1024; ++count) {
        // Channel 1 is read, active-low on status bit 7, from the first read of each pair.
        auto status_for = [count](RecordingPort& port) {
            port.status = [count, reads = 0]() mutable {
                const int bit = 9 - reads / 2;
                const bool first_of_pair = reads++ % 2 == 0;
                return static_cast<std::uint8_t>(first_of_pair && ((count >> bit) & 1) ? 0x00 : 0x80);
            };
        };
        RecordingPort single_port;
        RecordingPort double_port;
        status_for(single_port);
        status_for(double_port);
        const RunOutcome single = run_words(single_port, {"stdeas", "1"}, ',');
        const RunOutcome real = run_words(double_port, {"ead", "1"}, ',');
        ASSERT_EQ(single.output, real.output) << count;
        ASSERT_EQ(real.output.find('E'), std::string::npos) << real.output;
    }
}

struct RunCase {
    std::vector<std::string> words;
    std::string output;
    int status;
};

class VocabularyRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(VocabularyRunTest, Answers) {
    RecordingPort port;
    port.data = 0xB0;
    const RunOutcome outcome = run_words(port, GetParam().words);
    EXPECT_EQ(outcome.output, GetParam().output);
    EXPECT_EQ(outcome.status, GetParam().status);
}

const std::string title = "VOKA en LPT1:\r\n";

INSTANTIATE_TEST_SUITE_P(
    Absent, VocabularyRunTest,
    ::testing::Values(RunCase{{"sa", "0", "1"}, "-777\r\n", 0}, RunCase{{"rsa", "0"}, "-777\r\n", 0},
                      RunCase{{"eb", "0"}, "-777\r\n", 0}, RunCase{{"sad", "0", "3"}, "-777\r\n", 0},
                      RunCase{{"rsad", "0"}, "-777\r\n", 0}, RunCase{{"nsa", "0"}, "\r\n", 0},
                      RunCase{{"nsad", "0"}, "\r\n", 0}, RunCase{{"neb", "0"}, "\r\n", 0},
                      RunCase{{"stdrsas", "5"}, "-777\r\n", 0}, RunCase{{"sa"}, "-777\r\n", 0}));

INSTANTIATE_TEST_SUITE_P(
    Identity, VocabularyRunTest,
    ::testing::Values(RunCase{{"titre"}, title, 0}, RunCase{{"titre", "1e19", "x"}, convert_error_report("x"), 1},
                      RunCase{{"titre", "1e19"}, title, 0}, RunCase{{"titre", "1e-400"}, title, 0},
                      RunCase{{"titre", "1e400"}, overflow_report, 1},
                      RunCase{{"titre", "1e5000"}, convert_error_report("1e5000"), 1},
                      RunCase{{"stdtitre", "7"}, title, 0},
                      RunCase{{"detail", "3"},
                              "pilote ex\xE9" "cutable pour VOKA 10 bits en LPT1:, l'\xE9" "quipe kodrun_voka, "
                              "11-12-2026\r\n",
                              0}));

// The value is narrowed to single precision before the index is rounded.
INSTANTIATE_TEST_SUITE_P(
    SingleNarrowing, VocabularyRunTest,
    ::testing::Values(RunCase{{"stdsas", "0", "1e39"}, overflow_report, 1},
                      RunCase{{"stdsas", "0", "-1e39"}, overflow_report, 1},
                      RunCase{{"stdsas", "1e19", "1e39"}, overflow_report, 1},
                      RunCase{{"stdsas", "1e19", "0"}, invalid_op_report, 1},
                      // The double just below the midpoint between the largest finite single and
                      // 2^128 still rounds to that single; the midpoint itself rounds up, beyond it.
                      RunCase{{"stdsas", "0", "340282356779733623858607532500980858880"}, "-777\r\n", 0},
                      RunCase{{"stdsas", "0", "340282356779733661637539395458142568448"}, overflow_report, 1},
                      RunCase{{"stdsas", "0", "1e-50"}, "-777\r\n", 0},
                      RunCase{{"stdsad", "0", "1e39"}, "-777\r\n", 0},
                      RunCase{{"sad", "0", "1e39"}, "-777\r\n", 0}));

TEST(Vocabulary, OnlyConverterReadsAndRelayWritesTouchThePortAfterStartUp) {
    const std::vector<std::string_view> touching = {"ea", "ead", "stdea", "stdead", "stdeas", "sb", "stdsb"};
    std::size_t rows = 0;
    for (const CommandGroup* group : command_groups) {
        for (const CommandRow& row : *group) {
            ++rows;
            RecordingPort port;
            run_words(port, {std::string(row.keyword), "0", "1"});
            const bool touched = port.accesses.size() > 2;
            EXPECT_EQ(touched, std::find(touching.begin(), touching.end(), row.keyword) != touching.end())
                << row.keyword;
        }
    }
    EXPECT_EQ(rows, 37u) << "keywords are unique, so every row is one keyword";
}

}  // namespace
}  // namespace voka
