// CSetupDlg: Setup's dialog 102, which starts the Application Manager with setup.ini while it initialises.
#pragma once

#include "platform/CDialog.h"

class CSetupDlg : public CDialog {
public:
    enum { IDD = 102 };

    // Loads the program icon 128.
    explicit CSetupDlg(CWnd* pParent = nullptr);
    ~CSetupDlg() override;

    // The Application Manager's program path as registered; FALSE when its key cannot be opened.
    static BOOL GetAppManagerPath(CString& strPath);
    // The parameter for the Application Manager: the quoted path of setup.ini beside the program file.
    static CString GetSetupIniParameter();

protected:
    // Sets the icons, runs the launch and posts the close request that ends the dialog.
    BOOL OnInitDialog() override;
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()

private:
    // Starts the Application Manager, or tells the user to install ActiveSync.
    void Launch();

    HICON m_hIcon;
};
