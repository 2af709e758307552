// Tests of CLangPack: loading the "Lang" segment, the text lookup, damaged packs and the search by language.
#include "framework/CLangPack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/framework/LangPackFiles.h"

namespace {

class CLangPackTest : public ::testing::Test {
protected:
    TestFolder folder;
    CLangPack pack;
};

TEST_F(CLangPackTest, LoadsTheLangSegmentAndTheLaterDuplicateWins)
{
    WritePack(folder, "zh.lng",
              "Language=2052\n[Other]\n100=not this\n[Lang]\n100=first\n  101 =  中文文本  \n100=second\n"
              "10007=错误七\nx12y=digits anywhere\n");
    ASSERT_NE(pack.Open(folder.Path("zh.lng")), 0);
    struct Case {
        UINT id;
        const char* text;
    };
    const Case cases[] = {
        {100, "second"}, {101, "  中文文本"}, {10007, "错误七"}, {12, "digits anywhere"}, {102, "<Err 102>"},
        {0x80000000u, "<Err -2147483648>"}, {0xFFFFFFFFu, "<Err -1>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(ToUtf8(pack.GetResString(c.id)), c.text);
    }
}

TEST_F(CLangPackTest, ASegmentNamedInAnotherCaseLoadsNothingButOpens)
{
    WritePack(folder, "a.lng", "Language=1033\n[lang]\n100=hidden\n");
    EXPECT_NE(pack.Open(folder.Path("a.lng")), 0);
    EXPECT_EQ(ToUtf8(pack.GetResString(100)), "<Err 100>");
}

TEST_F(CLangPackTest, AFailedOpenLeavesTheTableEmpty)
{
    WritePack(folder, "a.lng", "Language=1033\n[Lang]\n100=text\n");
    ASSERT_NE(pack.Open(folder.Path("a.lng")), 0);
    ASSERT_EQ(ToUtf8(pack.GetResString(100)), "text");
    EXPECT_EQ(pack.Open(folder.Path("missing.lng")), 0);
    EXPECT_EQ(ToUtf8(pack.GetResString(100)), "<Err 100>");
    ASSERT_NE(pack.Open(folder.Path("a.lng")), 0);
    EXPECT_EQ(pack.Open(CString()), 0);
    EXPECT_EQ(ToUtf8(pack.GetResString(100)), "<Err 100>");
}

TEST_F(CLangPackTest, DamagedPacksNeitherCrashNorInventTexts)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"only a mark", "\xFF\xFE"},
        {"odd length", Utf16Bytes("L=1\n[Lang]\n1=a\n") + "\x41"},
        {"UTF-8 text", "L=1\r\n[Lang]\r\n1=a\r\n"},
        {"lone surrogates", Utf16Bytes("L=1\n[Lang]\n1=") + std::string("\x00\xD8\x00\xDC\x00\xDC", 6)},
        {"no segment head end", Utf16Bytes("L=1\n[Lang\n1=a\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.WriteBytes("bad.lng", c.bytes);
        pack.Open(folder.Path("bad.lng"));
        EXPECT_EQ(ToUtf8(pack.GetResString(2)), "<Err 2>");
        CLangPack::GetLanguageID(folder.Path("bad.lng"));
    }
}

TEST_F(CLangPackTest, AHugePackLoadsEveryEntry)
{
    std::string text = "Language=2052\n[Lang]\n";
    for (int i = 0; i < 50000; ++i) text += std::to_string(i) + "=text " + std::to_string(i) + "\n";
    WritePack(folder, "big.lng", text);
    ASSERT_NE(pack.Open(folder.Path("big.lng")), 0);
    EXPECT_EQ(ToUtf8(pack.GetResString(0)), "text 0");
    EXPECT_EQ(ToUtf8(pack.GetResString(49999)), "text 49999");
    EXPECT_EQ(ToUtf8(pack.GetResString(50000)), "<Err 50000>");
}

TEST(CLangPackLanguageTest, ReadsTheNumberAfterTheLastEqualsSignOfTheFirstLine)
{
    TestFolder folder;
    struct Case {
        const char* firstLine;
        UINT id;
    };
    const Case cases[] = {
        {"Language=2052", 2052}, {"a=b=1033", 1033}, {"1041", 1041},  {"Lang = 20 52 ", 2052},
        {"[Lang]", 0},           {"Language=", 0},   {"x=-5", static_cast<UINT>(-5)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstLine);
        WritePack(folder, "p.lng", std::string(c.firstLine) + "\n[Lang]\n1=a\n");
        EXPECT_EQ(CLangPack::GetLanguageID(folder.Path("p.lng")), c.id);
    }
    EXPECT_EQ(CLangPack::GetLanguageID(folder.Path("missing.lng")), 0u);
}

class CLangPackSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory(folder.Host("Lang"));
        WritePack(folder, "Lang/a-english.lng", "Language=1033\n[Lang]\n1=one\n");
        WritePack(folder, "Lang/b-chinese.lng", "Language=2052\n[Lang]\n1=一\n");
        WritePack(folder, "Lang/c-chinese.lng", "Language=2052\n[Lang]\n1=壹\n");
        WritePack(folder, "Lang/d-german.txt", "Language=1031\n[Lang]\n1=eins\n");
    }

    std::string Find(UINT id, const CString& dir)
    {
        char16_t buffer[MAX_PATH];
        std::fill(std::begin(buffer), std::end(buffer), u'?');
        CLangPack::FindLangPack(buffer, id, dir);
        return Utf16ToUtf8(buffer);
    }

    TestFolder folder;
};

TEST_F(CLangPackSearchTest, FindsTheFirstPackOfTheLanguageWithOrWithoutTheBackslash)
{
    const CString dir = FromUtf8(folder.Host("Lang"));
    for (const CString& given : {dir, dir + u"\\"}) {
        SCOPED_TRACE(ToUtf8(given));
        EXPECT_EQ(Find(1033, given), ToUtf8(dir + u"\\a-english.lng"));
        EXPECT_EQ(Find(2052, given), ToUtf8(dir + u"\\b-chinese.lng"));
        EXPECT_EQ(Find(1031, given), "");
        EXPECT_EQ(Find(0, given), "");
    }
    EXPECT_EQ(Find(1033, FromUtf8(folder.Host("missing"))), "");
}

TEST_F(CLangPackSearchTest, APathThatWouldNotFitGivesTheEmptyString)
{
    // A folder deep enough that folder + name reaches 260 units.
    std::string deep = "Lang";
    while (folder.Host(deep).size() < 250) deep += "/dddddddddd";
    std::filesystem::create_directories(folder.Host(deep));
    WritePack(folder, deep + "/zz.lng", "Language=1033\n");
    char16_t buffer[MAX_PATH + 40];
    std::fill(std::begin(buffer), std::end(buffer), u'?');
    CLangPack::FindLangPack(buffer, 1033, FromUtf8(folder.Host(deep)));
    EXPECT_EQ(buffer[0], 0);
    for (std::size_t i = MAX_PATH; i < std::size(buffer); ++i) ASSERT_EQ(buffer[i], u'?') << i;
}

}  // namespace
