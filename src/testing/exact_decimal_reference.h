#pragma once

// An exact reference for argument conversion: the rational value of a decimal word rounded to
// the x87 extended format and then to double, each time to nearest with ties to even, with the
// formats' exponent ranges; and ways of spelling such a value as a command-line word.

#include <gmp.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "frontend/argument_conversion.h"

namespace voka::testing {

// ---------------------------------------------------------------------------------------------
// Outcomes

struct Outcome {
    FailureKind kind = FailureKind::none;
    double value = 0.0;
};

inline const char* kind_name(FailureKind kind) {
    switch (kind) {
        case FailureKind::none: return "none";
        case FailureKind::convert_error: return "convert_error";
        case FailureKind::overflow: return "overflow";
        case FailureKind::invalid_op: return "invalid_op";
        case FailureKind::privilege: return "privilege";
    }
    return "?";
}

inline std::string describe(const Outcome& outcome) {
    if (outcome.kind != FailureKind::none) return kind_name(outcome.kind);
    char text[64];
    std::snprintf(text, sizeof text, "%a", outcome.value);
    return text;
}

// Bit-exact, except that the sign of a zero is not part of the contract.
inline bool same(const Outcome& a, const Outcome& b) {
    if (a.kind != b.kind) return false;
    if (a.kind != FailureKind::none) return true;
    if (a.value == 0.0 && b.value == 0.0) return true;
    return std::bit_cast<std::uint64_t>(a.value) == std::bit_cast<std::uint64_t>(b.value);
}

inline Outcome parsed(std::string_view word, char separator) {
    const Checked<double> result = parse_argument(word, separator);
    return {result.failure.kind, result.failure.kind == FailureKind::none ? result.value : 0.0};
}

constexpr Outcome ok(double value) { return {FailureKind::none, value}; }
inline constexpr Outcome convert_error{FailureKind::convert_error, 0.0};
inline constexpr Outcome overflow{FailureKind::overflow, 0.0};

// ---------------------------------------------------------------------------------------------
// Exact reference: the rational value of the word rounded to the x87 extended format and then
// to double, each time to nearest with ties to even, with the formats' exponent ranges.

class Integer {
public:
    Integer() { mpz_init(value_); }
    explicit Integer(unsigned long value) { mpz_init_set_ui(value_, value); }
    explicit Integer(const std::string& decimal) { mpz_init_set_str(value_, decimal.c_str(), 10); }
    Integer(const Integer& other) { mpz_init_set(value_, other.value_); }
    Integer& operator=(const Integer& other) {
        mpz_set(value_, other.value_);
        return *this;
    }
    ~Integer() { mpz_clear(value_); }

    mpz_ptr get() { return value_; }
    mpz_srcptr get() const { return value_; }

