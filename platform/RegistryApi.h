// The platform's registry calls over a store (RegStore.h); status codes as the platform's.
#pragma once

#include <string>

#include "platform/WinTypes.h"

// The store the Reg... calls of this process use: PELRUDO_REGISTRY if set, else <prefix>/registry.db.
// A handheld program is bound to its handheld's store this way. An empty path drops the binding, so the
// next call looks at PELRUDO_REGISTRY and the prefix again. Keys opened before keep their own store.
void RegSetStorePath(const std::string& hostPath);
std::string RegGetStorePath();

LONG RegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                    REGSAM access, LPSECURITY_ATTRIBUTES security, HKEY* result, DWORD* disposition);
LONG RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options,
                    REGSAM access, LPSECURITY_ATTRIBUTES security, HKEY* result, DWORD* disposition);
// Narrow calls convert names and REG_SZ/EXPAND_SZ/MULTI_SZ data from and to the code page.
LONG RegQueryValueEx(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG RegQueryValueEx(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG RegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegSetValueEx(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG RegDeleteKey(HKEY key, LPCWSTR subKey);
LONG RegDeleteKey(HKEY key, LPCSTR subKey);
LONG RegDeleteValue(HKEY key, LPCWSTR name);
LONG RegDeleteValue(HKEY key, LPCSTR name);
LONG RegQueryInfoKey(HKEY key, LPWSTR className, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                     DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen,
                     DWORD* maxValueLen, DWORD* securityDescriptor, FILETIME* lastWriteTime);
LONG RegEnumKeyEx(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD* reserved, LPWSTR className,
                  DWORD* classSize, FILETIME* lastWriteTime);
LONG RegEnumValue(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD* reserved, DWORD* type,
                  BYTE* data, DWORD* dataSize);
LONG RegCloseKey(HKEY key);
