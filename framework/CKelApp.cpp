// CKelApp: the install-folder record, the names and the running application's lookup for CBaseObj.
#include "framework/CKelApp.h"

#include "core/CRegistry.h"
#include "framework/detail/RunningApp.h"
#include "framework/detail/RunningKelApp.h"
#include "platform/FileApi.h"

CKelApp* pelrudo::detail::RunningKelApp()
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->IsKindOf(RUNTIME_CLASS(CKelApp))) return nullptr;
    return static_cast<CKelApp*>(app);
}

namespace {

pelrudo::detail::AppServices RunningKelAppServices()
{
    CKelApp* app = pelrudo::detail::RunningKelApp();
    if (!app) return {};
    return {app->GetLogFile(), app->GetLangPack()};
}

[[maybe_unused]] const bool g_lookupInstalled = (pelrudo::detail::g_runningAppServices = &RunningKelAppServices, true);

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

void CKelApp::InitLangPack() {}

void CKelApp::InitParam() {}
