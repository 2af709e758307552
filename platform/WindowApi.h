// The window system's free calls: message boxes and the end of the message loop.
#pragma once

#include "platform/WinUser.h"

// Message boxes: buttons by MB_OK..MB_RETRYCANCEL, an icon only with an MB_ICON flag; returns the
// pressed button (IDOK, IDCANCEL, IDYES ...); Escape or the close box is IDCANCEL when there is a
// Cancel button, else the only button's. A null caption is the application's name (CWinApp).
// Without a display the text goes to standard error and the default button is returned.
int MessageBox(HWND hWnd, LPCTSTR lpText, LPCTSTR lpCaption, UINT uType);
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text of a string resource of the resource module.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
// Ends the application's message loop (CWinApp::Run) with the exit code.
void PostQuitMessage(int nExitCode);
