// Tests of FindFirstFile, FindNextFile and FindClose: patterns, attributes, sizes and times.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/FileApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "tests/platform/TempMachine.h"

namespace {

class FindFile : public TempMachine {
protected:
    void SetUp() override
    {
        TempMachine::SetUp();
        ASSERT_EQ(mkdir(OnC("find").c_str(), 0755), 0);
        for (const char* name : {"Alpha.txt", "beta.TXT", "gamma.doc", "noext", ".hidden"}) WriteHost(OnC("find/") + name, "12345");
        ASSERT_EQ(mkdir(OnC("find/Sub").c_str(), 0755), 0);
    }

    // Every name a search returns, in order; empty with the last error when FindFirstFile fails.
    static std::vector<std::string> Names(const char16_t* pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data{};
        HANDLE search = FindFirstFile(pattern, &data);
        if (search == INVALID_HANDLE_VALUE) return names;
        do names.push_back(Utf16ToUtf8(data.cFileName));
        while (FindNextFile(search, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(search));
        return names;
    }

    static WIN32_FIND_DATAW FindOne(const char16_t* name)
    {
        WIN32_FIND_DATAW data{};
        HANDLE search = FindFirstFile(name, &data);
        EXPECT_NE(search, INVALID_HANDLE_VALUE);
        FindClose(search);
        return data;
    }
};

using List = std::vector<std::string>;

TEST_F(FindFile, PatternsMatchAsThePlatformsWildcards)
{
    const List everything = {".", "..", ".hidden", "Alpha.txt", "beta.TXT", "gamma.doc", "noext", "Sub"};
    struct Case {
        const char16_t* pattern;
        List names;
    };
    const Case cases[] = {
        {u"C:\\find\\*", everything},
        {u"C:\\find\\*.*", everything},
        {u"c:/FIND/*.txt", {"Alpha.txt", "beta.TXT"}},
        {u"C:\\find\\?ETA.*", {"beta.TXT"}},
        {u"C:\\find\\noext.*", {"noext"}},
        {u"C:\\find\\ALPHA.TXT", {"Alpha.txt"}},
        {u"C:\\find\\g*", {"gamma.doc"}},
        {u"C:\\find\\*a*.*o*", {"gamma.doc"}},
        {u"C:\\find\\sub", {"Sub"}},
        {u"C:\\find\\?", {"."}},
        {u"C:\\find\\*.xyz", {}},
        {u"C:\\find\\alpha", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.pattern));
        SetLastError(0);
        EXPECT_EQ(Names(c.pattern), c.names);
        if (c.names.empty()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
    }
}

TEST_F(FindFile, DriveRootsHaveNoDotEntriesAndRelativePatternsUseTheCurrentFolder)
{
    List root = Names(u"C:\\*");
    EXPECT_EQ(root, List{"find"});
    ASSERT_EQ(chdir(OnC("find").c_str()), 0);
    EXPECT_EQ(Names(u"*.doc"), List{"gamma.doc"});
    EXPECT_EQ(Names(u"sub\\..\\n*"), List{"noext"});
}

TEST_F(FindFile, FailuresCarryThePlatformsNumbers)
{
    WIN32_FIND_DATAW data{};
    struct Case {
        const char16_t* pattern;
        DWORD error;
    };
    const Case cases[] = {
        {u"C:\\missing\\*", ERROR_PATH_NOT_FOUND},
        {u"C:\\find\\noext\\*", ERROR_PATH_NOT_FOUND},
        {u"C:\\find\\", ERROR_FILE_NOT_FOUND},
        {u"C:\\find\\a\x02*", ERROR_INVALID_NAME},
        {u"Q:\\*", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.pattern));
        SetLastError(0);
        EXPECT_EQ(FindFirstFile(c.pattern, &data), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(FindFile, ReportsAttributesAndSizes)
{
    struct Case {
        const char16_t* name;
        DWORD attributes;
        DWORD size;
    };
    const Case cases[] = {
        {u"C:\\find\\alpha.txt", FILE_ATTRIBUTE_ARCHIVE, 5},
        {u"C:\\find\\.hidden", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, 5},
        {u"C:\\find\\Sub", FILE_ATTRIBUTE_DIRECTORY, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.name));
        WIN32_FIND_DATAW data = FindOne(c.name);
        EXPECT_EQ(data.dwFileAttributes, c.attributes);
        EXPECT_EQ(data.nFileSizeLow, c.size);
        EXPECT_EQ(data.nFileSizeHigh, 0u);
        EXPECT_EQ(GetFileAttributes(c.name), c.attributes);
    }
    SetLastError(0);
    EXPECT_EQ(GetFileAttributes(u"C:\\find\\missing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FindFile, FilesWeCannotWriteAreReadOnly)
{
    ASSERT_EQ(chmod(OnC("find/noext").c_str(), 0444), 0);
    EXPECT_EQ(FindOne(u"C:\\find\\noext").dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
}

TEST_F(FindFile, SizesUseTheHighWordBeyondFourGiB)
{
    int fd = open(OnC("find/big.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, (3ll << 32) + 7), 0);
    close(fd);
    WIN32_FIND_DATAW data = FindOne(u"C:\\find\\big.bin");
    EXPECT_EQ(data.nFileSizeHigh, 3u);
    EXPECT_EQ(data.nFileSizeLow, 7u);
}

TEST_F(FindFile, TimesAreFileTimesSince1601)
{
    // 2001-02-03 04:05:06.7 UTC, in seconds since 1970.
    const timespec when[2] = {{981173106, 700000000}, {981173106, 700000000}};
    ASSERT_EQ(utimensat(AT_FDCWD, OnC("find/noext").c_str(), when, 0), 0);
    WIN32_FIND_DATAW data = FindOne(u"C:\\find\\noext");
    const ULONGLONG expected = (981173106ull + 11644473600ull) * 10000000ull + 7000000ull;
    const ULONGLONG written = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    const ULONGLONG accessed = (static_cast<ULONGLONG>(data.ftLastAccessTime.dwHighDateTime) << 32) | data.ftLastAccessTime.dwLowDateTime;
    EXPECT_EQ(written, expected);
    EXPECT_EQ(accessed, expected);
    SYSTEMTIME system{};
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftLastWriteTime, &system));
    EXPECT_EQ(system.wYear, 2001);
    EXPECT_EQ(system.wMonth, 2);
    EXPECT_EQ(system.wDay, 3);
    EXPECT_EQ(system.wHour, 4);
    EXPECT_EQ(system.wSecond, 6);
}

TEST_F(FindFile, SkipsEntriesRemovedDuringTheSearch)
{
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFile(u"C:\\find\\*.txt", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Utf16ToUtf8(data.cFileName), "Alpha.txt");
    ASSERT_EQ(unlink(OnC("find/beta.TXT").c_str()), 0);
    EXPECT_FALSE(FindNextFile(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    SetLastError(0);
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindNextFile(search, &data));
}

TEST_F(FindFile, FindCloseRefusesOtherHandles)
{
    HANDLE file = CreateFile(u"C:\\find\\noext", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(file)) << "the file handle is still open";
}

}  // namespace
