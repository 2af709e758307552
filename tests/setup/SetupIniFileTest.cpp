// Tests of SetupIniFile, the stand-in Application Manager's reading of an installation description.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Text.h"
#include "tests/setup/SetupMachine.h"
#include "tools/appmgr/SetupIniFile.h"

namespace {

std::vector<std::string> Names(const SetupIniFile& ini)
{
    std::vector<std::string> names;
    for (const auto& component : ini.Components()) names.push_back(component.name);
    return names;
}

TEST(SetupIniFile, ReadsVersionComponentsDescriptionsAndCabFiles)
{
    SetupIniFile ini;
    ini.Parse("; a comment\r\n[CEAppManager]\r\nVersion = 1.0\r\nComponent = Notes , Sketch\r\n\r\n"
              "[notes]\r\nDescription = Pocket Notes\r\nCabFiles = N.ARM.CAB, N.MIPS.CAB\r\n"
              "Description = second, ignored\r\n[Sketch]\r\nCabFiles=S.ARM.CAB\r\n");
    EXPECT_EQ(ini.Version(), "1.0");
    ASSERT_EQ(Names(ini), (std::vector<std::string>{"Notes", "Sketch"}));
    EXPECT_EQ(ini.Components()[0].description, "Pocket Notes");
    EXPECT_EQ(ini.Components()[0].cabFiles, (std::vector<std::string>{"N.ARM.CAB", "N.MIPS.CAB"}));
    EXPECT_EQ(ini.Components()[1].description, "");
    EXPECT_EQ(ini.Components()[1].cabFiles, std::vector<std::string>{"S.ARM.CAB"});
}

TEST(SetupIniFile, DecodesCodePageUtf8AndUtf16Text)
{
    const std::u16string text = u"[CEAppManager]\r\nComponent = A\r\n[A]\r\nDescription = 掌上便笺\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : text) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"code page", Utf16ToAnsi(text)},
        {"UTF-8", Utf16ToUtf8(text)},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + Utf16ToUtf8(text)},
        {"UTF-16", utf16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetupIniFile ini;
        ini.Parse(c.bytes);
        ASSERT_EQ(ini.Components().size(), 1u);
        EXPECT_EQ(ini.Components()[0].description, "掌上便笺");
    }
}

TEST(SetupIniFile, NamesNothingWithoutTheManagersSection)
{
    SetupIniFile ini;
    ini.Parse("Component = A\n[A]\nDescription = x\n");
    EXPECT_TRUE(ini.Components().empty());
    EXPECT_EQ(ini.Version(), "");
}

class SetupIniFileLoad : public SetupMachine {};

TEST_F(SetupIniFileLoad, ReadsTheFileOfAWindowsPath)
{
    std::filesystem::create_directories(m_driveC + "/Pkg Dir");
    std::ofstream(m_driveC + "/Pkg Dir/setup.ini") << "[CEAppManager]\nVersion = 2.5\nComponent = A\n";
    SetupIniFile ini;
    ASSERT_TRUE(ini.Load("C:\\pkg dir\\SETUP.INI"));
    EXPECT_EQ(ini.Version(), "2.5");
    EXPECT_EQ(Names(ini), std::vector<std::string>{"A"});
    EXPECT_FALSE(ini.Load("C:\\Pkg Dir\\missing.ini"));
    EXPECT_FALSE(ini.Load("C:\\Pkg Dir"));
}

}  // namespace
