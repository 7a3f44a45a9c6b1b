#include "platform/simulator/simulator_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testing/simulator_states.h"

#include <ostream>
#include <string>

namespace voka {
namespace {

using testing::box_state;
using testing::with_stuck_status;

using ::testing::HasSubstr;

void expect_same_state(const SimulatorState& actual, const SimulatorState& expected) {
    EXPECT_EQ(actual.data, expected.data);
    EXPECT_EQ(actual.input0, expected.input0);
    EXPECT_EQ(actual.input1, expected.input1);
    EXPECT_EQ(actual.status_stuck, expected.status_stuck);
    if (expected.status_stuck) {
        EXPECT_EQ(actual.stuck_status, expected.stuck_status);
    }
}

struct AcceptedCase {
    std::string name;
    std::string text;
    SimulatorState expected;
};

void PrintTo(const AcceptedCase& c, std::ostream* out) { *out << c.name; }

class AcceptedStateTextTest : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(AcceptedStateTextTest, Parses) {
    // Start from values that no case expects, so that every field is seen to be set.
    SimulatorState state = with_stuck_status(box_state(0xEE, 999, 999), 0xEE);
    const StateParseError error = parse_simulator_state(GetParam().text, state);
    ASSERT_EQ(error.line, 0u) << error.problem;
    expect_same_state(state, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, AcceptedStateTextTest,
    ::testing::Values(
        AcceptedCase{"empty file is the default state", "", SimulatorState{}},
        AcceptedCase{"only empty lines", "\n\n\n", SimulatorState{}},
        AcceptedCase{"full file", "data=0x5A\ninput0=700\ninput1=300\n", box_state(0x5A, 700, 300)},
        AcceptedCase{"any key order, empty lines between", "\ninput1=300\n\ndata=0x5A\ninput0=700\n\n",
                     box_state(0x5A, 700, 300)},
        AcceptedCase{"no final line end", "data=0x5A\ninput0=700", box_state(0x5A, 700, 0)},
        AcceptedCase{"CR LF line ends", "data=0x5A\r\ninput0=700\r\n\r\ninput1=300\r\n", box_state(0x5A, 700, 300)},
        AcceptedCase{"missing keys keep their defaults", "input1=5\n", box_state(0x00, 0, 5)},
        AcceptedCase{"lowercase hex digits", "data=0xaf\n", box_state(0xAF, 0, 0)},
        AcceptedCase{"largest byte and counts", "data=0xFF\ninput0=1023\ninput1=1023\n", box_state(0xFF, 1023, 1023)},
        AcceptedCase{"zero counts", "input0=0\ninput1=0\n", box_state(0x00, 0, 0)},
        // A status stuck at zero differs from no stuck status at all.
        AcceptedCase{"status stuck at zero", "status=0x00\n", with_stuck_status(box_state(0x00, 0, 0), 0x00)},
        AcceptedCase{"status stuck at 0x40", "data=0x01\nstatus=0x40\ninput0=3\n",
                     with_stuck_status(box_state(0x01, 3, 0), 0x40)}));

struct RejectedCase {
    std::string text;
    std::size_t line;
    std::string problem_mentions;  // a fragment the problem text must hold
};

void PrintTo(const RejectedCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.text); }

class RejectedStateTextTest : public ::testing::TestWithParam<RejectedCase> {};

TEST_P(RejectedStateTextTest, NamesTheLineAndLeavesTheStateAlone) {
    const SimulatorState before = with_stuck_status(box_state(0x12, 34, 56), 0x78);
    SimulatorState state = before;
    const StateParseError error = parse_simulator_state(GetParam().text, state);
    EXPECT_EQ(error.line, GetParam().line);
    EXPECT_THAT(std::string(error.problem), HasSubstr(GetParam().problem_mentions));
    // Keys parsed before the bad line must not leak into the caller's state.
    expect_same_state(state, before);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, RejectedStateTextTest,
    ::testing::Values(
        RejectedCase{"data=0x00\nfoo=1\n", 2, "unknown key"},
        RejectedCase{"Data=0x00\n", 1, "unknown key"},
        RejectedCase{"input2=1\n", 1, "unknown key"},
        RejectedCase{"=5\n", 1, "unknown key"},
        // Empty lines count in the line numbers.
        RejectedCase{"\n\ninput0\n", 3, "key=value"},
        RejectedCase{"input0=1\ninput1=2\ninput0=3\n", 3, "twice"},
        RejectedCase{"status=0x00\nstatus=0x00\n", 2, "twice"},
        RejectedCase{"input0=1024\n", 1, "out of range"},
        RejectedCase{"input1=99999999999999999999\n", 1, "out of range"},
        RejectedCase{"input0=12a\n", 1, "bad number"},
        RejectedCase{"input0=\n", 1, "bad number"},
        RejectedCase{"input1=0x10\n", 1, "bad number"},
        RejectedCase{"input1=1.5\n", 1, "bad number"},
        RejectedCase{"data=0x100\n", 1, "bad byte"},
        RejectedCase{"data=0x\n", 1, "bad byte"},
        RejectedCase{"data=0xGG\n", 1, "bad byte"},
        RejectedCase{"data=\n", 1, "bad byte"},
        RejectedCase{"input0=5\r\nstatus=high\r\n", 2, "bad byte"},
        // A bad key given twice is reported at its second line, not at a later one.
        RejectedCase{"input0=5\ninput0=6\ninput0=junk\n", 2, "twice"}));

TEST(FormatSimulatorStateTest, WritesEveryKeyWithTwoUppercaseHexDigits) {
    EXPECT_EQ(format_simulator_state(box_state(0x5A, 700, 300)).view(), "data=0x5A\ninput0=700\ninput1=300\n");
    EXPECT_EQ(format_simulator_state(box_state(0x0F, 0, 1023)).view(), "data=0x0F\ninput0=0\ninput1=1023\n");
    EXPECT_EQ(format_simulator_state(with_stuck_status(box_state(0xB0, 1, 2), 0x00)).view(),
              "data=0xB0\ninput0=1\ninput1=2\nstatus=0x00\n");
}

TEST(FormatSimulatorStateTest, WhatIsFormattedParsesBackToTheSameState) {
    const SimulatorState states[] = {
        SimulatorState{},
        box_state(0xFF, 1023, 1023),
        box_state(0x7A, 700, 300),
        with_stuck_status(box_state(0x00, 0, 0), 0x00),
        with_stuck_status(box_state(0xBA, 512, 1), 0xFF),
    };
    for (const SimulatorState& original : states) {
        SCOPED_TRACE(std::string(format_simulator_state(original).view()));
        SimulatorState parsed = with_stuck_status(box_state(0xEE, 999, 999), 0xEE);
        const StateParseError error = parse_simulator_state(format_simulator_state(original).view(), parsed);
        ASSERT_EQ(error.line, 0u) << error.problem;
        expect_same_state(parsed, original);
    }
}

}  // namespace
}  // namespace voka
