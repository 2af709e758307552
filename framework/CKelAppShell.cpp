// CKelApp's start-up and exit in their fixed orders, the language choice and the product version.
#include <cstring>

#include "core/CFunction.h"
#include "framework/CAppParam.h"
#include "framework/CKelApp.h"
#include "framework/CLangPack.h"
#include "framework/CLogFile.h"
#include "platform/ResourceApi.h"
#include "plugins/CPluginMgr.h"

namespace {

constexpr DWORD kFlagLogFile = 0x01;
constexpr DWORD kFlagLangPack = 0x02;
constexpr DWORD kFlagParam = 0x04;
constexpr DWORD kFlagPluginMgr = 0x10;

CString WithBackslash(CString path)
{
    if (!CFunction::IsFolder(path)) path += u'\\';
    return path;
}

template <class T>
void DeleteService(T*& service)
{
    delete service;
    service = nullptr;
}

}  // namespace

BOOL CKelApp::InitInstance()
{
    SetInstallDir(InstallKey(), u"InstallDir");
    const CString strAppPath = GetAppPath();
    if (m_dwFlags & kFlagLogFile) {
        // The object stays also when the file cannot be made: it is then a stopped log.
        m_pLogFile = new CLogFile;
        m_pLogFile->Create(WithBackslash(strAppPath) + m_pszAppName + u".txt");
    }
    if (m_dwFlags & kFlagPluginMgr) {
        m_pPluginMgr = new CPluginMgr;
        m_pPluginMgr->Init(strAppPath);
    }
    if (m_dwFlags & kFlagParam) InitParam();
    if (m_dwFlags & kFlagLangPack) {
        m_pLangPack = new CLangPack;
        InitLangPack();
    }
    return TRUE;
}

int CKelApp::ExitInstance()
{
    DeleteService(m_pPluginMgr);
    ReleaseLangPack();
    ReleaseParam();
    DeleteService(m_pLogFile);  // its destructor stops the writer and closes the file
    return CWinApp::ExitInstance();
}

DWORD CKelApp::GetProductVersion()
{
    const HINSTANCE module = AfxGetResourceHandle();
    HRSRC info = FindResource(module, MAKEINTRESOURCE(1), MAKEINTRESOURCE(RT_VERSION));
    if (!info) return 0;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
    if (!data) return 0;
    const DWORD size = SizeofResource(module, info);
    // The signature, then the product version's two words 16 and 20 bytes after its start; a
    // signature too near the end to hold them is not read.
    for (DWORD at = 0; at + 24 <= size; at += 4) {
        DWORD word[6];
        std::memcpy(word, data + at, sizeof word);
        if (word[0] != VS_FFI_SIGNATURE) continue;
        const DWORD a = HIWORD(word[4]);
        const DWORD b = LOWORD(word[4]);
        const DWORD c = HIWORD(word[5]);
        const DWORD d = LOWORD(word[5]);
        return (a * 100 + b * 10 + c) * 10000 + d;
    }
    return 0;
}

void CKelApp::InitLangPack(UINT nLangID)
{
    if (!m_pLangPack) return;
    CString folder;
    folder.Format(u"%sLang\\", WithBackslash(GetAppPath()).GetString());
    char16_t found[MAX_PATH];
    CLangPack::FindLangPack(found, nLangID, folder);
    m_pLangPack->Open(found);
}

void CKelApp::ReleaseLangPack()
{
    DeleteService(m_pLangPack);  // its destructor closes the pack
}

void CKelApp::ReleaseParam()
{
    if (!m_pAppParam) return;
    m_pAppParam->SaveParam();
    DeleteService(m_pAppParam);
}
