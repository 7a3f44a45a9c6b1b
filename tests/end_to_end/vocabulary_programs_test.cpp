// The whole vocabulary through the simulator programs, as a caller runs them: the bytes on
// standard output, the exit status, the port accesses and the state left behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process_runner.h"

namespace voka::testing {
namespace {

const std::string french = "fr_FR.UTF-8";

class VocabularyProgramsTest : public ::testing::Test {
protected:
    ProcessResult run(const std::vector<std::string>& words, const std::string& locale = "C",
                      const std::string& program = "kodrun_voka1_sim") {
        std::vector<std::string> argv{program_path(program)};
        argv.insert(argv.end(), words.begin(), words.end());
        return run_process(argv, {"VOKA_SIM_STATE=" + state, "VOKA_SIM_TRACE=" + trace, "LC_ALL=" + locale});
    }

    std::vector<std::string> take_trace() {
        std::vector<std::string> lines;
        std::string text = read_file(trace);
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        write_file(trace, "");
        return lines;
    }

    TemporaryDirectory directory;
    std::string state = directory.file("box");
    std::string trace = directory.file("trace");
};

struct AnswerCase {
    std::vector<std::string> words;
    std::string c_locale_output;
    std::string french_output;
};

class AnswerTest : public VocabularyProgramsTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, PrintsTheAnswerInEitherLocale) {
    write_file(state, "data=0xB0\ninput0=700\ninput1=1023\n");
    const ProcessResult c_run = run(GetParam().words, "C");
    EXPECT_EQ(c_run.standard_output, GetParam().c_locale_output);
    EXPECT_EQ(c_run.exit_status, 0);
    const ProcessResult french_run = run(GetParam().words, french);
    EXPECT_EQ(french_run.standard_output, GetParam().french_output);
    EXPECT_EQ(french_run.exit_status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, AnswerTest,
    ::testing::Values(
        AnswerCase{{"ead", "1"}, "4.9951171875\r\n", "4,9951171875\r\n"},
        AnswerCase{{"stdeas", "1"}, "4.9951171875\r\n", "4,9951171875\r\n"},
        AnswerCase{{"stdead", "0"}, "3.41796875\r\n", "3,41796875\r\n"},
        AnswerCase{{"ead", "2"}, "-3.7939453125\r\n", "-3,7939453125\r\n"},
        AnswerCase{{"stdrsas", "0"}, "-777\r\n", "-777\r\n"},
        AnswerCase{{"sad", "0", "3"}, "-777\r\n", "-777\r\n"},
        AnswerCase{{"stdsas", "0", "3"}, "-777\r\n", "-777\r\n"},
        AnswerCase{{"nea", "3"}, "R\xE9" "initialisation\r\n", "R\xE9" "initialisation\r\n"},
        AnswerCase{{"stdnsb", "3"}, "relais D\r\n", "relais D\r\n"},
        AnswerCase{{"nsad", "0"}, "\r\n", "\r\n"},
        AnswerCase{{"stdneb", "0"}, "\r\n", "\r\n"},
        AnswerCase{{"eb", "0"}, "-777\r\n", "-777\r\n"},
        AnswerCase{{"rsb", "0"}, "0\r\n", "0\r\n"},
        AnswerCase{{"stdtitre"}, "VOKA en LPT1:\r\n", "VOKA en LPT1:\r\n"},
        AnswerCase{{"detail"},
                   "pilote ex\xE9" "cutable pour VOKA 10 bits en LPT1:, l'\xE9" "quipe kodrun_voka, 11-12-2026\r\n",
                   "pilote ex\xE9" "cutable pour VOKA 10 bits en LPT1:, l'\xE9" "quipe kodrun_voka, 11-12-2026\r\n"}));

TEST_F(VocabularyProgramsTest, EachProgramNamesItsOwnPort) {
    EXPECT_EQ(run({"titre"}, "C", "kodrun_voka1_sim").standard_output, "VOKA en LPT1:\r\n");
    EXPECT_EQ(run({"titre"}, "C", "kodrun_voka2_sim").standard_output, "VOKA en LPT2:\r\n");
    EXPECT_EQ(run({"stdtitre"}, "C", "kodrun_voka3_sim").standard_output, "VOKA en LPT3:\r\n");
    EXPECT_THAT(run({"detail"}, "C", "kodrun_voka3_sim").standard_output, ::testing::HasSubstr(" en LPT3:, "));
}

TEST_F(VocabularyProgramsTest, RelaysHoldTheirStateBetweenRunsThroughThePortLatch) {
    write_file(state, "data=0xBF\ninput0=1\ninput1=2\n");
    take_trace();

    ProcessResult result = run({"sb", "2", "1"});
    EXPECT_EQ(result.standard_output, "1\r\n");
    EXPECT_THAT(take_trace(), ::testing::ElementsAre("R 0378 BF", "W 0378 BF", "R 0378 BF", "W 0378 B4"));
    EXPECT_EQ(read_file(state), "data=0xB4\ninput0=1\ninput1=2\n");

    // A later run keeps the relay nibble and reads back only what it commanded itself.
    result = run({"rsb", "2"});
    EXPECT_EQ(result.standard_output, "0\r\n");
    EXPECT_THAT(take_trace(), ::testing::ElementsAre("R 0378 B4", "W 0378 B4"));
    EXPECT_EQ(read_file(state), "data=0xB4\ninput0=1\ninput1=2\n");

    // A converter read carries the relay nibble on every write.
    EXPECT_EQ(run({"ea", "0"}).standard_output, "1\r\n");
    for (const std::string& line : take_trace()) {
        if (line[0] == 'W') {
            EXPECT_EQ(line.back(), '4') << line;
        }
    }
    EXPECT_EQ(read_file(state), "data=0x74\ninput0=1\ninput1=2\n");

    // Any value but 1 switches off, and is answered as given; in French, 2,5 rounds to 2.
    EXPECT_EQ(run({"sb", "2", "2,5"}, french).standard_output, "2\r\n");
    EXPECT_EQ(read_file(state), "data=0xB0\ninput0=1\ninput1=2\n");
    EXPECT_EQ(run({"sb", "0", "1,4"}, french).standard_output, "1\r\n");
    EXPECT_EQ(read_file(state), "data=0xB1\ninput0=1\ninput1=2\n");
}

TEST_F(VocabularyProgramsTest, InvalidRelayIndexesTouchNothingBeyondStartUp) {
    write_file(state, "data=0x05\n");
    take_trace();
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"sb", "4", "1"}, {"stdsb", "-1", "1"}, {"sb"}, {"rsb", "4"}}) {
        const ProcessResult result = run(words);
        EXPECT_EQ(result.standard_output, "-777\r\n");
        EXPECT_EQ(take_trace().size(), 2u);
    }
    EXPECT_EQ(read_file(state), "data=0xB5\ninput0=0\ninput1=0\n");
}

