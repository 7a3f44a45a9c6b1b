#include "frontend/failure_report.h"

#include <cstdint>

// The first byte of the program image, as the linker names it.
#ifdef _WIN32
extern "C" const char __ImageBase[];
#define VOKA_IMAGE_START __ImageBase
#else
extern "C" const char __executable_start[];
#define VOKA_IMAGE_START __executable_start
#endif

namespace voka {
namespace {

constexpr std::size_t report_limit = 1023;
constexpr std::uintptr_t conventional_image_base = 0x00400000;

struct FailureText {
    std::string_view class_name;
    std::string_view message;
};

FailureText failure_text(FailureKind kind) {
    switch (kind) {
        case FailureKind::convert_error:
            return {"EConvertError", " n'est pas une valeur en virgule flottante correcte"};
        case FailureKind::overflow:
            return {"EOverflow", "D\xE9" "bordement en virgule flottante"};
        case FailureKind::invalid_op:
            return {"EInvalidOp", "Op\xE9" "ration en virgule flottante incorrecte"};
        case FailureKind::privilege:
        case FailureKind::none:
            break;
    }
    return {"EPrivilege", "Instruction privil\xE9" "gi\xE9" "e"};
}

}  // namespace

std::uint32_t report_address(const void* place) {
    const auto offset = reinterpret_cast<std::uintptr_t>(place) -
                        reinterpret_cast<std::uintptr_t>(VOKA_IMAGE_START);
    return static_cast<std::uint32_t>(conventional_image_base + offset);
}

void write_failure_report(const Failure& failure, std::string_view program_name, OutputLine& out) {
    const FailureText text = failure_text(failure.kind);
    const std::size_t start = out.size();
    out.append("Exception ");
    out.append(text.class_name);
    out.append(" dans le module ");
    out.append(program_name);
    out.append(" \xE0 ");
    const std::uint32_t address = report_address(failure.place);
    for (int shift = 28; shift >= 0; shift -= 4) out.append("0123456789ABCDEF"[(address >> shift) & 0xF]);
    out.append(".\n");
    if (failure.kind == FailureKind::convert_error) {
        out.append('\'');
        out.append(failure.word);
        out.append('\'');
    }
    out.append(text.message);
    // Every message here ends without a period, so the line always gets one.
    out.append('.');
    out.truncate(start + report_limit);
    out.append("\r\n");
}

}  // namespace voka
