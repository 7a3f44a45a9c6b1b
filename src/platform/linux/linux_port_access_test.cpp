#include "platform/linux/linux_port_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <sys/ioctl.h>
#include <linux/ppdev.h>

namespace voka {
namespace {

// A kernel that answers as programmed and records what was asked of it.
class FakePortSystem final : public PortSystem {
public:
    int grant_error = EPERM;
    bool started_elevated = false;
    bool root = false;
    int drop_error = 0;
    std::map<std::string, int> open_results;  // path: descriptor, or minus the errno
    std::map<unsigned long, int> control_errors;
    std::uint8_t device_data = 0x5A;
    std::uint8_t device_status = 0xD9;

    std::vector<std::string> calls;

    int grant_ports(std::uint16_t base, std::uint16_t count) override {
        calls.push_back("ioperm " + std::to_string(base) + " " + std::to_string(count));
        return grant_error;
    }
    std::uint8_t in(std::uint16_t port) override {
        calls.push_back("in " + std::to_string(port));
        return 0x42;
    }
    void out(std::uint16_t port, std::uint8_t value) override {
        calls.push_back("out " + std::to_string(port) + " " + std::to_string(value));
    }
    int open_device(const char* path) override {
        calls.push_back(std::string("open ") + path);
        const auto found = open_results.find(path);
        return found == open_results.end() ? -ENOENT : found->second;
    }
    int device_control(int fd, unsigned long request, void* argument) override {
        const auto error = control_errors.find(request);
        if (error != control_errors.end()) {
            calls.push_back("ioctl failed " + name(request));
            return error->second;
        }
        calls.push_back("ioctl " + std::to_string(fd) + " " + name(request));
        auto* byte = static_cast<unsigned char*>(argument);
        if (request == PPRDATA) *byte = device_data;
        if (request == PPRSTATUS) *byte = device_status;
        if (request == PPWDATA) calls.back() += " " + std::to_string(*byte);
        return 0;
    }
    void close_device(int fd) override { calls.push_back("close " + std::to_string(fd)); }
    bool elevated() override { return started_elevated; }
    bool effective_root() override { return root; }
    int drop_privileges() override {
        calls.push_back("drop");
        return drop_error;
    }

    static std::string name(unsigned long request) {
        if (request == PPEXCL) return "PPEXCL";
        if (request == PPCLAIM) return "PPCLAIM";
        if (request == PPRDATA) return "PPRDATA";
        if (request == PPWDATA) return "PPWDATA";
        if (request == PPRSTATUS) return "PPRSTATUS";
        return "other";
    }
};

// A /proc and /dev of our own: parport devices at the given base addresses.
class PortAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/voka-port-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        proc = root + "/proc";
        dev = root + "/dev";
        std::filesystem::create_directories(proc);
        std::filesystem::create_directories(dev);
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    void add_parport(int number, const std::string& base_addr_text) {
        const std::string directory = proc + "/sys/dev/parport/parport" + std::to_string(number);
        std::filesystem::create_directories(directory);
        std::ofstream(directory + "/base-addr") << base_addr_text;
    }

    std::string device(int number) const { return dev + "/parport" + std::to_string(number); }

    std::string refusal_line(LinuxPortAccess& access) {
        FixedText<512> line;
        describe_refusal(access, 0x378, "kodrun_voka1", line);
        return std::string(line.view());
    }

