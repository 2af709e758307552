// Tests of the folder calls: temporary, Windows and current folders, full paths, module names, free space.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "platform/FileApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "tests/platform/TempMachine.h"

namespace {

class FolderApi : public TempMachine {
protected:
    std::string UserTemp() const { return OnC("users/" + Utf16ToUtf8(m_user) + "/Temp"); }

    void SetUp() override
    {
        TempMachine::SetUp();
        char16_t buffer[MAX_PATH];
        ASSERT_GT(GetTempPath(MAX_PATH, buffer), 0u);
        std::u16string path = buffer;
        const std::u16string head = u"C:\\users\\";
        ASSERT_EQ(path.substr(0, head.size()), head);
        m_user = path.substr(head.size(), path.size() - head.size() - 6);
    }

    static mode_t Mode(const std::string& path)
    {
        struct stat info {};
        EXPECT_EQ(stat(path.c_str(), &info), 0);
        return info.st_mode & 07777;
    }

    std::u16string m_user;
};

TEST_F(FolderApi, TempPathIsTheUsersPrivateFolder)
{
    char16_t buffer[MAX_PATH];
    DWORD length = GetTempPath(MAX_PATH, buffer);
    const std::u16string expected = u"C:\\users\\" + m_user + u"\\Temp\\";
    EXPECT_EQ(std::u16string(buffer), expected);
    EXPECT_EQ(length, expected.size());
    EXPECT_FALSE(m_user.empty());
    EXPECT_EQ(Mode(UserTemp()), 0700u);
    EXPECT_EQ(ToHostPath(CStringW(buffer)), GetDriveFolder(u'C') + "/users/" + Utf16ToUtf8(m_user) + "/Temp");
}

TEST_F(FolderApi, TempPathClosesAFolderOthersCouldEnter)
{
    ASSERT_EQ(chmod(UserTemp().c_str(), 0777), 0);
    char16_t buffer[MAX_PATH];
    EXPECT_GT(GetTempPath(MAX_PATH, buffer), 0u);
    EXPECT_EQ(Mode(UserTemp()), 0700u);
}

TEST_F(FolderApi, TempPathRefusesALinkPlantedInItsPlace)
{
    ASSERT_EQ(rmdir(UserTemp().c_str()), 0);
    ASSERT_EQ(symlink("/tmp", UserTemp().c_str()), 0);
    char16_t buffer[MAX_PATH] = u"unchanged";
    SetLastError(0);
    EXPECT_EQ(GetTempPath(MAX_PATH, buffer), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(std::u16string(buffer), u"unchanged");
}

TEST_F(FolderApi, SmallBuffersGetTheSizeNeeded)
{
    const std::u16string expected = u"C:\\users\\" + m_user + u"\\Temp\\";
    char16_t small[4] = u"abc";
    EXPECT_EQ(GetTempPath(4, small), expected.size() + 1);
    EXPECT_EQ(std::u16string(small), u"abc");
    EXPECT_EQ(GetTempPath(0, nullptr), expected.size() + 1);
    char16_t windows[11];
    EXPECT_EQ(GetWindowsDirectory(windows, 10), 11u) << "ten characters need eleven with the terminator";
    EXPECT_EQ(GetWindowsDirectory(windows, 11), 10u);
}

TEST_F(FolderApi, WindowsFolderIsMadeOnDemand)
{
    EXPECT_FALSE(HostExists(OnC("windows")));
    char16_t wide[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectory(wide, MAX_PATH), 10u);
    EXPECT_EQ(std::u16string(wide), u"C:\\windows");
    EXPECT_TRUE(HostExists(OnC("windows")));
    char narrow[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectory(narrow, MAX_PATH), 10u);
    EXPECT_STREQ(narrow, "C:\\windows");
}

TEST_F(FolderApi, CurrentFolderIsTheHostsSeenThroughTheDrives)
{
    ASSERT_EQ(mkdir(OnC("\xE6\x95\xB0").c_str(), 0755), 0);  // 数
    EXPECT_TRUE(SetCurrentDirectory(u"c:\\\u6570"));
    char16_t wide[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectory(MAX_PATH, wide), 4u);
    EXPECT_EQ(std::u16string(wide), u"C:\\\u6570");
    char narrow[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectory(MAX_PATH, narrow), 5u);
    EXPECT_STREQ(narrow, "C:\\\xCA\xFD") << "in code page 936";
    EXPECT_TRUE(SetCurrentDirectory(u"/"));
    EXPECT_EQ(GetCurrentDirectory(MAX_PATH, wide), 3u);
    EXPECT_EQ(std::u16string(wide), u"Z:\\");
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectory(u"C:\\missing"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FolderApi, FullPathNamesResolveLexically)
{
    ASSERT_TRUE(SetCurrentDirectory(u"C:\\"));
    ASSERT_TRUE(CreateDirectory(u"C:\\work", nullptr));
    ASSERT_TRUE(SetCurrentDirectory(u"C:\\work"));
    struct Case {
        const char16_t* name;
        const char16_t* full;
        const char16_t* filePart;  // null: none
    };
    const Case cases[] = {
        {u"a.txt", u"C:\\work\\a.txt", u"a.txt"},
        {u"..\\..\\..\\b.txt", u"C:\\b.txt", u"b.txt"},
        {u"\\x\\.\\y\\", u"C:\\x\\y\\", nullptr},
        {u"D:\\q/r", u"D:\\q\\r", u"r"},
        {u"/usr/./lib", u"Z:\\usr\\lib", u"lib"},
        {u"C:\\", u"C:\\", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.name));
        char16_t buffer[MAX_PATH];
        char16_t* filePart = buffer;
        DWORD length = GetFullPathName(c.name, MAX_PATH, buffer, &filePart);
        EXPECT_EQ(std::u16string(buffer), c.full);
        EXPECT_EQ(length, std::u16string(c.full).size());
        if (c.filePart) {
            ASSERT_NE(filePart, nullptr);
            EXPECT_EQ(std::u16string(filePart), c.filePart);
        } else {
            EXPECT_EQ(filePart, nullptr);
        }
    }
    char16_t tiny[3];
    EXPECT_EQ(GetFullPathName(u"a.txt", 3, tiny, nullptr), 14u) << "C:\\work\\a.txt and its terminator";
    SetLastError(0);
    EXPECT_EQ(GetFullPathName(u"a\x01", MAX_PATH, tiny, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

TEST_F(FolderApi, ModuleFileNameNamesTheProgramAndLibraries)
{
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const CStringW program = ToWindowsPath(self);
    char16_t buffer[1024];
    EXPECT_EQ(GetModuleFileName(nullptr, buffer, 1024), static_cast<DWORD>(program.GetLength()));
    EXPECT_EQ(CStringW(buffer), program);
    EXPECT_EQ(program.Right(8), CStringW(u"\\fs_test"));

    void* main = dlopen(nullptr, RTLD_NOW);
    EXPECT_GT(GetModuleFileName(static_cast<HMODULE>(main), buffer, 1024), 0u);
    EXPECT_EQ(CStringW(buffer), program);
    dlclose(main);

    void* library = dlopen("libm.so.6", RTLD_NOW);
    ASSERT_NE(library, nullptr);
    char narrow[1024];
    EXPECT_GT(GetModuleFileName(static_cast<HMODULE>(library), narrow, 1024), 0u);
    EXPECT_NE(std::string(narrow).find("libm"), std::string::npos) << narrow;
    EXPECT_EQ(narrow[1], ':');
    dlclose(library);

    int bogus = 0;
    SetLastError(0);
    EXPECT_EQ(GetModuleFileName(reinterpret_cast<HMODULE>(&bogus), buffer, 1024), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(FolderApi, ModuleFileNameIsCutToTheBuffer)
{
    char16_t buffer[5] = u"xxxx";
    SetLastError(0);
    EXPECT_EQ(GetModuleFileName(nullptr, buffer, 4), 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::u16string(buffer).size(), 3u);
    EXPECT_EQ(buffer[1], u':');
}

TEST_F(FolderApi, DiskFreeSpaceComesFromTheFileSystem)
{
    ULARGE_INTEGER toCaller{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceEx(u"C:\\", &toCaller, &total, &totalFree));
    EXPECT_GT(total.QuadPart, 0u);
    EXPECT_LE(toCaller.QuadPart, totalFree.QuadPart);
    EXPECT_LE(totalFree.QuadPart, total.QuadPart);
    EXPECT_TRUE(GetDiskFreeSpaceEx(nullptr, nullptr, &total, nullptr));
    SetLastError(0);
    EXPECT_FALSE(GetDiskFreeSpaceEx(u"C:\\missing\\deeper", &toCaller, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
