// parse_argument against the exact rational reference over a large generated set of words,
// most of them where a conversion goes wrong if it is not exact: halfway between neighbouring
// doubles (where rounding through the extended format matters), the 2^53 and 2^63
// neighbourhoods, the edges of the double, single and extended ranges, subnormals, words of
// thousands of digits and exponents around the digit limit. The set is the same on every run.
#include <gmp.h>
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>

#include "frontend/argument_conversion.h"
#include "frontend/command_words.h"
#include "testing/exact_decimal_reference.h"

namespace voka {
namespace {

using namespace voka::testing;

constexpr int word_count = 240000;

class Draw {
public:
    std::uint64_t below(std::uint64_t n) { return engine_() % n; }
    long between(long low, long high) { return low + static_cast<long>(below(static_cast<std::uint64_t>(high - low + 1))); }
    bool coin() { return (engine_() & 1) != 0; }
    std::uint64_t bits(unsigned count) { return count == 0 ? 0 : engine_() >> (64 - count); }

private:
    std::mt19937_64 engine_{0x6469666672656e74u};  // a fixed generator state: the same set on every run
};

// ---------------------------------------------------------------------------------------------
// Values

inline constexpr BinaryFormat ieee_single{24, -126, 127};

// A double of binade `binade` (2^binade <= it < 2^(binade+1), or subnormal below -1022) or the
// midpoint above it, moved by `half_units` halves of the extended format's unit there.
Decimal near_double(Draw& draw, long binade, int half_units) {
    const auto [m, unit] = draw_double_in_binade(draw, binade);
    const long scale = binade - 64;
    const bool midpoint = draw.below(4) != 0;
    Integer n = shifted(plus(shifted(m, 1), midpoint ? 1 : 0), static_cast<unsigned long>(unit - 1 - scale));
    return dyadic(plus(n, half_units), scale);
}

// Exact, a hair off, or cut to a few significant digits.
Decimal blurred(Draw& draw, const Decimal& exact) {
    switch (draw.below(5)) {
        case 0: return exact;
        case 1: return nudged(exact, 1 + draw.below(30), draw.coin() ? 1 : -1);
        default: return cut(exact, 17 + draw.below(24), draw.coin());
    }
}

Decimal integer_and_fraction(const Integer& whole, const std::string& fraction) {
    return decimal(whole.decimal() + fraction, -static_cast<long>(fraction.size()));
}

std::string random_digits(Draw& draw, std::size_t count) {
    std::string digits;
    for (std::size_t i = 0; i < count; ++i) digits += static_cast<char>('0' + draw.below(10));
    return digits;
}

// The integers about 2^53 and 2^63, with fractions that hit or just miss the ties of either
// format: 2^-11 is half an extended unit above 2^53, 0.5 half of one above 2^63.
Decimal near_integer_edge(Draw& draw) {
    static const char* const fractions[] = {"", "5", "25", "75", "00048828125", "0009765625", "00146484375",
                                            "49999999999999999999", "50000000000000000001", "3", "7"};
    std::string fraction = fractions[draw.below(std::size(fractions))];
    if (draw.below(4) == 0) fraction = random_digits(draw, 1 + draw.below(25));
    switch (draw.below(4)) {
        case 0: return integer_and_fraction(plus(power(2, 53), draw.between(-6, 6)), fraction);
        case 1: return integer_and_fraction(plus(power(2, 63), draw.between(-4, 4) * 1024 + draw.between(-2, 2)), fraction);
        case 2: return integer_and_fraction(plus(power(2, 64), draw.between(-4, 4) * 2048 + draw.between(-2, 2)), fraction);
        default: return integer_and_fraction(plus(power(2, 32), draw.between(-3, 3)), fraction);
    }
}

// The top of the double range: DBL_MAX = (2^53 - 1) x 2^971 and the tie above it,
// (2^54 - 1) x 2^970, give or take extended half-units (2^959).
Decimal near_double_top(Draw& draw) {
    const Integer tie_in_half_units = shifted(ones(54), 11);
    const Integer max_in_half_units = shifted(ones(53), 12);
    const Integer& base = draw.coin() ? tie_in_half_units : max_in_half_units;
    return blurred(draw, dyadic(plus(base, draw.between(-5, 5)), 959));
}

// The top of the extended range: LDBL_MAX = (2^64 - 1) x 2^16320 and the tie above it,
// (2^65 - 1) x 2^16319. Too many digits to be written whole: always cut.
Decimal near_extended_top(Draw& draw) {
    const Integer base = draw.coin() ? ones(65) : shifted(ones(64), 1);
    const Decimal exact = dyadic(plus(base, draw.between(-3, 3)), 16319);
    return cut(exact, 17 + draw.below(40), draw.coin());
}

// Singles: the tie above FLT_MAX, (2^25 - 1) x 2^103, FLT_MAX itself, the smallest normal and
// the subnormal ties, each a few double units either side.
Decimal near_single_edge(Draw& draw) {
    Integer n;
    long scale;
    switch (draw.below(4)) {
        case 0: n = shifted(ones(25), 29); scale = 74; break;                    // 2^128 - 2^103, in 2^74
        case 1: n = shifted(ones(24), 30); scale = 74; break;                    // FLT_MAX
        case 2: n = shifted(Integer(1), 52); scale = -126 - 52; break;           // FLT_MIN
        default:                                                                 // (2k+1) x 2^-150
            n = shifted(plus(shifted(Integer(draw.bits(23)), 1), 1), 52);
            scale = -150 - 52;
            break;
    }
    return blurred(draw, dyadic(plus(n, draw.between(-3, 3)), scale));
}

// Anything from 1e-340 to 1e340, for a broad background.
Decimal ordinary(Draw& draw) {
    std::string digits = random_digits(draw, 1 + draw.below(25));
    return decimal(digits, draw.between(-340, 320));
}

// ---------------------------------------------------------------------------------------------
// Words

struct Word {
    std::string text;
    bool readable = true;  // the grammar takes the exponent: at most 4999 once leading zeros are gone
};

Word spelled(Draw& draw, const Decimal& value, char separator) {
    const long length = static_cast<long>(value.digits.decimal().size());
    Spelling how;
    how.separator = separator;
    switch (draw.below(6)) {
        case 0: how.fraction = value.exponent < 0 ? -value.exponent : 0; break;
        case 1: how.fraction = length - 1; break;
        case 2: how.fraction = length + static_cast<long>(draw.below(4)); break;
        case 3: how.fraction = static_cast<long>(draw.below(static_cast<std::uint64_t>(length) + 1)); break;
        case 4: how.fraction = static_cast<long>(draw.below(4000)); break;  // the exponent makes up for them
        default: how.fraction = 0; break;
    }
    how.leading_spaces = draw.below(4) == 0 ? static_cast<int>(draw.below(3)) : 0;
    how.trailing_spaces = draw.below(4) == 0 ? static_cast<int>(draw.below(3)) : 0;
    how.leading_zeros = draw.below(6) == 0 ? static_cast<int>(draw.below(5)) : 0;
    how.plus_sign = draw.below(5) == 0;
    how.always_exponent = draw.below(4) == 0;
    how.exponent_letter = draw.coin() ? 'e' : 'E';
    Word word{spell(value, how)};
    if (word.text.size() > max_word_bytes) word.text = spell(value, {.separator = separator});

    const std::size_t letter = word.text.find_last_of("eE");
    if (letter != std::string::npos) {
        std::size_t digits = letter + 1;
        if (digits < word.text.size() && word.text[digits] == '-') ++digits;
        std::size_t end = digits;
        while (end < word.text.size() && word.text[end] >= '0' && word.text[end] <= '9') ++end;
        word.readable = std::stol(word.text.substr(digits, end - digits)) <= 4999;
        if (draw.below(8) == 0) word.text.insert(digits, draw.below(30), '0');  // leading zeros are free
    }
    return word;
}

// A long word: the value's digits followed by zeros and a last digit, up to the longest word,
// so that the only sign of "a little more" lies thousands of digits in.
Decimal stretched(Draw& draw, const Decimal& value) {
    const long length = static_cast<long>(value.digits.decimal().size());
    if (length > 3900) return value;
    const unsigned long room = static_cast<unsigned long>(4000 - length);
    return nudged(value, room - draw.below(room / 8 + 1), draw.coin() ? 1 : -1);
}

// Exponents about the digit limit: values near 1e±500 and 1e±5000 written with a mantissa
// of a few digits, and the larger ones only reachable with many zeros after the separator.
Decimal near_exponent_limit(Draw& draw) {
    static const long centres[] = {499, 500, 501, 4999, 5000, 308, 324, 4932, 4951};
    const long centre = centres[draw.below(std::size(centres))] + draw.between(-3, 3);
    return decimal(random_digits(draw, 1 + draw.below(20)), draw.coin() ? centre : -centre);
}

// ---------------------------------------------------------------------------------------------
// The checks

Outcome single_reference(double value) {
    if (value == 0.0) return ok(0.0);
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);
    Binary exact;
    mpz_set_d(exact.significand.get(), std::ldexp(fraction, 53));
    exact.scale = exponent - 53;
    const Binary rounded = round_into(exact, ieee_single);
    if (rounded.overflow) return overflow;
    const double magnitude = std::ldexp(mpz_get_d(rounded.significand.get()), static_cast<int>(rounded.scale));
    return ok(value < 0 ? -magnitude : magnitude);
}

// Nearest integer, ties to even, exactly; then its low 32 bits. Only inside the 64-bit range.
std::int32_t round_reference(double value) {
    const long double whole = std::floor(static_cast<long double>(value));
    const long double rest = static_cast<long double>(value) - whole;  // exact: 64 significant bits
    long double rounded = whole;
    if (rest > 0.5L || (rest == 0.5L && std::fmod(whole, 2.0L) != 0.0L)) rounded += 1.0L;
    Integer integer;
    mpz_set_d(integer.get(), static_cast<double>(rounded));  // an integer of at most 64 bits, exact in double here
    mpz_fdiv_r_2exp(integer.get(), integer.get(), 32);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(mpz_get_ui(integer.get())));
}

