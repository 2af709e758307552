// CBackupDlg's window side: start-up, the load under the notice dialog, the list, the figures and closing.
#include "backup/CBackupDlg.h"
#include "backup/CWaitDlg.h"
#include "backup/DeviceLink.h"
#include "backup/DeviceTransfer.h"

#include "core/Rapi.h"
#include "platform/CDataExchange.h"
#include "platform/CImageList.h"
#include "platform/CMenu.h"
#include "platform/CPaintDC.h"
#include "platform/CRect.h"
#include "platform/IconApi.h"
#include "platform/ResourceApi.h"

namespace {

constexpr UINT IDI_PACKAGE = 130;
constexpr UINT IDS_ABOUTBOX = 101;
constexpr int IDC_LIST = 1016;
constexpr int IDC_REQUIRED = 1020;
constexpr int IDC_AVAILABLE = 1021;
constexpr int IDC_DESCRIPTION = 1022;
constexpr int IDC_HELP_BUTTON = 1027;
constexpr UINT_PTR kLoadTimer = 1;
constexpr UINT kLoadDelayMs = 100;
// Template 102's list styles, for the list when it has no window to take them from.
constexpr DWORD kListStyle = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SORTASCENDING | LVS_AUTOARRANGE |
                             LVS_NOCOLUMNHEADER;

const char16_t kLoadNote[] = u"正在从移动设备上获取软件备份信息...";
const char16_t kNoDevice[] = u"程序无法正确运行，请确认您是否已经与PocketPC相连!";
const char16_t kNoAgent[] = u"程序无法正确运行，请确认Ostrevan已安装,且在运行状态!";
const char16_t kNoActiveSync[] = u"程序无法正确运行，请确认您是否已经安装了Microsoft ActiveSync!";
const char16_t kHelpText[] =
    u"选中程序前面的复选框，单击“确定”后该程序的安装包会备份到移动设备上；清除复选框，单击“确定”后"
    u"移动设备上的备份会被删除。单击“取消”则不做任何更改。\n\n";

// String 101 as it stands: the system menu's About entry.
CString AboutEntry()
{
    char16_t buffer[256] = {};
    return CString(buffer, LoadString(AfxGetResourceHandle(), IDS_ABOUTBOX, buffer, 256));
}

// String 101 without its menu accelerator and ellipsis ("关于 Pelrudo(&A)..." reads "关于 Pelrudo").
CString AboutTitle()
{
    CString title = AboutEntry();
    int accelerator = title.Find(u"(&");
    if (accelerator >= 0)
        title = title.Left(accelerator);
    else if (title.Right(3) == u"...")
        title = title.Left(title.GetLength() - 3);
    title.TrimRight();
    return title;
}

// The file version of the program's version resource, "1.0.0.1"; empty when it has none.
CString ProgramVersion()
{
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC res = FindResource(module, MAKEINTRESOURCE(1), MAKEINTRESOURCE(RT_VERSION));
    void* pInfo = nullptr;
    UINT len = 0;
    if (!res || !VerQueryValue(LockResource(LoadResource(module, res)), u"\\", &pInfo, &len) ||
        len < sizeof(VS_FIXEDFILEINFO))
        return CString();
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(pInfo);
    CString version;
    version.Format(u"%u.%u.%u.%u", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                   HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
    return version;
}

CString AboutText()
{
    CString version = ProgramVersion();
    return version.IsEmpty() ? AboutTitle() : AboutTitle() + u" " + version;
}

CAppEntry* EntryOf(const CListCtrl& list, int nItem)
{
    return reinterpret_cast<CAppEntry*>(list.GetItemData(nItem));
}

}  // namespace

BEGIN_MESSAGE_MAP(CBackupDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_MESSAGE(CBackupDlg::WM_LOAD, OnLoad)
    ON_MESSAGE(CBackupDlg::WM_APPLY, OnApply)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, OnItemChanged)
    ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpButton)
END_MESSAGE_MAP()

void CBackupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST, m_list);
    DDX_Text(pDX, IDC_DESCRIPTION, m_strDescription);
    DDX_Text(pDX, IDC_REQUIRED, m_strRequired);
    DDX_Text(pDX, IDC_AVAILABLE, m_strAvailable);
}

void CBackupDlg::AttachHeadless()
{
    m_list.SetDlgCtrlID(IDC_LIST);
    m_list.ModifyStyle(LVS_TYPEMASK, kListStyle);
    m_list.SetOwner(this);
}

BOOL CBackupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The desktop's windows offer no system menu; where one exists it gets the About entry.
    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strAbout = AboutEntry();
        if (!strAbout.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAbout);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    SetTimer(kLoadTimer, kLoadDelayMs, nullptr);
    return TRUE;
}

void CBackupDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0u) == IDM_ABOUTBOX) {
        ShowAbout();
        return;
    }
    CDialog::OnSysCommand(nID, lParam);
}

void CBackupDlg::ShowAbout()
{
    MessageBox(AboutText(), nullptr, MB_OK | MB_ICONINFORMATION);
}

void CBackupDlg::OnHelpButton()
{
    MessageBox(CString(kHelpText) + AboutText(), nullptr, MB_OK | MB_ICONINFORMATION);
}

// Minimised, the dialog shows its icon centred on the erased background.
void CBackupDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CBackupDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

