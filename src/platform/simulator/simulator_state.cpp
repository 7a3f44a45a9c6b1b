#include "platform/simulator/simulator_state.h"

#include <charconv>

namespace voka {
namespace {

constexpr char hex_digits[] = "0123456789ABCDEF";

// "0x" and one or two hexadecimal digits, or a decimal number.
bool parse_byte(std::string_view text, std::uint8_t& out) {
    unsigned value = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || value > 0xFF) return false;
    out = static_cast<std::uint8_t>(value);
    return true;
}

enum class CountParse { ok, bad_number, out_of_range };

CountParse parse_count(std::string_view text, std::uint16_t& out) {
    unsigned value = 0;
    if (text.empty()) return CountParse::bad_number;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return CountParse::out_of_range;
    if (error != std::errc{} || end != text.data() + text.size()) return CountParse::bad_number;
    if (value > largest_input_count) return CountParse::out_of_range;
    out = static_cast<std::uint16_t>(value);
    return CountParse::ok;
}

std::string_view parse_line(std::string_view line, SimulatorState& state, unsigned& keys_seen) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return "expected key=value";
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);

    constexpr std::string_view keys[] = {"data", "input0", "input1", "status"};
    unsigned key_index = 0;
    while (key_index < std::size(keys) && keys[key_index] != key) ++key_index;
    if (key_index == std::size(keys)) return "unknown key (data, input0, input1, status)";
    if ((keys_seen & (1u << key_index)) != 0) return "key given twice";
    keys_seen |= 1u << key_index;

    switch (key_index) {
        case 0: return parse_byte(value, state.data) ? std::string_view{} : "bad byte (0xHH)";
        case 3:
            state.status_stuck = true;
            return parse_byte(value, state.stuck_status) ? std::string_view{} : "bad byte (0xHH)";
        default: {
            const CountParse parsed = parse_count(value, key_index == 1 ? state.input0 : state.input1);
            if (parsed == CountParse::bad_number) return "bad number (a count 0 to 1023)";
            if (parsed == CountParse::out_of_range) return "count out of range (0 to 1023)";
            return {};
        }
    }
}

void put_byte(StateText& text, std::uint8_t value) {
    text.append("0x");
    text.append(hex_digits[value >> 4]);
    text.append(hex_digits[value & 0xF]);
}

void put_count(StateText& text, std::uint16_t count) { text.commit(std::to_chars(text.end(), text.limit(), count).ptr); }

}  // namespace

StateParseError parse_simulator_state(std::string_view text, SimulatorState& state) {
    SimulatorState parsed;
    unsigned keys_seen = 0;
    std::size_t line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        const std::string_view problem = parse_line(line, parsed, keys_seen);
        if (!problem.empty()) return {line_number, problem};
    }
    state = parsed;
    return {};
}

StateText format_simulator_state(const SimulatorState& state) {
    StateText text;
    text.append("data=");
    put_byte(text, state.data);
    text.append("\ninput0=");
    put_count(text, state.input0);
    text.append("\ninput1=");
    put_count(text, state.input1);
    text.append('\n');
    if (state.status_stuck) {
        text.append("status=");
        put_byte(text, state.stuck_status);
        text.append('\n');
    }
    return text;
}

}  // namespace voka
