// Tests of CPluginImp and CFileImp over the tests' plug-ins.
#include <gtest/gtest.h>

#include "plugins/CFileImp.h"
#include "plugins/CPluginImp.h"
#include "tests/plugins/PluginFixture.h"

namespace {

using CPluginImpTest = PluginFixture;
using CFileImpTest = PluginFixture;

TEST_F(CPluginImpTest, CallsTheCommonExports)
{
    CPluginImp plugin(m_plugin);
    EXPECT_EQ(plugin.GetType(), 0x2u);
    char16_t buffer[512] = u"junk";
    plugin.GetSupport(buffer);
    EXPECT_EQ(CString(buffer), u"Test files (*.tst)|tst,TST");
    plugin.GetUserError(9, buffer);
    EXPECT_EQ(CString(buffer), u"error 9");
    EXPECT_EQ(plugin.GetLastError(), 0u);
}

TEST_F(CPluginImpTest, WithoutExportsNothingIsCalledAndResultsAreEmpty)
{
    CPluginImp none;
    CPluginImp bare(m_bare);
    EXPECT_EQ(none.GetType(), 0u);
    EXPECT_EQ(bare.GetType(), 0x10u);
    for (CPluginImp* plugin : {&none, &bare}) {
        char16_t buffer[16] = u"junk";
        plugin->GetSupport(buffer);
        EXPECT_EQ(buffer[0], 0);
        char16_t text[16] = u"junk";
        plugin->GetUserError(3, text);
        EXPECT_EQ(text[0], 0);
        EXPECT_EQ(plugin->GetLastError(), 0u);
    }
}

TEST_F(CPluginImpTest, ExportsAreLookedUpAtEachCall)
{
    CPluginImp plugin(m_plugin);
    EXPECT_EQ(plugin.GetType(), 0x2u);
    plugin.m_hModule = m_bare;
    EXPECT_EQ(plugin.GetType(), 0x10u);
    char16_t buffer[16] = u"junk";
    plugin.GetSupport(buffer);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(CFileImpTest, OpenHandsTheCallersStringAndStoresTheHandle)
{
    CFileImp file(m_plugin);
    CString path(u"C:\\a.tst");
    EXPECT_EQ(file.Open(path), 1);
    EXPECT_EQ(file.m_dwFile, 5u);
    EXPECT_EQ(PathObject(), &path);
    EXPECT_EQ(file.GetPath(), u"C:\\a.tst");
}

TEST_F(CFileImpTest, FailedOpenKeepsTheHandleAndTheReasonComesFromThePlugin)
{
    CFileImp file(m_plugin);
    ASSERT_EQ(file.Open(u"first"), 1);
    EXPECT_EQ(file.Open(u"fail"), 0);
    EXPECT_EQ(file.m_dwFile, 5u);
    EXPECT_EQ(file.GetLastError(), 7u);
    char16_t buffer[32] = {};
    file.GetUserError(file.GetLastError(), buffer);
    EXPECT_EQ(CString(buffer), u"error 7");
}

TEST_F(CFileImpTest, HandleZeroIsASuccess)
{
    CFileImp file(m_plugin);
    file.m_dwFile = 9;
    EXPECT_EQ(file.Open(u"zero"), 1);
    EXPECT_EQ(file.m_dwFile, 0u);
}

TEST_F(CFileImpTest, CloseHandsOverTheHandleEvenWhenZero)
{
    CFileImp never(m_plugin);
    never.Close();
    EXPECT_EQ(CloseCalls(), 1);
    EXPECT_EQ(Closed(), 0u);

    CFileImp file(m_plugin);
    ASSERT_EQ(file.Open(u"x"), 1);
    file.Close();
    EXPECT_EQ(CloseCalls(), 2);
    EXPECT_EQ(Closed(), 5u);
    EXPECT_EQ(file.m_dwFile, 0u);
}

TEST_F(CFileImpTest, CopiesShareThePluginsState)
{
    CFileImp file(m_plugin);
    ASSERT_EQ(file.Open(u"x"), 1);
    CFileImp copy(file);
    CFileImp assigned;
    assigned = file;
    file.Close();
    EXPECT_EQ(Closed(), 5u);
    EXPECT_EQ(copy.m_dwFile, 5u);
    EXPECT_EQ(assigned.m_dwFile, 5u);
    EXPECT_EQ(assigned.m_hModule, m_plugin);
}

TEST_F(CFileImpTest, GetIconPassesTheLastExtensionAsWritten)
{
    struct Case {
        const char16_t* text;
        const char16_t* asked;
    } cases[] = {
        {u"bmp,dib", u"dib"}, {u"bmp", u"bmp"}, {u"bmp,", u""}, {u"Bmp,DiB", u"DiB"}, {u"", u""}, {u"a,b,cde", u"cde"},
    };
    CFileImp file(m_plugin);
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        UINT icon = file.GetIcon(c.text);
        EXPECT_EQ(IconAsked(), c.asked);
        EXPECT_EQ(icon, 0x12340000u | static_cast<UINT>(CString(c.asked).GetLength()));
    }
}

TEST_F(CFileImpTest, WithoutExportsNothingIsCalled)
{
    for (HMODULE module : {static_cast<HMODULE>(nullptr), m_bare}) {
        CFileImp file(module);
        file.m_dwFile = 3;
        EXPECT_EQ(file.Open(u"x"), 0);
        EXPECT_EQ(file.m_dwFile, 3u);
        EXPECT_TRUE(file.GetPath().IsEmpty());
        EXPECT_EQ(file.GetIcon(u"bmp"), 0u);
        file.Close();
        EXPECT_EQ(file.m_dwFile, 0u);
    }
    EXPECT_EQ(CloseCalls(), 0);
}

}  // namespace
