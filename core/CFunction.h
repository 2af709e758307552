// CFunction: the class library's static helpers for numbers, hexadecimal text, splitting and files.
#pragma once

#include "platform/CStringList.h"
#include "platform/CStringT.h"
#include "platform/WinTypes.h"

// Lenient by design: a conversion never fails; what it cannot read it skips or counts as zero.
class CFunction {
public:
    static CString NumToStr(int nNum);
    // Decimal digits anywhere in the text, modulo 2^32; a leading minus sign negates.
    static int StrToNum(CString strNum);
    // Trims, keeps the last four characters and upper-cases the caller's string, then reads it.
    static WORD HexToWORD(CString& strHex);
    static CString DWORD2Hex(DWORD dwValue);

    // Splits at any character of the set; no piece after a trailing separator.
    static void DivideStr(CString strText, CStringList& list, const CString& strSeparators);
    // As above into nCount slots; the last slot takes the unsplit rest. Never writes at or past nCount.
    static void DivideStr(CString strText, CString* pSlots, const CString& strSeparators, int nCount);
    // Splits at one character; a trailing separator gives a trailing empty piece.
    static void DivideStr(const char16_t* pszText, CStringList& list, char16_t chSeparator);

    // "<Windows folder><name>tmp\<name>.<ext>" (".tmp" for an empty extension); makes the folder.
    static CString GetTempFilename(const CString& strName, const CString& strExt);
    static CString GetCurrentDirectoryW();
    // 1 when the path ends in a backslash; the disk is not consulted.
    static int IsFolder(const CString& strPath);
    // 0 when the file cannot be opened (missing, or held by an opener that shares nothing).
    static DWORD GetFileSize(const CString& strPath);
    // 1 when a first-match search finds the path; a path ending in a backslash is a folder that must
    // hold at least one entry.
    static int IsPathExist(CString strPath);
    // 1 when a first-match search for the path (wildcards allowed; folders match too) finds an entry.
    static int IsFileExist(const CString& strPath);
};
