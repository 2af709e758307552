// CBackupDlg's apply step: OK copies and deletes the changed packages, then writes the index anew.
#include <algorithm>

#include "backup/CBackupDlg.h"
#include "backup/CWaitDlg.h"
#include "backup/DeviceTransfer.h"

#include "platform/WinBase.h"

namespace {

const char16_t kApplyNote[] = u"正在更新移动设备上的备份数据...";

// A delete that found nothing leaves the handheld as wanted all the same.
bool IsGone(DWORD dwError)
{
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
}

}  // namespace

void CBackupDlg::OnOK()
{
    CWaitDlg notice(WM_APPLY, kApplyNote);
    m_pNotice = &notice;
    notice.DoModal();
    m_pNotice = nullptr;
    CDialog::OnOK();
    ReleaseDevice();
}

void CBackupDlg::ShowProgress(DWORD dwDone, DWORD dwTotal, const CString& strPackage)
{
    if (m_pNotice)
        m_pNotice->SetProgress(dwDone, dwTotal, strPackage);
}

LRESULT CBackupDlg::OnApply(WPARAM, LPARAM)
{
    DWORD dwTotal = 0;
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        const auto* app = reinterpret_cast<const CAppEntry*>(m_list.GetItemData(i));
        if (app->m_bTicked && !app->m_bBackedUp)
            dwTotal += app->m_dwCabSize;
    }
    DWORD dwDone = 0;
    for (int i = 0; i < m_list.GetItemCount(); ++i) {
        auto* app = reinterpret_cast<CAppEntry*>(m_list.GetItemData(i));
        if (app->m_bTicked == app->m_bBackedUp)
            continue;
        // The new index lists what the handheld really holds: a failed copy or delete keeps the old state.
        if (!ApplyRow(*app, &dwDone, dwTotal))
            app->m_bTicked = app->m_bBackedUp;
    }
    ShowProgress(dwDone, dwTotal, CString());

    const CString strLocal = GetLocalIndexPath();
    WriteBackupIndex(strLocal);
    CopyFileToDevice(strLocal, m_strDeviceFolder + u"Backup.ini");
    return 0;
}

BOOL CBackupDlg::ApplyRow(const CAppEntry& app, DWORD* pdwDone, DWORD dwTotal)
{
    const CString strDeviceCopy = m_strDeviceFolder + u"Data\\" + app.m_cabName.m_strName;
    if (!app.m_bTicked)
        return DeleteDeviceFile(strDeviceCopy) || IsGone(GetLastError());
    ShowProgress(*pdwDone, dwTotal, app.m_strAppName);
    // The bar moves with every block; the package counts whole once its copy is over, whatever its end.
    struct Copy {
        CBackupDlg* pDlg;
        const CAppEntry& app;
        DWORD dwDone, dwTotal;
    } copy = {this, app, *pdwDone, dwTotal};
    const auto report = [](DWORD dwCopied, void* pContext) {
        const auto* c = static_cast<const Copy*>(pContext);
        c->pDlg->ShowProgress(c->dwDone + std::min(dwCopied, c->app.m_dwCabSize), c->dwTotal, c->app.m_strAppName);
    };
    const BOOL bCopied = CopyFileToDevice(app.DesktopFile(app.m_cabName.m_strName), strDeviceCopy, report, &copy);
    *pdwDone += app.m_dwCabSize;
    return bCopied;
}
