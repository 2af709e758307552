// CBackupDlg: Pelrudo's backup dialog: its catalogue, backup index, device link and apply step.
#pragma once

#include "backup/CAppEntry.h"
#include "backup/CBackupEntry.h"
#include "platform/CObArray.h"

// The window side (template 102, the list control and the message handlers) joins with the UI
// layer; everything below works without a window so that it can run headless and under test.
class CBackupDlg {
public:
    enum { IDD = 102 };

    CBackupDlg();
    ~CBackupDlg();
    CBackupDlg(const CBackupDlg&) = delete;
    CBackupDlg& operator=(const CBackupDlg&) = delete;

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

    CString m_strDescription;
    CString m_strRequired;
    CString m_strAvailable;
    CObArray m_arrApps;   // CAppEntry*, owned, in scan order
    CObArray m_arrIndex;  // CBackupEntry*, owned, in index file order
    DWORD m_dwFreeSpace = 0;
    CString m_strDeviceFolder;  // the handheld's backup folder, ending in a backslash
};
