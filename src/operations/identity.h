#pragma once

#include <string_view>

namespace voka {

// The driver's name and port, e.g. "VOKA en LPT1:".
std::string_view titre();
// The description, the credit and the release date.
std::string_view detail();

}  // namespace voka
