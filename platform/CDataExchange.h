// CDataExchange: one run of a dialog's data exchange, and the DDX_ calls that bind members to controls.
#pragma once

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    // TRUE: controls to members; FALSE: members to controls.
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds rControl to the dialog's control nIDC once (its notifications then reach the dialog).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The text of control nIDC (static, edit, button) to or from the string.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
