#include "frontend/command_words.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace voka {
namespace {

struct SplitCase {
    std::string text;
    std::vector<std::string> words;  // words 0 to 3 as found; missing ones are empty
    std::size_t argument_count;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, CutsWordsByTheSeparatorAndQuoteRules) {
    auto storage = std::make_unique<SplitWordStorage>();
    const CommandWords words = split_command_line(GetParam().text, *storage);
    for (std::size_t i = 0; i < words_read; ++i) {
        const std::string expected = i < GetParam().words.size() ? GetParam().words[i] : "";
        EXPECT_EQ(std::string(words[i]), expected) << "word " << i;
    }
    EXPECT_EQ(words.argument_count, GetParam().argument_count);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"", {}, 0},
        SplitCase{"   \t ", {}, 0},
        SplitCase{"prog", {"prog"}, 0},
        SplitCase{"prog ea 0", {"prog", "ea", "0"}, 2},
        SplitCase{"  prog\t\tea \x01\x1F 1 2  ", {"prog", "ea", "1", "2"}, 3},
        // Later words are never read.
        SplitCase{"prog ea 0 5 junk more", {"prog", "ea", "0", "5"}, 3},
        // An empty quoted word makes no word: the next word takes its number.
        SplitCase{"prog ea \"\" 1", {"prog", "ea", "1"}, 2},
        SplitCase{"prog \"\"  \"\"\tea", {"prog", "ea"}, 1},
        SplitCase{"prog ea \"\"", {"prog", "ea"}, 1},
        SplitCase{"prog \"\"x", {"prog", "x"}, 1},
        // Quoted stretches may hold separators and run to the end of the text.
        SplitCase{"prog ea \"  5  \"", {"prog", "ea", "  5  "}, 2},
        SplitCase{"\"C:\\Program Files\\v.exe\" ea", {"C:\\Program Files\\v.exe", "ea"}, 1},
        SplitCase{"prog e\"a \"b c", {"prog", "ea b", "c"}, 2},
        SplitCase{"prog \"ea 1", {"prog", "ea 1"}, 1},
        SplitCase{"prog \" ea\"", {"prog", " ea"}, 1},
        SplitCase{"prog a\"\"b", {"prog", "ab"}, 1},
        // A lone quote is a word with no bytes, not a missing word.
        SplitCase{"prog ea \"", {"prog", "ea", ""}, 2},
        // No escape byte: backslashes are ordinary.
        SplitCase{"prog \\\"a b\\\" c", {"prog", "\\a b\\", "c"}, 2},
        // Bytes above 0x7F belong to words.
        SplitCase{"prog \xE9\xFF x", {"prog", "\xE9\xFF", "x"}, 2},
        // The text ends at a NUL byte.
        SplitCase{std::string("prog ea\0 1", 10), {"prog", "ea"}, 1}));

TEST(SplitCommandLine, KeepsAnOverLongWordRecognisable) {
    auto storage = std::make_unique<SplitWordStorage>();
    const std::string fits(max_word_bytes, '7');
    const std::string too_long(max_word_bytes + 100, '7');
    const CommandWords words = split_command_line("prog ea " + fits + " " + too_long + " 1", *storage);
    EXPECT_EQ(words[2].size(), max_word_bytes);
    EXPECT_GT(words[3].size(), max_word_bytes) << "so that it is no number";
    EXPECT_EQ(words.argument_count, 3u);
}

TEST(WordsFromArgumentList, SkipsEmptyArgumentsAfterTheProgramName) {
    const char* const argv[] = {"/usr/bin/prog", "", "ea", "", "1", "2", "3"};
    const CommandWords words = words_from_argument_list(7, argv);
    EXPECT_EQ(words[0], "/usr/bin/prog");
    EXPECT_EQ(words[1], "ea");
    EXPECT_EQ(words[2], "1");
    EXPECT_EQ(words[3], "2");
    EXPECT_EQ(words.argument_count, 3u);
}

TEST(WordsFromArgumentList, NoArgumentsAtAllIsAnEmptyCommandLine) {
    const CommandWords none = words_from_argument_list(0, nullptr);
    EXPECT_EQ(none.argument_count, 0u);
    EXPECT_TRUE(none[1].empty());

    const char* const argv[] = {"prog", "", ""};
    const CommandWords empties = words_from_argument_list(3, argv);
    EXPECT_EQ(empties.argument_count, 0u);
    EXPECT_TRUE(empties[1].empty());
}

}  // namespace
}  // namespace voka
