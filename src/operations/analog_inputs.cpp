#include "operations/analog_inputs.h"

#include <array>

#include "frontend/command_table.h"
#include "interface/interface_control.h"
#include "operations/absent_code.h"

namespace voka {
namespace {

constexpr std::array<std::string_view, 4> analog_input_names = {
    "E. analogique 0",
    "E. analogique 1",
    "RAZ pour impression",
    "R\xE9" "initialisation",
};

constexpr double scale_multiplier = 5.0;
constexpr double scale_divisor = 1024.0;

bool has_name(std::int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < analog_input_names.size();
}

constexpr CommandRow analog_input_rows[] = {
    command_row<ea>("ea"),
    command_row<nea>("nea"),
    command_row<ead>("ead"),
    command_row<nead>("nead"),
};

}  // namespace

std::int32_t ea(std::int32_t index) {
    switch (index) {
        case 0: return read_channels().channel0;
        case 1: return read_channels().channel1;
        case 2: reset_for_printing(); return absent_code;
        // Access was granted at start-up, so re-initialisation cannot be refused here.
        case 3: static_cast<void>(interface_init()); return absent_code;
        default: return absent_code;
    }
}

std::string_view nea(std::int32_t index) {
    return has_name(index) ? analog_input_names[static_cast<std::size_t>(index)] : std::string_view{};
}

double ead(std::int32_t index) {
    if (!has_name(index)) return absent_real;
    return ea(index) * scale_multiplier / scale_divisor;
}

std::string_view nead(std::int32_t index) { return nea(index); }

extern constinit const CommandGroup analog_inputs_commands{analog_input_rows};

}  // namespace voka
