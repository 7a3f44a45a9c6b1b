#include "operations/fixed_convention.h"

#include "frontend/command_table.h"
#include "operations/absent_functions.h"
#include "operations/analog_inputs.h"
#include "operations/identity.h"
#include "operations/relay_outputs.h"

namespace voka {
namespace {

// Every keyword again with the prefix "std", taking and giving fixed-width values only. The
// entries that keep their base operation's types are that operation itself.
constexpr CommandRow fixed_convention_rows[] = {
    command_row<ea>("stdea"),
    command_row<nea>("stdnea"),
    command_row<ead>("stdead"),
    command_row<stdeas>("stdeas"),
    command_row<nead>("stdnead"),
    command_row<sa>("stdsa"),
    command_row<nsa>("stdnsa"),
    command_row<rsa>("stdrsa"),
    command_row<sad>("stdsad"),
    command_row<stdsas>("stdsas"),
    command_row<nsad>("stdnsad"),
    command_row<rsad>("stdrsad"),
    command_row<stdrsas>("stdrsas"),
    command_row<eb>("stdeb"),
    command_row<neb>("stdneb"),
    command_row<sb>("stdsb"),
    command_row<nsb>("stdnsb"),
    command_row<rsb>("stdrsb"),
    command_row<titre>("stdtitre"),
    command_row<detail>("stddetail"),
};

}  // namespace

// Every real these answer (k * 5 / 1024, -3.7939453125, -777) is exact in single precision.
float stdeas(std::int32_t index) { return static_cast<float>(ead(index)); }
float stdsas(std::int32_t index, float value) { return static_cast<float>(sad(index, value)); }
float stdrsas(std::int32_t index) { return static_cast<float>(rsad(index)); }

extern constinit const CommandGroup fixed_convention_commands{fixed_convention_rows};

}  // namespace voka
