// Tests of the resource calls over a table compiled by pelrudo-rc from test.rc, and of pelrudo-rc itself.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/ResourceApi.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/detail/DialogTemplate.h"

namespace {

using pelrudo::detail::DialogTemplate;

std::u16string LoadText(UINT id)
{
    char16_t buffer[64] = {};
    int n = LoadString(nullptr, id, buffer, 64);
    return std::u16string(buffer, static_cast<std::size_t>(n));
}

TEST(ResourceApi, LoadStringFindsEachIdInItsBlock)
{
    struct Case {
        UINT id;
        std::u16string text;
    } cases[] = {{101, u"关于 Pelrudo(&A)..."}, {102, u"Second \"quoted\" string"}, {117, u"Block eight"}, {103, u""},
                 {5000, u""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(LoadText(c.id), c.text);
    }
}

TEST(ResourceApi, LoadStringCutsToTheBufferAndTerminates)
{
    char16_t buffer[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(LoadString(nullptr, 117, buffer, 5), 4);
    EXPECT_EQ(std::u16string(buffer), u"Bloc");
    const char16_t* direct = nullptr;
    EXPECT_EQ(LoadString(nullptr, 117, reinterpret_cast<LPWSTR>(&direct), 0), 11);
    EXPECT_EQ(std::u16string(direct, 11), u"Block eight");
}

TEST(ResourceApi, NarrowLoadStringGivesTheCodePageAndNeverSplitsACharacter)
{
    char buffer[64] = {};
    ASSERT_EQ(LoadString(nullptr, 101, buffer, 64), 19);  // 关于 are two double-byte characters in 936
    EXPECT_EQ(std::string(buffer + 4), " Pelrudo(&A)...");
    char small[4] = {};
    EXPECT_EQ(LoadString(nullptr, 101, small, 4), 2);  // a third byte would split 于
    EXPECT_EQ(std::string(small), "\xB9\xD8");
}

TEST(ResourceApi, FindResourceReportsWhatIsMissing)
{
    EXPECT_NE(FindResource(nullptr, MAKEINTRESOURCEW(200), MAKEINTRESOURCEW(RT_DIALOG)), nullptr);
    SetLastError(0);
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCEW(999), MAKEINTRESOURCEW(RT_DIALOG)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(RT_BITMAP)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResource(nullptr, u"NAMED", MAKEINTRESOURCEW(RT_DIALOG)), nullptr);
}

TEST(ResourceApi, DialogTemplateRoundTrips)
{
    HRSRC res = FindResource(nullptr, MAKEINTRESOURCEA(200), MAKEINTRESOURCEA(RT_DIALOG));
    ASSERT_NE(res, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    DialogTemplate dlg;
    ASSERT_TRUE(pelrudo::detail::ParseDialogTemplate(data, SizeofResource(nullptr, res), &dlg));
    EXPECT_EQ(dlg.caption, u"Tavrimo's Pelrudo");
    EXPECT_EQ(dlg.faceName, u"宋体");
    EXPECT_EQ(dlg.pointSize, 9);
    EXPECT_EQ(dlg.style, DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_SETFONT);
    EXPECT_EQ(dlg.exStyle, WS_EX_APPWINDOW);
    EXPECT_EQ(dlg.cx, 220);
    EXPECT_EQ(dlg.cy, 218);
    ASSERT_EQ(dlg.items.size(), 7u);
    const auto& list = dlg.items[1];
    EXPECT_EQ(list.id, 1016u);
    EXPECT_EQ(list.className, u"SysListView32");
    EXPECT_EQ(list.style & (LVS_REPORT | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER | WS_CHILD | WS_VISIBLE),
              LVS_REPORT | LVS_SORTASCENDING | LVS_NOCOLUMNHEADER | WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(list.x, 7);
    EXPECT_EQ(list.cy, 67);
    const auto& ok = dlg.items[4];
    EXPECT_EQ(ok.classOrdinal, 0x80);
    EXPECT_EQ(ok.style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(ok.text, u"确定");
    const auto& help = dlg.items[6];
    EXPECT_EQ(help.style & WS_TABSTOP, 0u);  // NOT WS_TABSTOP cleared the implied style
    EXPECT_EQ(dlg.items[0].classOrdinal, 0x82);
    // A template cut short is refused, not read past its end.
    for (DWORD cut : {DWORD{0}, DWORD{10}, SizeofResource(nullptr, res) / 2, SizeofResource(nullptr, res) - 2}) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(pelrudo::detail::ParseDialogTemplate(data, cut, &dlg));
    }
}

TEST(ResourceApi, VersionResourceHasTheFixedInfoAndStrings)
{
    HRSRC res = FindResource(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(RT_VERSION));
    ASSERT_NE(res, nullptr);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
    DWORD size = SizeofResource(nullptr, res);
    ASSERT_EQ(data[0] | (data[1] << 8), static_cast<int>(size));
    // The signature sits at offset 40, after the header and "VS_VERSION_INFO".
    DWORD signature = 0;
    std::memcpy(&signature, data + 40, 4);
    EXPECT_EQ(signature, VS_FFI_SIGNATURE);

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(data, u"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x0000000Fu);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileOS, 4u);

    ASSERT_TRUE(VerQueryValue(data, u"\\StringFileInfo\\080404b0\\ProductName", &value, &length));
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(value)), u"Setup 应用程序");
    EXPECT_EQ(length, 11u);
    ASSERT_TRUE(VerQueryValue(data, u"\\stringfileinfo\\080404B0\\InternalName", &value, &length));
    EXPECT_EQ(std::u16string(static_cast<const char16_t*>(value)), u"Setup");
    ASSERT_TRUE(VerQueryValue(data, u"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x804);
    EXPECT_EQ(static_cast<const WORD*>(value)[1], 1200);
    EXPECT_FALSE(VerQueryValue(data, u"\\StringFileInfo\\080404b0\\Missing", &value, &length));
}

TEST(ResourceApi, ResourceModuleDefaultsToTheProgram)
{
    EXPECT_NE(AfxGetInstanceHandle(), nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), AfxGetInstanceHandle());
    EXPECT_NE(FindResource(AfxGetResourceHandle(), MAKEINTRESOURCEW(131), MAKEINTRESOURCEW(RT_DIALOG)), nullptr);
}

// pelrudo-rc itself: a script with faults fails with the line, and never writes a table.
class ResourceCompiler : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/pelrudo-rc-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    int Run(const std::string& script, std::string* messages)
    {
        std::ofstream(m_dir + "/s.rc") << script;
        std::string command = std::string(PELRUDO_BINARY_DIR) + "/bin/pelrudo-rc " + m_dir + "/s.rc -o " + m_dir +
                              "/out.cpp 2>" + m_dir + "/err.txt";
        int status = std::system(command.c_str());
        std::ifstream err(m_dir + "/err.txt");
        messages->assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
        return status;
    }

    std::string m_dir;
};

TEST_F(ResourceCompiler, ReportsFaultsWithTheirLine)
{
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"STRINGTABLE\nBEGIN\n 1 \"open\nEND\n", "line 3: unterminated string"},
        {"1 ICON \"missing.ico\"\n", "line 1: cannot read"},
        {"\n\n5 DIALOG 0, 0, 10, 10\nSTYLE WS_BOGUS\nBEGIN\nEND\n", "line 4: unknown name WS_BOGUS"},
        {"7 BITMAP \"x.bmp\"\n", "line 1: unknown resource type BITMAP"},
        {"1 ICON \"s.rc\"\n", "line 1: not a valid .ico file"},
        // A number too large even for 64 bits is read whole and refused, not a crash.
        {"STRINGTABLE\nBEGIN\n 99999999999999999999999999 \"x\"\nEND\n", "string ids are 0 to 65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::string messages;
        EXPECT_NE(Run(c.script, &messages), 0);
        EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
    }
}

TEST_F(ResourceCompiler, AcceptsAnEmptyScript)
{
    std::string messages;
    EXPECT_EQ(Run("// nothing\n", &messages), 0) << messages;
    std::ifstream out(m_dir + "/out.cpp");
    std::string source((std::istreambuf_iterator<char>(out)), std::istreambuf_iterator<char>());
    EXPECT_NE(source.find("pelrudo_resources = {1u, 0u, entries}"), std::string::npos);
}

}  // namespace

namespace {

// A shared module answers from its own table; the program and the module never see each other's.
TEST(ResourceApi, SharedModuleAnswersFromItsOwnTable)
{
    void* module = dlopen(PELRUDO_BINARY_DIR "/bin/ResourceModule.bsp", RTLD_NOW | RTLD_GLOBAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto hModule = static_cast<HMODULE>(module);
    char16_t buffer[32] = {};
    EXPECT_EQ(LoadString(hModule, 1, buffer, 32), 13);
    EXPECT_EQ(std::u16string(buffer), u"module string");
    EXPECT_EQ(LoadString(hModule, 101, buffer, 32), 0);
    EXPECT_NE(FindResource(hModule, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(RT_GROUP_ICON)), nullptr);
    EXPECT_EQ(FindResource(hModule, MAKEINTRESOURCEW(200), MAKEINTRESOURCEW(RT_DIALOG)), nullptr);
    // The program still finds its own table first, though the module's is now global.
    EXPECT_EQ(FindResource(nullptr, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(RT_GROUP_ICON)), nullptr);
    EXPECT_EQ(LoadText(101), u"关于 Pelrudo(&A)...");
    dlclose(module);
}

}  // namespace
