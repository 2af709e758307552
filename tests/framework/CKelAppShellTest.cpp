// Tests of CKelApp's start-up and exit: the order in which the services are made and released, the
// plug-in manager on the install folder, and parameters saved exactly once.
#include "framework/CKelApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Text.h"
#include "plugins/CPluginMgr.h"
#include "tests/framework/ShellApp.h"

namespace {

constexpr DWORD kAll = 0x01 | 0x02 | 0x04 | 0x10;

// What the application held when its parameters were saved.
std::string g_servicesAtSave;
ShellApp* g_app = nullptr;

void NoteServicesAtSave()
{
    g_servicesAtSave += g_app->Services() + "/";
}

class CKelAppShellTest : public ShellFixture {
protected:
    void TearDown() override { g_app = nullptr; }

    void StartWatched(ShellApp& app)
    {
        Start(app);
        g_app = &app;
        g_servicesAtSave.clear();
        ASSERT_TRUE(app.InitInstance());
        ASSERT_NE(app.param, nullptr);
        app.param->onSave = &NoteServicesAtSave;
    }
};

TEST_F(CKelAppShellTest, StartUpMakesTheServicesInOrderAndExitReleasesThemInOrder)
{
    ShellApp app(kAll);
    StartWatched(app);
    // The log file and the plug-in manager are there for the parameters, the language pack is not yet.
    EXPECT_EQ(app.servicesAtInitParam, "log plugins ");
    EXPECT_EQ(app.Services(), "log plugins lang param ");
    EXPECT_EQ(app.param->calls, (std::vector<std::string>{"LoadDefaultConfig", "LoadDefaultProfile"}));
    EXPECT_EQ(app.ExitInstance(), 0);
    // Saved after the plug-ins and the language pack are gone, while the log still runs.
    EXPECT_EQ(g_servicesAtSave, "log param /");
    EXPECT_EQ(app.Services(), "");
}

TEST_F(CKelAppShellTest, ReleaseParamThenExitSavesOnce)
{
    ShellApp app(0x04);
    StartWatched(app);
    app.ReleaseParam();
    EXPECT_EQ(app.GetAppParam(), nullptr);
    EXPECT_EQ(g_servicesAtSave, "param /");
    app.ReleaseParam();
    app.ExitInstance();
    EXPECT_EQ(g_servicesAtSave, "param /");
}

TEST_F(CKelAppShellTest, ThePluginManagerSearchesTheInstallFolder)
{
    std::filesystem::create_directories(Host("Plugin"));
    std::filesystem::copy_file(PELRUDO_MANAGER_PLUGIN, Host("Plugin/Pictures.bsp"));
    ShellApp app(0x10);
    Start(app);
    ASSERT_TRUE(app.InitInstance());
    CPluginMgr* manager = app.GetPluginMgr();
    ASSERT_NE(manager, nullptr);
    const CFileTypeInfo* type = manager->FindFileTypeInfo(u"photo.JPG");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(ToUtf8(type->m_strDescription), "JPEG image");
    EXPECT_EQ(ToUtf8(type->m_pPluginInfo->m_strPath), ToUtf8(install + u"Plugin\\Pictures.bsp"));
    EXPECT_EQ(app.Services(), "plugins ");
    app.ExitInstance();
    EXPECT_EQ(app.GetPluginMgr(), nullptr);
}

TEST_F(CKelAppShellTest, ReleasingAbsentServicesDoesNothing)
{
    ShellApp app(0);
    Start(app);
    ASSERT_TRUE(app.InitInstance());
    app.ReleaseLangPack();
    app.ReleaseParam();
    app.InitLangPack(2052);
    EXPECT_EQ(app.Services(), "");
    EXPECT_EQ(app.ExitInstance(), 0);
}

}  // namespace
