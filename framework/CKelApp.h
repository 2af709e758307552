// CKelApp: the application class of programs built on the library, holding their log file, language pack, parameters and plug-ins.
#pragma once

#include "platform/CWinApp.h"

class CLogFile;
class CLangPack;
class CAppParam;
class CPluginMgr;

// A derived application sets the feature bits in its constructor: 0x01 log file ("<application
// name>.txt" in the install folder), 0x02 language pack object, 0x04 parameters (made by its
// InitParam), 0x10 plug-in manager. InitInstance records the install folder in the registry under
// HKEY_LOCAL_MACHINE "Software\Tavrimo\<application name>" ("InstallDir") and creates the services;
// ExitInstance releases them. A program that never opens a window needs no display.
class CKelApp : public CWinApp {
    DECLARE_DYNCREATE(CKelApp)

protected:
    CKelApp();

public:
    ~CKelApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    CLogFile* GetLogFile() { return m_pLogFile; }
    CLangPack* GetLangPack() { return m_pLangPack; }
    CAppParam* GetAppParam() { return m_pAppParam; }
    CPluginMgr* GetPluginMgr() { return m_pPluginMgr; }
    // The install folder as the registry holds it now (read on every call); empty when unreadable.
    CString GetAppPath();
    // GetAppPath, the executable name and ".exe".
    CString GetExeName();
    // The version resource's product version a.b.c.d as (a * 100 + b * 10 + c) * 10000 + d; 0 when the
    // program has no version resource or it holds no fixed version information.
    DWORD GetProductVersion();
    // Loads the pack of "<install folder>\Lang\" that declares the language; without a pack of that
    // language the pack object is left empty. Does nothing without a language pack object.
    void InitLangPack(UINT nLangID);
    void ReleaseLangPack();
    // Saves and deletes the parameter object, so that ExitInstance finds none to save again.
    void ReleaseParam();

protected:
    // Hooks of the derived application, empty here: choose the language (InitLangPack(UINT)) and make
    // the parameters (bits 0x02 and 0x04).
    virtual void InitLangPack();
    virtual void InitParam();
    // Writes the executable's folder, with its trailing backslash, under the key; failures are ignored.
    void SetInstallDir(const CString& strKey, const CString& strValueName);

    CLogFile* m_pLogFile;
    CLangPack* m_pLangPack;
    CAppParam* m_pAppParam;
    CPluginMgr* m_pPluginMgr;
    DWORD m_dwFlags;

    DECLARE_MESSAGE_MAP()

private:
    CString InstallKey() const;
};
