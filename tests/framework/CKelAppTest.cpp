// Tests of CKelApp and of CBaseObj through the running application: run-time class, install folder,
// services by feature bits, language choice, names and product version.
#include "framework/CKelApp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/CRegistry.h"
#include "framework/CBaseObj.h"
#include "framework/CErrorCode.h"
#include "framework/CLangPack.h"
#include "framework/CLogFile.h"
#include "platform/Text.h"
#include "tests/core/TempPrefix.h"
#include "tests/framework/LangPackFiles.h"

namespace {

class TestApp : public CKelApp {
public:
    explicit TestApp(DWORD flags, UINT language = 0) : m_language(language) { m_dwFlags = flags; }
    using CKelApp::InitLangPack;
    int langHookCalls = 0;
    int paramHookCalls = 0;

protected:
    void InitLangPack() override
    {
        ++langHookCalls;
        if (m_language) InitLangPack(m_language);
    }
    void InitParam() override { ++paramHookCalls; }

private:
    UINT m_language;
};

class PlainApp : public CWinApp {};

class DefaultTexts : public CErrorCode {
protected:
    CString LoadDefaultString(UINT nID) override
    {
        CString text;
        text.Format(u"default %u", nID);
        return text;
    }
};

// The Windows form of a host folder, through drive Z:.
CString WindowsForm(const std::string& host)
{
    CString path = u"Z:" + FromUtf8(host);
    path.Replace(u'/', u'\\');
    return path;
}

class CKelAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(prefix.Dir() + "/app/Lang");
        install = WindowsForm(prefix.Dir() + "/app/");
        Utf16File("app/Lang/en.lng", "Language=1033\n[Lang]\n1=one\n10007=error seven\n");
        Utf16File("app/Lang/zh.lng", "Language=2052\n[Lang]\n1=一\n10007=错误七\n");
    }

    void Utf16File(const std::string& name, const std::string& text)
    {
        std::ofstream(prefix.Dir() + "/" + name, std::ios::binary) << Utf16Bytes(text);
    }

    // As the entry point does, with the program placed in the test's install folder.
    void Start(CWinApp& app)
    {
        ASSERT_TRUE(AfxWinInit());
        helpPath = install + app.m_pszExeName + u".HLP";
        app.m_pszHelpFilePath = helpPath.GetString();
    }

    CString ReadInstallDir(const CWinApp& app)
    {
        CRegistry key;
        CString value = u"<none>";
        if (key.Open(HKEY_LOCAL_MACHINE, CString(u"Software\\Tavrimo\\") + app.m_pszAppName, 0))
            key.ReadString(u"InstallDir", value);
        return value;
    }

    TempPrefix prefix;
    CString install;
    CString helpPath;
};

TEST_F(CKelAppTest, RunTimeClassInformation)
{
    CRuntimeClass* info = RUNTIME_CLASS(CKelApp);
    EXPECT_STREQ(info->m_lpszClassName, "CKelApp");
    EXPECT_EQ(info->m_wSchema, 0xFFFFu);
    EXPECT_EQ(info->m_pfnGetBaseClass(), RUNTIME_CLASS(CWinApp));
    EXPECT_TRUE(info->IsDerivedFrom(RUNTIME_CLASS(CWinApp)));
    CObject* created = info->CreateObject();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetRuntimeClass(), info);
    EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(CWinApp)));
    EXPECT_EQ(AfxGetApp(), created);
    EXPECT_EQ(static_cast<CKelApp*>(created)->GetLogFile(), nullptr);
    delete created;
    EXPECT_EQ(AfxGetApp(), nullptr);
}

