// CWinApp: the running application, its names, its message loop and its exit code.
#include "platform/CWinApp.h"

#include <QEventLoop>

#include "platform/FileApi.h"
#include "platform/IconApi.h"
#include "platform/ResourceApi.h"
#include "platform/WindowApi.h"
#include "platform/ui/detail/WindowState.h"

using namespace pelrudo::ui;

namespace {

CWinApp* g_app = nullptr;
QEventLoop* g_runLoop = nullptr;

// The title string of the resources, when the program has one.
std::u16string TitleString()
{
    char16_t buffer[256] = {};
    int n = LoadString(AfxGetResourceHandle(), AFX_IDS_APP_TITLE, buffer, 256);
    return std::u16string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

IMPLEMENT_DYNAMIC(CWinApp, CObject)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    g_app = this;
    m_strExeName = FromWide(ProgramName());
    std::u16string title = TitleString();
    m_strAppName = lpszAppName ? CString(lpszAppName) : title.empty() ? m_strExeName : FromWide(title);
    m_pszExeName = m_strExeName.GetString();
    m_pszAppName = m_strAppName.GetString();
}

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    if (m_pMainWnd && m_pMainWnd->GetSafeHwnd() && EnsureApplication()) {
        QEventLoop loop;
        g_runLoop = &loop;
        loop.exec();
        g_runLoop = nullptr;
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return m_nExitCode; }

HICON CWinApp::LoadIcon(UINT nIDResource) const { return ::LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource)); }

HICON CWinApp::LoadIcon(LPCTSTR lpszResourceName) const { return ::LoadIcon(AfxGetResourceHandle(), lpszResourceName); }

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

BOOL AfxWinInit()
{
    if (!g_app) return FALSE;
    g_app->m_hInstance = AfxGetInstanceHandle();
    char16_t path[MAX_PATH] = {};
    DWORD n = GetModuleFileName(nullptr, path, MAX_PATH);
    std::u16string help(path, n);
    std::size_t slash = help.find_last_of(u'\\');
    std::size_t dot = help.find_last_of(u'.');
    if (dot != std::u16string::npos && (slash == std::u16string::npos || dot > slash)) help.resize(dot);
    help += u".HLP";
    g_app->m_strHelpFilePath = FromWide(help);
    g_app->m_pszHelpFilePath = g_app->m_strHelpFilePath.GetString();
    return TRUE;
}

void PostQuitMessage(int nExitCode)
{
    if (g_app) g_app->m_nExitCode = nExitCode;
    if (g_runLoop) g_runLoop->quit();
}
