// CBackupApp: the application object's start and its help command.
#include "backup/CBackupApp.h"

#include "backup/CBackupDlg.h"

BEGIN_MESSAGE_MAP(CBackupApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CBackupApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();
    CBackupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
