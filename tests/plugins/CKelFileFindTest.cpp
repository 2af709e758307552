// Tests of CKelFileFind: the look-ahead, the root rules, titles, attributes, sizes and times.
#include "plugins/CKelFileFind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileApi.h"
#include "platform/Text.h"
#include "tests/platform/TestFolder.h"

namespace {

class CKelFileFindTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(folder.Host("dir"));
        for (const char* name : {"a.bsp", "b.bsp", "c.txt"}) folder.WriteBytes(std::string("dir/") + name, "12345");
        dir = folder.Path("dir");
    }

    // Every entry of a search, as the usual loop visits them.
    std::vector<std::string> Names(const CString& pattern)
    {
        std::vector<std::string> names;
        if (!finder.FindFile(pattern)) return names;
        int more = 1;
        while (more) {
            more = finder.FindNextFileW();
            names.push_back(ToUtf8(finder.GetFileName()));
        }
        finder.Close();
        return names;
    }

    TestFolder folder;
    CString dir;
    CKelFileFind finder;
};

TEST_F(CKelFileFindTest, EachNextMakesTheFetchedEntryCurrentAndTellsWhetherAnotherFollows)
{
    ASSERT_NE(finder.FindFile(dir + u"\\*.bsp"), 0);
    EXPECT_EQ(finder.FindNextFileW(), 1);
    EXPECT_EQ(ToUtf8(finder.GetFileName()), "a.bsp");
    EXPECT_EQ(ToUtf8(finder.GetRoot()), ToUtf8(dir));
    EXPECT_EQ(ToUtf8(finder.GetFilePath()), ToUtf8(dir + u"\\a.bsp"));
    EXPECT_EQ(finder.FindNextFileW(), 0);
    EXPECT_EQ(ToUtf8(finder.GetFileName()), "b.bsp");
    // Past the end the last entry stays current.
    EXPECT_EQ(finder.FindNextFileW(), 0);
    EXPECT_EQ(ToUtf8(finder.GetFileName()), "b.bsp");
    EXPECT_EQ(Names(dir + u"\\*.*"), (std::vector<std::string>{".", "..", "a.bsp", "b.bsp", "c.txt"}));
}

TEST_F(CKelFileFindTest, ASingleMatchIsCurrentAfterTheFirstNext)
{
    ASSERT_NE(finder.FindFile(dir + u"\\c.txt"), 0);
    EXPECT_EQ(finder.FindNextFileW(), 0);
    EXPECT_EQ(ToUtf8(finder.GetFileName()), "c.txt");
    EXPECT_EQ(finder.GetLength(), 5u);
}

TEST_F(CKelFileFindTest, QueriesWithoutACurrentEntryAnswerEmpty)
{
    auto expectEmpty = [this](const std::string& rootPath) {
        FILETIME ft{};
        CTime time;
        EXPECT_EQ(ToUtf8(finder.GetFileName()), "");
        EXPECT_EQ(ToUtf8(finder.GetRoot()), "");
        EXPECT_EQ(ToUtf8(finder.GetFileTitle()), "");
        EXPECT_EQ(ToUtf8(finder.GetFilePath()), rootPath);
        EXPECT_EQ(finder.GetLength(), 0u);
        EXPECT_EQ(finder.MatchesMask(0xFFFFFFFFu), 0);
        EXPECT_EQ(finder.GetLastWriteTime(&ft), 0);
        EXPECT_EQ(finder.GetCreationTime(time), 0);
        EXPECT_EQ(finder.IsDots(), 0);
        EXPECT_EQ(finder.IsArchived(), 0);
        EXPECT_EQ(finder.IsDirectory(), 0);
    };
    {
        SCOPED_TRACE("idle");
        expectEmpty("\\");
        EXPECT_EQ(finder.FindNextFileW(), 0);
    }
    {
        SCOPED_TRACE("started");
        ASSERT_NE(finder.FindFile(dir + u"\\*.bsp"), 0);
        expectEmpty(ToUtf8(dir + u"\\"));
    }
    {
        SCOPED_TRACE("failed search");
        EXPECT_EQ(finder.FindFile(dir + u"\\*.none"), 0);
        EXPECT_EQ(finder.FindNextFileW(), 0);
        expectEmpty(ToUtf8(dir + u"\\"));
        EXPECT_EQ(finder.FindFile(folder.Path("missing\\*.*")), 0);
    }
    {
        SCOPED_TRACE("closed");
        ASSERT_NE(finder.FindFile(dir + u"\\*.bsp"), 0);
        finder.FindNextFileW();
        finder.Close();
        EXPECT_EQ(finder.FindNextFileW(), 0);
        expectEmpty(ToUtf8(dir + u"\\"));
    }
}

