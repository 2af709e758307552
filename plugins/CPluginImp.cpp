// CPluginImp: calls into the plug-in's "_GetType", "_GetSupport", "_GetLastError" and "_GetUserError".
#include "plugins/CPluginImp.h"

#include "platform/ModuleApi.h"

namespace {

using GetTypeFn = DWORD (*)();
using GetSupportFn = void (*)(LPWSTR);
using GetLastErrorFn = DWORD (*)();
using GetUserErrorFn = void (*)(DWORD, LPWSTR);

void ClearBuffer(LPWSTR buffer)
{
    if (buffer) buffer[0] = 0;
}

}  // namespace

CPluginImp::CPluginImp() : m_hModule(nullptr) {}

CPluginImp::CPluginImp(HINSTANCE hModule) : m_hModule(hModule) {}

CPluginImp::~CPluginImp() = default;

FARPROC CPluginImp::GetExport(LPCSTR lpszName) const
{
    return m_hModule ? GetProcAddress(m_hModule, lpszName) : nullptr;
}

DWORD CPluginImp::GetLastError()
{
    auto fn = reinterpret_cast<GetLastErrorFn>(GetExport("_GetLastError"));
    return fn ? fn() : 0;
}

void CPluginImp::GetUserError(DWORD dwError, LPWSTR lpszBuffer)
{
    auto fn = reinterpret_cast<GetUserErrorFn>(GetExport("_GetUserError"));
    if (!fn) return ClearBuffer(lpszBuffer);
    fn(dwError, lpszBuffer);
}

DWORD CPluginImp::GetType()
{
    auto fn = reinterpret_cast<GetTypeFn>(GetExport("_GetType"));
    return fn ? fn() : 0;
}

void CPluginImp::GetSupport(LPWSTR lpszBuffer)
{
    auto fn = reinterpret_cast<GetSupportFn>(GetExport("_GetSupport"));
    if (!fn) return ClearBuffer(lpszBuffer);
    fn(lpszBuffer);
}
