// Tests of the file calls: dispositions, errors, share modes between processes, pointers and sizes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "tests/platform/TempMachine.h"

namespace {

constexpr DWORD kUnsetError = 0xDEADu;

class FileApi : public TempMachine {
protected:
    static HANDLE Open(const char16_t* name, DWORD access, DWORD share, DWORD disposition)
    {
        return CreateFile(name, access, share, nullptr, disposition, 0, nullptr);
    }

    // CreateFile in a child process while this one keeps its handles: the child's exit status is
    // 0 when its open succeeded, else the last error it saw.
    static DWORD OpenInOtherProcess(const char16_t* name, DWORD access, DWORD share, DWORD disposition)
    {
        pid_t child = fork();
        if (child == 0) {
            HANDLE file = Open(name, access, share, disposition);
            _exit(file == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError() & 0xFF) : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 0xFFu;
    }

    static std::string ReadAll(HANDLE file)
    {
        std::string content;
        char block[7];
        DWORD got = 0;
        while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) content.append(block, got);
        return content;
    }
};

TEST_F(FileApi, WritesThenReadsBack)
{
    HANDLE file = Open(u"C:\\data.bin", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "hello, world", 12, &written, nullptr));
    EXPECT_EQ(written, 12u);
    ASSERT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadHost(OnC("data.bin")), "hello, world");

    file = Open(u"c:/DATA.BIN", GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(file), "hello, world");
    DWORD got = 99;
    EXPECT_TRUE(ReadFile(file, &got, sizeof got, &got, nullptr));
    EXPECT_EQ(got, 0u) << "a read at the end delivers 0 bytes and succeeds";
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FileApi, NarrowNamesComeFromTheCodePage)
{
    HANDLE file = CreateFile("C:\\\xC4\xE3\xBA\xC3.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);  // 你好 in 936
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_TRUE(HostExists(OnC("\xE4\xBD\xA0\xE5\xA5\xBD.txt")));
}

struct DispositionCase {
    const char* label;
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;
    const char* contentAfter;  // null: no file afterwards
};

class FileApiDisposition : public FileApi, public ::testing::WithParamInterface<DispositionCase> {};

TEST_P(FileApiDisposition, OpensCreatesOrFailsAsThePlatform)
{
    const DispositionCase& c = GetParam();
    if (c.exists) WriteHost(OnC("f.txt"), "old content");
    SetLastError(kUnsetError);
    HANDLE file = Open(u"C:\\f.txt", GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (file != INVALID_HANDLE_VALUE) {
        EXPECT_TRUE(CloseHandle(file));
    }
    if (c.contentAfter) {
        EXPECT_EQ(ReadHost(OnC("f.txt")), c.contentAfter);
    } else {
        EXPECT_FALSE(HostExists(OnC("f.txt")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FileApiDisposition,
    ::testing::Values(DispositionCase{"CreateNewMissing", CREATE_NEW, false, true, ERROR_SUCCESS, ""},
                      DispositionCase{"CreateNewExisting", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old content"},
                      DispositionCase{"CreateAlwaysMissing", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
                      DispositionCase{"CreateAlwaysExisting", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
                      DispositionCase{"OpenExistingMissing", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
                      DispositionCase{"OpenExistingExisting", OPEN_EXISTING, true, true, ERROR_SUCCESS, "old content"},
                      DispositionCase{"OpenAlwaysMissing", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
                      DispositionCase{"OpenAlwaysExisting", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old content"},
                      DispositionCase{"TruncateExistingMissing", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
                      DispositionCase{"TruncateExistingExisting", TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
                      DispositionCase{"Unknown", 9, true, false, ERROR_INVALID_PARAMETER, "old content"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FileApi, OpenErrorsCarryThePlatformsNumbers)
{
    ASSERT_EQ(mkdir(OnC("folder").c_str(), 0755), 0);
    struct Case {
        const char16_t* name;
        DWORD disposition;
        DWORD error;
    };
    const Case cases[] = {
        {u"C:\\missing.txt", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {u"C:\\no such folder\\a.txt", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {u"C:\\no such folder\\a.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {u"C:\\folder", OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {u"C:\\folder", CREATE_ALWAYS, ERROR_ACCESS_DENIED},
        {u"C:\\a\tb.txt", CREATE_ALWAYS, ERROR_INVALID_NAME},
        {u"C:\\a*b.txt", CREATE_ALWAYS, ERROR_INVALID_NAME},
        {u"Q:\\a.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {u"", OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.name));
        SetLastError(kUnsetError);
        EXPECT_EQ(Open(c.name, GENERIC_WRITE, 0, c.disposition), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_FALSE(HostExists(OnC("a*b.txt")));
}

TEST_F(FileApi, ReadOnlyFilesRefuseWritersButNotReaders)
{
    WriteHost(OnC("ro.txt"), "keep");
    ASSERT_EQ(chmod(OnC("ro.txt").c_str(), 0444), 0);
    EXPECT_EQ(Open(u"C:\\ro.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadHost(OnC("ro.txt")), "keep");
    HANDLE reader = Open(u"C:\\ro.txt", GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(reader), "keep");
    CloseHandle(reader);
}

TEST_F(FileApi, HandlesRefuseWhatTheyWereNotOpenedFor)
{
    HANDLE reader = Open(u"C:\\a.txt", GENERIC_READ, 0, CREATE_ALWAYS);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    DWORD written = 7;
    EXPECT_FALSE(WriteFile(reader, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(SetEndOfFile(reader));
    CloseHandle(reader);
    EXPECT_EQ(ReadHost(OnC("a.txt")), "");

    HANDLE writer = Open(u"C:\\a.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
    char byte = 0;
    DWORD got = 7;
    EXPECT_FALSE(ReadFile(writer, &byte, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(writer);
}

TEST_F(FileApi, StaleAndMadeUpHandlesAreInvalid)
{
    HANDLE file = Open(u"C:\\a.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_TRUE(CloseHandle(file));
    int local = 0;
    for (HANDLE bogus : {file, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr), static_cast<HANDLE>(&local)}) {
        SetLastError(kUnsetError);
        EXPECT_FALSE(CloseHandle(bogus));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        DWORD n = 0;
        EXPECT_FALSE(WriteFile(bogus, "x", 1, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(GetFileSize(bogus, nullptr), INVALID_FILE_SIZE);
    }
}

TEST_F(FileApi, ExclusiveOpenKeepsOtherProcessesOut)
{
    WriteHost(OnC("locked.txt"), "precious");
    HANDLE holder = Open(u"C:\\locked.txt", GENERIC_READ, 0, OPEN_EXISTING);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInOtherProcess(u"C:\\locked.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(OpenInOtherProcess(u"C:\\locked.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadHost(OnC("locked.txt")), "precious") << "a refused CREATE_ALWAYS must not truncate";
    ASSERT_TRUE(CloseHandle(holder));
    EXPECT_EQ(OpenInOtherProcess(u"C:\\locked.txt", GENERIC_WRITE, 0, OPEN_EXISTING), 0u);
}

TEST_F(FileApi, SharedOpensAdmitSharersAndRefuseExclusiveOpeners)
{
    WriteHost(OnC("shared.txt"), "x");
    HANDLE holder = Open(u"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenInOtherProcess(u"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), 0u);
    EXPECT_EQ(OpenInOtherProcess(u"C:\\shared.txt", GENERIC_READ, 0, OPEN_EXISTING), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(holder);
}

TEST_F(FileApi, SharingHoldsBetweenOpensOfOneProcess)
{
    HANDLE first = Open(u"C:\\one.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    SetLastError(kUnsetError);
    EXPECT_EQ(Open(u"C:\\one.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(first);
}

TEST_F(FileApi, RefusedCreateLeavesNoFileBehind)
{
    // A conflicting CREATE_ALWAYS that loses to an existing holder must neither create nor truncate.
    HANDLE holder = Open(u"C:\\busy.txt", GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(holder, "abc", 3, &n, nullptr);
    EXPECT_EQ(OpenInOtherProcess(u"C:\\busy.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(OpenInOtherProcess(u"C:\\busy.txt", GENERIC_WRITE, 0, CREATE_NEW), static_cast<DWORD>(ERROR_FILE_EXISTS));
    CloseHandle(holder);
    EXPECT_EQ(ReadHost(OnC("busy.txt")), "abc");
}

TEST_F(FileApi, PointerAndSizeUseTheHighWordBeyondFourGiB)
{
    HANDLE file = Open(u"C:\\sparse.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 5, &high, FILE_BEGIN), 5u);
    EXPECT_EQ(high, 1);
    ASSERT_TRUE(SetEndOfFile(file));
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 5u);
    EXPECT_EQ(sizeHigh, 1u);

    high = -1;
    EXPECT_EQ(SetFilePointer(file, -6, &high, FILE_END), 0xFFFFFFFFu) << "4 GiB - 1 is a valid position";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(high, 0);

    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << "no high word, position beyond 32 bits";
    EXPECT_EQ(SetFilePointer(file, 10, nullptr, FILE_BEGIN), 10u);
    EXPECT_EQ(SetFilePointer(file, -11, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file, -4, nullptr, FILE_CURRENT), 6u) << "a failed move leaves the pointer";
    CloseHandle(file);
}

TEST_F(FileApi, FlushSucceedsOnAWrittenFile)
{
    HANDLE file = Open(u"C:\\flush.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(file, "abc", 3, &n, nullptr));
    EXPECT_TRUE(FlushFileBuffers(file));
    CloseHandle(file);
    EXPECT_FALSE(FlushFileBuffers(file));
}

TEST_F(FileApi, MoveFileNeverReplacesButMoveFileExMay)
{
    WriteHost(OnC("from.txt"), "from");
    WriteHost(OnC("to.txt"), "to");
    SetLastError(0);
    EXPECT_FALSE(MoveFile(u"C:\\from.txt", u"C:\\to.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(ReadHost(OnC("to.txt")), "to");
    EXPECT_TRUE(MoveFileEx(u"C:\\FROM.txt", u"C:\\to.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(ReadHost(OnC("to.txt")), "from");
    EXPECT_FALSE(HostExists(OnC("from.txt")));
    EXPECT_TRUE(MoveFile(u"C:\\to.txt", u"C:\\moved.txt"));
    EXPECT_EQ(ReadHost(OnC("moved.txt")), "from");
    SetLastError(0);
    EXPECT_FALSE(MoveFile(u"C:\\gone.txt", u"C:\\x.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileApi, CopyFileKeepsContentTimeAndRespectsFailIfExists)
{
    WriteHost(OnC("src.txt"), "source bytes");
    const timespec when[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, OnC("src.txt").c_str(), when, 0), 0);
    WriteHost(OnC("dst.txt"), "old");
    SetLastError(0);
    EXPECT_FALSE(CopyFile(u"C:\\src.txt", u"C:\\dst.txt", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadHost(OnC("dst.txt")), "old");
    EXPECT_TRUE(CopyFile(u"C:\\src.txt", u"C:\\dst.txt", FALSE));
    EXPECT_EQ(ReadHost(OnC("dst.txt")), "source bytes");
    struct stat info {};
    ASSERT_EQ(stat(OnC("dst.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
    EXPECT_TRUE(CopyFile(u"C:\\src.txt", u"C:\\new.txt", TRUE));
    EXPECT_EQ(ReadHost(OnC("new.txt")), "source bytes");
}

TEST_F(FileApi, CopyFileOntoItselfOrFromAHeldFileFails)
{
    WriteHost(OnC("self.txt"), "intact");
    SetLastError(0);
    EXPECT_FALSE(CopyFile(u"C:\\self.txt", u"C:\\SELF.TXT", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(ReadHost(OnC("self.txt")), "intact");
    HANDLE holder = Open(u"C:\\self.txt", GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_FALSE(CopyFile(u"C:\\self.txt", u"C:\\other.txt", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(HostExists(OnC("other.txt")));
    CloseHandle(holder);
}

TEST_F(FileApi, DeleteFileRefusesFoldersReadOnlyAndMissingFiles)
{
    ASSERT_TRUE(CreateDirectory(u"C:\\dir", nullptr));
    WriteHost(OnC("ro.txt"), "r");
    ASSERT_EQ(chmod(OnC("ro.txt").c_str(), 0444), 0);
    WriteHost(OnC("plain.txt"), "p");
    struct Case {
        const char16_t* name;
        DWORD error;
    };
    const Case cases[] = {
        {u"C:\\dir", ERROR_ACCESS_DENIED},
        {u"C:\\ro.txt", ERROR_ACCESS_DENIED},
        {u"C:\\missing.txt", ERROR_FILE_NOT_FOUND},
        {u"C:\\missing\\a.txt", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.name));
        SetLastError(0);
        EXPECT_FALSE(DeleteFile(c.name));
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_TRUE(HostExists(OnC("ro.txt")));
    EXPECT_TRUE(DeleteFile("C:\\PLAIN.txt"));
    EXPECT_FALSE(HostExists(OnC("plain.txt")));
}

TEST_F(FileApi, FoldersAreMadeAndRemovedWithThePlatformsErrors)
{
    EXPECT_TRUE(CreateDirectory(u"C:\\made", nullptr));
    EXPECT_TRUE(CreateDirectory("C:\\made\\inner", nullptr));
    SetLastError(0);
    EXPECT_FALSE(CreateDirectory(u"C:\\MADE", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectory(u"C:\\none\\inner", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(RemoveDirectory(u"C:\\made"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    WriteHost(OnC("file.txt"), "f");
    EXPECT_FALSE(RemoveDirectory(u"C:\\file.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_TRUE(RemoveDirectory(u"C:\\made\\inner"));
    EXPECT_TRUE(RemoveDirectory(u"C:\\made"));
    EXPECT_FALSE(HostExists(OnC("made")));
}

TEST_F(FileApi, DeleteFileRespectsOpensThatDoNotShareDeletion)
{
    WriteHost(OnC("held.txt"), "h");
    HANDLE holder = Open(u"C:\\held.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    SetLastError(0);
    EXPECT_FALSE(DeleteFile(u"C:\\held.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    pid_t child = fork();
    if (child == 0) _exit(DeleteFile(u"C:\\held.txt") ? 0 : static_cast<int>(GetLastError() & 0xFF));
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), ERROR_SHARING_VIOLATION) << "another process is refused too";
    CloseHandle(holder);

    holder = Open(u"C:\\held.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    EXPECT_TRUE(DeleteFile(u"C:\\held.txt"));
    EXPECT_FALSE(HostExists(OnC("held.txt")));
    CloseHandle(holder);
}

TEST_F(FileApi, WritesToAFullDiskFailWithDiskFull)
{
    if (!HostExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    HANDLE full = Open(u"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(full, INVALID_HANDLE_VALUE);
    DWORD written = 7;
    SetLastError(0);
    EXPECT_FALSE(WriteFile(full, "abc", 3, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(written, 0u);
    CloseHandle(full);
}

TEST_F(FileApi, ExclusiveOpensNeverOverlapAcrossRacingProcesses)
{
    // Each child creates, claims and deletes the same name over and over; an exclusive holder must
    // always read back its own mark, whoever else is creating, truncating or deleting meanwhile.
    constexpr int kChildren = 4;
    constexpr int kRounds = 200;
    pid_t children[kChildren];
    for (pid_t& child : children) {
        child = fork();
        if (child != 0) continue;
        const std::string mark = std::to_string(getpid()) + "........";
        for (int round = 0; round < kRounds; ++round) {
            HANDLE file = Open(u"C:\\race.bin", GENERIC_READ | GENERIC_WRITE, 0, round % 2 ? CREATE_ALWAYS : OPEN_ALWAYS);
            if (file == INVALID_HANDLE_VALUE) {
                if (GetLastError() != ERROR_SHARING_VIOLATION) _exit(2);
                continue;
            }
            DWORD n = 0;
            char back[8] = {};
            SetEndOfFile(file);
            WriteFile(file, mark.data(), 8, &n, nullptr);
            SetFilePointer(file, 0, nullptr, FILE_BEGIN);
            if (!ReadFile(file, back, 8, &n, nullptr) || n != 8 || mark.compare(0, 8, back, 8) != 0) _exit(1);
            CloseHandle(file);
            DeleteFile(u"C:\\race.bin");
        }
        _exit(0);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a foreign mark under an exclusive open, 2: an unexpected error";
    }
}

// Exclusive handles read ahead and gather writes; shared ones go straight to the host. The same random
// run of calls on one of each must give the same results and the same file.
TEST_F(FileApi, ExclusiveHandlesBehaveAsSharedOnesCallForCall)
{
    HANDLE buffered = Open(u"C:\\buffered.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    HANDLE direct = Open(u"C:\\direct.bin", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS);
    ASSERT_NE(buffered, INVALID_HANDLE_VALUE);
    ASSERT_NE(direct, INVALID_HANDLE_VALUE);
    std::srand(7);
    std::vector<char> block(200 * 1024);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
    std::vector<char> readBuffered(block.size()), readDirect(block.size());
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        // Mostly small calls, now and then one larger than the buffer.
        const DWORD count = std::rand() % 10 == 0 ? 64 * 1024 + std::rand() % (100 * 1024) : std::rand() % 9000;
        const DWORD offset = static_cast<DWORD>(std::rand()) % 1024;
        DWORD doneBuffered = 0, doneDirect = 0;
        switch (std::rand() % 8) {
        case 0:
        case 1:
        case 2:
            ASSERT_TRUE(WriteFile(buffered, block.data() + offset, count, &doneBuffered, nullptr));
            ASSERT_TRUE(WriteFile(direct, block.data() + offset, count, &doneDirect, nullptr));
            break;
        case 3:
        case 4:
        case 5:
            ASSERT_TRUE(ReadFile(buffered, readBuffered.data(), count, &doneBuffered, nullptr));
            ASSERT_TRUE(ReadFile(direct, readDirect.data(), count, &doneDirect, nullptr));
            ASSERT_EQ(std::memcmp(readBuffered.data(), readDirect.data(), doneDirect), 0);
            break;
        case 6: {
            const DWORD method = static_cast<DWORD>(std::rand()) % 3;
            const LONG distance = method == FILE_BEGIN ? static_cast<LONG>(count) : -static_cast<LONG>(count % 5000);
            doneBuffered = SetFilePointer(buffered, distance, nullptr, method);
            doneDirect = SetFilePointer(direct, distance, nullptr, method);
            break;
        }
        default:
            if (std::rand() % 4 == 0) {
                ASSERT_TRUE(SetEndOfFile(buffered));
                ASSERT_TRUE(SetEndOfFile(direct));
            }
            doneBuffered = GetFileSize(buffered, nullptr);
            doneDirect = GetFileSize(direct, nullptr);
            break;
        }
        ASSERT_EQ(doneBuffered, doneDirect);
    }
    ASSERT_TRUE(CloseHandle(buffered));
    ASSERT_TRUE(CloseHandle(direct));
    const std::string content = ReadHost(OnC("buffered.bin"));
    EXPECT_GT(content.size(), 100000u);
    EXPECT_TRUE(content == ReadHost(OnC("direct.bin")));
}

// A handle that lets others write must never serve what it read before from a buffer.
TEST_F(FileApi, ReadersThatShareWritingSeeOtherWritesAtOnce)
{
    WriteHost(OnC("shared.txt"), "aaaaaaaa");
    HANDLE reader = Open(u"C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    HANDLE writer = Open(u"C:\\shared.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    char got[4] = {};
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(reader, got, 4, &n, nullptr));
    ASSERT_TRUE(WriteFile(writer, "bbbbbbbb", 8, &n, nullptr));
    ASSERT_TRUE(ReadFile(reader, got, 4, &n, nullptr));
    EXPECT_EQ(std::string(got, n), "bbbb");
    CloseHandle(reader);
    CloseHandle(writer);
}

// In a child limited to 16 KiB files: gathered bytes fail only when written out, and each failure is
// reported by the call that writes them out. The exit status names the first step that went wrong.
TEST_F(FileApi, GatheredWritesThatCannotBeWrittenOutFailLater)
{
    pid_t child = fork();
    if (child == 0) {
        const rlimit limit{16 * 1024, 16 * 1024};
        signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(10);
        HANDLE file = Open(u"C:\\limited.bin", GENERIC_WRITE, 0, CREATE_ALWAYS);
        std::vector<char> piece(40 * 1024, 'x');
        DWORD written = 0;
        const DWORD size = static_cast<DWORD>(piece.size());
        if (!WriteFile(file, piece.data(), size, &written, nullptr) || written != size) _exit(1);
        if (WriteFile(file, piece.data(), size, &written, nullptr) || written != 0) _exit(2);
        if (GetLastError() == ERROR_SUCCESS) _exit(3);
        if (!WriteFile(file, "abc", 3, &written, nullptr)) _exit(4);
        if (FlushFileBuffers(file) || GetLastError() == ERROR_SUCCESS) _exit(5);
        if (!WriteFile(file, "abc", 3, &written, nullptr)) _exit(6);
        if (CloseHandle(file) || GetLastError() == ERROR_SUCCESS) _exit(7);
        _exit(CloseHandle(file) ? 8 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadHost(OnC("limited.bin")), std::string(16 * 1024, 'x'));
}

TEST_F(FileApi, GatheredWritesReachTheFileWhenTheProcessExitsWithTheHandleOpen)
{
    pid_t child = fork();
    if (child == 0) {
        HANDLE file = Open(u"C:\\left-open.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
        DWORD n = 0;
        const bool written = file != INVALID_HANDLE_VALUE && WriteFile(file, "kept", 4, &n, nullptr);
        std::exit(written ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadHost(OnC("left-open.txt")), "kept");
}

}  // namespace
