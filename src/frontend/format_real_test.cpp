#include "frontend/format_real.h"

#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

namespace voka {
namespace {

struct RealCase {
    double x;
    std::string text;  // with separator "."
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << std::hexfloat << c.x << " -> " << c.text; }

std::string with_comma(std::string text) {
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

class RealText : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealText, WritesEighteenSignificantDigitsWithTheLocaleSeparator) {
    EXPECT_EQ(format_real(GetParam().x, '.').view(), GetParam().text);
    EXPECT_EQ(format_real(GetParam().x, ',').view(), with_comma(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, RealText,
    ::testing::Values(RealCase{0.0, "0"}, RealCase{-777.0, "-777"}, RealCase{2.5, "2.5"},
                      RealCase{0.0048828125, "0.0048828125"}, RealCase{-3.7939453125, "-3.7939453125"},
                      RealCase{4.9951171875, "4.9951171875"}, RealCase{1e17, "100000000000000000"},
                      RealCase{1e18, "1E18"}, RealCase{0.1, "0.100000000000000006"},
                      RealCase{0.00001, "1.00000000000000008E-5"}));

INSTANTIATE_TEST_SUITE_P(
    Forms, RealText,
    ::testing::Values(
        RealCase{-0.0, "0"}, RealCase{100.0, "100"}, RealCase{0.5, "0.5"}, RealCase{-0.5, "-0.5"},
        RealCase{9.5, "9.5"}, RealCase{1.5e17, "150000000000000000"},
        // Fixed form from a rounded magnitude of 0.0001 on: the double nearest 0.0001 lies
        // above it, its predecessor below.
        RealCase{0.0001, "0.000100000000000000005"}, RealCase{0x1.a36e2eb1c432cp-14, "9.99999999999999912E-5"},
        RealCase{0x1p-11, "0.00048828125"}, RealCase{0x1p-14, "6.103515625E-5"},
        RealCase{-0x1p-14, "-6.103515625E-5"}, RealCase{0x1p-20, "9.5367431640625E-7"},
        // Up to just below 10^18. No double lies between 10^18 - 128 and 10^18, so no rounding
        // carries a fixed-form value into 1E18; 10^18 itself and its successor are scientific.
        RealCase{999999999999999872.0, "999999999999999872"}, RealCase{-999999999999999872.0, "-999999999999999872"},
        RealCase{0x1.bc16d674ec801p59, "1.00000000000000013E18"}, RealCase{0x1p60, "1.15292150460684698E18"},
        RealCase{1e19, "1E19"}, RealCase{-1.25e20, "-1.25E20"}, RealCase{0x1p63, "9.22337203685477581E18"},
        RealCase{123456789012345680.0, "123456789012345680"},
        // Rounding to 18 digits, then dropping the zeros it leaves.
        RealCase{1.0 / 3, "0.333333333333333315"}, RealCase{2.0 / 3, "0.66666666666666663"},
        RealCase{0.005, "0.0050000000000000001"}, RealCase{0.109, "0.109"}, RealCase{0.188, "0.188"},
        RealCase{-0.3, "-0.299999999999999989"}, RealCase{3.141592653589793, "3.14159265358979312"},
        RealCase{1e100, "1.00000000000000002E100"}, RealCase{-1e-100, "-1.00000000000000002E-100"},
        RealCase{static_cast<double>(0.1f), "0.100000001490116119"},
        // The ends of the double range.
        RealCase{DBL_MAX, "1.79769313486231571E308"}, RealCase{-DBL_MAX, "-1.79769313486231571E308"},
        RealCase{DBL_MIN, "2.22507385850720138E-308"}, RealCase{0x1p-1074, "4.94065645841246544E-324"},
        RealCase{-0x1p-1074, "-4.94065645841246544E-324"}));

// All significant digits of the exact decimal expansion of |x| (x != 0).
std::string exact_digits(double x) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(x), &exponent);
    const auto significand = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    exponent -= 53;
    mpz_t n;
    mpz_init_set_ui(n, static_cast<unsigned long>(significand));
    if (exponent >= 0) {
        mpz_mul_2exp(n, n, static_cast<unsigned long>(exponent));
    } else {
        mpz_t five;
        mpz_init(five);
        mpz_ui_pow_ui(five, 5, static_cast<unsigned long>(-exponent));
        mpz_mul(n, n, five);
        mpz_clear(five);
    }
    std::string text(mpz_sizeinbase(n, 10) + 2, '\0');
    mpz_get_str(text.data(), 10, n);
    mpz_clear(n);
    text.resize(std::strlen(text.c_str()));
    text.erase(text.find_last_not_of('0') + 1);
    return text;
}

// These doubles have exactly 19 significant digits, the last a 5: a true tie at the 18-digit
// rounding, settled by the parity of the 18th digit. 2^-27 = 7.450580596923828125E-9 and
// 123456789 + 1/1024 keep an even 18th digit; 3 x 2^-26 and 123456789 + 3/1024 round up
// from an odd one.
TEST(RealRounding, TiesAtTheNineteenthDigitGoToEven) {
    const RealCase ties[] = {
        {0x1p-27, "7.45058059692382812E-9"},
        {0x3p-26, "4.47034835815429688E-8"},
        {123456789.0 + 1.0 / 1024, "123456789.000976562"},
        {123456789.0 + 3.0 / 1024, "123456789.002929688"},
        {-(123456789.0 + 3.0 / 1024), "-123456789.002929688"},
    };
    for (const RealCase& c : ties) {
        const std::string digits = exact_digits(c.x);
        ASSERT_EQ(digits.size(), 19u) << digits;
        ASSERT_EQ(digits.back(), '5') << digits;
        EXPECT_EQ(format_real(c.x, '.').view(), c.text) << digits;
    }
}

// Every scaled count k x 5 / 1024 has at most ten decimals and prints exactly: k x 5 / 1024
// = k x 48828125 / 10^10.
TEST(RealCounts, EveryScaledCountPrintsExactly) {
    for (std::uint64_t k = 0; k < 1024; ++k) {
        const std::uint64_t scaled = k * 48828125;
        std::string fraction = std::to_string(scaled % 10000000000u);
        fraction.insert(0, 10 - fraction.size(), '0');
        fraction.erase(fraction.find_last_not_of('0') + 1);
        std::string expected = std::to_string(scaled / 10000000000u);
        if (!fraction.empty()) expected.append(",").append(fraction);

        const double x = static_cast<double>(k) * 5 / 1024;
        EXPECT_EQ(format_real(x, ',').view(), expected) << "k = " << k;
        EXPECT_EQ(format_real(-x, ',').view(), k == 0 ? "0" : std::string("-").append(expected)) << "k = " << k;
    }
}

}  // namespace
}  // namespace voka
