// RegistryKey: the key algorithms CRegistry and CRapiRegistry share, over their key handle and last error.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>
#include <type_traits>

#include "platform/CStringArray.h"
#include "platform/CStringT.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/WinTypes.h"

namespace pelrudo::detail {

// Ch is the build's character type. Calls names the registry calls to use, each forwarding its arguments
// unchanged (OpenKeyEx, CreateKeyEx, CloseKey, QueryValueEx, SetValueEx, DeleteKey, QueryInfoKey,
// EnumKeyEx), and the access mask kAccess both opens ask for. The object works on the owner's fields,
// so it is made for each call and holds no state of its own. Every int result is 1 or 0.
template <class Ch, class Calls>
class RegistryKey {
public:
    using String = CStringT<Ch>;

    // Size offered to the system by the string and list reads, terminators included.
    static constexpr DWORD kValueBytes = 4096;
    // Sub-key name buffer in characters, terminator included.
    static constexpr DWORD kKeyNameChars = 255;

    RegistryKey(HKEY& hKey, DWORD& dwLastError) : m_hKey(hKey), m_dwLastError(dwLastError) {}

    int Open(HKEY hRoot, const String& path, int create)
    {
        Close();
        return OpenBelow(hRoot, path, create);
    }

    // The former key is closed after the open below it, whatever the outcome.
    int OpenRelative(const String& path, int create)
    {
        const HKEY parent = m_hKey;
        m_hKey = nullptr;
        const int opened = OpenBelow(parent, path, create);
        if (parent)
            Calls::CloseKey(parent);
        return opened;
    }

    void Close()
    {
        if (!m_hKey)
            return;
        // The outcome does not matter: a remote key is gone anyway once its session has ended.
        Calls::CloseKey(m_hKey);
        m_hKey = nullptr;
    }

    int Read(const String& name, void* data, DWORD* size)
    {
        if (!m_hKey)
            return 0;
        const LONG status = Calls::QueryValueEx(m_hKey, name.GetString(), nullptr, nullptr, static_cast<BYTE*>(data),
                                                size);
        m_dwLastError = ::GetLastError();
        return status == ERROR_SUCCESS ? 1 : 0;
    }

    // Read into a copy, so that a failed read leaves the caller's number as it was.
    int ReadDWORD(const String& name, DWORD* value)
    {
        DWORD number = *value;
        DWORD size = sizeof(number);
        if (!Read(name, &number, &size))
            return 0;
        *value = number;
        return 1;
    }

    int ReadString(const String& name, String& value)
    {
        Chars buffer;
        std::basic_string_view<Ch> chars;
        if (!ReadChars(name, buffer, chars))
            return 0;
        // The text ends at the byte count read, so a value stored without a terminator keeps all of it.
        value = String(chars.substr(0, chars.find(Ch(0))));
        return 1;
    }

    // Appends to the array, which is not cleared.
    int ReadMultiString(const String& name, CStringArrayT<Ch>& values)
    {
        Chars buffer;
        std::basic_string_view<Ch> data;
        if (!ReadChars(name, buffer, data))
            return 0;
        // The walk ends at the first empty string or at the end of the data read, whichever comes first.
        while (!data.empty() && data.front() != Ch(0)) {
            const std::size_t end = data.find(Ch(0));
            values.Add(String(data.substr(0, end)));
            data.remove_prefix(end == data.npos ? data.size() : end + 1);
        }
        return 1;
    }

    int Write(const String& name, const void* data, DWORD type, int size)
    {
        if (!m_hKey || size < 0)
            return 0;
        const LONG status = Calls::SetValueEx(m_hKey, name.GetString(), 0, type, static_cast<const BYTE*>(data),
                                              static_cast<DWORD>(size));
        m_dwLastError = ::GetLastError();
        return status == ERROR_SUCCESS ? 1 : 0;
    }

    int WriteDWORD(const String& name, DWORD value)
    {
        if (!m_hKey)
            return 0;
        return Write(name, &value, REG_DWORD, sizeof(value));
    }

    // REG_SZ of the string's characters only, without a terminator.
    int WriteString(const String& name, const String& value)
    {
        if (!m_hKey)
            return 0;
        return Write(name, value.GetString(), REG_SZ, value.GetLength() * static_cast<int>(sizeof(Ch)));
    }

    static int DeleteKey(HKEY hRoot, const String& path)
    {
        return Calls::DeleteKey(hRoot, path.GetString()) == ERROR_SUCCESS ? 1 : 0;
    }

    DWORD GetSubKeyCount()
    {
        DWORD count = 0;
        const LONG status = Calls::QueryInfoKey(m_hKey, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, nullptr, nullptr);
        return status == ERROR_SUCCESS ? count : 0;
    }

    // Leaves the name as it was when there is no sub-key at the index.
    void GetSubKeyName(String& name, int index)
    {
        Ch buffer[kKeyNameChars];
        DWORD length = kKeyNameChars;
        if (Calls::EnumKeyEx(m_hKey, static_cast<DWORD>(index), buffer, &length, nullptr, nullptr, nullptr,
                             nullptr) == ERROR_SUCCESS)
            name = String(buffer, static_cast<int>(std::min(length, kKeyNameChars)));
    }

private:
    using Chars = std::array<Ch, kValueBytes / sizeof(Ch)>;

    // One trailing backslash is dropped; the disposition of a create is not needed.
    int OpenBelow(HKEY hParent, const String& path, int create)
    {
        const String key = EndsWithBackslash(path) ? path.Left(path.GetLength() - 1) : path;
        HKEY opened = nullptr;
        LONG status;
        if (create) {
            DWORD disposition = 0;
            status = Calls::CreateKeyEx(hParent, key.GetString(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        Calls::kAccess, nullptr, &opened, &disposition);
        } else {
            status = Calls::OpenKeyEx(hParent, key.GetString(), 0, Calls::kAccess, &opened);
        }
        if (status != ERROR_SUCCESS) {
            m_hKey = nullptr;
            m_dwLastError = ::GetLastError();
            return 0;
        }
        m_hKey = opened;
        return 1;
    }

    // The characters of the value read into the buffer, an odd trailing byte dropped.
    bool ReadChars(const String& name, Chars& buffer, std::basic_string_view<Ch>& chars)
    {
        DWORD size = kValueBytes;
        if (!Read(name, buffer.data(), &size))
            return false;
        chars = std::basic_string_view<Ch>(buffer.data(), std::min(size, kValueBytes) / sizeof(Ch));
        return true;
    }

    static bool EndsWithBackslash(const String& path)
    {
        if (path.IsEmpty())
            return false;
        if constexpr (std::is_same_v<Ch, char>) {
            // A double-byte character's trail byte may equal the backslash; only a whole character counts.
            const char* last = MbsRChr(path.GetString(), '\\');
            return last && last - path.GetString() == path.GetLength() - 1;
        } else {
            return path[path.GetLength() - 1] == Ch('\\');
        }
    }

    HKEY& m_hKey;
    DWORD& m_dwLastError;
};

}  // namespace pelrudo::detail
