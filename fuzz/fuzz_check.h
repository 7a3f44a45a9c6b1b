#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace voka::fuzzing {

// A broken invariant: say which, then abort so that libFuzzer keeps the input as a crash.
[[noreturn]] inline void broken(const char* invariant, std::string_view detail = {}) {
    std::fprintf(stderr, "invariant broken: %s", invariant);
    if (!detail.empty()) {
        std::fputs(" [", stderr);
        for (const char c : detail.substr(0, 300)) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
                std::fputc(c, stderr);
            } else {
                std::fprintf(stderr, "\\x%02X", byte);
            }
        }
        std::fputs(detail.size() > 300 ? "...]" : "]", stderr);
    }
    std::fputc('\n', stderr);
    std::abort();
}

inline void require(bool holds, const char* invariant, std::string_view detail = {}) {
    if (!holds) broken(invariant, detail);
}

}  // namespace voka::fuzzing