TEST_F(CKelFileFindTest, TheRootIsThePatternsFolderTakenLiterally)
{
    ASSERT_TRUE(SetCurrentDirectory(dir));
    struct Case {
        CString pattern;
        std::string root;
        std::string path;
    };
    const Case cases[] = {
        {dir + u"\\a.bsp", ToUtf8(dir), ToUtf8(dir + u"\\a.bsp")},
        // No folder part: rooted at the current drive, not the current folder.
        {u"a.bsp", "", "\\a.bsp"},
        // Forward slashes are no separators for the root.
        {FromUtf8(folder.Host("dir/a.bsp")), "", "\\a.bsp"},
        {FromUtf8(folder.Host("dir")) + u"\\sub/..\\a.bsp", ToUtf8(FromUtf8(folder.Host("dir")) + u"\\sub/.."),
         ToUtf8(FromUtf8(folder.Host("dir")) + u"\\sub/..\\a.bsp")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.pattern));
        ASSERT_NE(finder.FindFile(c.pattern), 0);
        finder.FindNextFileW();
        EXPECT_EQ(ToUtf8(finder.GetRoot()), c.root);
        EXPECT_EQ(ToUtf8(finder.GetFilePath()), c.path);
    }
}

TEST_F(CKelFileFindTest, ANullPatternListsTheRootOfTheCurrentDrive)
{
    ASSERT_TRUE(SetCurrentDirectory(dir));
    ASSERT_NE(finder.FindFile(nullptr), 0);
    finder.FindNextFileW();
    EXPECT_EQ(ToUtf8(finder.GetRoot()), "\\");
    const std::string path = ToUtf8(finder.GetFilePath());
    EXPECT_EQ(path, "\\" + ToUtf8(finder.GetFileName()));
    ASSERT_NE(finder.FindFile(u"\\*"), 0);
    finder.FindNextFileW();
    EXPECT_EQ(ToUtf8(finder.GetRoot()), "\\");
    EXPECT_EQ(ToUtf8(finder.GetFilePath()), "\\" + ToUtf8(finder.GetFileName()));
}

TEST_F(CKelFileFindTest, DamagedPatternsFindNothing)
{
    const std::u16string loneSurrogate = std::u16string(u"\\a") + char16_t(0xD800) + u"*.*";
    const CString cases[] = {
        dir + u"\\" + CString(u'x', 5000) + u"\\*.*",
        dir + u"\\" + CString(u'y', 300),
        dir + loneSurrogate.c_str(),
        CString(u"\\\\?\\<>|\"\\*"),
        CString(u"::\\*"),
    };
    for (const CString& pattern : cases) {
        SCOPED_TRACE(pattern.GetLength());
        EXPECT_EQ(finder.FindFile(pattern), 0);
        EXPECT_EQ(finder.FindNextFileW(), 0);
        EXPECT_EQ(ToUtf8(finder.GetFileName()), "");
    }
    // The finder is usable again afterwards.
    EXPECT_NE(finder.FindFile(dir + u"\\a.bsp"), 0);
}

