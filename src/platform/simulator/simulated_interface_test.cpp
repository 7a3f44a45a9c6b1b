#include "platform/simulator/simulated_interface.h"

#include <gtest/gtest.h>

#include "testing/simulator_states.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "interface/interface_control.h"
#include "testing/recording_port.h"

namespace voka {
namespace {

using testing::box_state;
using testing::with_stuck_status;

using testing::PortAccessRecord;

constexpr std::uint16_t data_port = 0x378;
constexpr std::uint16_t status_port = 0x379;

// Passes every access on to the box and remembers what it saw, so that the box's own trace
// can be compared with what really went over the port.
class TeePort final : public PortAccess {
public:
    explicit TeePort(SimulatedInterface& box) : box_(box) {}
    bool request_access(std::uint16_t base, std::uint16_t count) override { return box_.request_access(base, count); }
    std::uint8_t read(std::uint16_t port) override {
        const std::uint8_t value = box_.read(port);
        seen.push_back({'R', port, value});
        return value;
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        box_.write(port, value);
        seen.push_back({'W', port, value});
    }

    std::vector<PortAccessRecord> seen;

private:
    SimulatedInterface& box_;
};

// An anonymous file to receive a trace.
class TraceFile {
public:
    TraceFile() : file_(std::tmpfile()) {}
    ~TraceFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    int fd() const { return fileno(file_); }
    std::string contents() const {
        std::string text;
        char buffer[4096];
        off_t offset = 0;
        for (;;) {
            const ssize_t got = ::pread(fd(), buffer, sizeof buffer, offset);
            if (got <= 0) break;
            text.append(buffer, static_cast<std::size_t>(got));
            offset += got;
        }
        return text;
    }

private:
    std::FILE* file_;
};

std::string trace_lines(const std::vector<PortAccessRecord>& accesses) {
    std::string text;
    for (const PortAccessRecord& access : accesses) {
        char line[16];
        std::snprintf(line, sizeof line, "%c %04X %02X\n", access.direction, access.port, access.value);
        text += line;
    }
    return text;
}

class SimulatedInterfaceTest : public ::testing::Test {
protected:
    // Starts the box as a run starts the interface: 10-bit words, port selected, start-up done.
    void start(const SimulatorState& state, std::uint16_t base = data_port, int trace_fd = -1) {
        box.emplace(state, trace_fd);
        attach_port(*box);
        set_bit_count(10);
        select_port(base);
        ASSERT_TRUE(interface_init());
    }

    std::uint8_t latch() const { return box->state().data; }