TEST_F(CKelAppTest, WithoutFeatureBitsStartUpOnlyRecordsTheInstallFolder)
{
    TestApp app(0);
    Start(app);
    EXPECT_EQ(app.GetLogFile(), nullptr);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(ToUtf8(ReadInstallDir(app)), ToUtf8(install));
    EXPECT_EQ(app.GetLogFile(), nullptr);
    EXPECT_EQ(app.GetLangPack(), nullptr);
    EXPECT_EQ(app.GetAppParam(), nullptr);
    EXPECT_EQ(app.GetPluginMgr(), nullptr);
    EXPECT_EQ(app.langHookCalls + app.paramHookCalls, 0);
    DefaultTexts obj;
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "default 1");
    obj.LOG(u"nowhere");
    EXPECT_FALSE(std::filesystem::exists(prefix.Dir() + "/app/" + ToUtf8(app.m_pszAppName) + ".txt"));
    app.ReleaseLangPack();
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(CKelAppTest, LogFileAndLanguagePackServeTheBaseObjects)
{
    TestApp app(0x01 | 0x02, 2052);
    Start(app);
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.GetLogFile(), nullptr);
    ASSERT_NE(app.GetLangPack(), nullptr);
    EXPECT_EQ(app.langHookCalls, 1);

    DefaultTexts obj;
    obj.LOG(u"hello %d %s", 5, u"世界");
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "一");
    EXPECT_EQ(ToUtf8(obj.GetErrorInfo(7)), "错误七");
    EXPECT_EQ(ToUtf8(obj.GetErrorInfo(8)), "<Err 10008>");
    app.InitLangPack(1033);
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "one");
    app.InitLangPack(1041);
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "<Err 1>");

    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(app.GetLogFile(), nullptr);
    EXPECT_EQ(app.GetLangPack(), nullptr);
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "default 1");
    std::ifstream in(prefix.Dir() + "/app/" + ToUtf8(app.m_pszAppName) + ".txt", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string expected = Utf16Bytes("] hello 5 世界\n").substr(2);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_NE(bytes.find(expected), std::string::npos);
}

TEST_F(CKelAppTest, ALanguagePackObjectWithoutAMatchingPackAnswersErrTexts)
{
    TestApp app(0x02, 1041);
    Start(app);
    ASSERT_TRUE(app.InitInstance());
    DefaultTexts obj;
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "<Err 1>");
    EXPECT_EQ(ToUtf8(obj.GetErrorInfo(7)), "<Err 10007>");
    app.ExitInstance();
}

TEST_F(CKelAppTest, TheParameterHookRunsForItsBitOnly)
{
    TestApp app(0x04);
    Start(app);
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.paramHookCalls, 1);
    EXPECT_EQ(app.langHookCalls, 0);
    app.ExitInstance();
}

TEST_F(CKelAppTest, NamesFollowTheRegistryOnEveryCall)
{
    TestApp app(0);
    Start(app);
    ASSERT_TRUE(app.InitInstance());
    const CString exe = CString(app.m_pszExeName) + u".exe";
    EXPECT_EQ(ToUtf8(app.GetAppPath()), ToUtf8(install));
    EXPECT_EQ(ToUtf8(app.GetExeName()), ToUtf8(install + exe));
    CRegistry key;
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, CString(u"Software\\Tavrimo\\") + app.m_pszAppName, 0));
    ASSERT_TRUE(key.WriteString(u"InstallDir", CString(u"C:\\Apps\\")));
    key.Close();
    EXPECT_EQ(ToUtf8(app.GetExeName()), ToUtf8(u"C:\\Apps\\" + exe));
    ASSERT_TRUE(CRegistry::DeleteKey(HKEY_LOCAL_MACHINE, CString(u"Software\\Tavrimo\\") + app.m_pszAppName));
    EXPECT_EQ(ToUtf8(app.GetAppPath()), "");
    EXPECT_EQ(ToUtf8(app.GetExeName()), ToUtf8(exe));
    app.ExitInstance();
}

TEST_F(CKelAppTest, ProductVersionOfTheVersionResource)
{
    TestApp app(0);
    EXPECT_EQ(app.GetProductVersion(), 2100015u);
}

TEST_F(CKelAppTest, AnotherApplicationClassHasNoServices)
{
    PlainApp app;
    ASSERT_EQ(AfxGetApp(), &app);
    DefaultTexts obj;
    obj.LOG(u"nowhere");
    EXPECT_EQ(ToUtf8(obj.LoadStringW(1)), "default 1");
    EXPECT_EQ(ToUtf8(obj.GetErrorInfo(7)), "default 10007");
}

}  // namespace
