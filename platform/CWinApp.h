// CWinApp: the framework's application object, its names, its main window and its run.
#pragma once

#include "platform/CCmdTarget.h"
#include "platform/CStringT.h"
#include "platform/WinUser.h"

class CWnd;

// A program defines exactly one CWinApp-derived object (usually static); constructing it makes it
// the running application. The entry point (library pelrudo_winmain) calls AfxWinInit, then
// InitInstance; when that returns TRUE, Run (the message loop, which ends with ExitInstance),
// otherwise ExitInstance; its result is the exit code.
class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    // A null name means: the title string (AFX_IDS_APP_TITLE) of the resources, else m_pszExeName.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    // Runs the message loop while the main window exists (until PostQuitMessage), then returns
    // ExitInstance(); returns ExitInstance() at once when there is no main window.
    virtual int Run();
    // Returns the exit code given to PostQuitMessage (0 by default).
    virtual int ExitInstance();

    // The program icon of the resources at the default icon size (32 x 32).
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;
    // Default help command: the desktop has no help viewer for the ".HLP" file, so it shows nothing.
    void OnHelp();
    // No-ops kept for the calls of programs written for the platform.
    BOOL Enable3dControls() { return TRUE; }
    BOOL Enable3dControlsStatic() { return TRUE; }
    void SetRegistryKey(LPCTSTR) {}

    LPCTSTR m_pszAppName = nullptr;
    // The executable's file name without extension.
    LPCTSTR m_pszExeName = nullptr;
    // The executable's Windows path with the extension ".HLP" (set by AfxWinInit).
    LPCTSTR m_pszHelpFilePath = nullptr;
    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

    DECLARE_MESSAGE_MAP()

private:
    friend BOOL AfxWinInit();
    friend void PostQuitMessage(int nExitCode);
    CString m_strAppName;
    CString m_strExeName;
    CString m_strHelpFilePath;
    int m_nExitCode = 0;
};

// The running application (null before one is constructed) and its main window.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Fills the application's instance handle and help-file path; the entry point calls it.
BOOL AfxWinInit();
// No-op: the desktop has no control containers to enable.
inline void AfxEnableControlContainer() {}
