// The program entry of a framework application: runs the one CWinApp object the program defines.
#include "platform/CWinApp.h"

int main()
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit()) return 1;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}
