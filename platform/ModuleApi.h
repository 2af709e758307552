// The platform's dynamic libraries: loading by Windows path, looking up exports, freeing.
#pragma once

#include "platform/WinTypes.h"

// The module handle is the host's dlopen handle; loading a library twice gives the same handle and
// needs two FreeLibrary calls, as the platform's reference count does.
// A bare name is looked for beside the running program, then in the current folder, then by the host.
// Failure: null with ERROR_MOD_NOT_FOUND (126), or ERROR_BAD_EXE_FORMAT (193) for a file that is no library.
HMODULE LoadLibrary(LPCWSTR lpLibFileName);
// Null with ERROR_PROC_NOT_FOUND (127) when the module does not export the name; ordinals are not supported.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);
