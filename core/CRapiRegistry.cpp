// CRapiRegistry: the handheld registry's keys over the remote API, by the same rules as CRegistry.
#include "core/CRapiRegistry.h"

#include "core/Rapi.h"
#include "core/detail/RegistryKey.h"

namespace {

// The remote API's registry calls; both opens ask for full access, as the desktop build does.
struct RemoteCalls {
    static constexpr REGSAM kAccess = KEY_ALL_ACCESS;
    static LONG OpenKeyEx(auto... args) { return CeRegOpenKeyEx(args...); }
    static LONG CreateKeyEx(auto... args) { return CeRegCreateKeyEx(args...); }
    static LONG CloseKey(auto... args) { return CeRegCloseKey(args...); }
    static LONG QueryValueEx(auto... args) { return CeRegQueryValueEx(args...); }
    static LONG SetValueEx(auto... args) { return CeRegSetValueEx(args...); }
    static LONG DeleteKey(auto... args) { return CeRegDeleteKey(args...); }
    static LONG QueryInfoKey(auto... args) { return CeRegQueryInfoKey(args...); }
    static LONG EnumKeyEx(auto... args) { return CeRegEnumKeyEx(args...); }
};

using Key = pelrudo::detail::RegistryKey<char16_t, RemoteCalls>;

}  // namespace

CRapiRegistry::~CRapiRegistry()
{
    Close();
}

int CRapiRegistry::Open(HKEY hRoot, const CString& strPath, int nCreate)
{
    return Key(m_hKey, m_dwLastError).Open(hRoot, strPath, nCreate);
}

int CRapiRegistry::Open(const CString& strPath, int nCreate)
{
    return Key(m_hKey, m_dwLastError).OpenRelative(strPath, nCreate);
}

void CRapiRegistry::Close()
{
    Key(m_hKey, m_dwLastError).Close();
}

int CRapiRegistry::IsOpen()
{
    return m_hKey ? 1 : 0;
}

HKEY CRapiRegistry::GetHandle()
{
    return m_hKey;
}

int CRapiRegistry::Read(const CString& strName, void* pData, DWORD* pdwSize)
{
    return Key(m_hKey, m_dwLastError).Read(strName, pData, pdwSize);
}

int CRapiRegistry::ReadDWORD(const CString& strName, DWORD* pdwValue)
{
    return Key(m_hKey, m_dwLastError).ReadDWORD(strName, pdwValue);
}

int CRapiRegistry::ReadString(const CString& strName, CString& strValue)
{
    return Key(m_hKey, m_dwLastError).ReadString(strName, strValue);
}

int CRapiRegistry::ReadMultiString(const CString& strName, CStringArray& arrValues)
{
    return Key(m_hKey, m_dwLastError).ReadMultiString(strName, arrValues);
}

int CRapiRegistry::Write(const CString& strName, void* pData, DWORD dwType, int nSize)
{
    return Key(m_hKey, m_dwLastError).Write(strName, pData, dwType, nSize);
}

int CRapiRegistry::WriteDWORD(const CString& strName, DWORD dwValue)
{
    return Key(m_hKey, m_dwLastError).WriteDWORD(strName, dwValue);
}

int CRapiRegistry::WriteString(const CString& strName, const CString& strValue)
{
    return Key(m_hKey, m_dwLastError).WriteString(strName, strValue);
}

int CRapiRegistry::DeleteKey(HKEY hRoot, const CString& strPath)
{
    return Key::DeleteKey(hRoot, strPath);
}

DWORD CRapiRegistry::GetSubKeyCount()
{
    return Key(m_hKey, m_dwLastError).GetSubKeyCount();
}

void CRapiRegistry::GetSubKeyName(CString& strName, int nIndex)
{
    Key(m_hKey, m_dwLastError).GetSubKeyName(strName, nIndex);
}
