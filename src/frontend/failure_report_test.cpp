#include "frontend/failure_report.h"

#include <gtest/gtest.h>

#include <string>

#include "frontend/argument_conversion.h"
#include "testing/driver_run.h"

namespace voka {
namespace {

// The report with its address replaced by "XXXXXXXX".
std::string report_of(const Failure& failure, std::string_view program = "kodrun_voka1") {
    OutputLine out;
    write_failure_report(failure, program, out);
    return testing::mask_report_address(std::string(out.view()));
}

struct ReportCase {
    FailureKind kind;
    std::string word;
    std::string expected;
};

class FailureReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(FailureReportTest, WritesTheTwoLinesByteForByte) {
    const Failure failure{GetParam().kind, place_of(&parse_argument), GetParam().word};
    EXPECT_EQ(report_of(failure), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FailureReportTest,
    ::testing::Values(
        ReportCase{FailureKind::convert_error, "0.5",
                   "Exception EConvertError dans le module kodrun_voka1 \xE0 XXXXXXXX.\n"
                   "'0.5' n'est pas une valeur en virgule flottante correcte.\r\n"},
        ReportCase{FailureKind::convert_error, "  a b ",
                   "Exception EConvertError dans le module kodrun_voka1 \xE0 XXXXXXXX.\n"
                   "'  a b ' n'est pas une valeur en virgule flottante correcte.\r\n"},
        ReportCase{FailureKind::overflow, "",
                   "Exception EOverflow dans le module kodrun_voka1 \xE0 XXXXXXXX.\n"
                   "D\xE9" "bordement en virgule flottante.\r\n"},
        ReportCase{FailureKind::invalid_op, "",
                   "Exception EInvalidOp dans le module kodrun_voka1 \xE0 XXXXXXXX.\n"
                   "Op\xE9" "ration en virgule flottante incorrecte.\r\n"},
        ReportCase{FailureKind::privilege, "",
                   "Exception EPrivilege dans le module kodrun_voka1 \xE0 XXXXXXXX.\n"
                   "Instruction privil\xE9" "gi\xE9" "e.\r\n"}));

TEST(FailureReport, IsCutAt1023BytesBeforeTheLineEnd) {
    const std::string word(2000, 'x');
    OutputLine out;
    write_failure_report({FailureKind::convert_error, place_of(&parse_argument), word}, "kodrun_voka1", out);
    const std::string text(out.view());
    ASSERT_EQ(text.size(), 1025u);
    EXPECT_EQ(text.substr(1023), "\r\n");
    EXPECT_EQ(text[1022], 'x');
}

TEST(FailureReport, AddressNamesThePlaceAndDoesNotDependOnTheLoadAddress) {
    const std::uint32_t parse = report_address(place_of(&parse_argument));
    const std::uint32_t round = report_address(place_of(&round_argument));
    EXPECT_NE(parse, round);
    // Image-relative: a program loaded anywhere reports the same address for the same place,
    // and it lies above the conventional image base.
    EXPECT_GE(parse, 0x00400000u);
    EXPECT_GE(round, 0x00400000u);
}

}  // namespace
}  // namespace voka
