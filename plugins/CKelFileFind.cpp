// CKelFileFind: the finder over the platform's find-first and find-next calls.
#include "plugins/CKelFileFind.h"

#include <utility>

#include "core/CFunction.h"
#include "platform/FileApi.h"

CKelFileFind::CKelFileFind() = default;

CKelFileFind::~CKelFileFind() { Close(); }

void CKelFileFind::Close()
{
    DELETE_POINTER(&m_pFoundInfo);
    DELETE_POINTER(&m_pNextInfo);
    if (m_hFind) {
        FindClose(m_hFind);
        m_hFind = nullptr;
    }
    m_bMore = 0;
}

int CKelFileFind::FindFile(LPCWSTR pstrName)
{
    Close();
    CString pattern = pstrName ? CString(pstrName) : CString(u"\\*.*");
    const int slash = pattern.ReverseFind(u'\\');
    m_strRoot = slash < 0 ? CString() : slash == 0 ? CString(u"\\") : pattern.Left(slash);

    m_pNextInfo = new WIN32_FIND_DATAW{};
    HANDLE search = FindFirstFile(pattern, m_pNextInfo);
    if (search == INVALID_HANDLE_VALUE || !search) {
        Close();
        return 0;
    }
    m_hFind = search;
    m_bMore = 1;
    return 1;
}

int CKelFileFind::FindNextFileW()
{
    if (!m_hFind || !m_bMore) return 0;
    if (!m_pFoundInfo) m_pFoundInfo = new WIN32_FIND_DATAW{};
    std::swap(m_pFoundInfo, m_pNextInfo);
    m_bMore = FindNextFile(m_hFind, m_pNextInfo) ? 1 : 0;
    return m_bMore;
}

void CKelFileFind::AssertDoneNext() {}

CString CKelFileFind::GetRoot()
{
    AssertDoneNext();
    return m_pFoundInfo ? m_strRoot : CString();
}

CString CKelFileFind::GetFilePath()
{
    AssertDoneNext();
    CString path = m_strRoot;
    if (!CFunction::IsFolder(path)) path += u'\\';
    return path + GetFileName();
}

CString CKelFileFind::GetFileName()
{
    AssertDoneNext();
    return m_pFoundInfo ? CString(m_pFoundInfo->cFileName) : CString();
}

CString CKelFileFind::GetFileTitle()
{
    CString name = GetFileName();
    const int dot = name.Find(u'.');
    return dot < 0 ? name : name.Left(dot);
}

DWORD CKelFileFind::GetLength()
{
    AssertDoneNext();
    return m_pFoundInfo ? m_pFoundInfo->nFileSizeLow : 0;
}

int CKelFileFind::MatchesMask(DWORD dwMask) { return HasBit(dwMask); }

int CKelFileFind::IsDots()
{
    const CString name = GetFileName();
    return IsDirectory() && (name == u"." || name == u"..") ? 1 : 0;
}

int CKelFileFind::HasBit(DWORD dwBit)
{
    AssertDoneNext();
    return m_pFoundInfo && (m_pFoundInfo->dwFileAttributes & dwBit) != 0 ? 1 : 0;
}

int CKelFileFind::IsArchived()
{
    AssertDoneNext();
    return m_pFoundInfo && m_pFoundInfo->dwFileAttributes == FILE_ATTRIBUTE_ARCHIVE ? 1 : 0;
}

int CKelFileFind::IsCompressed()
{
    AssertDoneNext();
    return m_pFoundInfo && m_pFoundInfo->dwFileAttributes == FILE_ATTRIBUTE_COMPRESSED ? 1 : 0;
}

int CKelFileFind::IsDirectory() { return HasBit(FILE_ATTRIBUTE_DIRECTORY); }
int CKelFileFind::IsHidden() { return HasBit(FILE_ATTRIBUTE_HIDDEN); }
int CKelFileFind::IsNormal() { return HasBit(FILE_ATTRIBUTE_NORMAL); }
int CKelFileFind::IsReadOnly() { return HasBit(FILE_ATTRIBUTE_READONLY); }
int CKelFileFind::IsSystem() { return HasBit(FILE_ATTRIBUTE_SYSTEM); }
int CKelFileFind::IsTemporary() { return HasBit(FILE_ATTRIBUTE_TEMPORARY); }

int CKelFileFind::TimeOf(const FILETIME WIN32_FIND_DATAW::*pField, FILETIME* pTimeStamp)
{
    AssertDoneNext();
    if (!m_pFoundInfo || !pTimeStamp) return 0;
    *pTimeStamp = m_pFoundInfo->*pField;
    return 1;
}

int CKelFileFind::TimeOf(const FILETIME WIN32_FIND_DATAW::*pField, CTime& refTime)
{
    AssertDoneNext();
    if (!m_pFoundInfo) return 0;
    refTime = CTime(m_pFoundInfo->*pField, -1);
    return 1;
}

int CKelFileFind::GetCreationTime(CTime& refTime) { return TimeOf(&WIN32_FIND_DATAW::ftCreationTime, refTime); }
int CKelFileFind::GetCreationTime(FILETIME* pTimeStamp) { return TimeOf(&WIN32_FIND_DATAW::ftCreationTime, pTimeStamp); }
int CKelFileFind::GetLastAccessTime(FILETIME* pTimeStamp) { return TimeOf(&WIN32_FIND_DATAW::ftLastAccessTime, pTimeStamp); }
int CKelFileFind::GetLastAccessTime(CTime& refTime) { return TimeOf(&WIN32_FIND_DATAW::ftLastAccessTime, refTime); }
int CKelFileFind::GetLastWriteTime(CTime& refTime) { return TimeOf(&WIN32_FIND_DATAW::ftLastWriteTime, refTime); }
int CKelFileFind::GetLastWriteTime(FILETIME* pTimeStamp) { return TimeOf(&WIN32_FIND_DATAW::ftLastWriteTime, pTimeStamp); }
