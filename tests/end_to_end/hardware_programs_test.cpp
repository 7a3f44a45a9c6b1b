// The programs for the real port, run without any privilege for port I/O: the kernel refuses
// the registers, and every run must end in the same privilege report whatever its words. The
// wrapper also keeps a run on a machine with a real printer port from touching it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "process_runner.h"

namespace voka::testing {
namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;
using ::testing::PrintToString;

using Words = std::vector<std::string>;

constexpr int cap_sys_rawio = 17;

// One capability set from /proc/<self>/status ("CapBnd:", "CapEff:"...).
std::uint64_t capability_set(const std::string& status, const std::string& name) {
    std::istringstream lines(status);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + ":", 0) == 0) return std::stoull(line.substr(name.size() + 1), nullptr, 16);
    }
    ADD_FAILURE() << "no " << name << " in " << status;
    return ~std::uint64_t{0};
}

bool holds_raw_io(std::uint64_t set) { return ((set >> cap_sys_rawio) & 1) != 0; }

std::string find_setpriv() {
    for (const char* candidate : {"/usr/bin/setpriv", "/bin/setpriv", "/usr/sbin/setpriv", "/sbin/setpriv"}) {
        if (::access(candidate, X_OK) == 0) return candidate;
    }
    return {};
}

// setpriv with no inheritable or ambient capabilities and, where the process could get it back
// by being root, CAP_SYS_RAWIO out of the bounding set: ioperm then fails even for root.
Words without_port_privilege() {
    const std::string setpriv = find_setpriv();
    if (setpriv.empty()) return {};
    Words wrapper{setpriv, "--inh-caps=-all", "--ambient-caps=-all"};
    std::ifstream status_file("/proc/self/status");
    const std::string status{std::istreambuf_iterator<char>(status_file), std::istreambuf_iterator<char>()};
    if (::geteuid() == 0 && holds_raw_io(capability_set(status, "CapBnd"))) {
        wrapper.push_back("--bounding-set=-sys_rawio");
    }
    wrapper.push_back("--");
    return wrapper;
}

ProcessResult run_unprivileged(const Words& command, const std::vector<std::string>& environment = {"LC_ALL=C"}) {
    Words argv = without_port_privilege();
    if (argv.empty()) {
        // Never run a hardware program that might reach a real port.
        ProcessResult not_run;
        not_run.standard_error = "setpriv not found: not run";
        return not_run;
    }
    argv.insert(argv.end(), command.begin(), command.end());
    return run_process(argv, environment);
}

// The report with the program's file name and 8 uppercase hex digits; the address is answered.
AssertionResult is_privilege_report(const std::string& out, const std::string& module, std::string* address) {
    const std::string head = "Exception EPrivilege dans le module " + module + " \xE0 ";
    const std::string tail = ".\nInstruction privil\xE9gi\xE9" "e.\r\n";
    if (out.size() != head.size() + 8 + tail.size() || out.compare(0, head.size(), head) != 0 ||
        out.compare(head.size() + 8, std::string::npos, tail) != 0) {
        return AssertionFailure() << "got  " << PrintToString(out) << "\nwant " << PrintToString(head + "XXXXXXXX" + tail);
    }
    *address = out.substr(head.size(), 8);
    if (address->find_first_not_of("0123456789ABCDEF") != std::string::npos) {
        return AssertionFailure() << "the address " << PrintToString(*address) << " is not 8 uppercase hex digits";
    }
    return AssertionSuccess();
}

TEST(WithoutPortPrivilegeTest, TheWrapperLeavesNoWayToRawIo) {
    ASSERT_FALSE(find_setpriv().empty()) << "setpriv (util-linux) is needed to run the hardware programs safely";
    const ProcessResult result = run_unprivileged({"/bin/cat", "/proc/self/status"});
    ASSERT_EQ(result.exit_status, 0) << result.standard_error;
    for (const char* set : {"CapEff", "CapPrm", "CapInh", "CapAmb"}) {
        EXPECT_FALSE(holds_raw_io(capability_set(result.standard_output, set))) << set;
    }
    if (::geteuid() == 0) {
        EXPECT_FALSE(holds_raw_io(capability_set(result.standard_output, "CapBnd"))) << "root keeps CapBnd";
    }
}

