// Tests of the base calls: the thread's last error, errno translation, ticks and time records.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "platform/WinBase.h"

namespace {

SYSTEMTIME Make(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0)
{
    return SYSTEMTIME{y, mo, 0, d, h, mi, s, ms};
}

ULONGLONG Ticks(const FILETIME& ft) { return (ULONGLONG{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

// Runs a test under a fixed time zone and puts the previous one back.
class WinBaseZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ")) m_saved = tz, m_had = true;
        setenv("TZ", "CST-8", 1);  // UTC+8 all year, no daylight saving
        tzset();
    }
    void TearDown() override
    {
        if (m_had) setenv("TZ", m_saved.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::string m_saved;
    bool m_had = false;
};

}  // namespace

TEST(WinBase, LastErrorIsPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seen = 1234;
    std::thread other([&] {
        seen = GetLastError();
        SetLastError(ERROR_FILE_NOT_FOUND);
    });
    other.join();
    EXPECT_EQ(seen, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(WinBase, ErrnoToWin32)
{
    const std::pair<int, DWORD> rows[] = {
        {0, 0},           {ENOENT, 2},     {ENOTDIR, 3},        {EMFILE, 4},     {EACCES, 5},
        {EPERM, 5},       {EROFS, 5},      {EBADF, 6},          {ENOMEM, 8},     {EEXIST, 80},
        {EINVAL, 87},     {ENOSPC, 112},   {EDQUOT, 112},       {ENAMETOOLONG, 206}, {ENOTEMPTY, 145},
        {EAGAIN, 32},     {EWOULDBLOCK, 32}, {EPIPE, 109},      {ETIMEDOUT, 1460}, {ECONNRESET, 1236},
        {ECONNABORTED, 1236}, {ECONNREFUSED, 1167}, {EIO, 31},  {ELOOP, 31},
    };
    for (const auto& [err, want] : rows) {
        SCOPED_TRACE(err);
        EXPECT_EQ(ErrnoToWin32(err), want);
    }
}

TEST(WinBase, TickCountAdvancesAcrossSleep)
{
    const DWORD before = GetTickCount();
    Sleep(20);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - before), 20u);
}

TEST(WinBase, SystemTimeToFileTimeKnownInstants)
{
    struct Row {
        SYSTEMTIME st;
        ULONGLONG ticks;
    };
    const Row rows[] = {
        {Make(1601, 1, 1), 0},
        {Make(1970, 1, 1), 116444736000000000ULL},
        {Make(2000, 2, 29, 12, 30, 15, 250), 125963010152500000ULL},
        {Make(2026, 12, 11, 14, 13, 6), 134414719860000000ULL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.ticks);
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&row.st, &ft));
        EXPECT_EQ(Ticks(ft), row.ticks);
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wYear, row.st.wYear);
        EXPECT_EQ(back.wMonth, row.st.wMonth);
        EXPECT_EQ(back.wDay, row.st.wDay);
        EXPECT_EQ(back.wHour, row.st.wHour);
        EXPECT_EQ(back.wMinute, row.st.wMinute);
        EXPECT_EQ(back.wSecond, row.st.wSecond);
        EXPECT_EQ(back.wMilliseconds, row.st.wMilliseconds);
    }
}

TEST(WinBase, FileTimeToSystemTimeGivesDayOfWeek)
{
    const std::pair<SYSTEMTIME, WORD> rows[] = {
        {Make(1601, 1, 1), 1}, {Make(1970, 1, 1), 4}, {Make(2000, 2, 29), 2}, {Make(2026, 12, 11), 5}};
    for (const auto& [st, dow] : rows) {
        SCOPED_TRACE(st.wYear);
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
        EXPECT_EQ(back.wDayOfWeek, dow);
    }
}

TEST(WinBase, InvalidTimesAreRejected)
{
    const SYSTEMTIME bad[] = {Make(1600, 12, 31), Make(2023, 2, 29), Make(2024, 13, 1), Make(2024, 4, 31),
                              Make(2024, 1, 0),   Make(2024, 1, 1, 24), Make(2024, 1, 1, 0, 60), Make(2024, 1, 1, 0, 0, 60),
                              Make(2024, 1, 1, 0, 0, 0, 1000)};
    for (const auto& st : bad) {
        SCOPED_TRACE(st.wMonth);
        FILETIME ft{7, 7};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(ft.dwLowDateTime, 7u);
    }
    const FILETIME huge{0, 0x80000000u};
    SYSTEMTIME st{};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &st));
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, &st));
}

TEST_F(WinBaseZone, FileTimeToLocalFileTimeAddsTheZoneOffset)
{
    const SYSTEMTIME utc = Make(2024, 6, 30, 20, 0, 0);
    FILETIME ft{}, local{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &local));
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&local, &st));
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wMonth, 7);
    EXPECT_EQ(st.wHour, 4);
    EXPECT_FALSE(FileTimeToLocalFileTime(nullptr, &local));
}

TEST_F(WinBaseZone, LocalTimeIsSystemTimePlusOffset)
{
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    FILETIME a{}, b{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &a));
    ASSERT_TRUE(SystemTimeToFileTime(&local, &b));
    const long long diffSeconds = (static_cast<long long>(Ticks(b)) - static_cast<long long>(Ticks(a))) / 10000000LL;
    EXPECT_NEAR(diffSeconds, 8 * 3600, 5);
    EXPECT_GE(utc.wYear, 2024);
}
