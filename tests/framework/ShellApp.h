// ShellApp: a CKelApp started from a fresh install folder for the parameter and shell tests, with a
// parameter object that records which hooks ran with which paths.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/CAppParam.h"
#include "framework/CKelApp.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "tests/core/TempPrefix.h"

class RecordingParam : public CAppParam {
public:
    explicit RecordingParam(int hasProfile = 1) : m_hasProfile(hasProfile) {}

    // "Hook(path)" or "Hook" per call, in order.
    std::vector<std::string> calls;
    // Called from SaveParam, so a test sees what else exists while the parameters are saved.
    void (*onSave)() = nullptr;

    using CAppParam::GetConfigPath;
    using CAppParam::GetProfilePath;
    using CAppParam::LOGFONTToStr;
    using CAppParam::RECTToStr;
    using CAppParam::StrToLOGFONT;
    using CAppParam::StrToRECT;

    void SaveParam() override
    {
        if (onSave) onSave();
        CAppParam::SaveParam();
    }

protected:
    int HasProfile() override { return m_hasProfile; }
    int LoadConfig(LPCWSTR path) override { return Record("LoadConfig", path); }
    int LoadProfile(LPCWSTR path) override { return Record("LoadProfile", path); }
    int SaveConfig(LPCWSTR path) override { return Record("SaveConfig", path); }
    int SaveProfile(LPCWSTR path) override { return Record("SaveProfile", path); }
    void LoadDefaultConfig() override { calls.push_back("LoadDefaultConfig"); }
    void LoadDefaultProfile() override { calls.push_back("LoadDefaultProfile"); }

private:
    int Record(const char* hook, LPCWSTR path)
    {
        calls.push_back(std::string(hook) + "(" + ToUtf8(CString(path)) + ")");
        return 0;
    }
    int m_hasProfile;
};

class ShellApp : public CKelApp {
public:
    explicit ShellApp(DWORD flags) { m_dwFlags = flags; }
    // What InitParam makes; the application owns it from then on.
    RecordingParam* param = nullptr;
    // The services that existed when InitParam ran.
    std::string servicesAtInitParam;

    // "log", "plugins", "lang" and "param" for each service the application holds now.
    std::string Services()
    {
        std::string services;
        if (GetLogFile()) services += "log ";
        if (GetPluginMgr()) services += "plugins ";
        if (GetLangPack()) services += "lang ";
        if (GetAppParam()) services += "param ";
        return services;
    }

protected:
    void InitParam() override
    {
        servicesAtInitParam = Services();
        param = new RecordingParam;
        param->m_strProfile = u"Default";
        m_pAppParam = param;
        m_pAppParam->LoadParam();
    }
};

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(prefix.Dir().empty());
        std::filesystem::create_directories(Host(""));
        install = ToWindowsPath(Host(""));
        if (install.Right(1) != u"\\") install += u"\\";
    }

    // A host path in the install folder.
    std::string Host(const std::string& name) const { return prefix.Dir() + "/app/" + name; }

    // As the entry point does, with the program placed in the install folder.
    void Start(CWinApp& app)
    {
        ASSERT_TRUE(AfxWinInit());
        helpPath = install + app.m_pszExeName + u".HLP";
        app.m_pszHelpFilePath = helpPath.GetString();
    }

    TempPrefix prefix;
    CString install;
    CString helpPath;
};
