// Tests of the setup program run from folders of drive C, with a recording stand-in as the Application Manager.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <chrono>
#include <ostream>
#include <thread>

#include "platform/Text.h"
#include "tests/setup/SetupMachine.h"

extern char** environ;

namespace {

// Runs a copy of setup to its end and returns its exit status, -1 when it did not end in time (it is killed).
int RunSetup(const std::string& program)
{
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Placement {
    const char* what;
    const char* program;        // where setup is copied, relative to drive C's folder
    const char* setupIni;       // the one argument the Application Manager must receive
};

// Setup under the leak checker: Qt's font set-up keeps fontconfig's caches to the end (see lsan.supp).
class SetupRun : public SetupMachine {
protected:
    void SetUp() override
    {
        SetupMachine::SetUp();
        const char* options = std::getenv("LSAN_OPTIONS");
        m_lsanOptions = options ? options : "";
        setenv("LSAN_OPTIONS", (m_lsanOptions + ":suppressions=" SETUP_LSAN_SUPPRESSIONS).c_str(), 1);
    }
    void TearDown() override
    {
        setenv("LSAN_OPTIONS", m_lsanOptions.c_str(), 1);
        SetupMachine::TearDown();
    }
    std::string m_lsanOptions;
};

void PrintTo(const Placement& placement, std::ostream* out) { *out << placement.what; }

class SetupFromFolder : public SetupRun, public ::testing::WithParamInterface<Placement> {};

TEST_P(SetupFromFolder, HandsTheQuotedSetupIniBesideItToTheApplicationManager)
{
    InstallRecorder();
    Register(kAppMgrPath);
    const std::string setup = CopyToDriveC(SETUP_PROGRAM, GetParam().program);
    EXPECT_EQ(RunSetup(setup), 0);
    const auto record = WaitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->args, std::vector<std::string>{GetParam().setupIni});
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SetupFromFolder,
    ::testing::Values(
        Placement{"spaces", "Pkg Dir With Spaces/setup", "C:\\Pkg Dir With Spaces\\setup.ini"},
        Placement{"root", "setup", "C:\\setup.ini"},
        Placement{"nested", "Tools/Pkg 2/setup", "C:\\Tools\\Pkg 2\\setup.ini"},
        // 昞 is 0x95 0x5C in code page 936: a trail byte that looks like a backslash.
        Placement{"double-byte folder", "软件昞/setup", "C:\\软件昞\\setup.ini"},
        Placement{"double-byte program name", "Pkg/安装昞", "C:\\Pkg\\setup.ini"}),
    [](const ::testing::TestParamInfo<Placement>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

class SetupTest : public SetupRun {};

TEST_F(SetupTest, ReachesAnApplicationManagerRegisteredByHostPath)
{
    const std::string appMgr = CopyToDriveC(SETUP_RECORDER, "elsewhere/appmgr");
    Register(Utf8ToUtf16(appMgr));
    EXPECT_EQ(RunSetup(CopyToDriveC(SETUP_PROGRAM, "Pkg/setup")), 0);
    const auto record = WaitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->args, std::vector<std::string>{"C:\\Pkg\\setup.ini"});
}

TEST_F(SetupTest, EndsNormallyWhenTheRegisteredProgramIsGone)
{
    Register(kAppMgrPath);
    EXPECT_EQ(RunSetup(CopyToDriveC(SETUP_PROGRAM, "Pkg/setup")), 0);
    EXPECT_FALSE(Recorded());
}

TEST_F(SetupTest, EndsNormallyWhenTheRegisteredPathIsEmpty)
{
    InstallRecorder();
    Register(u"");
    EXPECT_EQ(RunSetup(CopyToDriveC(SETUP_PROGRAM, "Pkg/setup")), 0);
    EXPECT_FALSE(Recorded());
}

}  // namespace