struct Tally {
    int words = 0;
    int failures = 0;
    int accepted = 0;
    int overflowed = 0;
    int beyond_extended = 0;
    int subnormal = 0;
    int long_words = 0;
    int through_extended_mattered = 0;
    int single_checked = 0;
    int round_checked = 0;
};

void report(Tally& tally, const std::string& what, const std::string& word) {
    if (++tally.failures <= 20) {
        ADD_FAILURE() << what << " for \"" << word.substr(0, 120) << (word.size() > 120 ? "...\"" : "\"") << " ("
                      << word.size() << " bytes)";
    }
}

void check(Tally& tally, const Decimal& value, const Word& word, char separator, bool compare_direct) {
    ++tally.words;
    if (word.text.size() > 1000) ++tally.long_words;
    Outcome expected = convert_error;
    if (word.text.size() <= max_word_bytes && word.readable) expected = reference(value);
    const Outcome got = parsed(word.text, separator);
    if (!same(got, expected)) {
        report(tally, "parse_argument gives " + describe(got) + ", the reference " + describe(expected), word.text);
        return;
    }
    if (compare_direct && expected.kind == FailureKind::none && !same(expected, rounded_directly(value))) {
        ++tally.through_extended_mattered;
    }
    switch (got.kind) {
        case FailureKind::none: ++tally.accepted; break;
        case FailureKind::overflow: ++tally.overflowed; return;
        default: ++tally.beyond_extended; return;
    }
    if (got.value != 0.0 && std::fabs(got.value) < DBL_MIN) ++tally.subnormal;

    const Checked<float> single = narrow_to_single(got.value);
    const Outcome single_got{single.failure.kind, single.failure ? 0.0 : static_cast<double>(single.value)};
    const Outcome single_expected = single_reference(got.value);
    if (!same(single_got, single_expected)) {
        report(tally, "narrow_to_single gives " + describe(single_got) + ", the reference " + describe(single_expected),
               word.text);
    }
    ++tally.single_checked;

    const Checked<std::int32_t> index = round_argument(got.value);
    if (got.value >= -0x1p63 && got.value < 0x1p63) {
        if (index.failure || index.value != round_reference(got.value)) {
            report(tally, "round_argument gives " + std::to_string(index.value), word.text);
        }
        ++tally.round_checked;
    } else if (index.failure.kind != FailureKind::invalid_op) {
        report(tally, "round_argument takes a value outside the signed 64-bit range", word.text);
    }
}

