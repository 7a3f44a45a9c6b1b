// parse_argument on any bytes. The first byte picks the separator ("." when even, "," when
// odd); the rest is the word. Each word is read a second time by the grammar written out
// straight from its rules, and its value is compared with the exact rational reference.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/argument_conversion.h"
#include "frontend/command_words.h"
#include "frontend/format_real.h"
#include "fuzz_check.h"
#include "testing/exact_decimal_reference.h"

namespace {

using namespace voka;
using namespace voka::testing;
using voka::fuzzing::require;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The grammar, rule by rule: spaces, sign, digits, separator and digits (one byte of the two
// at least), exponent letter, sign and digits taken while the exponent is below 500, spaces,
// end. Answers the digits as one integer, the power of ten and the sign.
bool read_by_the_rules(std::string_view word, char separator, Decimal& value) {
    std::size_t i = 0;
    auto at = [&](auto accepts) { return i < word.size() && accepts(word[i]); };
    while (at([](char c) { return c == ' '; })) ++i;
    bool negative = false;
    if (at([](char c) { return c == '+' || c == '-'; })) negative = word[i++] == '-';
    std::string digits;
    long after_separator = 0;
    bool mantissa = false;
    while (at(is_digit)) {
        digits += word[i++];
        mantissa = true;
    }
    if (at([separator](char c) { return c == separator; })) {
        ++i;
        mantissa = true;
        while (at(is_digit)) {
            digits += word[i++];
            ++after_separator;
        }
    }
    if (!mantissa) return false;
    long exponent = 0;
    if (at([](char c) { return c == 'e' || c == 'E'; })) {
        ++i;
        bool exponent_negative = false;
        if (at([](char c) { return c == '+' || c == '-'; })) exponent_negative = word[i++] == '-';
        while (at(is_digit)) {
            if (exponent >= 500) return false;  // a digit left over
            exponent = exponent * 10 + (word[i++] - '0');
        }
        if (exponent_negative) exponent = -exponent;
    }
    while (at([](char c) { return c == ' '; })) ++i;
    if (i != word.size()) return false;
    value = Decimal{Integer(digits.empty() ? std::string("0") : digits), exponent - after_separator, negative};
    return true;
}

Outcome outcome_of(const Checked<double>& result) {
    return {result.failure.kind, result.failure ? 0.0 : result.value};
}

std::string swapped_separators(std::string_view word) {
    std::string swapped(word);
    for (char& c : swapped) {
        if (c == '.') {
            c = ',';
        } else if (c == ',') {
            c = '.';
        }
    }
    return swapped;
}

// Nearest integer with ties to even, by hand, then its low 32 bits.
std::int32_t rounded_by_hand(double x) {
    double whole = std::floor(x);
    const double rest = x - whole;  // exact below 2^52; zero above
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(whole))));
}

void check_accepted_value(double value, char separator, std::string_view word) {
    require(std::isfinite(value), "an accepted word gives a finite value", word);

    // 18 significant digits name a double unambiguously, also through the extended format.
    const RealText text = format_real(value, separator);
    const Outcome again = outcome_of(parse_argument(text.view(), separator));
    require(same(again, ok(value)), "format_real's text of a parsed value parses back to it", word);

    const Checked<std::int32_t> index = round_argument(value);
    if (value >= -0x1p63 && value < 0x1p63) {
        require(!index.failure, "round_argument takes every value in the signed 64-bit range", word);
        require(index.value == rounded_by_hand(value), "round_argument rounds ties to even", word);
    } else {
        require(index.failure.kind == FailureKind::invalid_op, "round_argument fails outside that range", word);
    }

    const Checked<float> single = narrow_to_single(value);
    if (single.failure) {
        require(single.failure.kind == FailureKind::overflow, "narrowing fails only by overflow", word);
        require(std::fabs(value) >= 0x1p128 - 0x1p103, "narrowing fails only from the tie above FLT_MAX", word);
    } else {
        require(std::isfinite(single.value), "a narrowed value is finite", word);
        require(static_cast<double>(single.value) == static_cast<double>(static_cast<float>(value)),
                "narrowing rounds to nearest", word);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char separator = (data[0] & 1) == 0 ? '.' : ',';
    const std::string_view word(reinterpret_cast<const char*>(data + 1), size - 1);

    const Checked<double> result = parse_argument(word, separator);
    const FailureKind kind = result.failure.kind;
    require(kind == FailureKind::none || kind == FailureKind::convert_error || kind == FailureKind::overflow,
            "parse_argument fails only with convert_error or overflow", word);
    if (result.failure) {
        require(result.failure.place != nullptr, "a failure names its place", word);
        if (kind == FailureKind::convert_error) {
            require(result.failure.word == word, "a conversion failure quotes the whole word", word);
        }
    }

    Outcome expected = convert_error;  // also for a word longer than any word may be
    Decimal value;
    if (word.size() <= max_word_bytes && read_by_the_rules(word, separator, value)) expected = reference(value);
    const Outcome got = outcome_of(result);
    if (!same(got, expected)) {
        const std::string what =
            "parse_argument agrees with the exact reference: got " + describe(got) + ", expected " + describe(expected);
        voka::fuzzing::broken(what.c_str(), word);
    }

    // Neither separator means anything else to the grammar, so swapping them together with
    // the locale changes nothing.
    const std::string swapped = swapped_separators(word);
    const Outcome swapped_outcome = outcome_of(parse_argument(swapped, separator == '.' ? ',' : '.'));
    require(same(swapped_outcome, got), "swapping \".\" and \",\" with the locale changes nothing", word);

    if (kind == FailureKind::none) check_accepted_value(result.value, separator, word);
    return 0;
}
