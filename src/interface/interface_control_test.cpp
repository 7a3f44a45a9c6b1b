#include "interface/interface_control.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "testing/recording_port.h"

namespace voka {
namespace {

using testing::PortAccessRecord;
using testing::RecordingPort;

constexpr std::uint16_t data_port = 0x378;
constexpr std::uint16_t status_port = 0x379;

PortAccessRecord read_data(std::uint8_t value) { return {'R', data_port, value}; }
PortAccessRecord write_data(std::uint8_t value) { return {'W', data_port, value}; }
PortAccessRecord read_status(std::uint8_t value) { return {'R', status_port, value}; }

class InterfaceControlTest : public ::testing::Test {
protected:
    void start(std::uint8_t data_before) {
        port.data = data_before;
        attach_port(port);
        set_bit_count(10);
        select_port(data_port);
        ASSERT_TRUE(interface_init());
    }

    RecordingPort port;
};

TEST_F(InterfaceControlTest, StartUpSavesTheDataByteAndWritesTheIdlePatternOverTheRelays) {
    start(0x5A);
    EXPECT_THAT(port.accesses, ::testing::ElementsAre(read_data(0x5A), write_data(0xBA)));
    EXPECT_EQ(port.granted_base, data_port);
    EXPECT_EQ(port.granted_count, 2) << "exactly the data and status registers";

    reset_for_printing();
    EXPECT_EQ(port.accesses.back(), write_data(0x5A));
}

TEST_F(InterfaceControlTest, RefusedAccessTouchesNoRegister) {
    port.refuse_access = true;
    attach_port(port);
    select_port(data_port);
    EXPECT_FALSE(interface_init());
    EXPECT_TRUE(port.accesses.empty());
}

TEST_F(InterfaceControlTest, AccessIsAskedForOncePerRun) {
    start(0x00);
    ASSERT_TRUE(interface_init());
    EXPECT_EQ(port.access_requests, 1);
    // The second start-up saves the idle byte the first one wrote.
    EXPECT_EQ(port.accesses.back(), write_data(0xB0));
    reset_for_printing();
    EXPECT_EQ(port.accesses.back(), write_data(0xB0));
}

TEST_F(InterfaceControlTest, ConverterReadClocksTenBitsWithTheRelayNibbleKept) {
    start(0x73);  // relays A, B and C on: nibble 3
    port.accesses.clear();
    port.status = [] { return std::uint8_t{0x00}; };
    read_channels();

    std::vector<PortAccessRecord> expected = {read_data(0xB3), write_data(0x33)};
    for (int bit = 0; bit < 10; ++bit) {
        expected.push_back(write_data(0xB3));
        expected.push_back(read_status(0x00));
        expected.push_back(read_status(0x00));
        expected.push_back(write_data(0x33));
    }
    expected.push_back(write_data(0x73));
    EXPECT_EQ(port.accesses, expected);
}

struct StatusCase {
    std::uint8_t status;
    std::uint16_t channel0;
    std::uint16_t channel1;
};

class ConstantStatusTest : public InterfaceControlTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ConstantStatusTest, ChannelZeroIsActiveHighOnBit6AndChannelOneActiveLowOnBit7) {
    start(0x00);
    port.status = [status = GetParam().status] { return status; };
    const ChannelWords words = read_channels();
    EXPECT_EQ(words.channel0, GetParam().channel0);
    EXPECT_EQ(words.channel1, GetParam().channel1);
}

INSTANTIATE_TEST_SUITE_P(Status, ConstantStatusTest,
                         ::testing::Values(StatusCase{0x00, 0, 1023}, StatusCase{0xFF, 1023, 0},
                                           StatusCase{0x40, 1023, 1023}, StatusCase{0x80, 0, 0},
                                           StatusCase{0x3F, 0, 1023}));

TEST_F(InterfaceControlTest, ChannelOneBitComesFromTheFirstStatusReadAndChannelZeroFromTheSecond) {
    start(0x00);
    // Words 0b1010000001 (641) on channel 0 and 0b0110000010 (386) on channel 1, most
    // significant bit first; each read of the pair carries a decoy in the other channel's bit.
    const std::uint16_t channel0 = 641;
    const std::uint16_t channel1 = 386;
    int read = 0;
    port.status = [&] {
        const int bit = 9 - read / 2;
        const bool first_of_pair = read % 2 == 0;
        ++read;
        if (first_of_pair) return static_cast<std::uint8_t>(((channel1 >> bit) & 1) ? 0x40 : 0xC0);
        return static_cast<std::uint8_t>((((channel0 >> bit) & 1) ? 0x40 : 0x00) | 0x80);
    };
    const ChannelWords words = read_channels();
    EXPECT_EQ(words.channel0, channel0);
    EXPECT_EQ(words.channel1, channel1);
}

TEST_F(InterfaceControlTest, ZeroBitCountMakesNoClockPulse) {
    start(0x01);
    set_bit_count(0);
    port.accesses.clear();
    const ChannelWords words = read_channels();
    EXPECT_THAT(port.accesses, ::testing::ElementsAre(read_data(0xB1), write_data(0x31), write_data(0x71)));
    EXPECT_EQ(words.channel0, 0);
    EXPECT_EQ(words.channel1, 0);
}

TEST_F(InterfaceControlTest, RelayWriteRewritesAllFourBitsAndKeepsTheControlLines) {
    start(0x73);
    set_relay_state(0, 1);
    set_relay_state(2, 0xFF);  // any non-zero flag is on
    port.accesses.clear();
    write_relays();
    EXPECT_THAT(port.accesses, ::testing::ElementsAre(read_data(0xB3), write_data(0xB5)));
}

TEST_F(InterfaceControlTest, RelaysStartOffInEveryRun) {
    start(0x00);
    set_relay_state(3, 1);
    start(0x0F);
    write_relays();
    EXPECT_EQ(port.accesses.back(), write_data(0xB0));
}

TEST_F(InterfaceControlTest, PortWriteKeepsTheLowEightBits) {
    start(0x00);
    port_write(data_port, 0x1234A5);
    EXPECT_EQ(port.accesses.back(), write_data(0xA5));
}

}  // namespace
}  // namespace voka
