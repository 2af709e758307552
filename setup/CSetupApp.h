// CSetupApp: Setup's application object, which runs the launcher dialog once and ends.
#pragma once

#include "platform/CWinApp.h"

// No title string: the program's name, and so the message box's caption, is the executable's name.
class CSetupApp : public CWinApp {
public:
    CSetupApp() = default;

    // Runs CSetupDlg modally as the main window and returns FALSE, so the program then ends.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
