#include "operations/relay_outputs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "interface/interface_control.h"
#include "testing/recording_port.h"

namespace voka {
namespace {

using testing::PortAccessRecord;

class RelayOutputsTest : public ::testing::Test {
protected:
    void start(std::uint8_t data_before) {
        port.data = data_before;
        attach_port(port);
        set_bit_count(10);
        select_port(0x378);
        ASSERT_TRUE(interface_init());
        port.accesses.clear();
    }

    testing::RecordingPort port;
};

TEST_F(RelayOutputsTest, SwitchingOneRelayDrivesTheOtherThreeOff) {
    start(0xBF);  // all four relays on
    EXPECT_EQ(sb(2, 1), 1);
    EXPECT_THAT(port.accesses,
                ::testing::ElementsAre(PortAccessRecord{'R', 0x378, 0xBF}, PortAccessRecord{'W', 0x378, 0xB4}));
}

struct ValueCase {
    std::int32_t value;
    std::uint8_t written;
    std::int32_t read_back;
};

class RelayValueTest : public RelayOutputsTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(RelayValueTest, OnlyOneSwitchesOnAndTheValueIsAnsweredUnchanged) {
    start(0xB0);
    EXPECT_EQ(sb(1, GetParam().value), GetParam().value);
    EXPECT_EQ(port.accesses.back(), (PortAccessRecord{'W', 0x378, GetParam().written}));
    EXPECT_EQ(rsb(1), GetParam().read_back);
}

INSTANTIATE_TEST_SUITE_P(Values, RelayValueTest,
                         ::testing::Values(ValueCase{1, 0xB2, 1}, ValueCase{0, 0xB0, 0}, ValueCase{5, 0xB0, 0},
                                           ValueCase{2, 0xB0, 0}, ValueCase{-1, 0xB0, 0},
                                           ValueCase{22, 0xB0, 0}));

TEST_F(RelayOutputsTest, InvalidIndexesTouchNeitherThePortNorTheFlags) {
    start(0xB0);
    for (const std::int32_t index : {4, -1, 11, -2147483647 - 1}) {
        EXPECT_EQ(sb(index, 1), -777);
        EXPECT_EQ(rsb(index), -777);
        EXPECT_EQ(nsb(index), "");
    }
    EXPECT_TRUE(port.accesses.empty());
    for (std::int32_t relay = 0; relay < 4; ++relay) EXPECT_EQ(rsb(relay), 0);
}

TEST_F(RelayOutputsTest, ReadBackIsWhatThisRunCommandedNotWhatThePortHolds) {
    start(0xBF);  // relays on from an earlier run
    for (std::int32_t relay = 0; relay < 4; ++relay) EXPECT_EQ(rsb(relay), 0);
    sb(0, 1);
    sb(3, 1);
    EXPECT_EQ(rsb(0), 1);
    EXPECT_EQ(rsb(3), 1);
    EXPECT_EQ(rsb(1), 0);
    EXPECT_EQ(port.accesses.back(), (PortAccessRecord{'W', 0x378, 0xB9}));
    EXPECT_TRUE(std::none_of(port.accesses.begin(), port.accesses.end(),
                             [](const PortAccessRecord& a) { return a.direction == 'R' && a.port != 0x378; }));
}

TEST_F(RelayOutputsTest, NamesTouchNoPort) {
    start(0xB0);
    EXPECT_EQ(nsb(0), "relais A");
    EXPECT_EQ(nsb(3), "relais D");
    EXPECT_TRUE(port.accesses.empty());
}

}  // namespace
}  // namespace voka
