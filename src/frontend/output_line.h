#pragma once

#include "frontend/fixed_text.h"

namespace voka {

// The bytes a run prints: one result line or the failure report (at most 1025 bytes, and a
// word quoted in it is cut there), assembled before they go out in one write.
using OutputLine = FixedText<1100>;

}  // namespace voka
