// CKelFileFind: the library's file finder, one entry at a time with a one-entry look-ahead.
#pragma once

#include "framework/CBaseObj.h"
#include "platform/CStringT.h"
#include "platform/CTime.h"
#include "platform/WinTypes.h"

// FindFile fetches the first match but makes no entry current; each FindNextFileW makes the fetched
// entry current and fetches the next, answering 0 when the current entry is the last one. Queries
// answer for the current entry, or their empty value without one. The finder never sets its error code.
class CKelFileFind : public CBaseObj {
public:
    CKelFileFind();
    ~CKelFileFind() override;
    CKelFileFind(const CKelFileFind&) = delete;
    CKelFileFind& operator=(const CKelFileFind&) = delete;

    virtual int FindNextFileW();
    // A null pattern searches the root folder of the current drive ("\*.*").
    virtual int FindFile(LPCWSTR pstrName = nullptr);
    virtual int GetCreationTime(CTime& refTime);
    virtual int GetCreationTime(FILETIME* pTimeStamp);
    virtual int GetLastAccessTime(FILETIME* pTimeStamp);
    virtual int GetLastAccessTime(CTime& refTime);
    virtual int GetLastWriteTime(CTime& refTime);
    virtual int GetLastWriteTime(FILETIME* pTimeStamp);
    virtual int MatchesMask(DWORD dwMask);
    virtual int IsDots();

    void Close();
    // The pattern's folder part, taken literally: "\" for a pattern rooted in it, empty without one.
    CString GetRoot();
    // The root, one backslash unless the root ends in one, and the name.
    CString GetFilePath();
    CString GetFileName();
    // The name up to its first dot.
    CString GetFileTitle();
    // The low 32 bits of the size.
    DWORD GetLength();
    // IsArchived and IsCompressed test the whole attribute word for equality; the others test one bit.
    int IsArchived();
    int IsCompressed();
    int IsDirectory();
    int IsHidden();
    int IsNormal();
    int IsReadOnly();
    int IsSystem();
    int IsTemporary();

protected:
    void AssertDoneNext();
    template <class T>
    static void DELETE_POINTER(T** ppData)
    {
        if (!*ppData) return;
        delete *ppData;
        *ppData = nullptr;
    }

private:
    int HasBit(DWORD dwBit);
    int TimeOf(const FILETIME WIN32_FIND_DATAW::*pField, FILETIME* pTimeStamp);
    int TimeOf(const FILETIME WIN32_FIND_DATAW::*pField, CTime& refTime);

    WIN32_FIND_DATAW* m_pFoundInfo = nullptr;
    WIN32_FIND_DATAW* m_pNextInfo = nullptr;
    CString m_strRoot;
    HANDLE m_hFind = nullptr;
    // Cleared once the system reported the last entry, so that later calls keep it current.
    int m_bMore = 0;
};
