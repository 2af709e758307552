// Tests of CTime: fields in local time and the FILETIME constructor.
#include "platform/CTime.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "platform/WinBase.h"

namespace {

// Runs the test in a fixed zone with daylight saving, restoring the former one afterwards.
class CTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = ::getenv("TZ");
        m_hadTz = tz != nullptr;
        if (tz) m_oldTz = tz;
        ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        ::tzset();
    }
    void TearDown() override
    {
        if (m_hadTz)
            ::setenv("TZ", m_oldTz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool m_hadTz = false;
    std::string m_oldTz;
};

TEST_F(CTimeTest, FieldsAreLocalTime)
{
    const CTime winter(2024, 1, 15, 10, 30, 5);
    EXPECT_EQ(winter.GetTime(), 1705311005);  // 09:30:05 UTC
    EXPECT_EQ(winter.GetYear(), 2024);
    EXPECT_EQ(winter.GetMonth(), 1);
    EXPECT_EQ(winter.GetDay(), 15);
    EXPECT_EQ(winter.GetHour(), 10);
    EXPECT_EQ(winter.GetMinute(), 30);
    EXPECT_EQ(winter.GetSecond(), 5);
    EXPECT_EQ(winter.GetDayOfWeek(), 2);  // a Monday
    // In summer the C run-time picks daylight time by itself.
    EXPECT_EQ(CTime(2024, 7, 15, 10, 30, 5).GetTime(), 1721032205);  // 08:30:05 UTC
}

TEST_F(CTimeTest, AFileTimeIsMadeLocalThenReadWithTheRuntimesRules)
{
    SYSTEMTIME now{};
    GetSystemTime(&now);
    FILETIME utc{};
    ASSERT_TRUE(SystemTimeToFileTime(&now, &utc));
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    SYSTEMTIME fields{};
    ASSERT_TRUE(FileTimeToSystemTime(&local, &fields));
    const CTime fromFile(utc, -1);
    EXPECT_EQ(fromFile, CTime(fields, -1));
    EXPECT_EQ(fromFile, CTime(fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond));
    // Today's bias applies today: the result is the UTC moment itself, to the second.
    std::tm moment{};
    moment.tm_year = now.wYear - 1900;
    moment.tm_mon = now.wMonth - 1;
    moment.tm_mday = now.wDay;
    moment.tm_hour = now.wHour;
    moment.tm_min = now.wMinute;
    moment.tm_sec = now.wSecond;
    EXPECT_EQ(fromFile.GetTime(), static_cast<std::int64_t>(::timegm(&moment)));
}

}  // namespace