TEST_F(VocabularyProgramsTest, FixedConventionEntriesMatchTheirBaseByteForByte) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> pairs = {
        {{"stdea", "0"}, {"ea", "0"}},       {{"stdsb", "1", "1"}, {"sb", "1", "1"}},
        {{"stdeas", "1"}, {"ead", "1"}},     {{"stdea", "2"}, {"ea", "2"}},
        {{"stdsas", "0", "1e39"}, {"stdsas", "0", "1e39"}},
    };
    for (const auto& [variant, base] : pairs) {
        write_file(state, "data=0x5A\ninput0=321\ninput1=654\n");
        take_trace();
        const ProcessResult variant_result = run(variant);
        const std::vector<std::string> variant_trace = take_trace();
        const std::string variant_state = read_file(state);

        write_file(state, "data=0x5A\ninput0=321\ninput1=654\n");
        const ProcessResult base_result = run(base);
        EXPECT_EQ(variant_result.standard_output, base_result.standard_output) << variant[0];
        EXPECT_EQ(variant_result.exit_status, base_result.exit_status) << variant[0];
        EXPECT_EQ(variant_trace, take_trace()) << variant[0];
        EXPECT_EQ(variant_state, read_file(state)) << variant[0];
    }
}

TEST_F(VocabularyProgramsTest, SinglePrecisionOverflowIsReported) {
    const ProcessResult result = run({"stdsas", "0", "1e39"});
    EXPECT_THAT(result.standard_output,
                ::testing::StartsWith("Exception EOverflow dans le module " + program_file_name("kodrun_voka1_sim") +
                                      " \xE0 "));
    EXPECT_THAT(result.standard_output, ::testing::EndsWith(".\nD\xE9" "bordement en virgule flottante.\r\n"));
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(run({"stdsad", "0", "1e39"}).standard_output, "-777\r\n");
}

}  // namespace
}  // namespace voka::testing
