// CRapiRegistry: one open key of the connected handheld's registry, reached through the remote API.
#pragma once

#include "platform/CStringArray.h"
#include "platform/CStringT.h"
#include "platform/WinTypes.h"

// The twin of CRegistry for the handheld: the same operations, rules and sizes over the Ce... calls.
// Results are 1 for success and 0 for failure. The key handle is the handheld's and is valid only
// while the remote session is open; the class neither starts nor checks that session.
class CRapiRegistry {
public:
    CRapiRegistry() = default;
    ~CRapiRegistry();
    // Not copyable: two copies would close one remote key twice, and nothing needs a copy.
    CRapiRegistry(const CRapiRegistry&) = delete;
    CRapiRegistry& operator=(const CRapiRegistry&) = delete;

    // Closes the held key, drops one trailing backslash of the path, then opens (create 0) or opens
    // or creates the key below the root.
    int Open(HKEY hRoot, const CString& strPath, int nCreate);
    // Opens below the held key, then closes the key that was held, whatever the outcome.
    int Open(const CString& strPath, int nCreate);
    void Close();
    int IsOpen();
    HKEY GetHandle();

    // Raw data of the value; *pdwSize is the buffer's size in bytes on entry and the data's on return.
    int Read(const CString& strName, void* pData, DWORD* pdwSize);
    int ReadDWORD(const CString& strName, DWORD* pdwValue);
    // At most 4096 bytes; a value stored without its terminator reads as exactly its characters.
    int ReadString(const CString& strName, CString& strValue);
    // Appends the list's strings to the array; at most 4096 bytes of data.
    int ReadMultiString(const CString& strName, CStringArray& arrValues);
    int Write(const CString& strName, void* pData, DWORD dwType, int nSize);
    int WriteDWORD(const CString& strName, DWORD dwValue);
    // REG_SZ of 2 x length bytes, without a terminator.
    int WriteString(const CString& strName, const CString& strValue);

    static int DeleteKey(HKEY hRoot, const CString& strPath);
    DWORD GetSubKeyCount();
    void GetSubKeyName(CString& strName, int nIndex);

    // The desktop thread's last error read right after the latest Read, Write or failed Open (the
    // remote API puts the handheld's there); 0 before any.
    DWORD GetLastError() const { return m_dwLastError; }

private:
    HKEY m_hKey = nullptr;
    DWORD m_dwLastError = 0;
};
