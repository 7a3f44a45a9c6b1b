#include "platform/simulator/state_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace voka {
namespace {

using ::testing::StartsWith;

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

SimulatorState sample_state() {
    SimulatorState state;
    state.data = 0x7A;
    state.input0 = 700;
    state.input1 = 300;
    return state;
}

class StateFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "voka-state-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        directory = pattern;
        path = directory + "/state";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    std::string directory;
    std::string path;
};

TEST_F(StateFileTest, AMissingFileIsTheDefaultState) {
    StateFile file;
    SimulatorState state = sample_state();
    SimulatorError error;
    ASSERT_TRUE(file.load(path, state, error)) << error.view();
    EXPECT_EQ(state.data, 0x00);
    EXPECT_EQ(state.input0, 0);
    EXPECT_EQ(state.input1, 0);
    EXPECT_FALSE(state.status_stuck);
    EXPECT_FALSE(std::filesystem::exists(path)) << "loading creates no state file";
}

TEST_F(StateFileTest, WhatIsSavedIsLoadedBack) {
    SimulatorState saved = sample_state();
    saved.status_stuck = true;
    saved.stuck_status = 0x40;
    {
        StateFile file;
        SimulatorState ignored;
        SimulatorError error;
        ASSERT_TRUE(file.load(path, ignored, error)) << error.view();
        ASSERT_TRUE(file.save(saved, error)) << error.view();
    }
    EXPECT_EQ(read_bytes(path), "data=0x7A\ninput0=700\ninput1=300\nstatus=0x40\n");

    StateFile file;
    SimulatorState loaded;
    SimulatorError error;
    ASSERT_TRUE(file.load(path, loaded, error)) << error.view();
    EXPECT_EQ(loaded.data, 0x7A);
    EXPECT_EQ(loaded.input0, 700);
    EXPECT_EQ(loaded.input1, 300);
    EXPECT_TRUE(loaded.status_stuck);
    EXPECT_EQ(loaded.stuck_status, 0x40);
}

TEST_F(StateFileTest, SaveReplacesTheFileByRenameAndLeavesNoTemporary) {
    write_bytes(path, "data=0x00\ninput0=5\n\ninput1=6\n");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    StateFile file;
    SimulatorState state;
    SimulatorError error;
    ASSERT_TRUE(file.load(path, state, error)) << error.view();
    state.data = 0xB5;
    ASSERT_TRUE(file.save(state, error)) << error.view();

    EXPECT_EQ(read_bytes(path), "data=0xB5\ninput0=5\ninput1=6\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    // A new inode: a reader never sees a half-written file in place of the old one.
    EXPECT_NE(after.st_ino, before.st_ino);
}

TEST_F(StateFileTest, AFailedSaveLeavesTheStateFileAsItWas) {
    const std::string original = "data=0x12\ninput0=1\ninput1=2\n";
    write_bytes(path, original);
    // Something in the way of the temporary file.
    std::filesystem::create_directory(path + ".tmp");

    StateFile file;
    SimulatorState state;
    SimulatorError error;
    ASSERT_TRUE(file.load(path, state, error)) << error.view();
    state.data = 0xFF;
    EXPECT_FALSE(file.save(state, error));
    EXPECT_THAT(std::string(error.view()), StartsWith(path));
    EXPECT_EQ(read_bytes(path), original);
}

TEST_F(StateFileTest, AParseErrorNamesFileAndLineAndLeavesTheFileIdentical) {
    const std::string original = "data=0x5A\r\n\ninput0=5000\ninput1=\n";
    write_bytes(path, original);
    {
        StateFile file;
        SimulatorState state = sample_state();
        SimulatorError error;
        EXPECT_FALSE(file.load(path, state, error));
        EXPECT_THAT(std::string(error.view()), StartsWith(path + ":3: "));
        EXPECT_EQ(std::string(error.view()).find('\n'), std::string::npos) << "one line, its end added by the caller";
        EXPECT_EQ(state.data, 0x7A) << "the caller's state is not half-filled";
    }
    EXPECT_EQ(read_bytes(path), original);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(StateFileTest, ADirectoryInPlaceOfTheFileIsAnError) {
    std::filesystem::create_directory(path);
    StateFile file;
    SimulatorState state;
    SimulatorError error;
    EXPECT_FALSE(file.load(path, state, error));
    EXPECT_THAT(std::string(error.view()), StartsWith(path + ": "));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(StateFileTest, ALongFileIsNeverReadOnlyInPart) {
    // A bad line past the first few kilobytes: cutting the file short would hide it.
    const std::string original = std::string(5000, '\n') + "input0=7\ninput1=5000\n";
    write_bytes(path, original);
    StateFile file;
    SimulatorState state;
    SimulatorError error;
    EXPECT_FALSE(file.load(path, state, error));
    EXPECT_THAT(std::string(error.view()), StartsWith(path));
    EXPECT_EQ(read_bytes(path), original);
}

TEST_F(StateFileTest, TheLockOnTheCompanionFileIsHeldFromLoadUntilTheObjectGoes) {
    auto lock_is_free = [&] {
        const int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        EXPECT_GE(fd, 0);
        const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        ::close(fd);
        return free;
    };
    {
        StateFile file;
        SimulatorState state;
        SimulatorError error;
        ASSERT_TRUE(file.load(path, state, error)) << error.view();
        EXPECT_FALSE(lock_is_free()) << "after load";
        ASSERT_TRUE(file.save(sample_state(), error)) << error.view();
        EXPECT_FALSE(lock_is_free()) << "the rename must not drop the lock";
    }
    EXPECT_TRUE(lock_is_free()) << "after the object is gone";
}

TEST_F(StateFileTest, ASecondLoaderWaitsForTheFirstAndSeesWhatItSaved) {
    std::optional<StateFile> first;
    first.emplace();
    SimulatorState state;
    SimulatorError error;
    ASSERT_TRUE(first->load(path, state, error)) << error.view();

    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child's copy of the first object's lock descriptor would keep the lock alive
        // after the parent lets go: keep only the report pipe.
        const int out = 3;
        if (::dup2(report[1], out) != out) ::_exit(10);
        if (::close_range(out + 1, UINT_MAX, 0) != 0) {
            for (int fd = out + 1; fd < 1024; ++fd) ::close(fd);
        }
        StateFile second;
        SimulatorState seen;
        SimulatorError second_error;
        if (!second.load(path, seen, second_error)) ::_exit(11);
        const char byte = static_cast<char>(seen.input0 == 700 ? 'y' : 'n');
        ::_exit(::write(out, &byte, 1) == 1 ? 0 : 12);
    }
    ::close(report[1]);

    auto wait_for_report = [&](int milliseconds) {
        pollfd waiting{report[0], POLLIN, 0};
        return ::poll(&waiting, 1, milliseconds) == 1;
    };
    EXPECT_FALSE(wait_for_report(300)) << "the second load ran while the first held the file";

    ASSERT_TRUE(first->save(sample_state(), error)) << error.view();
    first.reset();

    char byte = 0;
    const bool reported = wait_for_report(5000) && ::read(report[0], &byte, 1) == 1;
    if (!reported) ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(report[0]);
    ASSERT_TRUE(reported) << "the second load never got the lock";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(byte, 'y') << "the second load must see what the first saved";
}

}  // namespace
}  // namespace voka