    std::string root, proc, dev;
    FakePortSystem kernel;
};

TEST_F(PortAccessTest, DirectAccessIsAskedForExactlyTheTwoRegistersAndUsesInAndOut) {
    kernel.grant_error = 0;
    add_parport(0, "888\t0\n");
    LinuxPortAccess access(kernel, proc, dev);
    ASSERT_TRUE(access.request_access(0x378, 2));
    EXPECT_EQ(access.read(0x379), 0x42);
    access.write(0x378, 0xBA);
    EXPECT_THAT(kernel.calls, ::testing::ElementsAre("ioperm 888 2", "in 889", "out 888 186"))
        << "the device is not touched when direct access works";
}

TEST_F(PortAccessTest, WithoutIoPermissionTheDeviceAtTheSameAddressIsClaimedExclusively) {
    add_parport(0, "632\t0\n");
    add_parport(1, "888\t1912\n");
    add_parport(12, "956\n");
    std::filesystem::create_directories(proc + "/sys/dev/parport/default");
    kernel.open_results[device(1)] = 7;
    LinuxPortAccess access(kernel, proc, dev);
    ASSERT_TRUE(access.request_access(0x378, 2));
    EXPECT_EQ(access.read(0x378), 0x5A);
    EXPECT_EQ(access.read(0x379), 0xD9) << "the raw status register";
    access.write(0x378, 0xBA);
    EXPECT_THAT(kernel.calls,
                ::testing::ElementsAre("ioperm 888 2", "open " + device(1), "ioctl 7 PPEXCL", "ioctl 7 PPCLAIM",
                                       "ioctl 7 PPRDATA", "ioctl 7 PPRSTATUS", "ioctl 7 PPWDATA 186"));
}

struct RefusalCase {
    const char* name;
    int grant_error;
    bool root;
    bool device_present;
    int open_result;
    unsigned long failing_control;
    int control_error;
    AccessRefusal refusal;
    const char* advice;
};

class RefusalTest : public PortAccessTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, SaysWhyAndWhatToDo) {
    const RefusalCase& c = GetParam();
    kernel.grant_error = c.grant_error;
    kernel.root = c.root;
    if (c.device_present) {
        add_parport(0, "888\t0\n");
        kernel.open_results[device(0)] = c.open_result;
    }
    if (c.failing_control != 0) kernel.control_errors[c.failing_control] = c.control_error;
    LinuxPortAccess access(kernel, proc, dev);
    EXPECT_FALSE(access.request_access(0x378, 2));
    EXPECT_EQ(access.refusal(), c.refusal);
    const std::string line = refusal_line(access);
    EXPECT_THAT(line, ::testing::StartsWith("kodrun_voka1: no access to the parallel port at 0x378: "));
    EXPECT_THAT(line, ::testing::HasSubstr(c.advice));
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line";
    if (c.open_result >= 0 && c.device_present) {
        EXPECT_EQ(kernel.calls.back(), "close " + std::to_string(c.open_result)) << "a device not claimed is closed";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RefusalTest,
    ::testing::Values(
        RefusalCase{"plain user", EPERM, false, false, 0, 0, 0, AccessRefusal::not_permitted,
                    "run as root, give the program cap_sys_rawio, or use the parallel-port device with group lp"},
        RefusalCase{"not in lp", EPERM, false, true, -EACCES, 0, 0, AccessRefusal::device_not_permitted,
                    "parport0 may not be opened by this user: add the user to group lp"},
        RefusalCase{"busy open", EPERM, false, true, -EBUSY, 0, 0, AccessRefusal::device_busy, "is busy"},
        RefusalCase{"busy exclusive", EPERM, false, true, 5, PPEXCL, EBUSY, AccessRefusal::device_busy,
                    "another program holds the parallel port"},
        RefusalCase{"busy claim", EPERM, false, true, 5, PPCLAIM, EBUSY, AccessRefusal::device_busy, "is busy"},
        RefusalCase{"lockdown", EPERM, true, false, 0, 0, 0, AccessRefusal::refused_to_root, "kernel lockdown"},
        RefusalCase{"no ioperm", ENOSYS, false, false, 0, 0, 0, AccessRefusal::no_permission_support,
                    "without I/O-port permission support"},
        RefusalCase{"no ioperm, device fails", ENOSYS, true, true, 5, PPCLAIM, ENXIO,
                    AccessRefusal::no_permission_support, "parallel-port device"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        }
        return name;
    });

TEST_F(PortAccessTest, AnElevatedProgramGivesUpItsPrivilegesRightAfterTheGrant) {
    kernel.grant_error = 0;
    kernel.started_elevated = true;
    LinuxPortAccess access(kernel, proc, dev);
    ASSERT_TRUE(access.request_access(0x378, 2));
    EXPECT_THAT(kernel.calls, ::testing::ElementsAre("ioperm 888 2", "drop"));
    access.read(0x378);
    EXPECT_EQ(kernel.calls.back(), "in 888") << "the grant outlives the drop";
}

TEST_F(PortAccessTest, AnElevatedProgramAlsoGivesThemUpWhenRefused) {
    kernel.started_elevated = true;
    LinuxPortAccess access(kernel, proc, dev);
    EXPECT_FALSE(access.request_access(0x378, 2));
    EXPECT_EQ(kernel.calls.back(), "drop");
}

TEST_F(PortAccessTest, AProgramThatCannotGiveUpItsPrivilegesDoesNotRun) {
    kernel.grant_error = 0;
    kernel.started_elevated = true;
    kernel.drop_error = EPERM;
    LinuxPortAccess access(kernel, proc, dev);
    EXPECT_FALSE(access.request_access(0x378, 2));
    EXPECT_EQ(access.refusal(), AccessRefusal::privileges_kept);
    EXPECT_THAT(refusal_line(access), ::testing::HasSubstr("could not give up its privileges"));
}

TEST_F(PortAccessTest, AProgramStartedWithTheCallersOwnPrivilegesDropsNothing) {
    kernel.grant_error = 0;
    LinuxPortAccess access(kernel, proc, dev);
    ASSERT_TRUE(access.request_access(0x378, 2));
    EXPECT_THAT(kernel.calls, ::testing::Not(::testing::Contains("drop")));
}

}  // namespace
}  // namespace voka
