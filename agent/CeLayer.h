// The Windows CE services Info asks for, answered from what its handheld told it at its start.
#pragma once

#include "platform/WinTypes.h"

// The emulator starts a handheld program with PELRUDO_CE_MODULE (its handheld path),
// PELRUDO_CE_STORES ("<root>|<capacity>|<free>;..." in bytes), PELRUDO_REGISTRY (its handheld's
// registry store) and PELRUDO_DEVICE_DIR. Names live in ce:: so they never meet the desktop calls.
namespace ce {

// The instance handle of the running program.
HINSTANCE ProgramInstance();

// Binds this process's registry calls to its handheld's store; FALSE when no handheld is named.
BOOL BindRegistry();

// The handheld path of the module (the running program for a null handle or its own instance), as
// the platform's call: characters copied without the terminator; a short buffer is filled and
// terminated, and the result is its size.
DWORD GetModuleFileName(HMODULE hModule, LPWSTR pszBuffer, DWORD nSize);

// The counts of the store whose root matches the folder longest; the caller's share is the free count.
BOOL GetDiskFreeSpaceEx(LPCWSTR pszFolder, ULARGE_INTEGER* pFreeToCaller, ULARGE_INTEGER* pTotal,
                        ULARGE_INTEGER* pTotalFree);

} // namespace ce
