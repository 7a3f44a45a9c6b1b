#pragma once

#include <cctype>
#include <string>
#include <vector>

#include "frontend/run_driver.h"

namespace voka::testing {

struct RunOutcome {
    std::string output;  // the report's address replaced by XXXXXXXX
    int status;
};

inline std::string_view test_program_name() { return "kodrun_voka1"; }

// The report's first line with its address, 8 uppercase hexadecimal digits, as XXXXXXXX.
inline std::string mask_report_address(std::string text) {
    const std::string marker = " \xE0 ";
    const std::size_t at = text.find(marker);
    if (at == std::string::npos || at + marker.size() + 10 > text.size()) return text;
    const std::size_t digits = at + marker.size();
    for (std::size_t i = digits; i < digits + 8; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(text[i])) || std::islower(static_cast<unsigned char>(text[i]))) {
            return text;
        }
    }
    if (text.compare(digits + 8, 2, ".\n") != 0) return text;
    return text.replace(digits, 8, "XXXXXXXX");
}

// One whole run of the driver over `port` with the words after the program name.
inline RunOutcome run_words(PortAccess& port, std::vector<std::string> words, char separator = '.',
                            std::uint16_t base = 0x378) {
    words.insert(words.begin(), "/opt/voka/kodrun_voka1");
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    const RunRequest request{port, base, separator,
                             words_from_argument_list(static_cast<int>(argv.size()), argv.data()),
                             &test_program_name};
    OutputLine out;
    const int status = run_driver(request, out);
    return {mask_report_address(std::string(out.view())), status};
}

inline std::string failure_report(std::string_view class_name, std::string_view message) {
    std::string text = "Exception ";
    text.append(class_name).append(" dans le module kodrun_voka1 \xE0 XXXXXXXX.\n");
    return text.append(message).append(".\r\n");
}

inline std::string convert_error_report(std::string_view word) {
    std::string message = "'";
    message.append(word).append("' n'est pas une valeur en virgule flottante correcte");
    return failure_report("EConvertError", message);
}

inline const std::string overflow_report = failure_report("EOverflow", "D\xE9" "bordement en virgule flottante");
inline const std::string invalid_op_report =
    failure_report("EInvalidOp", "Op\xE9" "ration en virgule flottante incorrecte");
inline const std::string privilege_report =
    failure_report("EPrivilege", "Instruction privil\xE9" "gi\xE9" "e");

}  // namespace voka::testing
