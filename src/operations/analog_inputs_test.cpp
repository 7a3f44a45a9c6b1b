#include "operations/analog_inputs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "interface/interface_control.h"
#include "testing/recording_port.h"

namespace voka {
namespace {

using testing::PortAccessRecord;

class AnalogInputsTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.data = 0x5A;
        attach_port(port);
        set_bit_count(10);
        select_port(0x378);
        ASSERT_TRUE(interface_init());
        port.accesses.clear();
    }

    std::size_t converter_reads() const {
        std::size_t status_reads = 0;
        for (const PortAccessRecord& access : port.accesses) status_reads += access.port == 0x379;
        return status_reads / 20;
    }

    testing::RecordingPort port;
};

TEST_F(AnalogInputsTest, EachChannelIndexMakesOneFullConverterRead) {
    port.status = [] { return std::uint8_t{0x00}; };
    EXPECT_EQ(ea(0), 0);
    EXPECT_EQ(converter_reads(), 1u);
    EXPECT_EQ(ea(1), 1023);
    EXPECT_EQ(converter_reads(), 2u);
    EXPECT_EQ(port.accesses.size(), 2u * 43u);
}

TEST_F(AnalogInputsTest, ScaledCountIsExact) {
    port.status = [] { return std::uint8_t{0x00}; };
    EXPECT_EQ(ead(1), 4.9951171875);
    EXPECT_EQ(ead(0), 0.0);
}

TEST_F(AnalogInputsTest, IndexTwoResetsThePortForAPrinter) {
    EXPECT_EQ(ea(2), -777);
    EXPECT_THAT(port.accesses, ::testing::ElementsAre(PortAccessRecord{'W', 0x378, 0x5A}));
    port.accesses.clear();
    EXPECT_EQ(ead(2), -3.7939453125);
    EXPECT_THAT(port.accesses, ::testing::ElementsAre(PortAccessRecord{'W', 0x378, 0x5A}));
}

TEST_F(AnalogInputsTest, IndexThreeRepeatsTheStartUp) {
    EXPECT_EQ(ea(3), -777);
    EXPECT_THAT(port.accesses,
                ::testing::ElementsAre(PortAccessRecord{'R', 0x378, 0xBA}, PortAccessRecord{'W', 0x378, 0xBA}));
    // The repeated start-up saved the idle byte, which a later reset writes back.
    EXPECT_EQ(ea(2), -777);
    EXPECT_EQ(port.accesses.back(), (PortAccessRecord{'W', 0x378, 0xBA}));
}

TEST_F(AnalogInputsTest, OtherIndexesTouchNothing) {
    for (const std::int32_t index : {4, -1, 11, 2147483647, -2147483647 - 1}) {
        EXPECT_EQ(ea(index), -777);
        EXPECT_EQ(ead(index), -777.0);
        EXPECT_EQ(nea(index), "");
        EXPECT_EQ(nead(index), "");
    }
    EXPECT_TRUE(port.accesses.empty());
}

TEST_F(AnalogInputsTest, NamesAreWindows1252AndTouchNoPort) {
    EXPECT_EQ(nea(0), "E. analogique 0");
    EXPECT_EQ(nea(1), "E. analogique 1");
    EXPECT_EQ(nea(2), "RAZ pour impression");
    EXPECT_EQ(nea(3), "R\xE9" "initialisation");
    EXPECT_EQ(nead(3), nea(3));
    EXPECT_TRUE(port.accesses.empty());
}

}  // namespace
}  // namespace voka
