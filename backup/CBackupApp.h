// CBackupApp: Pelrudo's application object, which runs the backup dialog once and ends.
#pragma once

#include "platform/CWinApp.h"

class CBackupApp : public CWinApp {
public:
    CBackupApp() = default;

    // Runs the backup dialog modally as the main window; FALSE, so the program then ends.
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
