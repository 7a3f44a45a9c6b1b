#include "operations/absent_functions.h"

#include "frontend/command_table.h"
#include "operations/absent_code.h"

namespace voka {
namespace {

constexpr CommandRow absent_function_rows[] = {
    command_row<sa>("sa"),     command_row<nsa>("nsa"),   command_row<rsa>("rsa"), command_row<sad>("sad"),
    command_row<nsad>("nsad"), command_row<rsad>("rsad"), command_row<eb>("eb"),   command_row<neb>("neb"),
};

}  // namespace

std::int32_t sa(std::int32_t, std::int32_t) { return absent_code; }
std::string_view nsa(std::int32_t) { return {}; }
std::int32_t rsa(std::int32_t) { return absent_code; }
double sad(std::int32_t, double) { return absent_real; }
std::string_view nsad(std::int32_t) { return {}; }
double rsad(std::int32_t) { return absent_real; }
std::int32_t eb(std::int32_t) { return absent_code; }
std::string_view neb(std::int32_t) { return {}; }

extern constinit const CommandGroup absent_functions_commands{absent_function_rows};

}  // namespace voka
