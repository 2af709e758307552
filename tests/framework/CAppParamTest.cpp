// Tests of CAppParam: the load and save order through the hooks, the configuration and profile paths,
// and the rectangle and font texts, damaged ones included.
#include "framework/CAppParam.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "tests/framework/ShellApp.h"

namespace {

using Calls = std::vector<std::string>;

class CAppParamTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        Start(app);
        ASSERT_TRUE(app.InitInstance());
        config = ToUtf8(install) + ToUtf8(CString(app.m_pszAppName)) + ".ini";
        profile = ToUtf8(install) + "Profile\\Work.ini";
    }
    void TearDown() override { app.ExitInstance(); }

    void Touch(const std::string& name) { std::ofstream(Host(name)) << "x"; }

    ShellApp app{0};
    std::string config;
    std::string profile;
};

TEST_F(CAppParamTest, LoadTakesTheFilesThatExistAndTheDefaultsOtherwise)
{
    struct Case {
        bool hasConfig;
        bool hasProfile;
        Calls expected;
    };
    const std::string name = ToUtf8(CString(app.m_pszAppName)) + ".ini";
    const Case cases[] = {
        {false, false, {"LoadDefaultConfig", "LoadDefaultProfile"}},
        {true, false, {"LoadConfig(" + config + ")", "LoadDefaultProfile"}},
        {true, true, {"LoadConfig(" + config + ")", "LoadProfile(" + profile + ")"}},
        {false, true, {"LoadDefaultConfig", "LoadProfile(" + profile + ")"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.hasConfig) + std::to_string(c.hasProfile));
        std::filesystem::remove_all(Host("Profile"));
        std::filesystem::remove(Host(name));
        if (c.hasConfig) Touch(name);
        if (c.hasProfile) {
            std::filesystem::create_directories(Host("Profile"));
            Touch("Profile/Work.ini");
        }
        RecordingParam param;
        param.m_strProfile = u"Work";
        EXPECT_NE(param.LoadParam(), 0);
        EXPECT_EQ(param.calls, c.expected);
    }
}

TEST_F(CAppParamTest, SaveWritesBothWhetherOrNotTheyExist)
{
    RecordingParam param;
    param.m_strProfile = u"Work";
    param.SaveParam();
    EXPECT_EQ(param.calls, (Calls{"SaveConfig(" + config + ")", "SaveProfile(" + profile + ")"}));
    EXPECT_TRUE(std::filesystem::is_directory(Host("Profile")));
}

TEST_F(CAppParamTest, WithoutProfileNoProfileFolderAndNoProfileHook)
{
    RecordingParam param(0);
    param.m_strProfile = u"Work";
    param.LoadParam();
    param.SaveParam();
    EXPECT_EQ(param.calls, (Calls{"LoadDefaultConfig", "SaveConfig(" + config + ")"}));
    EXPECT_FALSE(std::filesystem::exists(Host("Profile")));
    EXPECT_EQ(param.GetProfile(), nullptr);
}

TEST_F(CAppParamTest, Paths)
{
    RecordingParam param;
    CString path;
    param.GetConfigPath(path);
    EXPECT_EQ(ToUtf8(path), config);
    param.GetProfilePath(path, u"");
    EXPECT_EQ(ToUtf8(path), ToUtf8(install) + "Profile\\.ini");
    // An existing folder is no failure.
    param.GetProfilePath(path, u"张三");
    EXPECT_EQ(ToUtf8(path), ToUtf8(install) + "Profile\\张三.ini");
    EXPECT_TRUE(std::filesystem::is_directory(Host("Profile")));
}

