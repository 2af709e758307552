// The shell's program start (ShellExecute): a registered program path opened as a detached host process.
#pragma once

#include "platform/WinTypes.h"
#include "platform/WinUser.h"  // the show commands (SW_SHOW ...)

// Errors of ShellExecute beyond the platform's ERROR_ numbers (2 file and 3 path not found, 11 bad format).
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_NOASSOC 31

// Starts lpFile (a Windows path, or a host path starting with '/') as a host program that is not
// waited for and outlives the caller. lpParameters is split by the platform's command-line rules
// (quotes group, backslashes escape quotes) and each argument reaches the program as UTF-8;
// lpDirectory (null: the caller's) becomes its current folder. lpOperation must be null or "open".
// Returns a value above 32 on success, else the error as the handle's value, also set as the
// last error: 2 no such file, 3 no such folder, 5 not executable, 8 out of resources, 11 not a
// program, 31 a verb other than "open" or a file that is no program (the desktop has no file
// associations). hwnd and nShowCmd are accepted and not used: the host program makes its own windows.
HINSTANCE ShellExecute(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                       INT nShowCmd);
// The narrow form: texts in the system code page.
HINSTANCE ShellExecute(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                       INT nShowCmd);
