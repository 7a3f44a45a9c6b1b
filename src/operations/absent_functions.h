#pragma once

#include <cstdint>
#include <string_view>

namespace voka {

// Functions of the vocabulary that the box lacks: analog outputs, their read-back and binary
// inputs. They take the arguments of their present counterparts and answer absent_code, -777.0
// or an empty name whatever those are, so a caller learns from the answer that they are missing.
std::int32_t sa(std::int32_t index, std::int32_t value);
std::string_view nsa(std::int32_t index);
std::int32_t rsa(std::int32_t index);
double sad(std::int32_t index, double value);
std::string_view nsad(std::int32_t index);
double rsad(std::int32_t index);
std::int32_t eb(std::int32_t index);
std::string_view neb(std::int32_t index);

}  // namespace voka
