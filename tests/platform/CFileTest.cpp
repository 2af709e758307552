// Tests of CFile and CFileException: open flags, byte operations, sharing and the exceptions raised.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "platform/CFile.h"
#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/WinBase.h"
#include "tests/platform/TestFolder.h"

namespace {

class CFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    // The cause of the exception that the call throws; CFileException::none when it throws none.
    template <class Call>
    static int CauseOf(Call call, LONG* osError = nullptr)
    {
        try {
            call();
        } catch (CFileException* e) {
            int cause = e->m_cause;
            if (osError) *osError = e->m_lOsError;
            e->Delete();
            return cause;
        }
        return CFileException::none;
    }

    TestFolder m_folder;
};

TEST_F(CFileTest, OpenOfMissingFileFailsWithoutThrowingAndReportsTheCause)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(m_folder.Path("missing.bin"), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    EXPECT_TRUE(file.GetFilePath().IsEmpty());
    EXPECT_FALSE(file.Open(m_folder.Path("missing.bin"), CFile::modeRead));
}

TEST_F(CFileTest, OpenInMissingFolderIsBadPath)
{
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(m_folder.Path("nowhere/x.bin"), CFile::modeCreate | CFile::modeWrite, &error));
    EXPECT_EQ(error.m_cause, CFileException::badPath);
    EXPECT_EQ(error.m_lOsError, ERROR_PATH_NOT_FOUND);
}

