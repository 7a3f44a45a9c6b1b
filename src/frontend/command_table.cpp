#include "frontend/command_table.h"

#include "frontend/command_groups.h"

namespace voka {

const CommandRow* find_command(std::string_view keyword) {
    for (const CommandGroup* group : command_groups) {
        for (const CommandRow& row : *group) {
            if (row.keyword == keyword) return &row;
        }
    }
    return nullptr;
}

}  // namespace voka
