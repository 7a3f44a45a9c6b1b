// The simulator's state file under load: many runs at once against one file, and runs killed
// at arbitrary points. Runs share a file through its lock and its atomic replace; these tests
// look for the two ways that can fail, a lost update and a torn file.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>

#include "process_runner.h"

namespace voka::testing {
namespace {

// Under the sanitizers a process start costs ten times as much; fewer runs keep the tests within
// bounds there, and the Release build runs them all.
#if defined(__SANITIZE_ADDRESS__)
constexpr int slow_start = 10;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int slow_start = 10;
#else
constexpr int slow_start = 1;
#endif
#else
constexpr int slow_start = 1;
#endif

const std::string inputs = "input0=700\ninput1=300\n";

std::string state_text(std::uint8_t data) {
    char text[16];
    std::snprintf(text, sizeof text, "data=0x%02X\n", data);
    return text + inputs;
}

// The relay nibble that `sb relay value` drives: only value 1 switches on, the others go off.
std::uint8_t relay_bits(int relay, int value) { return value == 1 ? static_cast<std::uint8_t>(1u << relay) : 0; }

// Every state an `sb` run can leave, and the one the file starts with.
const std::set<std::string>& whole_states() {
    static const std::set<std::string> states = [] {
        std::set<std::string> all{state_text(0x00)};
        for (const std::uint8_t bits : {0x0, 0x1, 0x2, 0x4, 0x8}) all.insert(state_text(static_cast<std::uint8_t>(0xB0 | bits)));
        return all;
    }();
    return states;
}

struct TraceLine {
    char direction;
    std::uint8_t value;
};

bool hex_digit(char c, int& value) {
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else {
        return false;
    }
    return true;
}

// "R 0378 5A" or "W 0378 BA": only the data register of LPT1:, uppercase hexadecimal.
bool read_trace_line(const std::string& line, TraceLine& out) {
    int high = 0;
    int low = 0;
    if (line.size() != 9 || (line[0] != 'R' && line[0] != 'W') || line.compare(1, 6, " 0378 ") != 0 ||
        !hex_digit(line[7], high) || !hex_digit(line[8], low)) {
        return false;
    }
    out = {line[0], static_cast<std::uint8_t>(high * 16 + low)};
    return true;
}

TEST(SimulatorStress, ConcurrentRunsLoseNoUpdateAndNeverTearTheStateFile) {
    constexpr int processes = 8;
    constexpr int runs_each = 500 / slow_start;
    TemporaryDirectory directory;
    const std::string state = directory.file("box");
    const std::string trace = directory.file("trace");
    write_file(state, state_text(0x00));
    const std::vector<std::string> environment = {"VOKA_SIM_STATE=" + state, "VOKA_SIM_TRACE=" + trace, "LC_ALL=C"};
    const std::string program = program_path("kodrun_voka1_sim");

    // While the runs go on, the file is read over and over: every read must be a whole state.
    std::atomic<bool> runs_done{false};
    std::atomic<int> reads{0};
    std::mutex found_mutex;
    std::vector<std::string> torn;
    std::thread reader([&] {
        while (!runs_done) {
            const std::string text = read_file(state);
            ++reads;
            if (whole_states().count(text) == 0) {
                const std::lock_guard<std::mutex> hold(found_mutex);
                torn.push_back(text);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));  // leave the runs most of the machine
        }
    });

    std::array<int, 16> commanded{};  // runs per relay nibble driven
    std::vector<std::string> bad_runs;
    std::vector<std::thread> workers;
    for (int worker = 0; worker < processes; ++worker) {
        workers.emplace_back([&, worker] {
            std::array<int, 16> mine{};
            for (int i = 0; i < runs_each; ++i) {
                const int relay = (worker + i) % 4;
                const int value = (worker * 7 + i) % 3;  // 0, 1 or 2: only 1 switches on
                const ProcessResult result =
                    run_process({program, "sb", std::to_string(relay), std::to_string(value)}, environment);
                ++mine[relay_bits(relay, value)];
                if (result.exit_status != 0 || result.standard_output != std::to_string(value) + "\r\n" ||
                    !result.standard_error.empty()) {
                    const std::lock_guard<std::mutex> hold(found_mutex);
                    bad_runs.push_back("sb " + std::to_string(relay) + " " + std::to_string(value) + ": status " +
                                       std::to_string(result.exit_status) + ", output \"" + result.standard_output +
                                       "\", error \"" + result.standard_error + "\"");
                }
            }
            const std::lock_guard<std::mutex> hold(found_mutex);
            for (std::size_t bits = 0; bits < commanded.size(); ++bits) commanded[bits] += mine[bits];
        });
    }
    for (std::thread& worker : workers) worker.join();
    runs_done = true;
    reader.join();

