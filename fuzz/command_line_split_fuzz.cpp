// split_command_line on any bytes, as one command-line text. Compared with a byte-at-a-time
// reading of the word rules that keeps every word whole, and re-split after quoting.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/command_words.h"
#include "fuzz_check.h"

namespace {

using namespace voka;
using voka::fuzzing::require;

bool is_separator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x01 && byte <= 0x20;
}

struct ReferenceWord {
    std::string bytes;               // whole, however long
    bool separator_quoted = false;   // a separator byte came in through a quoted stretch
};

// The rules as a machine over the bytes: between words, in a word, in a quoted stretch.
std::vector<ReferenceWord> split_by_the_rules(std::string_view text) {
    const std::string_view c_text = text.substr(0, text.find('\0'));  // the text ends at a NUL
    enum class State { between, word, quoted } state = State::between;
    std::vector<ReferenceWord> words;
    for (std::size_t i = 0; i < c_text.size(); ++i) {
        const char c = c_text[i];
        switch (state) {
            case State::between:
                if (is_separator(c)) break;
                if (c == '"' && i + 1 < c_text.size() && c_text[i + 1] == '"') {
                    ++i;  // "" opening a word: no word
                    break;
                }
                words.emplace_back();
                if (c == '"') {
                    state = State::quoted;
                } else {
                    words.back().bytes += c;
                    state = State::word;
                }
                break;
            case State::word:
                if (is_separator(c)) {
                    state = State::between;
                } else if (c == '"') {
                    state = State::quoted;
                } else {
                    words.back().bytes += c;
                }
                break;
            case State::quoted:
                if (c == '"') {
                    state = State::word;
                } else {
                    words.back().bytes += c;
                    if (is_separator(c)) words.back().separator_quoted = true;
                }
                break;
        }
    }
    return words;
}

bool holds_separator(std::string_view word) { return std::any_of(word.begin(), word.end(), is_separator); }

// The found words joined again into one text; each in quotes when `quote_all`, else only
// where it holds a separator byte.
std::string joined(const std::vector<std::string_view>& words, bool quote_all) {
    std::string text = "prog";
    for (const std::string_view word : words) {
        text += ' ';
        const bool quote = quote_all || holds_separator(word);
        if (quote) text += '"';
        text += word;
        if (quote) text += '"';
    }
    return text;
}

std::unique_ptr<SplitWordStorage> storage = std::make_unique<SplitWordStorage>();
std::unique_ptr<SplitWordStorage> second_storage = std::make_unique<SplitWordStorage>();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CommandWords result = split_command_line(text, *storage);
    const std::vector<ReferenceWord> expected = split_by_the_rules(text);

    const std::size_t found = std::min(expected.size(), words_read);
    require(result.argument_count <= 3, "at most three words after word 0", text);
    require(result.argument_count == (found == 0 ? 0 : found - 1), "argument_count counts the words found", text);
    for (std::size_t k = 0; k < words_read; ++k) {
        const std::string_view word = result[k];
        if (k >= found) {
            require(word.empty(), "a missing word is the empty text", text);
            continue;
        }
        require(word.size() <= max_word_bytes + 1, "a word is cut one byte beyond the longest word", text);
        require(word == std::string_view(expected[k].bytes).substr(0, max_word_bytes + 1),
                "each word is the reference's word, cut", text);
        require(word.empty() || (word.data() >= storage->bytes[k] && word.data() + word.size() <= storage->bytes[k] + max_word_bytes + 1),
                "a word lies in its own storage", text);
        require(word.find('"') == std::string_view::npos, "quotes are never part of a word", text);
        require(!holds_separator(word) || expected[k].separator_quoted,
                "a separator byte gets into a word only through quotes", text);
    }

    // Quoting what was found and splitting again gives it back; empty words cannot be written
    // ("" makes no word), so they drop out.
    std::vector<std::string_view> nonempty;
    for (std::size_t k = 1; k < found; ++k) {
        if (!result[k].empty()) nonempty.push_back(result[k]);
    }
    for (const bool quote_all : {true, false}) {
        const CommandWords again = split_command_line(joined(nonempty, quote_all), *second_storage);
        require(again.argument_count == nonempty.size(), "re-splitting finds the same number of words", text);
        for (std::size_t k = 0; k < nonempty.size(); ++k) {
            require(again[k + 1] == nonempty[k], "re-splitting finds the same words", text);
        }
    }
    return 0;
}
