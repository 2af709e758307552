// CTime over the C run-time's local-time calls.
#include "platform/CTime.h"

#include <ctime>

#include "platform/WinBase.h"

namespace {

std::int64_t FromFields(int year, int month, int day, int hour, int minute, int second, int dst)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = dst < 0 ? -1 : (dst > 0 ? 1 : 0);
    return static_cast<std::int64_t>(std::mktime(&fields));
}

std::tm Local(std::int64_t time)
{
    std::tm fields{};
    const auto t = static_cast<std::time_t>(time);
    localtime_r(&t, &fields);
    return fields;
}

SYSTEMTIME LocalFields(const FILETIME& utc)
{
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return SYSTEMTIME{};
    return st;
}

}  // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST)
    : m_time(FromFields(nYear, nMonth, nDay, nHour, nMin, nSec, nDST))
{
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST)
{
}

CTime::CTime(const FILETIME& ft, int nDST) : CTime(LocalFields(ft), nDST) {}

int CTime::GetYear() const { return Local(m_time).tm_year + 1900; }
int CTime::GetMonth() const { return Local(m_time).tm_mon + 1; }
int CTime::GetDay() const { return Local(m_time).tm_mday; }
int CTime::GetHour() const { return Local(m_time).tm_hour; }
int CTime::GetMinute() const { return Local(m_time).tm_min; }
int CTime::GetSecond() const { return Local(m_time).tm_sec; }
int CTime::GetDayOfWeek() const { return Local(m_time).tm_wday + 1; }
