// CSetupDlg: the launch of the Application Manager, run while the dialog initialises, and the dialog's icon.
#include "setup/CSetupDlg.h"

#include "core/CRegistry.h"
#include "platform/FileApi.h"
#include "platform/IconApi.h"
#include "platform/ShellApi.h"
#include "platform/CWinApp.h"

namespace {

const TCHAR kAppMgrKey[] = _T("SOFTWARE\\MICROSOFT\\WINDOWS\\CurrentVersion\\App Paths\\CEAppMgr.exe");
const TCHAR kSetupIni[] = _T("\\setup.ini");
const TCHAR kNoActiveSync[] = _T("Please setup Microsoft ActiveSync first!");
constexpr UINT kIconId = 128;

constexpr DWORD kLongestPath = 32768;  // the platform's longest path, in characters

// The program file's Windows path, whatever its length (a host folder may be deeper than MAX_PATH).
CString ModuleFileName()
{
    CString strPath;
    DWORD dwLength = 0;
    for (DWORD dwSize = MAX_PATH; dwSize <= kLongestPath; dwSize *= 2) {
        dwLength = GetModuleFileName(nullptr, strPath.GetBuffer(static_cast<int>(dwSize)), dwSize);
        if (dwLength < dwSize) break;
    }
    strPath.ReleaseBuffer(static_cast<int>(dwLength));
    return strPath;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSetupDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

CSetupDlg::CSetupDlg(CWnd* pParent) : CDialog(IDD, pParent), m_hIcon(AfxGetApp()->LoadIcon(kIconId)) {}

// The layer's LoadIcon gives every caller an icon of its own.
CSetupDlg::~CSetupDlg() { DestroyIcon(m_hIcon); }

BOOL CSetupDlg::GetAppManagerPath(CString& strPath)
{
    CRegistry reg;
    if (!reg.Open(HKEY_LOCAL_MACHINE, kAppMgrKey, 0)) return FALSE;
    // Not tested: with no readable value the path stays empty and the start fails silently.
    reg.ReadString(_T(""), strPath);
    reg.Close();
    return TRUE;
}

CString CSetupDlg::GetSetupIniParameter()
{
    CString strFolder = ModuleFileName();
    // ReverseFind walks the code page's characters, so a trail byte 0x5C is never taken for a backslash.
    const int nSlash = strFolder.ReverseFind(_T('\\'));
    if (nSlash >= 0) strFolder = strFolder.Left(nSlash);
    return CString(_T('"')) + strFolder + kSetupIni + _T('"');
}

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    Launch();
    // The dialog only carries the launch: it closes as soon as its loop runs.
    PostMessage(WM_CLOSE);
    return TRUE;
}

void CSetupDlg::Launch()
{
    CString strAppMgr;
    if (!GetAppManagerPath(strAppMgr)) {
        MessageBox(kNoActiveSync, nullptr, MB_OK);
        return;
    }
    // A start that fails (no such program) is not reported: Setup ends as usual.
    ShellExecute(m_hWnd, _T("open"), strAppMgr, GetSetupIniParameter(), nullptr, SW_SHOW);
}

// The window system draws a minimised window's icon (set in OnInitDialog) itself; nothing to paint then.
void CSetupDlg::OnPaint()
{
    if (IsIconic()) return;
    CDialog::OnPaint();
}

HCURSOR CSetupDlg::OnQueryDragIcon() { return m_hIcon; }
