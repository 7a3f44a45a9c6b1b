// The Windows programs cut their words out of the one command-line text that Windows hands
// them. A launcher gives them an exact text (Wine would otherwise build it from a Unix argument
// list with its own quoting), and what they print shows how the text was cut.
#include <gtest/gtest.h>

#include <string>

#include "process_runner.h"

namespace voka::testing {
namespace {

// The Windows form of a Unix path under Wine's drive Z:.
std::string windows_path(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return "Z:" + path;
}

struct CommandLineCase {
    std::string command_line;  // word 0 included
    std::string output;
    int status;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {
protected:
    ProcessResult run(const std::string& command_line, const std::string& locale = "C") {
        write_file(state, "data=0x00\ninput0=700\ninput1=300\n");
        return run_process({VOKA_COMMAND_LINE_LAUNCHER, windows_path(program_path("kodrun_voka1_sim"))},
                           {"VOKA_LAUNCH_COMMAND_LINE=" + command_line, "VOKA_SIM_STATE=" + state, "LC_ALL=" + locale});
    }

    TemporaryDirectory directory;
    std::string state = directory.file("box");
};

std::string not_a_number(const std::string& word) {
    std::string report = "Exception EConvertError dans le module kodrun_voka1_sim.exe \xE0 ";
    return report.append("XXXXXXXX.\n'").append(word).append("' n'est pas une valeur en virgule flottante correcte.\r\n");
}

// The report's address, which these cases do not look at, as XXXXXXXX.
std::string masked(std::string out) {
    const std::size_t at = out.find(" \xE0 ");
    if (at != std::string::npos && out.size() >= at + 11) out.replace(at + 3, 8, "XXXXXXXX");
    return out;
}

TEST_P(CommandLineTest, WordsAreCutByTheRulesOfTheCommandLine) {
    const ProcessResult result = run(GetParam().command_line);
    EXPECT_EQ(masked(result.standard_output), GetParam().output);
    EXPECT_EQ(result.exit_status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"kodrun_voka1_sim ea 1", "300\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim", "", 0},
        CommandLineCase{"  kodrun_voka1_sim\t\tea\t0  ", "700\r\n", 0},
        CommandLineCase{"\"C:\\Program Files\\voka\\kodrun_voka1_sim.exe\" titre", "VOKA en LPT1:\r\n", 0},
        // An empty quoted word makes no word: the next word takes its number.
        CommandLineCase{"kodrun_voka1_sim ea \"\" 1", "300\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim \"\" \"\"\tea 0", "700\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim \"ea\" \"1\"", "300\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim e\"a\" 1\"\"", "300\r\n", 0},
        // Quoted stretches hold spaces and tabs, and run to the end of the text.
        CommandLineCase{"kodrun_voka1_sim ea \"  1  \"", "300\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim ea \"1\t2\"", not_a_number("1\t2"), 1},
        CommandLineCase{"kodrun_voka1_sim ea \"1 2", not_a_number("1 2"), 1},
        CommandLineCase{"kodrun_voka1_sim \" ea\" 1", "", 0},
        // No escape byte: a backslash is an ordinary byte, and a quote after it still counts.
        CommandLineCase{"kodrun_voka1_sim ea 1\\", not_a_number("1\\"), 1},
        CommandLineCase{"kodrun_voka1_sim ea \\\"1 2\\\"", not_a_number("\\1 2\\"), 1},
        // A missing word is the empty text; later words are never read.
        CommandLineCase{"kodrun_voka1_sim ea", "-777\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim ea 0 5 \"junk", "700\r\n", 0},
        CommandLineCase{"kodrun_voka1_sim ea abc def", not_a_number("abc"), 1}));

TEST(CommandLine, TheDecimalSeparatorIsTheUserLocales) {
    TemporaryDirectory directory;
    const std::string state = directory.file("box");
    write_file(state, "data=0x00\ninput0=700\ninput1=300\n");
    const auto run = [&](const std::string& command_line, const std::string& locale) {
        return run_process({VOKA_COMMAND_LINE_LAUNCHER, windows_path(program_path("kodrun_voka1_sim"))},
                           {"VOKA_LAUNCH_COMMAND_LINE=" + command_line, "VOKA_SIM_STATE=" + state, "LC_ALL=" + locale})
            .standard_output;
    };
    EXPECT_EQ(run("kodrun_voka1_sim ead \"1,4\"", "fr_FR.UTF-8"), "1,46484375\r\n");
    EXPECT_EQ(run("kodrun_voka1_sim ead 1.4", "C"), "1.46484375\r\n");
    EXPECT_EQ(masked(run("kodrun_voka1_sim ead 1.4", "fr_FR.UTF-8")), not_a_number("1.4"));
}

}  // namespace
}  // namespace voka::testing