struct HardwareCase {
    std::string program;
    Words words;
};

void PrintTo(const HardwareCase& c, std::ostream* out) { *out << c.program << ' ' << PrintToString(c.words); }

class HardwareProgramTest : public ::testing::TestWithParam<HardwareCase> {};

// On Linux, one line on standard error says why the port was refused and what to do (which
// cause it names depends on the kernel the test runs on); the Windows programs say nothing more.
AssertionResult is_refusal_advice(const std::string& error, const std::string& program) {
    if (windows_programs()) {
        if (error.empty()) return AssertionSuccess();
        return AssertionFailure() << "unexpected standard error " << PrintToString(error);
    }
    const std::string base = program == "kodrun_voka1" ? "378" : program == "kodrun_voka2" ? "278" : "3BC";
    const std::string head = program + ": no access to the parallel port at 0x" + base + ": ";
    if (error.compare(0, head.size(), head) != 0 || error.size() <= head.size() + 1 ||
        error.find('\n') != error.size() - 1) {
        return AssertionFailure() << "got " << PrintToString(error) << ", want one line starting " << PrintToString(head);
    }
    return AssertionSuccess();
}

// The refusal comes at the first port access, before any word is looked at: bad numbers,
// unknown keywords and an empty command line all end the same way.
TEST_P(HardwareProgramTest, EveryRunEndsInThePrivilegeReport) {
    ASSERT_FALSE(find_setpriv().empty()) << "setpriv (util-linux) is needed to run the hardware programs safely";
    Words command{program_path(GetParam().program)};
    command.insert(command.end(), GetParam().words.begin(), GetParam().words.end());

    const ProcessResult first = run_unprivileged(command);
    std::string address;
    EXPECT_TRUE(is_privilege_report(first.standard_output, program_file_name(GetParam().program), &address));
    EXPECT_TRUE(is_refusal_advice(first.standard_error, GetParam().program));
    EXPECT_EQ(first.exit_status, 1);

    const ProcessResult second = run_unprivileged(command);
    std::string second_address;
    EXPECT_TRUE(is_privilege_report(second.standard_output, program_file_name(GetParam().program), &second_address));
    EXPECT_EQ(second_address, address) << "the same place on every run";
}

INSTANTIATE_TEST_SUITE_P(
    Programs, HardwareProgramTest,
    ::testing::Values(HardwareCase{"kodrun_voka1", {"ea", "0"}}, HardwareCase{"kodrun_voka2", {"ea", "0"}},
                      HardwareCase{"kodrun_voka3", {"ea", "0"}}, HardwareCase{"kodrun_voka1", {}},
                      HardwareCase{"kodrun_voka2", {"ea", "abc"}}, HardwareCase{"kodrun_voka3", {"ea", "1e400"}},
                      HardwareCase{"kodrun_voka1", {"ea", "1e19"}}, HardwareCase{"kodrun_voka2", {"xyz", "1e19"}},
                      HardwareCase{"kodrun_voka3", {"titre"}}, HardwareCase{"kodrun_voka1", {"nea", "3"}}));

TEST(HardwareProgramEnvironmentTest, TheSimulatorsVariablesAreNotLookedAt) {
    TemporaryDirectory directory;
    const std::string state = directory.file("state");
    const std::string trace = directory.file("trace");
    const ProcessResult result = run_unprivileged(
        {program_path("kodrun_voka1"), "ea", "0"},
        {"LC_ALL=C", "HOME=" + directory.path(), "VOKA_SIM_STATE=" + state, "VOKA_SIM_TRACE=" + trace});
    std::string address;
    EXPECT_TRUE(is_privilege_report(result.standard_output, program_file_name("kodrun_voka1"), &address));
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_FALSE(file_exists(state));
    EXPECT_FALSE(file_exists(state + ".lock"));
    EXPECT_FALSE(file_exists(trace));
    EXPECT_FALSE(file_exists(directory.file(".kodrun_voka_sim_lpt1")));
}

}  // namespace
}  // namespace voka::testing
