// Tests of CStringT: case mapping, trimming, case-blind comparison and formatting, wide and narrow.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "platform/CStringT.h"
#include "platform/Text.h"

namespace {

// Formats with the wide string and hands back UTF-8 so that failures print readably.
template <class... Args>
std::string FormatW(const char16_t* format, Args... args)
{
    CStringW s;
    s.Format(format, args...);
    return ToUtf8(s);
}

template <class... Args>
std::string FormatA(const char* format, Args... args)
{
    CStringA s;
    s.Format(format, args...);
    return s.GetString();
}

struct CaseRow {
    const char* upper;
    const char* lower;
};

class CStringTNarrow : public ::testing::Test {
protected:
    void SetUp() override { SetACP(936); }
    void TearDown() override { SetACP(0); }
};

}  // namespace

TEST(CStringT, MakeUpperAndLowerMapWideLetters)
{
    const CaseRow rows[] = {
        {"HELLO, WORLD 123", "hello, world 123"},
        {"ÀÉÎÕÜÞ", "àéîõüþ"},                     // Latin-1
        {"ĀĂĄĆĈŁŃŇŊŐŒŠŸŹŻŽ", "āăąćĉłńňŋőœšÿźżž"},  // Latin Extended-A, including Ÿ/ÿ
        {"ΑΒΓΔΩΆΈΌΏ", "αβγδωάέόώ"},              // Greek
        {"АБВЖЯЁЂЏѢҐӁӐ", "абвжяёђџѣґӂӑ"},          // Cyrillic
        {"ＡＢＣ", "ａｂｃ"},                       // full-width Latin
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.upper);
        CStringW up = FromUtf8(row.lower);
        EXPECT_EQ(ToUtf8(up.MakeUpper()), row.upper);
        CStringW down = FromUtf8(row.upper);
        EXPECT_EQ(ToUtf8(down.MakeLower()), row.lower);
    }
}

TEST(CStringT, CaseMappingLeavesUncasedTextAlone)
{
    const char* texts[] = {"ß×÷µ", "中文字符", "ĸŉ", "123 !?"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        CStringW s = FromUtf8(text);
        EXPECT_EQ(ToUtf8(s.MakeUpper()), text);
        EXPECT_EQ(ToUtf8(s.MakeLower()), text);
    }
}

TEST(CStringT, OneWayCaseMappings)
{
    CStringW finalSigma(u"ς");
    EXPECT_EQ(finalSigma.MakeUpper(), u"Σ");
    CStringW dotless(u"ı");
    EXPECT_EQ(dotless.MakeUpper(), u"I");
    CStringW dotted(u"İ");
    EXPECT_EQ(dotted.MakeLower(), u"i");
}

TEST(CStringT, TrimRemovesWideWhiteSpace)
{
    CStringW s(u"\u3000\t\r\n\v\f \u00A0text with  inner space\u00A0\u3000 \r\n");
    s.Trim();
    EXPECT_EQ(s, u"text with  inner space");

    CStringW left(u"  x  ");
    EXPECT_EQ(left.TrimLeft(), u"x  ");
    CStringW right(u"  x  ");
    EXPECT_EQ(right.TrimRight(), u"  x");
    CStringW blank(u" \t\u3000");
    EXPECT_TRUE(blank.Trim().IsEmpty());
}

TEST(CStringT, CompareNoCase)
{
    EXPECT_EQ(CStringW(u"Software").CompareNoCase(u"SOFTWARE"), 0);
    EXPECT_EQ(CStringW(u"Привет").CompareNoCase(u"пРИВЕТ"), 0);
    EXPECT_EQ(CStringW(u"abc").CompareNoCase(u"ABD"), -1);
    EXPECT_EQ(CStringW(u"abd").CompareNoCase(u"ABC"), 1);
    EXPECT_EQ(CStringW(u"ab").CompareNoCase(u"AB\u4E2D"), -1);
    EXPECT_EQ(CStringW(u"").CompareNoCase(nullptr), 0);
    EXPECT_EQ(CStringW(u"a").CompareNoCase(nullptr), 1);
    // Code units compare as unsigned values: a CJK character sorts after every Latin letter.
    EXPECT_EQ(CStringW(u"\u4E2D").CompareNoCase(u"Z"), 1);
}