    EXPECT_TRUE(bad_runs.empty()) << bad_runs.size() << " runs went wrong, the first: " << bad_runs.front();
    EXPECT_TRUE(torn.empty()) << torn.size() << " of " << reads << " reads found no whole state, the first: \""
                              << torn.front() << "\"";
    EXPECT_GT(reads, 0);

    // The trace: runs append under the lock, so it is the runs one after the other, 4 lines
    // each (start-up read and write, the relay read and write), and each run starts from the
    // byte the run before it left. A run that worked from a stale state breaks the chain.
    const std::string text = read_file(trace);
    std::vector<TraceLine> lines;
    std::size_t start = 0;
    int malformed = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            ++malformed;  // a line without its end
            break;
        }
        TraceLine line{};
        if (read_trace_line(text.substr(start, end - start), line)) {
            lines.push_back(line);
        } else {
            ++malformed;
        }
        start = end + 1;
    }
    EXPECT_EQ(malformed, 0);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(4 * processes * runs_each));

    std::array<int, 16> driven{};
    std::uint8_t latch = 0x00;
    int broken_chain = 0;
    int bad_runs_in_trace = 0;
    for (std::size_t run = 0; run < lines.size() / 4; ++run) {
        const TraceLine* const l = &lines[4 * run];
        if (l[0].direction != 'R' || l[0].value != latch) ++broken_chain;
        const auto idle = static_cast<std::uint8_t>((l[0].value & 0x0F) | 0xB0);
        const auto relays = static_cast<std::uint8_t>(l[3].value & 0x0F);
        if (l[1].direction != 'W' || l[1].value != idle || l[2].direction != 'R' || l[2].value != idle ||
            l[3].direction != 'W' || (l[3].value & 0xF0) != 0xB0 || (relays & (relays - 1)) != 0) {
            ++bad_runs_in_trace;
        }
        ++driven[relays];
        latch = l[3].value;
    }
    EXPECT_EQ(broken_chain, 0) << "runs that did not start from the state the run before them left";
    EXPECT_EQ(bad_runs_in_trace, 0);
    EXPECT_EQ(driven, commanded) << "every commanded relay pattern appears in the trace as often as it was commanded";
    EXPECT_EQ(read_file(state), state_text(latch)) << "the file holds what the last run in the trace left";
}

TEST(SimulatorStress, AKilledRunLeavesTheStateWhole) {
    constexpr int runs = 300 / (slow_start > 1 ? 5 : 1);
    TemporaryDirectory directory;
    const std::string state = directory.file("box");
    write_file(state, state_text(0x00));
    const std::vector<std::string> environment = {"VOKA_SIM_STATE=" + state, "LC_ALL=C"};
    const std::string program = program_path("kodrun_voka1_sim");

    // Kills land anywhere from before the start to after the end of a run.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point before = Clock::now();
    ASSERT_EQ(run_process({program, "sb", "0", "0"}, environment).exit_status, 0);
    const auto one_run = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - before);
    const long longest_delay = 2 * one_run.count() + 200;

    std::mt19937 draw(0x6b696c6cu);  // a fixed generator state
    int unchanged = 0;
    int replaced = 0;
    for (int k = 0; k < runs; ++k) {
        const std::string previous = read_file(state);
        const int relay = k % 4;
        const int value = static_cast<int>(draw() % 2);
        const std::string next = state_text(static_cast<std::uint8_t>(0xB0 | relay_bits(relay, value)));

        const int process = start_process({program, "sb", std::to_string(relay), std::to_string(value)}, environment);
        std::this_thread::sleep_for(std::chrono::microseconds(draw() % static_cast<unsigned long>(longest_delay)));
        ::kill(process, SIGKILL);
        wait_process(process);

        const std::string after = read_file(state);
        ASSERT_TRUE(after == previous || after == next)
            << "run " << k << " (sb " << relay << " " << value << ") left \"" << after << "\"; before it: \"" << previous
            << "\"";
        if (after == previous && previous != next) ++unchanged;
        if (after == next && previous != next) ++replaced;
    }
    // Kills before the replace and after it both happened, so the delays spanned the run.
    EXPECT_GT(unchanged, 0);
    EXPECT_GT(replaced, 0);

    // No killed run left the file locked or unusable.
    const ProcessResult last = run_process({program, "ea", "1"}, environment);
    EXPECT_EQ(last.exit_status, 0);
    EXPECT_EQ(last.standard_output, "300\r\n");
}

}  // namespace
}  // namespace voka::testing
