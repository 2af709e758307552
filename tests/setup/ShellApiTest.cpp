// Tests of ShellExecute (path mapping, detached start, errors) and the platform's command-line splitting.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "platform/ShellApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/detail/CommandLine.h"
#include "tests/setup/SetupMachine.h"

using pelrudo::detail::SplitCommandLine;

namespace {

int Code(HINSTANCE result) { return static_cast<int>(reinterpret_cast<std::intptr_t>(result)); }

struct SplitCase {
    const char16_t* text;
    std::vector<std::u16string> args;
};

TEST(SplitCommandLine, FollowsThePlatformsRules)
{
    const SplitCase cases[] = {
        {u"", {}},
        {u" \t ", {}},
        {u"a b  c", {u"a", u"b", u"c"}},
        {u"\t a\tb ", {u"a", u"b"}},
        {u"\"a b\" c", {u"a b", u"c"}},
        {u"\"C:\\Pkg Dir\\setup.ini\"", {u"C:\\Pkg Dir\\setup.ini"}},
        {u"ab\"c d\"ef", {u"abc def"}},
        {u"a\\\\b", {u"a\\\\b"}},                 // backslashes not before a quote stay
        {u"a\\\"b", {u"a\"b"}},                   // one backslash escapes the quote
        {u"a\\\\\"b c\"", {u"a\\b c"}},           // two give one, and the quote opens
        {u"a\\\\\\\"b", {u"a\\\"b"}},             // three give one and a literal quote
        {u"\"C:\\dir\\\\\" x", {u"C:\\dir\\", u"x"}},
        {u"\"\"", {u""}},
        {u"\"\" x", {u"", u"x"}},
        {u"\"a\"\"b\"", {u"a\"b"}},               // "" inside quotes is one quote
        {u"\"open to the end", {u"open to the end"}},
        {u"trailing\\", {u"trailing\\"}},
        {u"C:\\软件昞\\setup.ini", {u"C:\\软件昞\\setup.ini"}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.text));
        EXPECT_EQ(SplitCommandLine(c.text), c.args);
    }
}

class ShellExecuteTest : public SetupMachine {};

TEST_F(ShellExecuteTest, StartsTheProgramOfAWindowsPathDetachedWithOneQuotedArgument)
{
    InstallRecorder();
    const HINSTANCE result =
        ShellExecute(nullptr, u"open", kAppMgrPath, u"\"C:\\Pkg Dir\\setup.ini\"", nullptr, SW_SHOW);
    EXPECT_GT(Code(result), 32);
    // The helper process is reaped at once and the program is not our child: nothing is left to wait for.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    const auto record = WaitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->args, std::vector<std::string>{"C:\\Pkg Dir\\setup.ini"});
    EXPECT_NE(record->ppid, getpid());
    EXPECT_NE(record->sid, getsid(0));
    EXPECT_EQ(std::filesystem::path(record->cwd), std::filesystem::current_path());
}

TEST_F(ShellExecuteTest, MapsHostPathsAndCaseInsensitiveNames)
{
    InstallRecorder();
    const std::u16string paths[] = {
        u"c:\\PROGRAM FILES\\microsoft activesync\\ceappmgr.EXE",
        u"C:/Program Files/Microsoft ActiveSync/CEAppMgr.exe",
        Utf8ToUtf16(m_driveC + "/Program Files/Microsoft ActiveSync/CEAppMgr.exe"),
    };
    for (const std::u16string& path : paths) {
        SCOPED_TRACE(Utf16ToUtf8(path));
        std::filesystem::remove(m_record);
        EXPECT_GT(Code(ShellExecute(nullptr, nullptr, path.c_str(), u"x", nullptr, SW_SHOW)), 32);
        const auto record = WaitForRecord();
        ASSERT_TRUE(record);
        EXPECT_EQ(record->args, std::vector<std::string>{"x"});
    }
}

TEST_F(ShellExecuteTest, NarrowFormTakesCodePageTextAndAWorkingFolder)
{
    InstallRecorder();
    const std::string folder = m_driveC + "/软件昞";
    std::filesystem::create_directories(folder);
    // "C:\软件昞\setup.ini" in code page 936: the second byte of 昞 is 0x5C.
    const std::string parameter = Utf16ToAnsi(u"\"C:\\软件昞\\setup.ini\" second");
    ASSERT_NE(parameter.find("\x95\x5C"), std::string::npos);
    const std::string appMgr = Utf16ToAnsi(kAppMgrPath), directory = Utf16ToAnsi(u"C:\\软件昞");
    EXPECT_GT(Code(ShellExecute(nullptr, "open", appMgr.c_str(), parameter.c_str(), directory.c_str(), SW_SHOW)), 32);
    const auto record = WaitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->args, (std::vector<std::string>{"C:\\软件昞\\setup.ini", "second"}));
    EXPECT_EQ(std::filesystem::path(record->cwd), std::filesystem::canonical(folder));
}

struct FailCase {
    const char* what;
    const char16_t* verb;
    const char16_t* file;
    const char16_t* directory;
    int error;
};

TEST_F(ShellExecuteTest, FailuresAnswerThePlatformsCodesAndStartNothing)
{
    InstallRecorder();
    std::filesystem::create_directories(m_driveC + "/Tools");
    std::ofstream(m_driveC + "/Tools/readme.txt") << "text\n";
    std::ofstream(m_driveC + "/Tools/notaprogram.exe") << "\x01\x02 not a program\n";
    chmod((m_driveC + "/Tools/notaprogram.exe").c_str(), 0755);
    const FailCase cases[] = {
        {"missing file", u"open", u"C:\\Tools\\CEAppMgr.exe", nullptr, ERROR_FILE_NOT_FOUND},
        {"missing folder", u"open", u"C:\\Gone\\CEAppMgr.exe", nullptr, ERROR_PATH_NOT_FOUND},
        {"empty path", u"open", u"", nullptr, ERROR_FILE_NOT_FOUND},
        {"unmapped drive", u"open", u"Q:\\CEAppMgr.exe", nullptr, ERROR_PATH_NOT_FOUND},
        {"a folder", u"open", u"C:\\Tools", nullptr, SE_ERR_NOASSOC},
        {"not executable", u"open", u"C:\\Tools\\readme.txt", nullptr, SE_ERR_ACCESSDENIED},
        {"not a program", u"open", u"C:\\Tools\\notaprogram.exe", nullptr, ERROR_BAD_FORMAT},
        {"other verb", u"print", kAppMgrPath, nullptr, SE_ERR_NOASSOC},
        {"missing working folder", u"open", kAppMgrPath, u"C:\\Gone", ERROR_PATH_NOT_FOUND},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_EQ(Code(ShellExecute(nullptr, c.verb, c.file, u"\"C:\\setup.ini\"", c.directory, SW_SHOW)), c.error);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error));
    }
    EXPECT_FALSE(Recorded());
}

}  // namespace
