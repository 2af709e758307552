// The thread's last error, errno translation, sleeping, ticks and the conversions between time records.
#include "platform/WinBase.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

constexpr std::int64_t kTicksPerSecond = 10'000'000;  // FILETIME counts 100 ns
constexpr std::int64_t kDaysFrom1601To1970 = 134774;
constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int y, unsigned m)
{
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::uint64_t ToTicks(const FILETIME& ft) { return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

FILETIME FromTicks(std::uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// Splits 100 ns ticks since 1601 into a SYSTEMTIME; the ticks must be below 2^63 as on the platform.
void TicksToSystemTime(std::uint64_t ticks, SYSTEMTIME& st)
{
    const auto totalSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
    const std::int64_t days = totalSeconds / kSecondsPerDay;
    const std::int64_t secs = totalSeconds % kSecondsPerDay;
    int y;
    unsigned m, d;
    CivilFromDays(days - kDaysFrom1601To1970, y, m, d);
    st.wYear = static_cast<WORD>(y);
    st.wMonth = static_cast<WORD>(m);
    st.wDay = static_cast<WORD>(d);
    st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    st.wHour = static_cast<WORD>(secs / 3600);
    st.wMinute = static_cast<WORD>(secs / 60 % 60);
    st.wSecond = static_cast<WORD>(secs % 60);
    st.wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10'000);
}

struct timespec Now()
{
    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts;
}

std::uint64_t UnixToTicks(std::int64_t seconds, long nanoseconds)
{
    return static_cast<std::uint64_t>((seconds + kDaysFrom1601To1970 * kSecondsPerDay) * kTicksPerSecond + nanoseconds / 100);
}

// The host's offset from UTC, in seconds, in force at the given moment.
long LocalOffset(std::time_t when)
{
    struct tm local {};
    if (!localtime_r(&when, &local)) return 0;
    return local.tm_gmtoff;
}

}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

DWORD ErrnoToWin32(int err)
{
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EAGAIN: return ERROR_SHARING_VIOLATION;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case ECONNRESET:
    case ECONNABORTED: return ERROR_CONNECTION_ABORTED;
    case ECONNREFUSED: return ERROR_DEVICE_NOT_CONNECTED;
    default: return ERROR_GEN_FAILURE;
    }
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

// Milliseconds since an arbitrary start, wrapping at 2^32 as the platform's counter does.
DWORD GetTickCount()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void GetSystemTime(SYSTEMTIME* time)
{
    if (!time) return;
    const struct timespec ts = Now();
    TicksToSystemTime(UnixToTicks(ts.tv_sec, ts.tv_nsec), *time);
}

void GetLocalTime(SYSTEMTIME* time)
{
    if (!time) return;
    const struct timespec ts = Now();
    TicksToSystemTime(UnixToTicks(ts.tv_sec + LocalOffset(ts.tv_sec), ts.tv_nsec), *time);
}

// The host applies the offset in force at that moment; the platform applies today's bias to any date.
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local)
{
    if (!utc || !local) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::uint64_t ticks = ToTicks(*utc);
    const auto unixSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond) - kDaysFrom1601To1970 * kSecondsPerDay;
    const std::int64_t offsetTicks = static_cast<std::int64_t>(LocalOffset(static_cast<std::time_t>(unixSeconds))) * kTicksPerSecond;
    if (offsetTicks < 0 && ticks < static_cast<std::uint64_t>(-offsetTicks)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *local = FromTicks(ticks + static_cast<std::uint64_t>(offsetTicks));
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime)
{
    if (!fileTime || !systemTime || (fileTime->dwHighDateTime & 0x80000000u)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TicksToSystemTime(ToTicks(*fileTime), *systemTime);
    return TRUE;
}

// The day of the week is ignored, as on the platform; every other field must be in range.
BOOL SystemTimeToFileTime(const SYSTEMTIME* st, FILETIME* fileTime)
{
    if (!st || !fileTime || st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 || st->wDay < 1 ||
        st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59 ||
        st->wMilliseconds > 999) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::int64_t days = DaysFromCivil(st->wYear, st->wMonth, st->wDay) + kDaysFrom1601To1970;
    const std::int64_t seconds = days * kSecondsPerDay + st->wHour * 3600 + st->wMinute * 60 + st->wSecond;
    *fileTime = FromTicks(static_cast<std::uint64_t>(seconds * kTicksPerSecond + st->wMilliseconds * 10'000));
    return TRUE;
}