TEST_F(CKelFileFindTest, TitlesEndAtTheFirstDot)
{
    struct Case {
        const char* name;
        const char* title;
    };
    const Case cases[] = {{"archive.tar.gz", "archive"}, {".profile", ""}, {"plain", "plain"}, {"中文.lng", "中文"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.WriteBytes(std::string("dir/") + c.name, "");
        ASSERT_NE(finder.FindFile(dir + u"\\" + FromUtf8(c.name)), 0);
        finder.FindNextFileW();
        EXPECT_EQ(ToUtf8(finder.GetFileTitle()), c.title);
    }
}

TEST_F(CKelFileFindTest, ArchivedAndCompressedAreEqualityTests)
{
    folder.WriteBytes("dir/ro.txt", "x");
    std::filesystem::permissions(folder.Host("dir/ro.txt"), std::filesystem::perms::owner_read);
    std::filesystem::create_directory(folder.Host("dir/sub"));
    folder.WriteBytes("dir/.hidden", "x");
    struct Case {
        const char* name;
        int archived, readOnly, directory, hidden, dots;
    };
    const Case cases[] = {
        {"a.bsp", 1, 0, 0, 0, 0}, {"ro.txt", 0, 1, 0, 0, 0}, {"sub", 0, 0, 1, 0, 0},
        {".hidden", 0, 0, 0, 1, 0}, {".", 0, 0, 1, 0, 1},    {"..", 0, 0, 1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool seen = false;
        ASSERT_NE(finder.FindFile(dir + u"\\*"), 0);
        for (int more = 1; more && !seen;) {
            more = finder.FindNextFileW();
            seen = ToUtf8(finder.GetFileName()) == c.name;
        }
        ASSERT_TRUE(seen);
        EXPECT_EQ(finder.IsArchived(), c.archived);
        EXPECT_EQ(finder.IsReadOnly(), c.readOnly);
        EXPECT_EQ(finder.IsDirectory(), c.directory);
        EXPECT_EQ(finder.IsHidden(), c.hidden);
        EXPECT_EQ(finder.IsDots(), c.dots);
        EXPECT_EQ(finder.IsCompressed(), 0);
        EXPECT_EQ(finder.IsSystem(), 0);
        EXPECT_EQ(finder.IsTemporary(), 0);
        if (c.readOnly) {
            // Archive and read-only (0x21): a mask test sees the archive bit, the equality test does not.
            EXPECT_NE(finder.MatchesMask(FILE_ATTRIBUTE_ARCHIVE), 0);
            EXPECT_EQ(finder.MatchesMask(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN), 0);
        }
    }
}

TEST_F(CKelFileFindTest, LengthIsTheLow32BitsOfTheSize)
{
    std::filesystem::resize_file(folder.Host("dir/c.txt"), (std::uintmax_t{1} << 32) + 7);
    ASSERT_NE(finder.FindFile(dir + u"\\c.txt"), 0);
    finder.FindNextFileW();
    EXPECT_EQ(finder.GetLength(), 7u);
}

TEST_F(CKelFileFindTest, TimesInBothForms)
{
    ASSERT_NE(finder.FindFile(dir + u"\\a.bsp"), 0);
    finder.FindNextFileW();
    FILETIME ft{};
    ASSERT_EQ(finder.GetLastWriteTime(&ft), 1);
    EXPECT_EQ(finder.GetLastWriteTime(static_cast<FILETIME*>(nullptr)), 0);
    struct stat st {};
    ASSERT_EQ(::stat(folder.Host("dir/a.bsp").c_str(), &st), 0);
    const std::uint64_t ticks = (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    EXPECT_EQ(static_cast<std::int64_t>(ticks / 10000000u) - 11644473600LL, st.st_mtime);

    CTime written;
    ASSERT_EQ(finder.GetLastWriteTime(written), 1);
    EXPECT_EQ(written, CTime(ft, -1));
    // A file written now lies in today's daylight-saving period, so local time round-trips exactly.
    EXPECT_EQ(written.GetTime(), static_cast<std::int64_t>(st.st_mtime));

    FILETIME created{};
    FILETIME accessed{};
    CTime createdTime;
    CTime accessedTime;
    EXPECT_EQ(finder.GetCreationTime(&created), 1);
    EXPECT_EQ(finder.GetLastAccessTime(&accessed), 1);
    EXPECT_EQ(finder.GetCreationTime(createdTime), 1);
    EXPECT_EQ(finder.GetLastAccessTime(accessedTime), 1);
    EXPECT_EQ(createdTime, CTime(created, -1));
    EXPECT_EQ(accessedTime, CTime(accessed, -1));
}

TEST_F(CKelFileFindTest, TheFinderKeepsTheBaseObjectInterface)
{
    CBaseObj& base = finder;
    EXPECT_EQ(finder.FindFile(dir + u"\\*.none"), 0);
    EXPECT_EQ(base.GetLastError(), 0u);
    base.Error(9);
    EXPECT_EQ(base.GetLastError(), 9u);
}

}  // namespace