TEST(CStringT, FormatTableWide)
{
    struct Row {
        std::string got;
        const char* want;
    };
    const char16_t* nullText = nullptr;
    const Row rows[] = {
        {FormatW(u"Software%d", 1), "Software1"},
        {FormatW(u"%d|%i|%d", 0, -42, INT_MIN), "0|-42|-2147483648"},
        {FormatW(u"%u|%u", 42u, 4294967295u), "42|4294967295"},
        {FormatW(u"%x|%X|%o", 255u, 0xBEEFu, 8u), "ff|BEEF|10"},
        {FormatW(u"%#x|%#X|%#o|%#x|%#o", 255u, 255u, 8u, 0u, 0u), "0xff|0XFF|010|0|0"},
        {FormatW(u"%ld|%lu|%lx", -5, 4000000000u, 0xABCDu), "-5|4000000000|abcd"},
        {FormatW(u"%lld|%llu", -9000000000LL, 18446744073709551615ULL), "-9000000000|18446744073709551615"},
        {FormatW(u"%I64d|%I64u", INT64_MIN, 123456789012ULL), "-9223372036854775808|123456789012"},
        {FormatW(u"[%5d][%-5d][%05d][%+d][% d]", 42, 42, -42, 42, 42), "[   42][42   ][-0042][+42][ 42]"},
        {FormatW(u"[%.3d][%8.3d][%-8.3x][%.0d]", 7, -7, 10u, 0), "[007][    -007][00a     ][]"},
        {FormatW(u"[%*d][%-*d][%.*d][%*d]", 4, 1, 4, 2, 3, 3, -3, 4), "[   1][2   ][003][4  ]"},
        {FormatW(u"%s=%s", u"键", u"值"), "键=值"},
        {FormatW(u"[%8s][%-6s][%.2s][%*.*s]", u"abc", u"ab", u"中文字", 5, 1, u"xyz"), "[     abc][ab    ][中文][    x]"},
        {FormatW(u"%s", nullText), "(null)"},
        {FormatW(u"%d.%d %c", 1, 5, u'M'), "1.5 M"},
        {FormatW(u"%c%c|%3c|%-3c|", u'中', 'a', 'b', 'c'), "中a|  b|c  |"},
        {FormatW(u"100%% %d%%", 5), "100% 5%"},
        {FormatW(u"<Err %d>", static_cast<int>(3000000000u)), "<Err -1294967296>"},
        {FormatW(u"[%d:%d:%d.%d] ", 9, 5, 3, 70), "[9:5:3.70] "},
        {FormatW(u"%.2f|%5.1f|%e", 3.14159, 2.25, 1000.0), "3.14|  2.2|1.000000e+03"},
        {FormatW(u"%hs|%S", "narrow", "also"), "narrow|also"},
        {FormatW(u"%y and %d", 5), "%y and 5"},
        {FormatW(u"%n|%d", 6), "%n|6"},  // never writes through an argument
        {FormatW(u"%I64", 1), "%I64"},
        {FormatW(u"tail %"), "tail %"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.want);
        EXPECT_EQ(row.got, row.want);
    }
}

TEST(CStringT, FormatPointerIsPaddedUpperHex)
{
    const void* p = reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xABCDEF));
    const std::string want = std::string(2 * sizeof(void*) - 6, '0') + "ABCDEF";
    EXPECT_EQ(FormatW(u"%p", p), want);
}

TEST(CStringT, FormatLongResultAndAppendFormat)
{
    const std::u16string big(5000, u'x');
    CStringW s;
    s.Format(u"<%s>", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    s.Format(u"%d", 1);
    s.AppendFormat(u"+%s", u"二");
    s.AppendFormat(u"=%03d", 3);
    EXPECT_EQ(s, u"1+二=003");
}

TEST(CStringT, FormatTakesStringObjectsForPercentS)
{
    const CStringW folder(u"C:\\Windows\\");
    const CStringW name(u"备份");
    CStringW s;
    s.Format(u"%s%stmp", folder, name);
    EXPECT_EQ(s, u"C:\\Windows\\备份tmp");
    s.AppendFormat(u"|%s|%S", CStringW(u"w"), CStringA("n"));
    EXPECT_EQ(s, u"C:\\Windows\\备份tmp|w|n");
    CStringA narrow;
    narrow.Format("%s-%ls", CStringA("a"), CStringW(u"b"));
    EXPECT_STREQ(narrow.GetString(), "a-b");
    s.Format(u"no arguments %%");
    EXPECT_EQ(s, u"no arguments %");
}

TEST(CStringT, FormatV)
{
    struct Helper {
        static CStringW Run(const char16_t* f, ...)
        {
            va_list args;
            va_start(args, f);
            CStringW s(u"old");
            s.FormatV(f, args);
            va_end(args);
            return s;
        }
    };
    EXPECT_EQ(Helper::Run(u"%s%sProfile\\%s.ini", u"C:\\", u"App\\", u"默认"), u"C:\\App\\Profile\\默认.ini");
    EXPECT_EQ(Helper::Run(u""), u"");
}

TEST(CStringT, FormatTableNarrow)
{
    struct Row {
        std::string got;
        const char* want;
    };
    const char* nullText = nullptr;
    const Row rows[] = {
        {FormatA("%s\\%s.tmp", "C:\\Temp", "name"), "C:\\Temp\\name.tmp"},
        {FormatA("[%-4d][%04X][%+.2d]", 7, 0xAFu, 3), "[7   ][00AF][+03]"},
        {FormatA("%s|%.1s", nullText, "ab"), "(null)|a"},
        {FormatA("%ls|%S", u"宽", u"wide"), "\xBF\xED|wide"},
        {FormatA("%c%%", 'z'), "z%"},
    };
    SetACP(936);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.want);
        EXPECT_EQ(row.got, row.want);
    }
    SetACP(0);
}