TEST(ArgumentConversionDifferential, AgreesWithTheExactReferenceAtTheEdges) {
    Draw draw;
    Tally tally;
    static constexpr long edge_binades[] = {52, 53, 54, 62, 63, 64, 31, 32, 0, -1, 1023, 1022, -1022, -1021, 127, 128, -126, -149};
    for (int i = 0; i < word_count; ++i) {
        const char separator = i % 2 == 0 ? '.' : ',';
        Decimal value;
        bool compare_direct = false;
        switch (i % 16) {
            case 0: case 1: case 2: case 3:
                value = blurred(draw, near_double(draw, edge_binades[draw.below(std::size(edge_binades))],
                                                  static_cast<int>(draw.between(-4, 4))));
                compare_direct = true;
                break;
            case 4:
                value = blurred(draw, near_double(draw, -1023 - draw.between(0, 51), static_cast<int>(draw.between(-4, 4))));
                compare_direct = true;
                break;
            case 5:
                value = blurred(draw, near_double(draw, draw.between(-1022, 1023), static_cast<int>(draw.between(-4, 4))));
                compare_direct = true;
                break;
            case 6: case 7: value = near_integer_edge(draw); compare_direct = true; break;
            case 8: value = near_double_top(draw); compare_direct = true; break;
            case 9: value = near_extended_top(draw); break;
            case 10: value = near_single_edge(draw); break;
            case 11: value = near_exponent_limit(draw); break;
            case 12:
                value = stretched(draw, near_double(draw, edge_binades[draw.below(std::size(edge_binades))], 0));
                break;
            default: value = ordinary(draw); break;
        }
        value.negative = draw.coin();
        check(tally, value, spelled(draw, value, separator), separator, compare_direct);
    }

    // Longer than any word: no number, whatever it holds.
    for (const std::string& word : {std::string(max_word_bytes + 1, '1'), std::string(max_word_bytes, '0') + "1",
                                    std::string(" ").append(max_word_bytes, '2')}) {
        const Checked<double> result = parse_argument(word, '.');
        EXPECT_EQ(result.failure.kind, FailureKind::convert_error);
    }

    EXPECT_EQ(tally.failures, 0) << "of " << tally.words << " words";
    // The set is only worth something if it reaches every edge it aims at.
    EXPECT_GE(tally.through_extended_mattered, 2000);
    EXPECT_GE(tally.overflowed, 5000);
    EXPECT_GE(tally.beyond_extended, 5000);
    EXPECT_GE(tally.subnormal, 10000);
    EXPECT_GE(tally.long_words, 20000);
    EXPECT_GE(tally.round_checked, 50000);
    std::printf("%d words: %d accepted, %d overflow, %d beyond the extended range or unreadable, %d subnormal, "
                "%d over 1000 bytes; rounding through the extended format mattered for %d\n",
                tally.words, tally.accepted, tally.overflowed, tally.beyond_extended, tally.subnormal,
                tally.long_words, tally.through_extended_mattered);
}

}  // namespace
}  // namespace voka
