// CIniStream: one INI document in memory, loaded from and saved to a UTF-16 text file.
#pragma once

#include <string_view>
#include <unordered_map>

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

// Segments and pairs keep document order and need not be unique; every lookup takes the first exact,
// case-sensitive match. Segment handles (void*) stay valid until the next Close, Open or destruction.
class CIniStream {
public:
    CIniStream();
    virtual ~CIniStream();
    // Two streams must never share one document.
    CIniStream(const CIniStream&) = delete;
    CIniStream& operator=(const CIniStream&) = delete;

    // With the create bit 0x1000 in the mode: binds the path to an empty document, touching no file.
    // Otherwise loads the file; 0 when it cannot be read, keeping the former path.
    int Open(LPCWSTR lpszPath, UINT nMode);
    void Close();
    // Replaces the file at the path by the whole document (an empty one gives an empty file). The new
    // file is written beside the old one and renamed over it, so a failed save leaves the old file whole.
    int Save();

    void* FindSegment(const CString& strName, int bCreate);
    int GetCount();
    int GetCount(const CString& strName);
    int GetCount(void* pSegment);
    int GetData(void* pSegment, const CString& strKey, CString& strValue);
    int GetData(void* pSegment, int nIndex, CString& strKey, CString& strValue);
    void SetData(void* pSegment, const CString& strKey, const CString& strValue);

private:
    struct Segment;

    void* AddSegment(const CString& strName);
    void RestoreData();
    void LoadLine(CString& strLine, Segment*& pCurrent);
    CString Render() const;

    Segment* m_pFirst;
    Segment* m_pLast;
    int m_bOpen;
    CString m_strPath;
    int m_nSegments;
    // The first segment of each name, so that lookups stay first-match without walking the list.
    std::unordered_map<std::u16string_view, Segment*> m_firstByName;
};
