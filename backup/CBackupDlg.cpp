// CBackupDlg: construction, destruction and the freeing of the records both arrays own.
#include "backup/CBackupDlg.h"

#include "platform/IconApi.h"
#include "platform/ResourceApi.h"

namespace {

constexpr UINT IDI_PROGRAM = 128;

void DeleteAll(CObArray& entries)
{
    for (INT_PTR i = 0; i < entries.GetSize(); ++i)
        delete entries.GetAt(i);
    entries.RemoveAll();
}

}  // namespace

CBackupDlg::CBackupDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_hIcon(LoadIcon(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_PROGRAM)))
{
}

CBackupDlg::~CBackupDlg()
{
    // The rows point into the records, which go next.
    m_list.DeleteAllItems();
    FreeEntries();
    DestroyIcon(m_hIcon);
}

void CBackupDlg::FreeEntries()
{
    DeleteAll(m_arrApps);
    DeleteAll(m_arrIndex);
}
