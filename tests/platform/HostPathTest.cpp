// Tests of the prefix, the drives and the mapping of Windows paths to host paths and back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/HostPath.h"
#include "platform/Text.h"
#include "tests/platform/TempMachine.h"

namespace {

class HostPath : public TempMachine {
protected:
    void SetUp() override
    {
        TempMachine::SetUp();
        ASSERT_EQ(mkdir(OnC("Program Files").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(OnC("Program Files/App").c_str(), 0755), 0);
        WriteHost(OnC("Program Files/App/readme.TXT"), "r");
        ASSERT_EQ(mkdir(OnC("Dup").c_str(), 0755), 0);
        WriteHost(OnC("Dup/a.txt"), "1");
        WriteHost(OnC("Dup/A.TXT"), "2");
        m_c = GetDriveFolder(u'C');
    }

    std::string m_c;
};

TEST_F(HostPath, PrefixHoldsDriveCAsALinkToItsFolder)
{
    EXPECT_EQ(GetPrefix(), m_root + "/prefix");
    EXPECT_EQ(m_c, m_root + "/prefix/dosdevices/c:");
    char target[256] = {};
    ASSERT_GT(readlink(m_c.c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "../drive_c");
    EXPECT_EQ(GetDriveFolder(u'z'), "/");
    EXPECT_EQ(GetDriveFolder(u'Q'), "") << "an unmapped drive";
    EXPECT_EQ(GetDriveFolder(u'1'), "");
}

TEST_F(HostPath, PrefixFallsBackToXdgDataHomeThenHome)
{
    std::optional<std::string> oldHome, oldXdg;
    if (const char* home = std::getenv("HOME")) oldHome = home;
    if (const char* xdg = std::getenv("XDG_DATA_HOME")) oldXdg = xdg;
    unsetenv("PELRUDO_PREFIX");
    setenv("XDG_DATA_HOME", (m_root + "/xdg").c_str(), 1);
    ResetPrefix();
    EXPECT_EQ(GetPrefix(), m_root + "/xdg/pelrudo");
    EXPECT_TRUE(HostExists(m_root + "/xdg/pelrudo/drive_c"));
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", (m_root + "/home").c_str(), 1);
    ResetPrefix();
    EXPECT_EQ(GetPrefix(), m_root + "/home/.local/share/pelrudo");
    EXPECT_TRUE(HostExists(m_root + "/home/.local/share/pelrudo/dosdevices/c:"));
    oldHome ? setenv("HOME", oldHome->c_str(), 1) : unsetenv("HOME");
    if (oldXdg) setenv("XDG_DATA_HOME", oldXdg->c_str(), 1);
}

struct MappingCase {
    const char16_t* windows;
    const char* host;  // after the drive's folder when it starts with '+', else as it stands; "" is invalid
};

TEST_F(HostPath, MapsWindowsPathsToTheHost)
{
    const MappingCase cases[] = {
        {u"C:\\Program Files\\App\\readme.txt", "+/Program Files/App/readme.TXT"},
        {u"c:/PROGRAM FILES/app/README.TXT", "+/Program Files/App/readme.TXT"},
        {u"C:\\program files\\app\\new.txt", "+/Program Files/App/new.txt"},
        {u"C:\\program files\\Nope\\deeper", "+/Program Files/Nope/deeper"},
        {u"\\program files", "+/Program Files"},
        {u"program files\\.\\app", "+/Program Files/App"},
        {u"C:", "+"},
        {u"C:\\", "+"},
        {u".", "+"},
        {u"..\\..\\x", "+/x"},
        {u"C:\\a\\..\\..\\..\\b", "+/b"},
        {u"C:\\Dup\\a.txt", "+/Dup/a.txt"},
        {u"C:\\Dup\\a.TXT", "+/Dup/a.TXT"},
        {u"C:\\\u6570\u636e", "+/\xE6\x95\xB0\xE6\x8D\xAE"},
        {u"/tmp/x\\y", "/tmp/x/y"},
        {u"/", "/"},
        {u"/..", "/"},
        {u"Z:\\usr\\..\\etc", "/etc"},
        {u"C:\\a\x01" u"b", ""},
        {u"C:\\a\x1f", ""},
        {u"Q:\\a", ""},
        {u"\\\\server\\share\\a", ""},
        {u"1:\\a", ""},
        {u"", ""},
        {u"C:\\a?b", ""},
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.windows));
        std::string expected = c.host[0] == '+' ? m_c + (c.host + 1) : c.host;
        EXPECT_EQ(ToHostPath(CStringW(c.windows)), expected);
    }
}

TEST_F(HostPath, RefusesNulAndOverlongComponents)
{
    const char16_t withNul[] = u"C:\\a\0b";
    EXPECT_EQ(ToHostPath(CStringW(withNul, 6)), "");
    EXPECT_EQ(ToHostPath(CStringW(u"C:\\") + CStringW(u'x', 255)), m_c + "/" + std::string(255, 'x'));
    EXPECT_EQ(ToHostPath(CStringW(u"C:\\") + CStringW(u'x', 256)), "");
    EXPECT_EQ(ToHostPath(CStringW(u"C:\\") + CStringW(u'x', 300) + u"\\y"), "");
    // 86 three-byte characters are 258 bytes, past the host's limit though only 86 code units.
    EXPECT_EQ(ToHostPath(CStringW(u"C:\\") + CStringW(u'\u6570', 86)), "");
}

TEST_F(HostPath, NarrowPathsComeFromTheCodePage)
{
    EXPECT_EQ(ToHostPath(CStringA("C:\\\xCA\xFD\xBE\xDD")), m_c + "/\xE6\x95\xB0\xE6\x8D\xAE");  // 数据 in 936
    EXPECT_EQ(ToHostPath(CStringA("c:\\program files")), m_c + "/Program Files");
}

TEST_F(HostPath, RelativePathsFollowTheCurrentFolder)
{
    ASSERT_EQ(chdir(OnC("Program Files").c_str()), 0);
    EXPECT_EQ(ToHostPath(CStringW(u"app\\readme.txt")), m_c + "/Program Files/App/readme.TXT");
    EXPECT_EQ(ToHostPath(CStringW(u"C:app")), m_c + "/Program Files/App") << "drive-relative on the current drive";
    EXPECT_EQ(ToHostPath(CStringW(u"\\Dup")), m_c + "/Dup");
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_EQ(ToHostPath(CStringW(u"\\etc")), "/etc") << "a rooted path is on the current drive, Z:";
    EXPECT_EQ(ToHostPath(CStringW(u"C:Dup")), m_c + "/Dup") << "another drive's relative path starts at its root";
}

TEST_F(HostPath, ShowsHostPathsThroughTheClosestDrive)
{
    ASSERT_EQ(mkdir((m_root + "/elsewhere").c_str(), 0755), 0);
    ASSERT_EQ(symlink((m_root + "/elsewhere").c_str(), (GetPrefix() + "/dosdevices/e:").c_str()), 0);
    ASSERT_EQ(mkdir(OnC("nested").c_str(), 0755), 0);
    ASSERT_EQ(symlink("../drive_c/nested", (GetPrefix() + "/dosdevices/n:").c_str()), 0);
    ResetPrefix();
    struct Case {
        std::string host;
        const char16_t* windows;
    };
    const Case cases[] = {
        {m_c + "/x/y", u"C:\\x\\y"},
        {m_c, u"C:\\"},
        {m_driveC + "/Program Files/App", u"C:\\Program Files\\App"},
        {m_driveC + "/./Dup/../Dup//a.txt", u"C:\\Dup\\a.txt"},
        {m_root + "/elsewhere/f", u"E:\\f"},
        {m_driveC + "/nested/f", u"N:\\f"},
        {m_driveC + "/nestedness", u"C:\\nestedness"},
        {"/", u"Z:\\"},
        {"/usr/lib", u"Z:\\usr\\lib"},
        {"relative.txt", u"C:\\relative.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        EXPECT_EQ(ToWindowsPath(c.host), CStringW(c.windows));
    }
}

TEST_F(HostPath, RoundTripsThroughBothDirections)
{
    for (const char16_t* path : {u"C:\\Program Files\\App\\readme.TXT", u"C:\\Dup", u"Z:\\usr"}) {
        SCOPED_TRACE(Utf16ToUtf8(path));
        EXPECT_EQ(ToWindowsPath(ToHostPath(CStringW(path))), CStringW(path));
    }
}

}  // namespace
