// Compiled once per deliverable: the texts name its port.
#include "operations/identity.h"

#include "frontend/command_table.h"

#ifndef VOKA_PORT_NUMBER
#error "each deliverable is built with its VOKA_PORT_NUMBER"
#endif

// Macros, so that the texts are joined at compile time. Windows-1252: "é" is the byte 0xE9.
#define VOKA_CREDIT "l'\xE9" "quipe kodrun_voka"
#define VOKA_RELEASE_DATE "11-12-2026"  // day-month-year
#define VOKA_TEXT(x) #x
#define VOKA_PORT_TEXT(number) "LPT" VOKA_TEXT(number) ":"

namespace voka {
namespace {

constexpr std::string_view title_text = "VOKA en " VOKA_PORT_TEXT(VOKA_PORT_NUMBER);
constexpr std::string_view detail_text = "pilote ex\xE9" "cutable pour VOKA 10 bits en " VOKA_PORT_TEXT(
    VOKA_PORT_NUMBER) ", " VOKA_CREDIT ", " VOKA_RELEASE_DATE;

constexpr CommandRow identity_rows[] = {
    command_row<titre>("titre"),
    command_row<detail>("detail"),
};

}  // namespace

std::string_view titre() { return title_text; }
std::string_view detail() { return detail_text; }

extern constinit const CommandGroup identity_commands{identity_rows};

}  // namespace voka
