#include "frontend/format_real.h"

#include <charconv>
#include <cmath>

namespace voka {
namespace {

constexpr int significant_digits = 18;
constexpr int largest_fixed_exponent = 18;
constexpr int smallest_fixed_exponent = -3;

}  // namespace

RealText format_real(double x, char separator) {
    RealText text;
    auto put = [&text](char c) { text.append(c); };
    if (x == 0.0) {
        put('0');
        return text;
    }

    // Correctly rounded (ties to even) to 18 significant digits: "d.ddddddddddddddddde±x".
    char scientific[40];
    const char* const scientific_end =
        std::to_chars(scientific, scientific + sizeof scientific, std::fabs(x),
                      std::chars_format::scientific, significant_digits - 1)
            .ptr;
    const char* exponent_text = scientific + significant_digits + 2;
    if (*exponent_text == '+') ++exponent_text;
    int exponent10 = 0;
    std::from_chars(exponent_text, scientific_end, exponent10);

    char digits[significant_digits];
    digits[0] = scientific[0];
    for (int i = 1; i < significant_digits; ++i) digits[i] = scientific[i + 1];
    int digit_count = significant_digits;
    while (digit_count > 1 && digits[digit_count - 1] == '0') --digit_count;

    // The rounded magnitude is 0.d1d2...dk x 10^exponent.
    const int exponent = exponent10 + 1;
    if (x < 0) put('-');
    if (exponent > largest_fixed_exponent || exponent < smallest_fixed_exponent) {
        put(digits[0]);
        if (digit_count > 1) {
            put(separator);
            for (int i = 1; i < digit_count; ++i) put(digits[i]);
        }
        put('E');
        text.commit(std::to_chars(text.end(), text.limit(), exponent - 1).ptr);
    } else if (exponent <= 0) {
        put('0');
        put(separator);
        for (int i = 0; i < -exponent; ++i) put('0');
        for (int i = 0; i < digit_count; ++i) put(digits[i]);
    } else {
        for (int i = 0; i < exponent; ++i) put(i < digit_count ? digits[i] : '0');
        if (digit_count > exponent) {
            put(separator);
            for (int i = exponent; i < digit_count; ++i) put(digits[i]);
        }
    }
    return text;
}

}  // namespace voka
