// CRapiRegistry: the handheld registry's keys over the remote API, by the same rules as CRegistry.
#include "core/CRapiRegistry.h"

#include <algorithm>

#include "core/Rapi.h"
#include "platform/WinBase.h"

namespace {

constexpr DWORD kValueLimit = 4096;   // bytes offered to string and list reads
constexpr DWORD kSubKeyNameChars = 255;  // including the terminator

} // namespace

CRapiRegistry::~CRapiRegistry()
{
    Close();
}

int CRapiRegistry::Open(HKEY hRoot, const CString& strPath, int nCreate)
{
    Close();
    return OpenBelow(hRoot, strPath, nCreate);
}

int CRapiRegistry::Open(const CString& strPath, int nCreate)
{
    const HKEY hParent = m_hKey;
    m_hKey = nullptr;
    const int nOpened = OpenBelow(hParent, strPath, nCreate);
    if (hParent)
        CeRegCloseKey(hParent);
    return nOpened;
}

int CRapiRegistry::OpenBelow(HKEY hParent, const CString& strPath, int nCreate)
{
    const bool bTrailing = !strPath.IsEmpty() && strPath[strPath.GetLength() - 1] == u'\\';
    const CString strKey = bTrailing ? strPath.Left(strPath.GetLength() - 1) : strPath;
    HKEY hKey = nullptr;
    LONG lStatus;
    if (nCreate) {
        DWORD dwDisposition = 0;
        lStatus = CeRegCreateKeyEx(hParent, strKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, &dwDisposition);
    } else {
        lStatus = CeRegOpenKeyEx(hParent, strKey, 0, KEY_ALL_ACCESS, &hKey);
    }
    if (lStatus != ERROR_SUCCESS) {
        m_hKey = nullptr;
        m_dwLastError = ::GetLastError();
        return 0;
    }
    m_hKey = hKey;
    return 1;
}

void CRapiRegistry::Close()
{
    if (!m_hKey)
        return;
    // The outcome does not matter: after the session has ended the key is gone anyway.
    CeRegCloseKey(m_hKey);
    m_hKey = nullptr;
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
    if (!m_hKey)
        return 0;
    LONG lStatus = CeRegQueryValueEx(m_hKey, strName, nullptr, nullptr, static_cast<BYTE*>(pData), pdwSize);
    m_dwLastError = ::GetLastError();
    return lStatus == ERROR_SUCCESS ? 1 : 0;
}

int CRapiRegistry::ReadDWORD(const CString& strName, DWORD* pdwValue)
{
    // Read into a copy, so that a failed or short read leaves the caller's number as it was.
    DWORD dwValue = *pdwValue;
    DWORD dwSize = sizeof dwValue;
    if (!Read(strName, &dwValue, &dwSize))
        return 0;
    *pdwValue = dwValue;
    return 1;
}

int CRapiRegistry::ReadString(const CString& strName, CString& strValue)
{
    // One unit beyond the 4096 bytes offered, for the terminator placed after the data.
    char16_t buffer[kValueLimit / sizeof(char16_t) + 1] = {};
    DWORD dwSize = kValueLimit;
    if (!Read(strName, buffer, &dwSize))
        return 0;
    buffer[std::min(dwSize, kValueLimit) / sizeof(char16_t)] = 0;
    strValue = buffer;
    return 1;
}

int CRapiRegistry::ReadMultiString(const CString& strName, CStringArray& arrValues)
{
    char16_t buffer[kValueLimit / sizeof(char16_t)] = {};
    DWORD dwSize = kValueLimit;
    if (!Read(strName, buffer, &dwSize))
        return 0;
    // The walk stops at the first empty string or at the end of the data, whichever comes first.
    const char16_t* pEnd = buffer + std::min(dwSize, kValueLimit) / sizeof(char16_t);
    for (const char16_t* p = buffer; p < pEnd && *p;) {
        const char16_t* pStop = std::find(p, pEnd, u'\0');
        arrValues.Add(CString(p, static_cast<int>(pStop - p)));
        p = pStop + 1;
    }
    return 1;
}

int CRapiRegistry::Write(const CString& strName, void* pData, DWORD dwType, int nSize)
{
    if (!m_hKey || nSize < 0)
        return 0;
    LONG lStatus = CeRegSetValueEx(m_hKey, strName, 0, dwType, static_cast<const BYTE*>(pData),
                                   static_cast<DWORD>(nSize));
    m_dwLastError = ::GetLastError();
    return lStatus == ERROR_SUCCESS ? 1 : 0;
}

int CRapiRegistry::WriteDWORD(const CString& strName, DWORD dwValue)
{
    if (!m_hKey)
        return 0;
    return Write(strName, &dwValue, REG_DWORD, sizeof dwValue);
}

int CRapiRegistry::WriteString(const CString& strName, const CString& strValue)
{
    if (!m_hKey)
        return 0;
    const char16_t* pText = strValue;
    return Write(strName, const_cast<char16_t*>(pText), REG_SZ,
                 strValue.GetLength() * static_cast<int>(sizeof(char16_t)));
}

int CRapiRegistry::DeleteKey(HKEY hRoot, const CString& strPath)
{
    return CeRegDeleteKey(hRoot, strPath) == ERROR_SUCCESS ? 1 : 0;
}

DWORD CRapiRegistry::GetSubKeyCount()
{
    DWORD dwCount = 0;
    LONG lStatus = CeRegQueryInfoKey(m_hKey, nullptr, nullptr, nullptr, &dwCount, nullptr, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr);
    return lStatus == ERROR_SUCCESS ? dwCount : 0;
}

void CRapiRegistry::GetSubKeyName(CString& strName, int nIndex)
{
    char16_t buffer[kSubKeyNameChars];
    DWORD dwChars = kSubKeyNameChars;
    if (CeRegEnumKeyEx(m_hKey, static_cast<DWORD>(nIndex), buffer, &dwChars, nullptr, nullptr, nullptr,
                       nullptr) == ERROR_SUCCESS)
        strName = CString(buffer, static_cast<int>(std::min(dwChars, kSubKeyNameChars)));
}
