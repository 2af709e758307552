// CBackupDlg: construction, destruction and the freeing of the records both arrays own.
#include "backup/CBackupDlg.h"

namespace {

void DeleteAll(CObArray& entries)
{
    for (INT_PTR i = 0; i < entries.GetSize(); ++i)
        delete entries.GetAt(i);
    entries.RemoveAll();
}

}  // namespace

CBackupDlg::CBackupDlg() = default;

CBackupDlg::~CBackupDlg()
{
    FreeEntries();
}

void CBackupDlg::FreeEntries()
{
    DeleteAll(m_arrApps);
    DeleteAll(m_arrIndex);
}
