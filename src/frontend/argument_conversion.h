#pragma once

#include <cstdint>
#include <string_view>

#include "frontend/failure.h"

namespace voka {

// A command-line number: spaces, sign, digits with `separator` as decimal mark, exponent,
// spaces. Formed in the x87 80-bit format, correctly rounded, then rounded to double.
Checked<double> parse_argument(std::string_view word, char separator);

// Nearest integer, ties to even, then its low 32 bits; outside the signed 64-bit range it fails.
Checked<std::int32_t> round_argument(double x);

// Nearest single, ties to even; a magnitude that rounds beyond the largest finite single fails.
Checked<float> narrow_to_single(double x);

}  // namespace voka
