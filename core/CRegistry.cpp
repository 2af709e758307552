// CRegistry: one source for the three builds (wide desktop, narrow PELRUDO_NARROW, PELRUDO_HANDHELD).
#include "core/CRegistry.h"

#include "core/detail/RegistryKey.h"
#include "platform/RegistryApi.h"

namespace {

// The local registry's calls, for this build's characters.
struct LocalCalls {
#ifdef PELRUDO_HANDHELD
    // The handheld's registry knows no access rights; its open and create calls take a mask of 0.
    static constexpr REGSAM kAccess = 0;
#else
    static constexpr REGSAM kAccess = KEY_ALL_ACCESS;
#endif
    static LONG OpenKeyEx(auto... args) { return RegOpenKeyEx(args...); }
    static LONG CreateKeyEx(auto... args) { return RegCreateKeyEx(args...); }
    static LONG CloseKey(auto... args) { return RegCloseKey(args...); }
    static LONG QueryValueEx(auto... args) { return RegQueryValueEx(args...); }
    static LONG SetValueEx(auto... args) { return RegSetValueEx(args...); }
    static LONG DeleteKey(auto... args) { return RegDeleteKey(args...); }
    static LONG QueryInfoKey(auto... args) { return RegQueryInfoKey(args...); }
    static LONG EnumKeyEx(auto... args) { return RegEnumKeyEx(args...); }
};

using Key = pelrudo::detail::RegistryKey<TCHAR, LocalCalls>;

}  // namespace

CRegistry::CRegistry() : m_hKey(nullptr), m_dwLastError(ERROR_SUCCESS) {}

CRegistry::~CRegistry()
{
    Close();
}

int CRegistry::Open(HKEY hRoot, const CString& strPath, int bCreate)
{
    return Key(m_hKey, m_dwLastError).Open(hRoot, strPath, bCreate);
}

#ifndef PELRUDO_NARROW
int CRegistry::Open(const CString& strPath, int bCreate)
{
    return Key(m_hKey, m_dwLastError).OpenRelative(strPath, bCreate);
}
#endif

void CRegistry::Close()
{
    Key(m_hKey, m_dwLastError).Close();
}

int CRegistry::IsOpen()
{
    return m_hKey ? 1 : 0;
}

HKEY CRegistry::GetHandle()
{
    return m_hKey;
}

int CRegistry::Read(const CString& strName, void* pData, DWORD* pdwSize)
{
    return Key(m_hKey, m_dwLastError).Read(strName, pData, pdwSize);
}

int CRegistry::ReadDWORD(const CString& strName, DWORD* pdwValue)
{
    return Key(m_hKey, m_dwLastError).ReadDWORD(strName, pdwValue);
}

int CRegistry::ReadString(const CString& strName, CString& strValue)
{
    return Key(m_hKey, m_dwLastError).ReadString(strName, strValue);
}

#ifndef PELRUDO_NARROW
int CRegistry::ReadMultiString(const CString& strName, CStringArray& arrValues)
{
    return Key(m_hKey, m_dwLastError).ReadMultiString(strName, arrValues);
}
#endif

int CRegistry::Write(const CString& strName, void* pData, DWORD dwType, int nSize)
{
    return Key(m_hKey, m_dwLastError).Write(strName, pData, dwType, nSize);
}

int CRegistry::WriteDWORD(const CString& strName, DWORD dwValue)
{
    return Key(m_hKey, m_dwLastError).WriteDWORD(strName, dwValue);
}

#ifdef PELRUDO_NARROW
int CRegistry::WriteString(const CString& strName, CString& strValue)
#else
int CRegistry::WriteString(const CString& strName, const CString& strValue)
#endif
{
    return Key(m_hKey, m_dwLastError).WriteString(strName, strValue);
}

int CRegistry::DeleteKey(HKEY hRoot, const CString& strPath)
{
    return Key::DeleteKey(hRoot, strPath);
}

#ifndef PELRUDO_NARROW
DWORD CRegistry::GetSubKeyCount()
{
    return Key(m_hKey, m_dwLastError).GetSubKeyCount();
}

void CRegistry::GetSubKeyName(CString& strName, int nIndex)
{
    Key(m_hKey, m_dwLastError).GetSubKeyName(strName, nIndex);
}
#endif