TEST_F(CFileTest, WriteThenReadBack)
{
    {
        CFile file;
        ASSERT_TRUE(file.Open(m_folder.Path("a.bin"), CFile::modeCreate | CFile::modeWrite));
        file.Write("hello world", 11);
        EXPECT_EQ(file.GetPosition(), 11u);
        EXPECT_EQ(file.GetLength(), 11u);
        file.Flush();
        file.Close();
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    }
    EXPECT_EQ(m_folder.ReadBytes("a.bin"), "hello world");
    CFile file(m_folder.Path("a.bin"), CFile::modeRead);
    char buffer[32] = {};
    EXPECT_EQ(file.Read(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string(buffer, 6), " world");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

TEST_F(CFileTest, CreateTruncatesUnlessNoTruncate)
{
    struct Case {
        UINT flags;
        std::string expected;
    } cases[] = {
        {CFile::modeCreate | CFile::modeWrite, "xy"},
        {CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite, "xy3456"},
        {CFile::modeWrite, "xy3456"},
        {CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary, "xy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        m_folder.WriteBytes("t.bin", "123456");
        CFile file;
        ASSERT_TRUE(file.Open(m_folder.Path("t.bin"), c.flags));
        file.Write("xy", 2);
        file.Close();
        EXPECT_EQ(m_folder.ReadBytes("t.bin"), c.expected);
    }
}

TEST_F(CFileTest, NoTruncateCreatesAMissingFile)
{
    CFile file;
    ASSERT_TRUE(file.Open(m_folder.Path("new.bin"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    file.Close();
    EXPECT_TRUE(m_folder.Exists("new.bin"));
}

TEST_F(CFileTest, SeekFromEachOrigin)
{
    m_folder.WriteBytes("s.bin", "0123456789");
    CFile file(m_folder.Path("s.bin"), CFile::modeRead);
    struct Case {
        LONG offset;
        UINT from;
        LONG expected;
    } cases[] = {
        {4, CFile::begin, 4}, {2, CFile::current, 6}, {-1, CFile::current, 5},
        {-3, CFile::end, 7},  {0, CFile::end, 10},    {15, CFile::begin, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(file.Seek(c.offset, c.from), c.expected);
        EXPECT_EQ(file.GetPosition(), static_cast<DWORD>(c.expected));
    }
    file.SeekToBegin();
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.SeekToEnd(), 10u);
}

TEST_F(CFileTest, SeekBeforeTheStartThrowsAndKeepsThePosition)
{
    m_folder.WriteBytes("s.bin", "0123456789");
    CFile file(m_folder.Path("s.bin"), CFile::modeRead);
    file.Seek(3, CFile::begin);
    EXPECT_EQ(CauseOf([&] { file.Seek(-5, CFile::begin); }), CFileException::badSeek);
    EXPECT_EQ(file.GetPosition(), 3u);
}

TEST_F(CFileTest, SetLengthCutsAndGrows)
{
    CFile file(m_folder.Path("l.bin"), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("abcdef", 6);
    file.SetLength(3);
    EXPECT_EQ(file.GetLength(), 3u);
    file.SetLength(5);
    EXPECT_EQ(file.GetLength(), 5u);
    file.Close();
    EXPECT_EQ(m_folder.ReadBytes("l.bin"), std::string("abc\0\0", 5));
}

TEST_F(CFileTest, FilePathIsFullAndFileNameIsItsLastPart)
{
    m_folder.WriteBytes("name.bin", "x");
    ASSERT_TRUE(SetCurrentDirectory(m_folder.Path("").GetString()));
    CFile file;
    ASSERT_TRUE(file.Open(u"name.bin", CFile::modeRead));
    EXPECT_EQ(ToHostPath(file.GetFilePath()), m_folder.Host("name.bin"));
    EXPECT_EQ(file.GetFileName(), u"name.bin");
    file.Close();
    EXPECT_TRUE(file.GetFilePath().IsEmpty());
}

TEST_F(CFileTest, OperationsOnAClosedFileThrowInvalidFile)
{
    CFile file;
    char byte = 0;
    EXPECT_EQ(CauseOf([&] { file.Read(&byte, 1); }), CFileException::invalidFile);
    EXPECT_EQ(CauseOf([&] { file.Write(&byte, 1); }), CFileException::invalidFile);
    EXPECT_EQ(CauseOf([&] { file.Seek(0, CFile::begin); }), CFileException::invalidFile);
    EXPECT_EQ(CauseOf([&] { file.GetPosition(); }), CFileException::invalidFile);
    EXPECT_EQ(CauseOf([&] { file.Close(); }), CFileException::none);
    EXPECT_EQ(CauseOf([&] { file.Flush(); }), CFileException::none);
}

TEST_F(CFileTest, WritingToAFileOpenedForReadingThrows)
{
    m_folder.WriteBytes("r.bin", "abc");
    CFile file(m_folder.Path("r.bin"), CFile::modeRead);
    LONG osError = 0;
    EXPECT_NE(CauseOf([&] { file.Write("x", 1); }, &osError), CFileException::none);
    EXPECT_NE(osError, 0);
    file.Close();
    EXPECT_EQ(m_folder.ReadBytes("r.bin"), "abc");
}

TEST_F(CFileTest, ExceptionCarriesTheFullPath)
{
    m_folder.WriteBytes("r.bin", "abc");
    CFile file(m_folder.Path("r.bin"), CFile::modeRead);
    try {
        file.Write("x", 1);
        FAIL() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_strFileName, file.GetFilePath());
        e->Delete();
    }
}

TEST_F(CFileTest, ConstructorThrowsWhenTheOpenFails)
{
    LONG osError = 0;
    int cause = CauseOf([&] { CFile file(m_folder.Path("missing.bin"), CFile::modeRead); }, &osError);
    EXPECT_EQ(cause, CFileException::fileNotFound);
    EXPECT_EQ(osError, ERROR_FILE_NOT_FOUND);
}

TEST_F(CFileTest, ExclusiveOpenShutsOutOthersUntilDestroyed)
{
    m_folder.WriteBytes("x.bin", "abc");
    {
        CFile first(m_folder.Path("x.bin"), CFile::modeRead | CFile::shareExclusive);
        CFile second;
        CFileException error;
        EXPECT_FALSE(second.Open(m_folder.Path("x.bin"), CFile::modeRead | CFile::shareDenyNone, &error));
        EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
        EXPECT_EQ(error.m_lOsError, ERROR_SHARING_VIOLATION);
    }
    CFile again;
    EXPECT_TRUE(again.Open(m_folder.Path("x.bin"), CFile::modeRead));
}

TEST_F(CFileTest, SharedOpensCoexist)
{
    m_folder.WriteBytes("x.bin", "abc");
    CFile first(m_folder.Path("x.bin"), CFile::modeRead | CFile::shareDenyNone);
    CFile second;
    EXPECT_TRUE(second.Open(m_folder.Path("x.bin"), CFile::modeRead | CFile::shareDenyNone));
}

TEST_F(CFileTest, AbortClosesWithoutThrowing)
{
    m_folder.WriteBytes("x.bin", "abc");
    CFile file(m_folder.Path("x.bin"), CFile::modeRead);
    file.Abort();
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    file.Abort();
    CFile other;
    EXPECT_TRUE(other.Open(m_folder.Path("x.bin"), CFile::modeRead));
}

TEST_F(CFileTest, OpenOnAnOpenObjectReleasesTheOldFile)
{
    m_folder.WriteBytes("a.bin", "a");
    m_folder.WriteBytes("b.bin", "b");
    CFile file(m_folder.Path("a.bin"), CFile::modeRead);
    ASSERT_TRUE(file.Open(m_folder.Path("b.bin"), CFile::modeRead));
    EXPECT_EQ(file.GetFileName(), u"b.bin");
    CFile other;
    EXPECT_TRUE(other.Open(m_folder.Path("a.bin"), CFile::modeRead));
}

TEST_F(CFileTest, FullDiskIsDiskFull)
{
    CFile file;
    ASSERT_TRUE(file.Open(u"/dev/full", CFile::modeWrite | CFile::shareDenyNone));
    EXPECT_EQ(CauseOf([&] { file.Write("abc", 3); }), CFileException::diskFull);
}

TEST_F(CFileTest, FileSizeLimitStopsAWriteWithAnException)
{
    CFile file(m_folder.Path("big.bin"), CFile::modeCreate | CFile::modeWrite);
    std::vector<char> data(64 * 1024, 'x');
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    int cause = CauseOf([&] { file.Write(data.data(), static_cast<UINT>(data.size())); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(cause, CFileException::none);
}

TEST(CFileException, OsErrorsMapToCauses)
{
    struct Case {
        LONG osError;
        int cause;
    } cases[] = {
        {ERROR_SUCCESS, CFileException::none},
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_INVALID_HANDLE, CFileException::invalidFile},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        {ERROR_NOT_SUPPORTED, CFileException::generic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.osError);
        EXPECT_EQ(CFileException::OsErrorToException(c.osError), c.cause);
    }
}

TEST(CFileException, ThrowOsErrorCarriesEverything)
{
    try {
        CFileException::ThrowOsError(ERROR_ACCESS_DENIED, u"C:\\x.bin");
        FAIL() << "no exception";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_cause, CFileException::accessDenied);
        EXPECT_EQ(e->m_lOsError, ERROR_ACCESS_DENIED);
        EXPECT_EQ(e->m_strFileName, u"C:\\x.bin");
        e->Delete();
    }
}

}  // namespace
