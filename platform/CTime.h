// CTime: the framework's calendar time, seconds since 1 January 1970 (UTC), read in local time.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

class CTime {
public:
    CTime() = default;
    explicit CTime(std::int64_t time) : m_time(time) {}
    // Local calendar fields; nDST -1 lets the C run-time's local-time rules decide daylight saving,
    // 0 means standard time, above 0 daylight time. Fields the host cannot place give the time -1.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);
    CTime(const SYSTEMTIME& st, int nDST = -1);
    // A UTC file time: made local (FileTimeToLocalFileTime), split into fields, then as above.
    CTime(const FILETIME& ft, int nDST = -1);

    std::int64_t GetTime() const { return m_time; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // 1 for Sunday to 7 for Saturday.
    int GetDayOfWeek() const;

    friend bool operator==(const CTime& a, const CTime& b) { return a.m_time == b.m_time; }
    friend bool operator!=(const CTime& a, const CTime& b) { return a.m_time != b.m_time; }
    friend bool operator<(const CTime& a, const CTime& b) { return a.m_time < b.m_time; }

private:
    std::int64_t m_time = 0;
};
