// CRegistry: one open key of the local registry, built wide (desktop), narrow (Setup) and for the handheld.
#pragma once

#include "platform/CStringT.h"
#include "platform/WinTypes.h"
#ifndef PELRUDO_NARROW
#include "platform/CStringArray.h"
#endif

// Every int result is 1 for success and 0 for failure. The object owns its key and closes it on
// Close, on the next Open and on destruction.
class CRegistry {
public:
    CRegistry();
    ~CRegistry();
    // A copy would hold the same key and close it a second time; nothing in the system copies one.
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Closes the key held, then opens (or with bCreate opens or creates) the path below the root.
    // One trailing backslash of the path is ignored.
    int Open(HKEY hRoot, const CString& strPath, int bCreate);
#ifndef PELRUDO_NARROW
    // Opens the path below the key held; the former key is closed whatever the outcome.
    int Open(const CString& strPath, int bCreate);
#endif
    void Close();
    int IsOpen();
    HKEY GetHandle();

    // Raw data of the value, whatever its type; *pdwSize is the buffer's size in, the data's size out.
    int Read(const CString& strName, void* pData, DWORD* pdwSize);
    int ReadDWORD(const CString& strName, DWORD* pdwValue);
    // A string of at most 4096 bytes with its terminator; stored with or without one.
    int ReadString(const CString& strName, CString& strValue);
#ifndef PELRUDO_NARROW
    // Appends the strings of a list value of at most 4096 bytes; the array is not cleared.
    int ReadMultiString(const CString& strName, CStringArray& arrValues);
#endif

    int Write(const CString& strName, void* pData, DWORD dwType, int nSize);
    int WriteDWORD(const CString& strName, DWORD dwValue);
    // REG_SZ without a terminator: the string's characters only.
#ifdef PELRUDO_NARROW
    int WriteString(const CString& strName, CString& strValue);
#else
    int WriteString(const CString& strName, const CString& strValue);
#endif

    static int DeleteKey(HKEY hRoot, const CString& strPath);

#ifndef PELRUDO_NARROW
    // Counts and names the direct sub-keys of the key held, in the registry's enumeration order.
    DWORD GetSubKeyCount();
    // Leaves strName as it was when there is no sub-key at nIndex.
    void GetSubKeyName(CString& strName, int nIndex);
#endif

    // The thread's last error read right after the latest Read, Write or failed Open; 0 before any.
    DWORD GetLastError() const { return m_dwLastError; }

private:
    HKEY m_hKey;
    DWORD m_dwLastError;
};
