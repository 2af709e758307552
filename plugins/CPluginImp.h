// CPluginImp: a loaded plug-in library seen through the exports that every plug-in has.
#pragma once

#include "platform/WinTypes.h"

// The wrapper neither loads nor frees the module; copies refer to the same module.
// Each call looks its export up by name; without it (or without a module) nothing is called and
// the result is 0 or an empty buffer.
class CPluginImp {
public:
    CPluginImp();
    explicit CPluginImp(HINSTANCE hModule);
    virtual ~CPluginImp();
    CPluginImp(const CPluginImp&) = default;
    CPluginImp& operator=(const CPluginImp&) = default;

    virtual DWORD GetLastError();
    virtual void GetUserError(DWORD dwError, LPWSTR lpszBuffer);
    DWORD GetType();
    void GetSupport(LPWSTR lpszBuffer);

    HINSTANCE m_hModule;

protected:
    // The module's export of that name, or null.
    FARPROC GetExport(LPCSTR lpszName) const;
};
