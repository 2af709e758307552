// CSetupApp: the launcher's start, all of whose work is done by its dialog.
#include "setup/CSetupApp.h"

#include "setup/CSetupDlg.h"

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CSetupApp::InitInstance()
{
    Enable3dControls();
    CSetupDlg dlg;
    m_pMainWnd = &dlg;
    // The dialog's result does not matter: it closes itself once the launch is done.
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
