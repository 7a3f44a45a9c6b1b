#pragma once

#include "frontend/fixed_text.h"

namespace voka {

using RealText = FixedText<32>;

// General format with at most 18 significant digits: fixed form for rounded magnitudes from
// 0.0001 to below 10^18, scientific form ("1E18", "1,5E-5") otherwise.
RealText format_real(double x, char separator);

}  // namespace voka