    std::optional<SimulatedInterface> box;
};

struct InputCase {
    std::uint16_t input0;
    std::uint16_t input1;
};

class ConverterReadTest : public SimulatedInterfaceTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(ConverterReadTest, TheLineProtocolReadsBackBothInputs) {
    // Relays A and C on: the relay nibble must not disturb the converters.
    start(box_state(0x55, GetParam().input0, GetParam().input1));
    for (int read = 0; read < 2; ++read) {
        SCOPED_TRACE(read == 0 ? "first read" : "second read: a fresh conversion");
        const ChannelWords words = read_channels();
        EXPECT_EQ(words.channel0, GetParam().input0);
        EXPECT_EQ(words.channel1, GetParam().input1);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ConverterReadTest,
                         ::testing::Values(InputCase{0, 0}, InputCase{1023, 1023}, InputCase{700, 300},
                                           InputCase{512, 512}, InputCase{1, 1}, InputCase{0, 1023},
                                           InputCase{1023, 0}, InputCase{682, 341}, InputCase{341, 682},
                                           InputCase{1, 512}));

struct StuckCase {
    std::uint8_t status;
    std::uint16_t channel0;
    std::uint16_t channel1;
};

class StuckStatusTest : public SimulatedInterfaceTest, public ::testing::WithParamInterface<StuckCase> {};

TEST_P(StuckStatusTest, EveryStatusReadGivesTheStuckByteWhateverTheInputs) {
    start(with_stuck_status(box_state(0x00, 700, 300), GetParam().status));
    const ChannelWords words = read_channels();
    EXPECT_EQ(words.channel0, GetParam().channel0);
    EXPECT_EQ(words.channel1, GetParam().channel1);
    EXPECT_EQ(port_read(status_port), GetParam().status) << "outside a conversion too";
}

INSTANTIATE_TEST_SUITE_P(Bytes, StuckStatusTest,
                         ::testing::Values(StuckCase{0x00, 0, 1023}, StuckCase{0xFF, 1023, 0},
                                           StuckCase{0x40, 1023, 1023}, StuckCase{0x80, 0, 0},
                                           StuckCase{0x3F, 0, 1023}));

TEST_F(SimulatedInterfaceTest, TheLatchFollowsEveryDataWrite) {
    start(box_state(0x5A, 700, 300));
    EXPECT_EQ(latch(), 0xBA) << "start-up: relays kept, idle pattern";
    read_channels();
    EXPECT_EQ(latch(), 0x7A) << "after a read: relays kept, after-read pattern";
    reset_for_printing();
    EXPECT_EQ(latch(), 0x5A) << "the byte start-up found";
    ASSERT_TRUE(interface_init());
    set_relay_state(0, 1);
    set_relay_state(2, 1);
    write_relays();
    EXPECT_EQ(latch(), 0xB5) << "relays A and C on, control lines kept";
}

TEST_F(SimulatedInterfaceTest, ABitIsPresentedOnlyOnARisingClockEdge) {
    // Channel 0 has only its top bit set; channel 1 none, so status bit 7 reads 1 throughout.
    start(box_state(0x00, 512, 0));
    box->write(data_port, 0x30);  // start
    box->write(data_port, 0xB0);  // first edge: bit 9
    EXPECT_EQ(box->read(status_port), 0xC0);
    box->write(data_port, 0xB0);  // clock still high: no edge
    EXPECT_EQ(box->read(status_port), 0xC0);
    box->write(data_port, 0x30);  // clock low; must not restart the running conversion
    box->write(data_port, 0xB0);  // bit 8
    EXPECT_EQ(box->read(status_port), 0x80);
    box->write(data_port, 0x70);  // end of conversion
    box->write(data_port, 0x30);  // a new conversion starts from the top bit
    box->write(data_port, 0xB0);
    EXPECT_EQ(box->read(status_port), 0xC0);
}

TEST_F(SimulatedInterfaceTest, AccessesToOtherPortsLeaveTheLatchAndTheConversionAlone) {
    start(box_state(0x5A, 512, 0));
    port_write(0x37A, 0x30);  // the control port, never part of the protocol
    port_write(0x278, 0x30);  // another parallel port's data register
    EXPECT_EQ(latch(), 0xBA);

    box->write(data_port, 0x3A);
    box->write(data_port, 0xBA);  // bit 9 presented
    box->write(0x37A, 0x7A);
    box->write(status_port, 0x7A);  // the status register is read-only
    box->write(0x3BC, 0x3A);
    box->read(0x37A);
    EXPECT_EQ(latch(), 0xBA);
    EXPECT_EQ(box->read(status_port), 0xC0) << "the conversion must still be at bit 9";
    box->write(data_port, 0x3A);
    box->write(data_port, 0xBA);
    EXPECT_EQ(box->read(status_port), 0x80) << "and go on to bit 8";
}

TEST_F(SimulatedInterfaceTest, TraceLinesNameDirectionPortAndValueInUppercaseHex) {
    TraceFile trace;
    start(with_stuck_status(box_state(0xAB, 0, 0), 0xE7), 0x3BC, trace.fd());
    reset_for_printing();
    port_read(0x3BD);
    port_write(0x3BE, 0x0C);
    ASSERT_TRUE(box->flush_trace());
    EXPECT_EQ(trace.contents(),
              "R 03BC AB\n"
              "W 03BC BB\n"
              "W 03BC AB\n"
              "R 03BD E7\n"
              "W 03BE 0C\n");
}

TEST_F(SimulatedInterfaceTest, TheTraceHoldsEveryAccessInOrderAcrossManyReads) {
    TraceFile trace;
    SimulatedInterface traced(box_state(0x5A, 700, 300), trace.fd());
    TeePort tee(traced);
    attach_port(tee);
    set_bit_count(10);
    select_port(data_port);
    ASSERT_TRUE(interface_init());
    // More accesses than the box buffers before it writes them out.
    for (int read = 0; read < 5; ++read) {
        const ChannelWords words = read_channels();
        EXPECT_EQ(words.channel0, 700);
        EXPECT_EQ(words.channel1, 300);
    }
    reset_for_printing();
    ASSERT_TRUE(traced.flush_trace());
    ASSERT_EQ(tee.seen.size(), 2u + 5u * 43u + 1u);
    EXPECT_EQ(trace.contents(), trace_lines(tee.seen));

    // A second flush adds nothing.
    ASSERT_TRUE(traced.flush_trace());
    EXPECT_EQ(trace.contents(), trace_lines(tee.seen));
}

TEST_F(SimulatedInterfaceTest, FlushReportsATraceThatCannotBeWritten) {
    const int read_only = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(read_only, 0);
    start(box_state(0x00, 1, 2), data_port, read_only);
    read_channels();
    EXPECT_FALSE(box->flush_trace());
    EXPECT_FALSE(box->flush_trace()) << "a lost trace stays reported";
    ::close(read_only);

    start(box_state(0x00, 1, 2), data_port, -1);
    read_channels();
    EXPECT_TRUE(box->flush_trace()) << "no trace asked for is no failure";
}

}  // namespace
}  // namespace voka
