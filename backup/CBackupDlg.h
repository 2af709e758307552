// CBackupDlg: Pelrudo's backup dialog: its catalogue, backup index, device link, load and apply step.
#pragma once

#include "backup/CAppEntry.h"
#include "backup/CBackupEntry.h"
#include "platform/CDialog.h"
#include "platform/CListCtrl.h"
#include "platform/CObArray.h"

class CWaitDlg;

// The dialog runs from template 102. Its load, list and apply also run without a window (the text
// twin pelrudo-backup): AttachHeadless gives the list its template's id and styles, the handlers work
// on the list's rows, and ShowMessage is the one place where the user is told of a failure.
class CBackupDlg : public CDialog {
public:
    enum { IDD = 102 };
    static constexpr UINT WM_LOAD = WM_USER + 1;
    static constexpr UINT WM_APPLY = WM_USER + 2;
    // The Application Manager's applications (desktop) and the agent's record (handheld), under
    // HKEY_LOCAL_MACHINE. The trailing backslash also makes kAppsKey the prefix of each application's key.
    static constexpr const char16_t* kAppsKey = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\";
    static constexpr const char16_t* kAgentKey = u"SOFTWARE\\Tavrimo\\Backup\\";

    explicit CBackupDlg(CWnd* pParent = nullptr);
    ~CBackupDlg() override;

    // Catalogue: appends one CAppEntry per application with a package for the processor type;
    // FALSE only when the Application Manager's Apps key cannot be opened.
    BOOL LoadCatalogue(DWORD dwCpuType);
    BOOL IsBackedUp(const CString& strCabName);

    // Backup index: the local copy of "Backup.ini" read into the index array, written from the
    // ticked entries of the application array.
    BOOL ReadBackupIndex(const CString& strPath);
    void WriteBackupIndex(const CString& strPath);
    // The temporary folder, a backslash unless present, then "Backup.ini".
    static CString GetLocalIndexPath();

    // Device link: reads the agent's record, starts the agent, reads the free space again.
    BOOL StartAgent();

    // Deletes every entry of both arrays and empties them.
    void FreeEntries();

    // The figure text of a byte count: "1.5 K", "3.9 G", ".0 B" for 0; truncated, never rounded.
    static void FormatSize(CString& strTarget, DWORD dwBytes);

    // Without a window: the list takes the template's id and styles and notifies this dialog.
    void AttachHeadless();
    // The load (WM_USER+1) and the apply (WM_USER+2); the load returns FALSE when it told the user
    // of a failure and asked the dialog to close.
    LRESULT OnLoad(WPARAM wParam, LPARAM lParam);
    LRESULT OnApply(WPARAM wParam, LPARAM lParam);
    // The connection and the records go; the dialog's close, OK and Cancel all end here.
    void ReleaseDevice();

    CListCtrl m_list;
    CString m_strDescription;
    CString m_strRequired;
    CString m_strAvailable;
    HICON m_hIcon = nullptr;
    CObArray m_arrApps;   // CAppEntry*, owned, in scan order
    CObArray m_arrIndex;  // CBackupEntry*, owned, in index file order
    DWORD m_dwFreeSpace = 0;
    CString m_strDeviceFolder;  // the handheld's backup folder, ending in a backslash

protected:
    // Tells the user of a failure that ends the program: a message box on the dialog.
    virtual void ShowMessage(LPCTSTR lpszText);
    // While OK's work runs: bytes copied of the total, and the package being worked on.
    virtual void ShowProgress(DWORD dwDone, DWORD dwTotal, const CString& strPackage);

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(UINT_PTR nIDEvent);
    void OnClose();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHelpButton();

    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    // Copies or deletes the package of one changed row; FALSE when the handheld did not follow.
    BOOL ApplyRow(const CAppEntry& app, DWORD* pdwDone, DWORD dwTotal);
    void ShowAbout();

    CWaitDlg* m_pNotice = nullptr;  // the notice dialog while OK's work runs
};