TEST_F(CAppParamTest, RectangleTexts)
{
    RecordingParam param;
    const RECT rect{-10, -20, 30, 40};
    CString text;
    param.RECTToStr(text, rect);
    EXPECT_EQ(ToUtf8(text), "-10,-20,30,40");
    RECT back{};
    param.StrToRECT(back, text);
    EXPECT_EQ(std::memcmp(&back, &rect, sizeof rect), 0);

    struct Case {
        const char16_t* text;
        RECT expected;
    };
    // Missing pieces keep their values (here 7); damaged pieces read what digits they hold.
    const Case cases[] = {
        {u"-1, -2, -3, -4", {-1, 2, 3, 4}},
        {u"1,2,3,4,5,6", {1, 2, 3, 4}},
        {u"1,2", {1, 2, 7, 7}},
        {u"", {0, 7, 7, 7}},
        {u"x,y1z,,-", {0, 1, 0, 0}},
        {u"2147483647,-2147483648,4294967297,99999999999", {2147483647, -2147483647 - 1, 1, 1215752191}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(CString(c.text)));
        RECT got{7, 7, 7, 7};
        param.StrToRECT(got, c.text);
        EXPECT_EQ(got.left, c.expected.left);
        EXPECT_EQ(got.top, c.expected.top);
        EXPECT_EQ(got.right, c.expected.right);
        EXPECT_EQ(got.bottom, c.expected.bottom);
    }
}

LOGFONTW Font(const char16_t* face)
{
    LOGFONTW font{};
    font.lfHeight = -12;
    font.lfWidth = 5;
    font.lfEscapement = 900;
    font.lfOrientation = -900;
    font.lfWeight = 700;
    font.lfItalic = 1;
    font.lfUnderline = 0;
    font.lfStrikeOut = 255;
    font.lfCharSet = 134;
    font.lfOutPrecision = 3;
    font.lfClipPrecision = 2;
    font.lfQuality = 4;
    font.lfPitchAndFamily = 49;
    std::copy(face, face + std::char_traits<char16_t>::length(face), font.lfFaceName);
    return font;
}

TEST_F(CAppParamTest, FontTextsRoundTrip)
{
    RecordingParam param;
    const LOGFONTW font = Font(u"Arial");
    CString text;
    param.LOGFONTToStr(text, font);
    EXPECT_EQ(ToUtf8(text), "-12,5,900,-900,700,1,0,255,134,3,2,4,49,Arial");
    LOGFONTW back;
    std::memset(&back, 0x55, sizeof back);
    param.StrToLOGFONT(back, text);
    EXPECT_EQ(std::memcmp(&back, &font, sizeof font), 0);

    // A face name filling all 32 units without a terminator is written whole and read back cut to 31.
    LOGFONTW full = Font(u"");
    std::fill(std::begin(full.lfFaceName), std::end(full.lfFaceName), u'W');
    param.LOGFONTToStr(text, full);
    EXPECT_EQ(ToUtf8(text), "-12,5,900,-900,700,1,0,255,134,3,2,4,49," + std::string(32, 'W'));
    param.StrToLOGFONT(back, text);
    EXPECT_EQ(ToUtf8(CString(back.lfFaceName)), std::string(31, 'W'));
}

TEST_F(CAppParamTest, DamagedFontTexts)
{
    RecordingParam param;
    struct Case {
        const char16_t* text;
        LONG height, weight;
        BYTE italic, charSet, pitch;
        std::string face;
    };
    // Missing numbers keep their values (those of Font(u"Old")); a missing face name is empty.
    const Case cases[] = {
        {u"1,2,3,4,400,300,0,0,134,0,0,0,0,宋体", 1, 400, 44, 134, 0, "宋体"},
        {u"1,2,3,4,400,1,0,0,134,0,0,0,0,", 1, 400, 1, 134, 0, ""},
        {u"1,2,3,4,400,1,0,0,134,0,0,0,0,A,B,C", 1, 400, 1, 134, 0, "A"},
        {u"8,,", 8, 700, 1, 134, 49, ""},
        {u"", 0, 700, 1, 134, 49, ""},
        {u"-5,2,3,4,x, -1,0,0,-122,0,0,0,0,Face With A Name That Is Far Too Long For The Field", -5, 0, 1, 134, 0,
         "Face With A Name That Is Far To"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(CString(c.text)));
        LOGFONTW font = Font(u"Old");
        param.StrToLOGFONT(font, c.text);
        EXPECT_EQ(font.lfHeight, c.height);
        EXPECT_EQ(font.lfWeight, c.weight);
        EXPECT_EQ(font.lfItalic, c.italic);
        EXPECT_EQ(font.lfCharSet, c.charSet);
        EXPECT_EQ(font.lfPitchAndFamily, c.pitch);
        EXPECT_EQ(font.lfFaceName[LF_FACESIZE - 1], u'\0');
        EXPECT_EQ(ToUtf8(CString(font.lfFaceName)), c.face);
    }
}

}  // namespace