TEST_F(CStringTNarrow, CaseMappingSkipsTrailBytes)
{
    // "\x95\x5C" is one character whose trail byte looks like a backslash; "\xC4\x61" has a trail 'a'.
    CStringA s("ab\x95\x5C" "cd\xC4\x61" "ef");
    s.MakeUpper();
    EXPECT_STREQ(s.GetString(), "AB\x95\x5C" "CD\xC4\x61" "EF");
    s.MakeLower();
    EXPECT_STREQ(s.GetString(), "ab\x95\x5C" "cd\xC4\x61" "ef");
    CStringA latin("Setup \xC9");
    EXPECT_STREQ(latin.MakeLower().GetString(), "setup \xC9");
}

TEST_F(CStringTNarrow, CompareNoCaseAndTrim)
{
    EXPECT_EQ(CStringA("SETUP.INI").CompareNoCase("setup.ini"), 0);
    EXPECT_NE(CStringA("\xC4\x41").CompareNoCase("\xC4\x61"), 0);  // trail bytes are not letters
    EXPECT_EQ(CStringA("a").CompareNoCase("\xB1\xED"), -1);          // bytes compare as unsigned
    CStringA s(" \t\xB1\xED \r\n");
    EXPECT_STREQ(s.Trim().GetString(), "\xB1\xED");
}

TEST_F(CStringTNarrow, SearchesNeverStopOnATrailByte)
{
    const CStringA path("C:\\\x95\x5C\\setup.ini\x95\x5C");  // U+661E twice; its trail byte is 0x5C
    EXPECT_EQ(path.ReverseFind('\\'), 5);
    EXPECT_EQ(path.Find('\\'), 2);
    EXPECT_EQ(path.Find('\\', 4), 5);  // index 4 is the trail byte itself
    EXPECT_EQ(path.Find("\\s"), 5);
    EXPECT_EQ(path.Find("\x5C\\"), -1);  // a trail byte followed by a backslash is no match
    EXPECT_EQ(CStringA("\x95\x5C").ReverseFind('\\'), -1);
    CStringA replaced(path);
    EXPECT_EQ(replaced.Replace("\\", "/"), 2);
    EXPECT_STREQ(replaced.GetString(), "C:/\x95\x5C/setup.ini\x95\x5C");
    SetACP(1252);
    EXPECT_EQ(path.ReverseFind('\\'), 16);  // single-byte page: every byte is a character
}

TEST(CStringT, WideSearchAndReplace)
{
    CStringW s(u"a\\b\\c");
    EXPECT_EQ(s.Find(u'\\'), 1);
    EXPECT_EQ(s.Find(u'\\', 2), 3);
    EXPECT_EQ(s.Find(u'\\', -1), -1);
    EXPECT_EQ(s.ReverseFind(u'\\'), 3);
    EXPECT_EQ(s.Find(u"b\\"), 2);
    EXPECT_EQ(s.Find(u"b", 9), -1);
    EXPECT_EQ(s.Replace(u"\\", u"\\\\"), 2);
    EXPECT_EQ(s, u"a\\\\b\\\\c");
    EXPECT_EQ(s.Replace(u"\\\\", nullptr), 2);
    EXPECT_EQ(s, u"abc");
    EXPECT_EQ(s.Replace(u"", u"x"), 0);
    CStringW self(u"aa");
    EXPECT_EQ(self.Replace(self.GetString(), u"b"), 1);
    EXPECT_EQ(self, u"b");
    CStringW spaced(u" a b ");
    EXPECT_EQ(spaced.Remove(u' '), 3);
    EXPECT_EQ(spaced, u"ab");
}
