// Tests of the text conversions: UTF-8, the system code page, double-byte walking and the counting converters.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

// Every test starts from the default code page and leaves no override behind.
class Text : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("PELRUDO_CODEPAGE");
        SetACP(0);
    }
    void TearDown() override
    {
        unsetenv("PELRUDO_CODEPAGE");
        SetACP(0);
    }
};

const char* const kChinese = "备份目录\\Data\\表格.cab";

}  // namespace

TEST_F(Text, Utf8RoundTripsAllPlanes)
{
    const std::u16string texts[] = {u"", u"plain ASCII", u"Ünïcödé", u"中文：备份", u"\U0001F600 emoji \U00010348", u"\uFFFF\uE000"};
    for (const auto& text : texts) {
        const std::string utf8 = Utf16ToUtf8(text);
        SCOPED_TRACE(utf8);
        EXPECT_EQ(Utf8ToUtf16(utf8), text);
        EXPECT_EQ(Utf8Size(text), utf8.size());
    }
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16("\xE4\xB8\xAD"), u"中");
}

TEST_F(Text, IllFormedUtf8BecomesReplacementCharacters)
{
    struct Row {
        const char* bytes;
        std::u16string want;
    };
    const Row rows[] = {
        {"a\x80" "b", u"a\uFFFDb"},                 // stray continuation byte
        {"\xC3", u"\uFFFD"},                        // truncated at the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},              // overlong form of '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},    // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
        {"\xE4\xB8" "x", u"\uFFFDx"},               // a cut-short character is one replacement
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes);
        EXPECT_EQ(Utf8ToUtf16(row.bytes), row.want);
    }
}

TEST_F(Text, LoneSurrogatesBecomeReplacementCharacters)
{
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0xDBFF, 0};
    EXPECT_EQ(Utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Utf8Size(lone), 11u);
    EXPECT_EQ(ToUtf8(CStringW(u"x")), "x");
    EXPECT_EQ(FromUtf8("表"), u"表");
}

TEST_F(Text, CodePageDefaultsTo936AndFollowsEnvironmentAndSetACP)
{
    EXPECT_EQ(GetACP(), 936u);
    setenv("PELRUDO_CODEPAGE", "1252", 1);
    EXPECT_EQ(GetACP(), 1252u);
    setenv("PELRUDO_CODEPAGE", "bogus", 1);
    EXPECT_EQ(GetACP(), 936u);
    SetACP(932);
    EXPECT_EQ(GetACP(), 932u);
}

TEST_F(Text, ChineseRoundTripsThroughCodePage936)
{
    const std::u16string text = Utf8ToUtf16(kChinese);
    const std::string ansi = Utf16ToAnsi(text);
    EXPECT_EQ(ansi, "\xB1\xB8\xB7\xDD\xC4\xBF\xC2\xBC\\Data\\\xB1\xED\xB8\xF1.cab");
    EXPECT_EQ(AnsiToUtf16(ansi), text);
    // U+661E is 0x95 0x5C: its trail byte is a backslash.
    EXPECT_EQ(Utf16ToAnsi(u"昞"), "\x95\x5C");
    EXPECT_EQ(AnsiToUtf16("\x95\x5C\\"), u"昞\\");
}

TEST_F(Text, UnconvertibleTextBecomesQuestionMarks)
{
    EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b");                  // no emoji in 936
    EXPECT_EQ(Utf16ToAnsi(u"中é", 1252), "?\xE9");
    const char16_t lone[] = {u'x', 0xD800, u'y', 0};
    EXPECT_EQ(Utf16ToAnsi(lone), "x?y");
    EXPECT_EQ(AnsiToUtf16("a\xFF" "b"), u"a?b");                       // 0xFF starts nothing in 936
    EXPECT_EQ(AnsiToUtf16("ab\xB1"), u"ab?");                          // lead byte cut off at the end
    EXPECT_EQ(AnsiToUtf16("\xE9t\xE9", 1252), u"été");
    EXPECT_EQ(AnsiToUtf16("\x82\xA0", 932), u"あ");
}

TEST_F(Text, UnknownCodePageFailsWithLastError)
{
    SetLastError(0);
    EXPECT_TRUE(AnsiToUtf16("abc", 12345).empty());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Text, LeadBytesPerCodePage)
{
    EXPECT_TRUE(IsDBCSLeadByteEx(936, 0x81));
    EXPECT_TRUE(IsDBCSLeadByteEx(936, 0xFE));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, 0x80));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, 0xFF));
    EXPECT_FALSE(IsDBCSLeadByteEx(936, '\\'));
    EXPECT_TRUE(IsDBCSLeadByteEx(932, 0x82));
    EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA5));  // half-width katakana is one byte
    EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0xE9));
    EXPECT_TRUE(IsDBCSLeadByte(0xB1));
    SetACP(1252);
    EXPECT_FALSE(IsDBCSLeadByte(0xB1));
}

TEST_F(Text, MbsRChrNeverMatchesATrailByte)
{
    const char* path = "C:\\Dir\\\x95\x5C";  // the last "backslash" is the trail of U+661E
    EXPECT_EQ(MbsRChr(path, '\\'), path + 6);
    const char* onlyTrail = "\x95\x5C\x95\x5C";
    EXPECT_EQ(MbsRChr(onlyTrail, '\\'), nullptr);
    EXPECT_EQ(MbsRChr("abc", 'x'), nullptr);
    EXPECT_EQ(MbsRChr(nullptr, 'x'), nullptr);
    const char* text = "a.b.c";
    EXPECT_EQ(MbsRChr(text, '.'), text + 3);
    EXPECT_EQ(MbsRChr(text, '\0'), text + 5);
    const char* dangling = "a\\\x95";  // a lead byte with no trail ends the text
    EXPECT_EQ(MbsRChr(dangling, '\\'), dangling + 1);
    SetACP(1252);
    EXPECT_EQ(MbsRChr(path, '\\'), path + 8);  // single-byte code page: every byte is a character
}

TEST_F(Text, MultiByteToWideCharCountsAndCopies)
{
    const char* ansi = "\xB1\xED\xB8\xF1";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0), 3);  // with the terminator
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, 2, nullptr, 0), 1);
    char16_t buf[8] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, -1, buf, 8), 3);
    EXPECT_EQ(std::u16string(buf), u"表格");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, ansi, -1, buf, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xF0\x9F\x98\x80", 4, buf, 8), 2);
    EXPECT_EQ(buf[0], 0xD83D);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, buf, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Text, WideCharToMultiByteCountsAndReportsDefaultChar)
{
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"表格", -1, nullptr, 0, nullptr, nullptr), 5);
    char buf[16] = {};
    BOOL used = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, u"表格", -1, buf, 16, nullptr, &used), 5);
    EXPECT_STREQ(buf, "\xB1\xED\xB8\xF1");
    EXPECT_FALSE(used);
    ASSERT_EQ(WideCharToMultiByte(1252, 0, u"a中", 2, buf, 16, "#", &used), 2);
    EXPECT_EQ(std::string(buf, 2), "a#");
    EXPECT_TRUE(used);
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"表格", -1, buf, 4, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"x", -1, buf, 16, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"中", -1, buf, 16, nullptr, nullptr), 4);
    EXPECT_STREQ(buf, "\xE4\xB8\xAD");
}

TEST_F(Text, HostTextOfBothKinds)
{
    EXPECT_EQ(ToHostText(u"表"), "表");
    EXPECT_EQ(ToHostText("\xB1\xED"), "表");
    EXPECT_EQ(ToHostText(static_cast<const char*>(nullptr)), "");
}
