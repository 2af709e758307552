// The thread's last error, sleeping, ticks and local time.
#pragma once

#include "platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD error);
// The platform's error number for a host errno value (ENOENT is 2, EACCES 5, ENOSPC 112 ...).
DWORD ErrnoToWin32(int err);

void Sleep(DWORD milliseconds);
DWORD GetTickCount();
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTime(SYSTEMTIME* time);
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime);
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime);