void CBackupDlg::OnTimer(UINT_PTR nIDEvent)
{
    KillTimer(kLoadTimer);
    CWaitDlg notice(WM_LOAD, kLoadNote);
    notice.DoModal();
    CDialog::OnTimer(nIDEvent);
}

void CBackupDlg::ShowMessage(LPCTSTR lpszText)
{
    MessageBox(lpszText);
}

LRESULT CBackupDlg::OnLoad(WPARAM, LPARAM)
{
    auto fail = [this](LPCTSTR lpszText) {
        ShowMessage(lpszText);
        PostMessage(WM_CLOSE);
        return FALSE;
    };
    if (FAILED(ConnectDevice()))
        return fail(kNoDevice);
    if (!StartAgent())
        return fail(kNoAgent);
    const CString strLocal = GetLocalIndexPath();
    // A copy left by an earlier run may be another handheld's index: only this handheld's counts.
    if (CopyFileFromDevice(m_strDeviceFolder + u"Backup.ini", strLocal))
        ReadBackupIndex(strLocal);
    if (!LoadCatalogue(GetDeviceCpuType()))
        return fail(kNoActiveSync);
    FillList();
    return TRUE;
}

void CBackupDlg::FillList()
{
    m_list.InsertColumn(0, u"AppName", LVCFMT_LEFT, 500);
    m_list.InsertColumn(1, u"Size", LVCFMT_RIGHT);
    m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);

    HICON hFallback = static_cast<HICON>(
        LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_PACKAGE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    CImageList images;
    images.Create(16, 16, ILC_COLOR8 | ILC_MASK, 8, 1);
    const int nFallback = images.Add(hFallback);

    for (INT_PTR i = 0; i < m_arrApps.GetSize(); ++i) {
        auto* app = static_cast<CAppEntry*>(m_arrApps.GetAt(i));
        if (app->m_dwCabSize == 0)
            continue;
        int nImage = nFallback;
        if (!app->m_strIconFile.IsEmpty()) {
            const CString strIcon = app->DesktopFile(app->m_strIconFile);
            if (auto hIcon = static_cast<HICON>(LoadImage(nullptr, strIcon, IMAGE_ICON, 16, 16, LR_LOADFROMFILE))) {
                nImage = images.Add(hIcon);
                DestroyIcon(hIcon);
            }
        }
        LVITEM item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = m_list.GetItemCount();
        item.pszText = const_cast<LPTSTR>(app->m_strAppName.GetString());
        item.iImage = nImage;
        item.lParam = reinterpret_cast<LPARAM>(app);
        const int nRow = m_list.InsertItem(&item);
        CString strSize;
        FormatSize(strSize, app->m_dwCabSize);
        m_list.SetItemText(nRow, 1, strSize);
        m_list.SetCheck(nRow, app->m_bBackedUp);
    }

    DestroyIcon(hFallback);
    m_list.SetImageList(&images, LVSIL_SMALL);
    m_list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    RECT rcClient = {};
    m_list.GetClientRect(&rcClient);
    m_list.SetColumnWidth(0, rcClient.right - rcClient.left - m_list.GetColumnWidth(1));
}

void CBackupDlg::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const auto* pNM = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (pNM->uChanged != LVIF_STATE)
        return;
    DWORD dwTotal = 0;
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        CAppEntry* app = EntryOf(m_list, i);
        app->m_bTicked = m_list.GetCheck(i);
        if (app->m_bTicked)
            dwTotal += app->m_dwCabSize;
    }
    FormatSize(m_strRequired, dwTotal);
    // Too little room shows the deficit after a minus sign.
    if (dwTotal > m_dwFreeSpace) {
        FormatSize(m_strAvailable, dwTotal - m_dwFreeSpace);
        m_strAvailable = u"-" + m_strAvailable;
    } else {
        FormatSize(m_strAvailable, m_dwFreeSpace - dwTotal);
    }
    UpdateData(FALSE);
    if (pNM->uNewState & LVIS_SELECTED) {
        m_strDescription = EntryOf(m_list, pNM->iItem)->m_strDescription;
        UpdateData(FALSE);
    }
}

void CBackupDlg::FormatSize(CString& strTarget, DWORD dwBytes)
{
    static const char16_t kUnits[] = u"BKMGT";
    unsigned long long ullDivisor = 1;
    int nUnit = 0;
    while (dwBytes / ullDivisor > 1024) {
        ullDivisor *= 1024;
        ++nUnit;
    }
    const auto nWhole = static_cast<unsigned>(dwBytes / ullDivisor);
    const auto nTenths = static_cast<unsigned>(10ULL * dwBytes / ullDivisor % 10);
    if (nWhole != 0)
        strTarget.Format(u"%u.%u %c", nWhole, nTenths, kUnits[nUnit]);
    else
        strTarget.Format(u".%u %c", nTenths, kUnits[nUnit]);
}

void CBackupDlg::ReleaseDevice()
{
    // The rows point into the records: they go first.
    m_list.DeleteAllItems();
    CeRapiUninit();
    FreeEntries();
}

void CBackupDlg::OnClose()
{
    ReleaseDevice();
    CDialog::OnClose();
}

void CBackupDlg::OnCancel()
{
    ReleaseDevice();
    CDialog::OnCancel();
}
