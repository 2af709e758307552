// CKelApp: the install-folder record, the services' life and the running application's lookup for CBaseObj.
#include "framework/CKelApp.h"

#include <cstring>

#include "core/CRegistry.h"
#include "framework/CLangPack.h"
#include "framework/CLogFile.h"
#include "framework/detail/RunningApp.h"
#include "platform/FileApi.h"
#include "platform/ResourceApi.h"

namespace {

constexpr DWORD kFlagLogFile = 0x01;
constexpr DWORD kFlagLangPack = 0x02;
constexpr DWORD kFlagParam = 0x04;

// Only an application that is a CKelApp by its run-time class has services; any other is read no further.
pelrudo::detail::AppServices RunningKelAppServices()
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->IsKindOf(RUNTIME_CLASS(CKelApp))) return {};
    auto* kel = static_cast<CKelApp*>(app);
    return {kel->GetLogFile(), kel->GetLangPack()};
}

[[maybe_unused]] const bool g_lookupInstalled = (pelrudo::detail::g_runningAppServices = &RunningKelAppServices, true);

CString WithBackslash(CString path)
{
    if (path.IsEmpty() || path[path.GetLength() - 1] != u'\\') path += u'\\';
    return path;
}

}  // namespace

IMPLEMENT_DYNCREATE(CKelApp, CWinApp)

BEGIN_MESSAGE_MAP(CKelApp, CWinApp)
END_MESSAGE_MAP()

CKelApp::CKelApp()
    : CWinApp(nullptr), m_pLogFile(nullptr), m_pLangPack(nullptr), m_pAppParam(nullptr), m_pPluginMgr(nullptr),
      m_dwFlags(0)
{
}

CKelApp::~CKelApp() = default;

CString CKelApp::InstallKey() const { return CString(u"Software\\Tavrimo\\") + m_pszAppName; }

BOOL CKelApp::InitInstance()
{
    SetInstallDir(InstallKey(), u"InstallDir");
    if (m_dwFlags & kFlagLogFile) {
        m_pLogFile = new CLogFile;
        m_pLogFile->Create(WithBackslash(GetAppPath()) + m_pszAppName + u".txt");
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
    ReleaseLangPack();
    if (m_pLogFile) {
        m_pLogFile->Destory();
        delete m_pLogFile;
        m_pLogFile = nullptr;
    }
    return CWinApp::ExitInstance();
}

CString CKelApp::GetAppPath()
{
    CRegistry key;
    CString folder;
    if (key.Open(HKEY_LOCAL_MACHINE, InstallKey(), 0)) key.ReadString(u"InstallDir", folder);
    key.Close();
    return folder;
}

CString CKelApp::GetExeName() { return GetAppPath() + m_pszExeName + u".exe"; }

void CKelApp::SetInstallDir(const CString& strKey, const CString& strValueName)
{
    CString program = m_pszHelpFilePath;
    // Before AfxWinInit there is no help-file path; the module's own path has the same folder.
    if (program.IsEmpty()) {
        char16_t path[MAX_PATH] = {};
        program = CString(path, static_cast<int>(GetModuleFileName(nullptr, path, MAX_PATH)));
    }
    const CString folder = program.Left(program.ReverseFind(u'\\') + 1);
    CRegistry key;
    if (key.Open(HKEY_LOCAL_MACHINE, strKey, 1)) key.WriteString(strValueName, folder);
    key.Close();
}

DWORD CKelApp::GetProductVersion()
{
    HRSRC info = FindResource(AfxGetResourceHandle(), MAKEINTRESOURCE(1), MAKEINTRESOURCE(RT_VERSION));
    if (!info) return 0;
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(AfxGetResourceHandle(), info)));
    const DWORD size = SizeofResource(AfxGetResourceHandle(), info);
    if (!data) return 0;
    // The signature, then the product version's two words 16 and 20 bytes after its start.
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
    if (m_pLangPack) {
        m_pLangPack->Close();
        delete m_pLangPack;
    }
    m_pLangPack = nullptr;
}

void CKelApp::InitLangPack() {}

void CKelApp::InitParam() {}
