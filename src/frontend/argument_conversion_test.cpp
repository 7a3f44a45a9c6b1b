#include "frontend/argument_conversion.h"

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "frontend/command_words.h"
#include "testing/exact_decimal_reference.h"

namespace voka {
namespace {

using namespace voka::testing;

// ---------------------------------------------------------------------------------------------
// Grammar, separator "."

struct WordCase {
    std::string word;
    Outcome expected;
};

void PrintTo(const WordCase& c, std::ostream* os) {
    *os << '"' << c.word << "\" -> " << describe(c.expected);
}

void expect_word(const WordCase& c, char separator) {
    const Checked<double> result = parse_argument(c.word, separator);
    const Outcome got{result.failure.kind, result.failure ? 0.0 : result.value};
    EXPECT_TRUE(same(got, c.expected))
        << "word \"" << c.word << "\" separator '" << separator << "': expected "
        << describe(c.expected) << ", got " << describe(got);
    if (c.expected.kind == FailureKind::convert_error) {
        EXPECT_EQ(result.failure.word, c.word) << "the report quotes the whole word, unchanged";
    }
}

class ArgumentGrammarPoint : public ::testing::TestWithParam<WordCase> {};

TEST_P(ArgumentGrammarPoint, AcceptsOnlyTheNumberForm) { expect_word(GetParam(), '.'); }

INSTANTIATE_TEST_SUITE_P(
    Accepted, ArgumentGrammarPoint,
    ::testing::Values(
        WordCase{"0", ok(0.0)}, WordCase{"5", ok(5.0)}, WordCase{"+5", ok(5.0)},
        WordCase{"-5", ok(-5.0)}, WordCase{".5", ok(0.5)}, WordCase{"5.", ok(5.0)},
        WordCase{"-.25", ok(-0.25)}, WordCase{"007.50", ok(7.5)},
        // A lone separator is the number 0, also with a sign or an exponent.
        WordCase{".", ok(0.0)}, WordCase{"-.", ok(0.0)}, WordCase{"+.", ok(0.0)},
        WordCase{".e7", ok(0.0)}, WordCase{"-0", ok(0.0)}, WordCase{"-0.0e-3", ok(0.0)},
        // Exponents: a missing digit string counts as 0; leading zeros do not use up digits.
        WordCase{"1e", ok(1.0)}, WordCase{"1E", ok(1.0)}, WordCase{"1e+", ok(1.0)},
        WordCase{"1e-", ok(1.0)}, WordCase{"1E+2", ok(100.0)}, WordCase{"1e-2", ok(0.01)},
        WordCase{"25e-1", ok(2.5)}, WordCase{"1e0000000000000000000003", ok(1000.0)},
        WordCase{"1e-00000000000000000000001", ok(0.1)}, WordCase{"0e4999", ok(0.0)},
        WordCase{"1e499", overflow}, WordCase{"1e00499", overflow},
        WordCase{"1e-499", ok(0.0)}, WordCase{"1e-4999", ok(0.0)},
        // Spaces (0x20 only) around the number.
        WordCase{"  5  ", ok(5.0)}, WordCase{"   -1.25e1   ", ok(-12.5)}, WordCase{" . ", ok(0.0)},
        // Values that need care: subnormal, correctly rounded long integer.
        WordCase{"1e-320", ok(0x0.00000000007e8p-1022)}, WordCase{"1e-400", ok(0.0)},
        WordCase{"2.5e-324", ok(0x1p-1074)}, WordCase{"1e308", ok(1e308)},
        WordCase{"12345678901234567890", ok(0x1.56a95319d63e1p+63)}, WordCase{"0.1", ok(0.1)}));

INSTANTIATE_TEST_SUITE_P(
    NotANumber, ArgumentGrammarPoint,
    ::testing::Values(
        WordCase{"", convert_error}, WordCase{" ", convert_error}, WordCase{"   ", convert_error},
        WordCase{"+", convert_error}, WordCase{"-", convert_error}, WordCase{" - ", convert_error},
        WordCase{"+-1", convert_error}, WordCase{"--1", convert_error},
        WordCase{"1-", convert_error}, WordCase{"- 1", convert_error}, WordCase{"1 2", convert_error},
        WordCase{"1 e5", convert_error}, WordCase{"1e 5", convert_error},
        // Only the space byte is skipped.
        WordCase{"\t1", convert_error}, WordCase{"1\t", convert_error},
        WordCase{"\n1", convert_error}, WordCase{"1\xA0", convert_error},
        WordCase{"e5", convert_error}, WordCase{"E5", convert_error}, WordCase{"-e5", convert_error},
        WordCase{"e", convert_error},
        // The other separator, thousands separators, doubled separators.
        WordCase{"1,5", convert_error}, WordCase{",5", convert_error}, WordCase{"1,000", convert_error},
        WordCase{"1,000.5", convert_error}, WordCase{"1.5.5", convert_error},
        WordCase{"1..5", convert_error}, WordCase{"..", convert_error},
        // Forms that a C library would take but the grammar does not.
        WordCase{"0x10", convert_error}, WordCase{"0X1p3", convert_error},
        WordCase{"inf", convert_error}, WordCase{"-infinity", convert_error},
        WordCase{"nan", convert_error}, WordCase{"1e5.5", convert_error},
        WordCase{"1e+-5", convert_error}, WordCase{"1e5e5", convert_error},
        WordCase{"5a", convert_error}, WordCase{"1f", convert_error}, WordCase{"1d", convert_error},
        WordCase{"1_000", convert_error},
        // Exponent digits are taken while the exponent so far is below 500: a digit left over
        // makes the word invalid, whatever the value would be.
        WordCase{"1e5000", convert_error}, WordCase{"1e-5000", convert_error},
        WordCase{"0e5000", convert_error}, WordCase{"1e5001", convert_error},
        WordCase{"1e50000", convert_error}, WordCase{"1e0005000", convert_error}));

// The exponent digit rule and the two ranges: "1e500" has all its digits taken and is only too
// large for a double; beyond the extended range the word is no number at all.
INSTANTIATE_TEST_SUITE_P(
    Ranges, ArgumentGrammarPoint,
    ::testing::Values(
        WordCase{"1e500", overflow}, WordCase{"-1e500", overflow}, WordCase{"1e400", overflow},
        WordCase{"2e308", overflow}, WordCase{"-2e308", overflow},
        WordCase{"1.7976931348623158e308", ok(DBL_MAX)},
        WordCase{"-1.7976931348623158e308", ok(-DBL_MAX)},
        WordCase{"1.7976931348623159e308", overflow}, WordCase{"1e4095", overflow},
        WordCase{"1e4932", overflow}, WordCase{"1.18e4932", overflow},
        WordCase{"-1.18e4932", overflow}, WordCase{"1.19e4932", convert_error},
        WordCase{"-1.19e4932", convert_error}, WordCase{"1e4933", convert_error},
        WordCase{"1e4999", convert_error}, WordCase{"0.0001e4936", overflow},
        WordCase{"100000e4928", convert_error}));

// Grammar, separator ","

class ArgumentGrammarComma : public ::testing::TestWithParam<WordCase> {};

TEST_P(ArgumentGrammarComma, AcceptsOnlyTheLocaleSeparator) { expect_word(GetParam(), ','); }

INSTANTIATE_TEST_SUITE_P(
    Words, ArgumentGrammarComma,
    ::testing::Values(
        WordCase{"1,5", ok(1.5)}, WordCase{",5", ok(0.5)}, WordCase{"5,", ok(5.0)},
        WordCase{",", ok(0.0)}, WordCase{"-,", ok(0.0)}, WordCase{"-0,5", ok(-0.5)},
        WordCase{"1,5e1", ok(15.0)}, WordCase{" 2,5 ", ok(2.5)}, WordCase{"7", ok(7.0)},
        WordCase{"1e500", overflow}, WordCase{"1,19e4932", convert_error},
        WordCase{"1.5", convert_error}, WordCase{".5", convert_error}, WordCase{"5.", convert_error},
        WordCase{".", convert_error}, WordCase{"1,5,5", convert_error},
        WordCase{"1.000,5", convert_error}, WordCase{" 0.5 ", convert_error}, WordCase{"+", convert_error}));

TEST(ArgumentLength, AWordOfMaximumLengthIsReadToItsLastByte) {
    EXPECT_TRUE(same(parsed(std::string(max_word_bytes - 1, '0') + "7", '.'), ok(7.0)));
    EXPECT_TRUE(same(parsed(std::string(max_word_bytes - 1, ' ') + "7", '.'), ok(7.0)));
    EXPECT_TRUE(same(parsed(std::string("7").append(max_word_bytes - 1, ' '), '.'), ok(7.0)));
    EXPECT_TRUE(same(parsed(std::string(max_word_bytes, '9'), '.'), overflow));
    // The exponent makes up for the digits on either side of the separator.
    EXPECT_TRUE(same(parsed("0." + std::string(4000, '0') + "1e4001", '.'), ok(1.0)));
    EXPECT_TRUE(same(parsed(std::string("1").append(4000, '0') + "e-4000", '.'), ok(1.0)));
    EXPECT_TRUE(same(parsed(std::string("1").append(4000, '0') + ",e-3999", ','), ok(10.0)));

    // Exactly 2^53 + 1 + 2^-11 is a tie in the extended format (to 2^53 + 1) and again in
    // double (to 2^53); a 1 in the last of 4096 bytes lifts the extended value to
    // 2^53 + 1 + 2^-10, which rounds to 2^53 + 2.
    const std::string tie = "9007199254740993.00048828125";
    EXPECT_TRUE(same(parsed(tie, '.'), ok(0x1p53)));
    const std::string lifted = tie + std::string(max_word_bytes - tie.size() - 1, '0') + "1";
    ASSERT_EQ(lifted.size(), max_word_bytes);
    EXPECT_TRUE(same(parsed(lifted, '.'), ok(0x1.0000000000001p53)));
}

TEST(ArgumentLength, ALongerWordIsNoNumber) {
    const std::string word = std::string(max_word_bytes, '0') + "7";
    const Checked<double> result = parse_argument(word, '.');
    EXPECT_EQ(result.failure.kind, FailureKind::convert_error);
    EXPECT_EQ(result.failure.word, word);
}

// ---------------------------------------------------------------------------------------------
// Edges where rounding first to the extended format and then to double differs from rounding
// straight to double, and the neighbouring cases that do not.

struct EdgeCase {
    const char* name;
    Decimal value;
    Outcome expected;         // through the extended format
    Outcome rounded_directly;  // straight to double
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.name; }

// 2^exponent
Decimal two_to(long exponent) { return dyadic(Integer(1), exponent); }

// 2^exponent + low, an integer.
Decimal two_to_plus(unsigned long exponent, long low) { return {plus(power(2, exponent), low), 0, false}; }

std::vector<EdgeCase> edge_cases() {
    const double dbl_max = DBL_MAX;
    std::vector<EdgeCase> cases;
    // From 2^53 on the extended unit is 2^-10 and the double unit 2.
    cases.push_back({"2^53+1 + 1e-10", nudged(two_to_plus(53, 1), 10, +1), ok(0x1p53), ok(0x1.0000000000001p53)});
    cases.push_back({"2^53+3 - 1e-10", nudged(two_to_plus(53, 3), 10, -1), ok(0x1.0000000000002p53),
                     ok(0x1.0000000000001p53)});
    cases.push_back({"2^53+1 exactly", two_to_plus(53, 1), ok(0x1p53), ok(0x1p53)});
    cases.push_back({"2^53+1 + 2^-11 exactly", dyadic(plus(shifted(Integer(1), 64), (1L << 11) + 1), -11),
                     ok(0x1p53), ok(0x1.0000000000001p53)});
    cases.push_back({"2^53+1 + 2^-10 exactly", dyadic(plus(shifted(Integer(1), 63), (1L << 10) + 1), -10),
                     ok(0x1.0000000000001p53), ok(0x1.0000000000001p53)});
    // Around 2^63 the extended unit is 1 and the double unit 2048.
    cases.push_back({"2^63+1024 + 0.3", decimal("92233720368547768323", -1), ok(0x1p63),
                     ok(0x1.0000000000001p63)});
    cases.push_back({"2^63+3072 - 0.1", decimal("92233720368547788799", -1), ok(0x1.0000000000002p63),
                     ok(0x1.0000000000001p63)});
    cases.push_back({"2^63+1024 - 0.5", decimal("92233720368547768315", -1), ok(0x1p63), ok(0x1p63)});
    cases.push_back({"2^63+1024 + 0.5", decimal("92233720368547768325", -1), ok(0x1p63),
                     ok(0x1.0000000000001p63)});
    cases.push_back({"2^63+1025", decimal("9223372036854776833"), ok(0x1.0000000000001p63),
                     ok(0x1.0000000000001p63)});
    // Just above 1.
    cases.push_back({"1 + 2^-53 + 1e-60", nudged(dyadic(plus(shifted(Integer(1), 53), 1), -53), 7, +1), ok(1.0),
                     ok(0x1.0000000000001p0)});
    // The top of the double range: DBL_MAX + 2^970 is the tie that overflows; the extended unit
    // there is 2^960.
    const Integer top = ones(54);  // (2^54 - 1) x 2^970 = DBL_MAX + 2^970
    cases.push_back({"DBL_MAX + 2^970 - 2^958", dyadic(plus(shifted(top, 12), -1), 958), overflow,
                     ok(dbl_max)});
    cases.push_back({"DBL_MAX + 2^970 - 2^959 exactly", dyadic(plus(shifted(top, 11), -1), 959), overflow,
                     ok(dbl_max)});
    cases.push_back({"DBL_MAX + 2^970 - 2^959 - tiny", nudged(dyadic(plus(shifted(top, 11), -1), 959), 5, -1),
                     ok(dbl_max), ok(dbl_max)});
    cases.push_back({"DBL_MAX + 2^970 - 2^960", dyadic(plus(shifted(top, 10), -1), 960), ok(dbl_max),
                     ok(dbl_max)});
    cases.push_back({"DBL_MAX + 2^970", dyadic(top, 970), overflow, overflow});
    cases.push_back({"DBL_MAX", dyadic(ones(53), 971), ok(dbl_max), ok(dbl_max)});
    // Subnormal doubles, where the extended format is still normal and much finer.
    cases.push_back({"2^-1075 + tiny", nudged(two_to(-1075), 30, +1), ok(0.0), ok(0x1p-1074)});
    cases.push_back({"2^-1075 exactly", two_to(-1075), ok(0.0), ok(0.0)});
    cases.push_back({"2^-1075 + 2^-1138", dyadic(plus(shifted(Integer(1), 63), 1), -1138), ok(0x1p-1074),
                     ok(0x1p-1074)});
    cases.push_back({"3 x 2^-1075 - tiny", nudged(dyadic(Integer(3), -1075), 30, -1), ok(0x1p-1073),
                     ok(0x1p-1074)});
    cases.push_back({"2^-1022 - 2^-1075 - tiny", nudged(dyadic(ones(53), -1075), 30, -1), ok(0x1p-1022),
                     ok(0x0.fffffffffffffp-1022)});
    cases.push_back({"2^-1022 - 2^-1075 exactly", dyadic(ones(53), -1075), ok(0x1p-1022), ok(0x1p-1022)});
    cases.push_back({"2^-1074", two_to(-1074), ok(0x1p-1074), ok(0x1p-1074)});
    // The top of the extended range: LDBL_MAX = (2^64 - 1) x 2^16320; values from the tie
    // 2^16384 - 2^16319 on are beyond the format.
    const Decimal threshold = dyadic(ones(65), 16319);
    cases.push_back({"extended threshold, cut down", cut(threshold, 30, false), overflow, overflow});
    cases.push_back({"extended threshold, cut up", cut(threshold, 30, true), convert_error, overflow});
    cases.push_back({"LDBL_MAX, cut down", cut(dyadic(ones(64), 16320), 25, false), overflow, overflow});
    cases.push_back({"2^16384, cut up", cut(two_to(16384), 25, true), convert_error, overflow});
    return cases;
}

TEST(ArgumentReference, AgreesWithHandComputedRoundings) {
    // A broken reference must not let the comparisons below pass.
    for (const EdgeCase& c : edge_cases()) {
        EXPECT_TRUE(same(reference(c.value), c.expected))
            << c.name << ": reference gives " << describe(reference(c.value)) << ", expected "
            << describe(c.expected);
        EXPECT_TRUE(same(rounded_directly(c.value), c.rounded_directly))
            << c.name << ": single rounding gives " << describe(rounded_directly(c.value))
            << ", expected " << describe(c.rounded_directly);
        EXPECT_TRUE(same(reference(negated(c.value)), c.expected.kind == FailureKind::none
                                                          ? ok(-c.expected.value)
                                                          : c.expected))
            << c.name << ", negative";
    }
    EXPECT_TRUE(same(reference(decimal("1", -1)), ok(0x1.999999999999ap-4)));
    EXPECT_TRUE(same(reference(decimal("3", 0)), ok(3.0)));
    EXPECT_TRUE(same(reference(decimal("0", 7)), ok(0.0)));
}

TEST(ArgumentReference, WordsAreSpelledAsIntended) {
    const Decimal d = decimal("12345", -3);
    EXPECT_EQ(plain(d, ','), "12,345");
    EXPECT_EQ(scientific(negated(d), '.'), "-1.2345E1");
    EXPECT_EQ(integral(d, '.'), " +12345e-3  ");
    EXPECT_EQ(plain(decimal("5", -4), '.'), "0.0005");
    EXPECT_EQ(plain(decimal("5", 2), '.'), "500");
}

class ArgumentDoubleRounding : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ArgumentDoubleRounding, RoundsThroughTheExtendedFormat) {
    const EdgeCase& c = GetParam();
    for (const Decimal& d : {c.value, negated(c.value)}) {
        const Outcome expected =
            d.negative && c.expected.kind == FailureKind::none ? ok(-c.expected.value) : c.expected;
        for (const char separator : {'.', ','}) {
            for (const std::string& word : {plain(d, separator), scientific(d, separator), integral(d, separator)}) {
                if (word.size() > max_word_bytes) continue;
                const Outcome got = parsed(word, separator);
                EXPECT_TRUE(same(got, expected)) << c.name << ": \"" << word.substr(0, 80)
                                                 << (word.size() > 80 ? "...\"" : "\"") << " gives "
                                                 << describe(got) << ", expected " << describe(expected);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, ArgumentDoubleRounding, ::testing::ValuesIn(edge_cases()),
                         [](const ::testing::TestParamInfo<EdgeCase>& info) {
                             return "edge" + std::to_string(info.index);
                         });

// ---------------------------------------------------------------------------------------------
// A fixed, reproducible set of words near the places where the two roundings can disagree: midpoints
// between neighbouring doubles, a few extended half-units either side, in binades at 2^53,
// 2^63, 2^64, the top and the bottom of the double range and elsewhere, and near the top of
// the extended range; then nudged or cut to fewer digits and spelled in varied ways.

class Draw {
public:
    std::uint64_t below(std::uint64_t n) { return engine_() % n; }
    std::uint64_t bits(unsigned count) { return engine_() >> (64 - count); }

private:
    std::mt19937_64 engine_{0x766f6b61u};
};

Decimal generated_value(Draw& draw) {
    static constexpr long edge_binades[] = {52, 53, 54, 62, 63, 64, 1023, 1022, -1022, -1023, -1, 0, 31, 32};
    const std::uint64_t region = draw.below(12);
    if (region == 0) {
        // The top of the extended range; such values have too many digits to be written whole.
        const long t = static_cast<long>(draw.below(9)) - 4;
        const Decimal near_top = dyadic(plus(ones(65), t), 16319);
        return cut(near_top, 17 + draw.below(40), draw.below(2) == 0);
    }
    long binade;  // the value lies in [2^binade, 2^(binade+1))
    if (region < 7) {
        binade = edge_binades[draw.below(std::size(edge_binades))];
    } else if (region < 9) {
        binade = -1023 - static_cast<long>(draw.below(52));  // subnormal doubles
    } else {
        binade = -1022 + static_cast<long>(draw.below(2046));
    }

    // A double m x 2^unit of that binade.
    const auto [m, unit] = draw_double_in_binade(draw, binade);

    // The double itself or the midpoint above it, then t half-units of the extended format
    // (2^(binade - 64)) away.
    const bool midpoint = draw.below(3) != 0;
    const long scale = binade - 64;
    Integer n = shifted(plus(shifted(m, 1), midpoint ? 1 : 0), static_cast<unsigned long>(unit - 1 - scale));
    n = plus(n, static_cast<long>(draw.below(9)) - 4);
    Decimal value = dyadic(n, scale);

    switch (draw.below(4)) {
        case 0: break;
        case 1: value = nudged(value, 1 + draw.below(40), draw.below(2) == 0 ? 1 : -1); break;
        default: value = cut(value, 17 + draw.below(24), draw.below(2) == 0); break;
    }
    return value;
}

std::string generated_word(Draw& draw, const Decimal& value, char separator) {
    const long length = static_cast<long>(value.digits.decimal().size());
    Spelling how;
    how.separator = separator;
    switch (draw.below(5)) {
        case 0: how.fraction = value.exponent < 0 ? -value.exponent : 0; break;  // plain when it can be
        case 1: how.fraction = length - 1; break;
        case 2: how.fraction = length + static_cast<long>(draw.below(4)); break;
        case 3: how.fraction = static_cast<long>(draw.below(static_cast<std::uint64_t>(length) + 1)); break;
        default: how.fraction = 0; break;
    }
    how.leading_spaces = static_cast<int>(draw.below(3));
    how.trailing_spaces = static_cast<int>(draw.below(3));
    how.leading_zeros = draw.below(5) == 0 ? static_cast<int>(draw.below(4)) : 0;
    how.plus_sign = draw.below(3) == 0;
    how.always_exponent = draw.below(4) == 0;
    how.exponent_letter = draw.below(2) == 0 ? 'e' : 'E';
    std::string word = spell(value, how);
    if (word.size() > max_word_bytes) word = spell(value, {.separator = separator});
    return word;
}

TEST(ArgumentDoubleRounding, AgreesWithTheReferenceOnGeneratedWords) {
    Draw draw;
    int double_rounding_mattered = 0;
    int failures = 0;
    for (int i = 0; i < 3000; ++i) {
        Decimal value = generated_value(draw);
        value.negative = draw.below(2) == 0;
        const char separator = i % 2 == 0 ? '.' : ',';
        const std::string word = generated_word(draw, value, separator);
        ASSERT_LE(word.size(), max_word_bytes);

        const Outcome expected = reference(value);
        if (!same(expected, rounded_directly(value)) && expected.kind != FailureKind::convert_error) {
            ++double_rounding_mattered;
        }
        const Outcome got = parsed(word, separator);
        if (!same(got, expected) && ++failures <= 20) {
            ADD_FAILURE() << "word " << i << " \"" << word.substr(0, 120) << (word.size() > 120 ? "...\"" : "\"")
                          << " (" << word.size() << " bytes) gives " << describe(got) << ", expected "
                          << describe(expected);
        }
    }
    EXPECT_EQ(failures, 0);
    // The set is only worth something if it reaches the cases where the two roundings differ.
    EXPECT_GE(double_rounding_mattered, 100);
}

// ---------------------------------------------------------------------------------------------
// round_argument

struct RoundCase {
    double x;
    std::int32_t expected;
};

void PrintTo(const RoundCase& c, std::ostream* os) { *os << std::hexfloat << c.x << " -> " << c.expected; }

class RoundArgument : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundArgument, RoundsTiesToEvenAndKeepsTheLow32Bits) {
    const Checked<std::int32_t> result = round_argument(GetParam().x);
    EXPECT_EQ(result.failure.kind, FailureKind::none);
    EXPECT_EQ(result.value, GetParam().expected);
}

constexpr std::int32_t int32_min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Values, RoundArgument,
    ::testing::Values(
        RoundCase{0.0, 0}, RoundCase{-0.0, 0}, RoundCase{1.0, 1}, RoundCase{-1.0, -1},
        RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2}, RoundCase{3.5, 4},
        RoundCase{-0.5, 0}, RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
        RoundCase{0.49999999999999994, 0}, RoundCase{0.5000000000000001, 1},
        RoundCase{1.4999999999999998, 1}, RoundCase{-0.5000000000000001, -1},
        RoundCase{4503599627370494.5, -2}, RoundCase{4503599627370495.5, 0},  // 2^52 - 2, 2^52
        RoundCase{2147483647.0, int32_max}, RoundCase{2147483647.4, int32_max},
        RoundCase{2147483647.5, int32_min}, RoundCase{-2147483648.5, int32_min},
        RoundCase{-2147483649.0, int32_max},
        RoundCase{0x1p32, 0}, RoundCase{0x1p32 + 3, 3}, RoundCase{0x1p32 - 1, -1},
        RoundCase{0x1p31, int32_min}, RoundCase{-0x1p32 - 1, -1},
        RoundCase{1e18, -1486618624}, RoundCase{-1e18, 1486618624},
        RoundCase{-0x1p63, 0}, RoundCase{0x1p63 - 1024, -1024}, RoundCase{-0x1p63 + 1024, 1024}));

TEST(RoundArgumentRange, FailsOutsideTheSigned64BitRange) {
    for (const double x : {0x1p63, -0x1p63 - 2048, 0x1p64, 1e19, -1e19, DBL_MAX, -DBL_MAX,
                           std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(round_argument(x).failure.kind, FailureKind::invalid_op) << std::hexfloat << x;
    }
}

// ---------------------------------------------------------------------------------------------
// Narrowing to single precision

struct NarrowCase {
    double x;
    Outcome expected;  // value as a float widened
};

void PrintTo(const NarrowCase& c, std::ostream* os) {
    *os << std::hexfloat << c.x << " -> " << describe(c.expected);
}

class NarrowToSingle : public ::testing::TestWithParam<NarrowCase> {};

TEST_P(NarrowToSingle, RoundsToNearestEvenAndFailsOnlyAboveTheRange) {
    const Checked<float> result = narrow_to_single(GetParam().x);
    const Outcome got{result.failure.kind, result.failure ? 0.0 : static_cast<double>(result.value)};
    EXPECT_TRUE(same(got, GetParam().expected)) << "got " << describe(got);
}

// Half a unit above FLT_MAX: (2^24 - 1) x 2^104 + 2^103, a tie that goes to 2^128.
constexpr double single_tie_at_top = 0x1p128 - 0x1p103;

INSTANTIATE_TEST_SUITE_P(
    Values, NarrowToSingle,
    ::testing::Values(
        NarrowCase{0.0, ok(0.0)}, NarrowCase{1.0, ok(1.0)},
        NarrowCase{0.1, ok(static_cast<double>(0.1f))},
        NarrowCase{1 + 0x1p-24, ok(1.0)}, NarrowCase{1 + 0x3p-24, ok(1 + 0x1p-22)},
        NarrowCase{1 + 0x1p-24 + 0x1p-52, ok(1 + 0x1p-23)}, NarrowCase{-(1 + 0x3p-24), ok(-(1 + 0x1p-22))},
        NarrowCase{FLT_MAX, ok(FLT_MAX)}, NarrowCase{-FLT_MAX, ok(-FLT_MAX)},
        NarrowCase{0x1.fffffefffffffp127, ok(FLT_MAX)}, NarrowCase{-0x1.fffffefffffffp127, ok(-FLT_MAX)},
        NarrowCase{single_tie_at_top, overflow}, NarrowCase{-single_tie_at_top, overflow},
        NarrowCase{0x1p128, overflow}, NarrowCase{1e39, overflow}, NarrowCase{-1e39, overflow},
        NarrowCase{DBL_MAX, overflow},
        // Below the normal range: subnormal singles or zero, never a failure.
        NarrowCase{0x1p-149, ok(0x1p-149)}, NarrowCase{0x1p-150, ok(0.0)},
        NarrowCase{0x1.0000000000001p-150, ok(0x1p-149)}, NarrowCase{0x3p-150, ok(0x1p-148)},
        NarrowCase{-0x3p-150, ok(-0x1p-148)}, NarrowCase{0x1p-126 - 0x1p-150, ok(0x1p-126)},
        NarrowCase{0x1p-130, ok(0x1p-130)}, NarrowCase{1e-50, ok(0.0)}, NarrowCase{-1e-50, ok(0.0)},
        NarrowCase{DBL_MIN, ok(0.0)}));

TEST(NarrowToSingleRange, TheOverflowBoundaryIsTheTieAboveTheLargestSingle) {
    ASSERT_EQ(std::nextafter(single_tie_at_top, 0.0), 0x1.fffffefffffffp127);
    ASSERT_EQ(static_cast<double>(FLT_MAX) + 0x1p103, single_tie_at_top);
}

}  // namespace
}  // namespace voka
