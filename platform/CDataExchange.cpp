// CDataExchange: binding controls and moving static texts between members and the dialog.
#include "platform/CDataExchange.h"

#include "platform/CWnd.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    // Bound once; headless (no dialog window) there is nothing to bind to.
    if (rControl.GetSafeHwnd() || !pDX->m_pDlgWnd->GetSafeHwnd()) return;
    rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    CWnd* control = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!control) return;
    if (pDX->m_bSaveAndValidate)
        control->GetWindowText(value);
    else
        control->SetWindowText(value);
}
