#include "frontend/argument_conversion.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "frontend/command_words.h"

namespace voka {
namespace {

// Digits of an exponent are taken while the exponent read so far is below this.
constexpr int exponent_digit_limit = 500;

// Half an ulp above the largest finite double and single: from there on, rounding to nearest
// gives an infinity (the largest finite values have odd significands, so the tie goes up).
constexpr long double double_overflow_threshold = 0x1p1024L - 0x1p970L;
constexpr double single_overflow_threshold = 0x1p128 - 0x1p103;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

Checked<double> not_a_number(std::string_view word) {
    return {0.0, {FailureKind::convert_error, place_of(&parse_argument), word}};
}

}  // namespace

Checked<double> parse_argument(std::string_view word, char separator) {
    if (word.size() > max_word_bytes) return not_a_number(word);

    // The digits of the integer and fraction parts as one integer, without leading zeros,
    // then "e" and the decimal exponent: a form the C library converts exactly and that
    // holds no locale-dependent byte.
    char number[max_word_bytes + 16];
    std::size_t length = 0;
    std::size_t i = 0;
    const std::size_t end = word.size();

    while (i < end && word[i] == ' ') ++i;
    bool negative = false;
    if (i < end && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';

    bool mantissa_seen = false;
    int fraction_digits = 0;
    auto take_digits = [&](bool fraction) {
        for (; i < end && is_digit(word[i]); ++i) {
            mantissa_seen = true;
            if (fraction) ++fraction_digits;
            if (length == 0 && word[i] == '0') continue;
            number[length++] = word[i];
        }
    };
    take_digits(false);
    if (i < end && word[i] == separator) {
        mantissa_seen = true;
        ++i;
        take_digits(true);
    }
    if (!mantissa_seen) return not_a_number(word);

    int exponent = 0;
    if (i < end && (word[i] == 'E' || word[i] == 'e')) {
        ++i;
        bool exponent_negative = false;
        if (i < end && (word[i] == '+' || word[i] == '-')) exponent_negative = word[i++] == '-';
        for (; i < end && is_digit(word[i]) && exponent < exponent_digit_limit; ++i) {
            exponent = exponent * 10 + (word[i] - '0');
        }
        if (i < end && is_digit(word[i])) return not_a_number(word);
        if (exponent_negative) exponent = -exponent;
    }
    while (i < end && word[i] == ' ') ++i;
    if (i != end) return not_a_number(word);

    long double extended = 0.0L;
    if (length > 0) {
        number[length++] = 'e';
        char* const exponent_end =
            std::to_chars(number + length, number + sizeof number - 1, exponent - fraction_digits).ptr;
        *exponent_end = '\0';
        extended = std::strtold(number, nullptr);
        if (std::isinf(extended)) return not_a_number(word);
    }
    if (std::fabs(extended) >= double_overflow_threshold) {
        return {0.0, {FailureKind::overflow, place_of(&parse_argument), word}};
    }
    const double value = static_cast<double>(extended);
    return {negative ? -value : value, {}};
}

Checked<std::int32_t> round_argument(double x) {
    if (!(x >= -0x1p63 && x < 0x1p63)) {
        return {0, {FailureKind::invalid_op, place_of(&round_argument), {}}};
    }
    const auto rounded = static_cast<std::int64_t>(std::nearbyint(x));  // ties to even
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(rounded)), {}};
}

Checked<float> narrow_to_single(double x) {
    if (std::fabs(x) >= single_overflow_threshold) {
        return {0.0f, {FailureKind::overflow, place_of(&narrow_to_single), {}}};
    }
    return {static_cast<float>(x), {}};
}

}  // namespace voka
