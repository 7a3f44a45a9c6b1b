#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace voka {

// A word holds at most this many bytes; a longer one is no number and matches no keyword.
inline constexpr std::size_t max_word_bytes = 4096;

// Word 0 (the program), the keyword and the two numbers: later words are never read.
inline constexpr std::size_t words_read = 4;

struct CommandWords {
    std::array<std::string_view, words_read> words{};  // a missing word is the empty text
    std::size_t argument_count = 0;                    // words after word 0, counted up to 3

    std::string_view operator[](std::size_t index) const { return words[index]; }
};

// The platform hands over a list: argv[0] is word 0; every later non-empty argument is a word.
CommandWords words_from_argument_list(int argc, const char* const* argv);

// Storage for words cut out of one command-line text: quotes are taken out, so each word is a
// copy. One byte more than a word may hold keeps an over-long word recognisable as such.
struct SplitWordStorage {
    char bytes[words_read][max_word_bytes + 1];
};

// The platform hands over one text: words are separated by bytes 0x01 to 0x20, a double quote
// opens a stretch that may hold them, and "" at the start of a word makes no word.
CommandWords split_command_line(std::string_view text, SplitWordStorage& storage);

}  // namespace voka
