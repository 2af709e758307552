// CBackupDlg: Pelrudo's backup dialog with its catalogue, index, device link and apply step.
#pragma once

#include "backup/CAppEntry.h"
#include "backup/CBackupEntry.h"
#include "platform/CDialog.h"
#include "platform/CListCtrl.h"
#include "platform/CObArray.h"

class CBackupDlg : public CDialog {
public:
    enum { IDD = 102 };

    explicit CBackupDlg(CWnd* pParent = nullptr);
    ~CBackupDlg() override;

    // Catalogue: appends one CAppEntry per application with a package for the processor type.
    BOOL LoadCatalogue(DWORD dwCpuType);
    BOOL IsBackedUp(const CString& strCabName);

    // Backup index: the local copy of "Backup.ini" read into, and written from, the two arrays.
    BOOL ReadBackupIndex(const CString& strPath);
    void WriteBackupIndex(const CString& strPath);
    static CString GetLocalIndexPath();

    // Device link: reads the agent's record, starts the agent and reads the free space again.
    BOOL StartAgent();

    void FormatSize(CString& strText, DWORD dwBytes);

    // Message handlers.
    LRESULT OnLoad(WPARAM wParam, LPARAM lParam);
    LRESULT OnApply(WPARAM wParam, LPARAM lParam);

    CListCtrl m_list;
    CString m_strDescription;
    CString m_strRequired;
    CString m_strAvailable;
    HICON m_hIcon = nullptr;
    CObArray m_arrApps;   // CAppEntry*, owned
    CObArray m_arrIndex;  // CBackupEntry*, owned
    DWORD m_dwFreeSpace = 0;
    CString m_strDeviceFolder;

    // Deletes every entry of both arrays and empties them.
    void FreeEntries();
};
