#include "operations/relay_outputs.h"

#include <array>

#include "frontend/command_table.h"
#include "interface/interface_control.h"
#include "operations/absent_code.h"

namespace voka {
namespace {

constexpr std::array<std::string_view, relay_count> relay_names = {
    "relais A",
    "relais B",
    "relais C",
    "relais D",
};

// Negative indexes are invalid too: they are large as unsigned numbers.
bool is_relay(std::int32_t index) { return static_cast<std::uint32_t>(index) < relay_count; }

constexpr CommandRow relay_output_rows[] = {
    command_row<sb>("sb"),
    command_row<nsb>("nsb"),
    command_row<rsb>("rsb"),
};

}  // namespace

std::int32_t sb(std::int32_t index, std::int32_t value) {
    if (!is_relay(index)) return absent_code;
    // Only 1 switches on; 0, 2 and -1 alike switch off.
    set_relay_state(static_cast<std::size_t>(index), value == 1 ? 1 : 0);
    write_relays();
    return value;
}

std::string_view nsb(std::int32_t index) {
    return is_relay(index) ? relay_names[static_cast<std::size_t>(index)] : std::string_view{};
}

// The commanded state is what write_relays drives, so it is read from there.
std::int32_t rsb(std::int32_t index) {
    if (!is_relay(index)) return absent_code;
    return relay_state(static_cast<std::size_t>(index)) != 0 ? 1 : 0;
}

extern constinit const CommandGroup relay_outputs_commands{relay_output_rows};

}  // namespace voka
