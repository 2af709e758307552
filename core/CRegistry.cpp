// CRegistry: one source for the three builds (wide desktop, narrow PELRUDO_NARROW, PELRUDO_HANDHELD).
#include "core/CRegistry.h"

#include <algorithm>
#include <string_view>
#include <type_traits>

#include "platform/RegistryApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

#ifdef PELRUDO_HANDHELD
// The handheld's registry knows no access rights; its open and create calls take a mask of 0.
constexpr REGSAM kAccess = 0;
#else
constexpr REGSAM kAccess = KEY_ALL_ACCESS;
#endif

// Size offered to the system by the string and list reads, terminators included.
constexpr DWORD kValueBytes = 4096;
// Sub-key name buffer in characters, terminator included.
constexpr DWORD kKeyNameChars = 255;

template <class Ch>
bool EndsWithBackslash(const CStringT<Ch>& path)
{
    if (path.IsEmpty())
        return false;
    if constexpr (std::is_same_v<Ch, char>) {
        // A double-byte character's trail byte may equal the backslash; only a whole character counts.
        const char* last = MbsRChr(path, '\\');
        return last && last - path.GetString() == path.GetLength() - 1;
    } else {
        return path[path.GetLength() - 1] == u'\\';
    }
}

// Text up to the first null within the characters read, the whole of them when there is none.
template <class Ch>
CStringT<Ch> TextOf(const Ch* data, std::size_t count)
{
    const std::basic_string_view<Ch> text(data, count);
    return CStringT<Ch>(text.substr(0, text.find(Ch(0))));
}

}  // namespace

CRegistry::CRegistry() : m_hKey(nullptr), m_dwLastError(ERROR_SUCCESS) {}

CRegistry::~CRegistry()
{
    Close();
}

int CRegistry::Open(HKEY hRoot, const CString& strPath, int bCreate)
{
    Close();
    return OpenBelow(hRoot, strPath, bCreate);
}

#ifndef PELRUDO_NARROW
int CRegistry::Open(const CString& strPath, int bCreate)
{
    const HKEY parent = m_hKey;
    m_hKey = nullptr;
    const int opened = OpenBelow(parent, strPath, bCreate);
    if (parent)
        RegCloseKey(parent);
    return opened;
}
#endif

int CRegistry::OpenBelow(HKEY hParent, const CString& strPath, int bCreate)
{
    const CString path = EndsWithBackslash(strPath) ? strPath.Left(strPath.GetLength() - 1) : strPath;
    HKEY key = nullptr;
    LONG status;
    if (bCreate) {
        DWORD disposition = 0;
        status = RegCreateKeyEx(hParent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess, nullptr, &key,
                                &disposition);
    } else {
        status = RegOpenKeyEx(hParent, path, 0, kAccess, &key);
    }
    if (status != ERROR_SUCCESS) {
        m_hKey = nullptr;
        m_dwLastError = ::GetLastError();
        return 0;
    }
    m_hKey = key;
    return 1;
}

void CRegistry::Close()
{
    if (!m_hKey)
        return;
    RegCloseKey(m_hKey);
    m_hKey = nullptr;
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
    if (!m_hKey)
        return 0;
    const LONG status = RegQueryValueEx(m_hKey, strName, nullptr, nullptr, static_cast<BYTE*>(pData), pdwSize);
    m_dwLastError = ::GetLastError();
    return status == ERROR_SUCCESS ? 1 : 0;
}

int CRegistry::ReadDWORD(const CString& strName, DWORD* pdwValue)
{
    DWORD size = sizeof(DWORD);
    return Read(strName, pdwValue, &size);
}

int CRegistry::ReadString(const CString& strName, CString& strValue)
{
    if (!m_hKey)
        return 0;
    TCHAR buffer[kValueBytes / sizeof(TCHAR)];
    DWORD size = sizeof(buffer);
    if (!Read(strName, buffer, &size))
        return 0;
    // The terminator goes at the byte count read, so a value stored without one keeps all its text.
    strValue = TextOf(buffer, std::min<DWORD>(size, sizeof(buffer)) / sizeof(TCHAR));
    return 1;
}

#ifndef PELRUDO_NARROW
int CRegistry::ReadMultiString(const CString& strName, CStringArray& arrValues)
{
    if (!m_hKey)
        return 0;
    char16_t buffer[kValueBytes / sizeof(char16_t)];
    DWORD size = sizeof(buffer);
    if (!Read(strName, buffer, &size))
        return 0;
    // The walk ends at the first empty string or at the end of the data read, whichever comes first.
    std::u16string_view data(buffer, std::min<DWORD>(size, sizeof(buffer)) / sizeof(char16_t));
    while (!data.empty() && data.front() != u'\0') {
        const std::size_t end = std::min(data.find(u'\0'), data.size());
        arrValues.Add(CString(data.substr(0, end)));
        data.remove_prefix(std::min(end + 1, data.size()));
    }
    return 1;
}
#endif

int CRegistry::Write(const CString& strName, void* pData, DWORD dwType, int nSize)
{
    if (!m_hKey || nSize < 0)
        return 0;
    const LONG status = RegSetValueEx(m_hKey, strName, 0, dwType, static_cast<const BYTE*>(pData),
                                      static_cast<DWORD>(nSize));
    m_dwLastError = ::GetLastError();
    return status == ERROR_SUCCESS ? 1 : 0;
}

int CRegistry::WriteDWORD(const CString& strName, DWORD dwValue)
{
    if (!m_hKey)
        return 0;
    return Write(strName, &dwValue, REG_DWORD, sizeof(dwValue));
}

#ifdef PELRUDO_NARROW
int CRegistry::WriteString(const CString& strName, CString& strValue)
#else
int CRegistry::WriteString(const CString& strName, const CString& strValue)
#endif
{
    if (!m_hKey)
        return 0;
    // The system only reads the data; Write keeps the platform's non-const signature.
    void* data = const_cast<TCHAR*>(strValue.GetString());
    return Write(strName, data, REG_SZ, strValue.GetLength() * static_cast<int>(sizeof(TCHAR)));
}

int CRegistry::DeleteKey(HKEY hRoot, const CString& strPath)
{
    return RegDeleteKey(hRoot, strPath) == ERROR_SUCCESS ? 1 : 0;
}

#ifndef PELRUDO_NARROW
DWORD CRegistry::GetSubKeyCount()
{
    DWORD count = 0;
    const LONG status = RegQueryInfoKey(m_hKey, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_SUCCESS ? count : 0;
}

void CRegistry::GetSubKeyName(CString& strName, int nIndex)
{
    char16_t name[kKeyNameChars];
    DWORD length = kKeyNameChars;
    if (RegEnumKeyEx(m_hKey, static_cast<DWORD>(nIndex), name, &length, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
        strName = CString(name, static_cast<int>(std::min(length, kKeyNameChars)));
}
#endif
