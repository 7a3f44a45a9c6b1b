#include "frontend/command_words.h"

namespace voka {
namespace {

bool is_separator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x01 && byte <= 0x20;
}

}  // namespace

CommandWords words_from_argument_list(int argc, const char* const* argv) {
    CommandWords result;
    if (argc < 1) return result;
    result.words[0] = argv[0];
    std::size_t found = 1;
    for (int i = 1; i < argc && found < words_read; ++i) {
        const std::string_view word = argv[i];
        if (!word.empty()) result.words[found++] = word;
    }
    result.argument_count = found - 1;
    return result;
}

CommandWords split_command_line(std::string_view text, SplitWordStorage& storage) {
    text = text.substr(0, text.find('\0'));
    CommandWords result;
    std::size_t found = 0;
    std::size_t i = 0;
    const std::size_t end = text.size();
    while (found < words_read) {
        for (;;) {
            while (i < end && is_separator(text[i])) ++i;
            if (end - i >= 2 && text[i] == '"' && text[i + 1] == '"') {
                i += 2;  // an empty quoted word makes no word
                continue;
            }
            break;
        }
        if (i == end) break;

        char* const word = storage.bytes[found];
        std::size_t length = 0;
        bool quoted = false;
        for (; i < end; ++i) {
            const char c = text[i];
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if (!quoted && is_separator(c)) break;
            if (length < sizeof storage.bytes[found]) word[length++] = c;
        }
        result.words[found++] = std::string_view(word, length);
    }
    result.argument_count = found > 0 ? found - 1 : 0;
    return result;
}

}  // namespace voka