    std::string decimal() const {
        std::string text(mpz_sizeinbase(value_, 10) + 2, '\0');
        mpz_get_str(text.data(), 10, value_);
        text.resize(std::strlen(text.c_str()));
        return text;
    }

private:
    mpz_t value_;
};

inline Integer power(unsigned long base, unsigned long exponent) {
    Integer result;
    mpz_ui_pow_ui(result.get(), base, exponent);
    return result;
}

inline Integer shifted(const Integer& value, unsigned long bits) {
    Integer result;
    mpz_mul_2exp(result.get(), value.get(), bits);
    return result;
}

inline Integer product(const Integer& a, const Integer& b) {
    Integer result;
    mpz_mul(result.get(), a.get(), b.get());
    return result;
}

inline Integer plus(const Integer& a, long b) {
    Integer result;
    if (b >= 0) {
        mpz_add_ui(result.get(), a.get(), static_cast<unsigned long>(b));
    } else {
        mpz_sub_ui(result.get(), a.get(), static_cast<unsigned long>(-b));
    }
    return result;
}

// (2^bits - 1) x 2^exponent, and friends, are written from these.
inline Integer ones(unsigned long bits) { return plus(power(2, bits), -1); }

struct BinaryFormat {
    unsigned long precision;  // significand bits, leading bit included
    long min_exponent;        // of the smallest normal power of two
    long max_exponent;        // of the largest finite binade
};
inline constexpr BinaryFormat x87_extended{64, -16382, 16383};
inline constexpr BinaryFormat ieee_double{53, -1022, 1023};

// significand x 2^scale, or overflow.
struct Binary {
    Integer significand;
    long scale = 0;
    bool overflow = false;
};

// Rounds numerator / denominator (both positive) into `format`, subnormals included.
inline Binary round_into(const Integer& numerator, const Integer& denominator, const BinaryFormat& format) {
    // 2^e <= value < 2^(e+1)
    long e = static_cast<long>(mpz_sizeinbase(numerator.get(), 2)) -
             static_cast<long>(mpz_sizeinbase(denominator.get(), 2));
    const bool at_least_2e = e >= 0
        ? mpz_cmp(numerator.get(), shifted(denominator, static_cast<unsigned long>(e)).get()) >= 0
        : mpz_cmp(shifted(numerator, static_cast<unsigned long>(-e)).get(), denominator.get()) >= 0;
    if (!at_least_2e) --e;

    Binary result;
    result.scale = std::max(e, format.min_exponent) - static_cast<long>(format.precision - 1);
    Integer n = numerator;
    Integer d = denominator;
    if (result.scale >= 0) {
        d = shifted(d, static_cast<unsigned long>(result.scale));
    } else {
        n = shifted(n, static_cast<unsigned long>(-result.scale));
    }
    Integer remainder;
    mpz_fdiv_qr(result.significand.get(), remainder.get(), n.get(), d.get());
    mpz_mul_2exp(remainder.get(), remainder.get(), 1);
    const int half = mpz_cmp(remainder.get(), d.get());
    if (half > 0 || (half == 0 && mpz_odd_p(result.significand.get()))) {
        mpz_add_ui(result.significand.get(), result.significand.get(), 1);
    }
    if (mpz_sgn(result.significand.get()) != 0) {
        const long top = static_cast<long>(mpz_sizeinbase(result.significand.get(), 2)) - 1;
        result.overflow = top + result.scale > format.max_exponent;
    }
    return result;
}

inline Binary round_into(const Binary& value, const BinaryFormat& format) {
    if (value.scale >= 0) {
        return round_into(shifted(value.significand, static_cast<unsigned long>(value.scale)),
                          Integer(1), format);
    }
    return round_into(value.significand, shifted(Integer(1), static_cast<unsigned long>(-value.scale)),
                      format);
}

// (-1)^negative x digits x 10^exponent
struct Decimal {
    Integer digits;
    long exponent = 0;
    bool negative = false;
};

inline Decimal decimal(const std::string& digits, long exponent = 0) { return {Integer(digits), exponent, false}; }

// n x 2^exponent written exactly in decimal.
inline Decimal dyadic(const Integer& n, long exponent) {
    if (exponent >= 0) return {shifted(n, static_cast<unsigned long>(exponent)), 0, false};
    return {product(n, power(5, static_cast<unsigned long>(-exponent))), exponent, false};
}

// One unit more or less in a digit `places` beyond the last one.
inline Decimal nudged(const Decimal& d, unsigned long places, int direction) {
    return {plus(product(d.digits, power(10, places)), direction), d.exponent - static_cast<long>(places),
            d.negative};
}

// Cut to `significant` digits, towards zero or away from it.
inline Decimal cut(const Decimal& d, std::size_t significant, bool away_from_zero) {
    const std::size_t length = d.digits.decimal().size();
    if (length <= significant) return d;
    Decimal result = d;
    mpz_tdiv_q(result.digits.get(), d.digits.get(), power(10, length - significant).get());
    if (away_from_zero) mpz_add_ui(result.digits.get(), result.digits.get(), 1);
    result.exponent += static_cast<long>(length - significant);
    return result;
}

inline Decimal negated(Decimal d) {
    d.negative = !d.negative;
    return d;
}

inline void rational(const Decimal& d, Integer& numerator, Integer& denominator) {
    numerator = d.exponent > 0 ? product(d.digits, power(10, static_cast<unsigned long>(d.exponent)))
                               : d.digits;
    denominator = d.exponent < 0 ? power(10, static_cast<unsigned long>(-d.exponent)) : Integer(1);
}

inline Outcome as_double(const Binary& value, bool negative) {
    if (value.overflow) return overflow;
    // At most 53 significant bits, and representable: both steps are exact.
    const double magnitude = std::ldexp(mpz_get_d(value.significand.get()), static_cast<int>(value.scale));
    return ok(negative ? -magnitude : magnitude);
}

inline Outcome reference(const Decimal& d) {
    if (mpz_sgn(d.digits.get()) == 0) return ok(0.0);
    Integer numerator;
    Integer denominator;
    rational(d, numerator, denominator);
    const Binary extended = round_into(numerator, denominator, x87_extended);
    if (extended.overflow) return convert_error;
    return as_double(round_into(extended, ieee_double), d.negative);
}

// What a conversion straight to double would give: only to show where the two differ.
inline Outcome rounded_directly(const Decimal& d) {
    if (mpz_sgn(d.digits.get()) == 0) return ok(0.0);
    Integer numerator;
    Integer denominator;
    rational(d, numerator, denominator);
    return as_double(round_into(numerator, denominator, ieee_double), d.negative);
}

// The word for `d` with `fraction` digits after the separator (zeros are put in front where
// needed) and the exponent that makes up for them.
struct Spelling {
    long fraction = 0;
    char separator = '.';
    int leading_spaces = 0;
    int trailing_spaces = 0;
    int leading_zeros = 0;
    bool plus_sign = false;
    bool always_exponent = false;
    char exponent_letter = 'e';
};

inline std::string spell(const Decimal& d, const Spelling& how) {
    std::string digits = d.digits.decimal();
    if (how.fraction > static_cast<long>(digits.size())) {
        digits.insert(0, static_cast<std::size_t>(how.fraction) - digits.size(), '0');
    }
    digits.insert(0, static_cast<std::size_t>(how.leading_zeros), '0');
    const std::size_t integer_digits = digits.size() - static_cast<std::size_t>(how.fraction);
    const long exponent = d.exponent + how.fraction;

    std::string word(static_cast<std::size_t>(how.leading_spaces), ' ');
    if (d.negative) {
        word += '-';
    } else if (how.plus_sign) {
        word += '+';
    }
    word += digits.substr(0, integer_digits);
    if (how.fraction > 0) {
        word += how.separator;
        word += digits.substr(integer_digits);
    }
    if (exponent != 0 || how.always_exponent) {
        word += how.exponent_letter;
        if (exponent < 0) word += '-';
        word += std::to_string(std::labs(exponent));
    }
    word.append(static_cast<std::size_t>(how.trailing_spaces), ' ');
    return word;
}

// Plain positional form, no exponent.
inline std::string plain(Decimal d, char separator) {
    if (d.exponent > 0) {
        d.digits = product(d.digits, power(10, static_cast<unsigned long>(d.exponent)));
        d.exponent = 0;
    }
    const bool below_one = -d.exponent >= static_cast<long>(d.digits.decimal().size());
    return spell(d, {.fraction = -d.exponent, .separator = separator, .leading_zeros = below_one ? 1 : 0});
}

// Digits with one in front of the separator, and an exponent.
inline std::string scientific(const Decimal& d, char separator) {
    const long length = static_cast<long>(d.digits.decimal().size());
    return spell(d, {.fraction = length - 1, .separator = separator, .exponent_letter = 'E'});
}

// All digits, no separator, and an exponent.
inline std::string integral(const Decimal& d, char separator) {
    return spell(d, {.separator = separator, .leading_spaces = 1, .trailing_spaces = 2, .plus_sign = true});
}

// A double of binade `binade` (2^binade <= it < 2^(binade+1), or subnormal below -1022), drawn
// as m x 2^unit with `draw` (below(n), bits(count)): near the ends of the binade or anywhere in it.
struct DyadicDouble {
    Integer m;
    long unit;
};

template <class Draw>
DyadicDouble draw_double_in_binade(Draw& draw, long binade) {
    if (binade >= -1022) {
        Integer m;
        switch (draw.below(4)) {
            case 0: m = plus(shifted(Integer(1), 52), static_cast<long>(draw.below(4))); break;
            case 1: m = plus(ones(53), -static_cast<long>(draw.below(4))); break;
            default: m = plus(shifted(Integer(1), 52), static_cast<long>(draw.bits(52))); break;
        }
        return {m, binade - 52};
    }
    const unsigned k = static_cast<unsigned>(binade + 1074);  // m in [2^k, 2^(k+1))
    return {plus(shifted(Integer(1), k), k == 0 ? 0 : static_cast<long>(draw.bits(k))), -1074};
}

}  // namespace voka::testing
