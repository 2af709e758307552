// CIniStream: the INI grammar on loading, the layout on saving, and the first-match lookups.
#include "core/CIniStream.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/FileApi.h"
#include "plugins/CUnicodeFileImp.h"

namespace {

constexpr UINT kCreateBit = 0x1000;

// A name beside the target, so that the rename stays within one file system.
CString TempNameBeside(const CString& strPath)
{
    std::random_device random;
    CString name;
    name.Format(u"%s.~%08X.tmp", strPath.GetString(), static_cast<unsigned>(random()));
    return name;
}

// A text file read whole at once: its lines are then taken from memory through the virtual byte
// operations that ReadString uses, instead of a few system calls per line.
class LoadedTextFile : public CUnicodeFileImp {
public:
    // False when the file cannot be opened; failures while reading throw as CFile's do.
    bool Load(LPCWSTR lpszPath)
    {
        if (!CBinaryFileImp::Open(lpszPath, CFile::modeRead)) return false;
        constexpr UINT kChunk = 64 * 1024;
        for (;;) {
            std::size_t size = m_bytes.size();
            m_bytes.resize(size + kChunk);
            UINT got = CBinaryFileImp::Read(m_bytes.data() + size, kChunk);
            m_bytes.resize(size + got);
            if (got < kChunk) break;
        }
        CBinaryFileImp::Close();
        return true;
    }

    LONG Seek(LONG lOff, UINT nFrom) override
    {
        LONGLONG base = nFrom == CFile::begin ? 0 : nFrom == CFile::current ? m_position : static_cast<LONGLONG>(m_bytes.size());
        m_position = std::max<LONGLONG>(0, base + lOff);
        return static_cast<LONG>(m_position);
    }
    UINT Read(void* lpBuf, UINT nCount) override
    {
        std::size_t at = std::min(static_cast<std::size_t>(m_position), m_bytes.size());
        std::size_t n = std::min<std::size_t>(nCount, m_bytes.size() - at);
        std::memcpy(lpBuf, m_bytes.data() + at, n);
        m_position += static_cast<LONGLONG>(n);
        return static_cast<UINT>(n);
    }
    DWORD GetPosition() override { return static_cast<DWORD>(m_position); }

private:
    std::vector<BYTE> m_bytes;
    LONGLONG m_position = 0;
};

// Writes and flushes the whole text to a new file; false when any of it could not be written.
bool WriteWhole(const CString& strPath, const CString& text)
{
    CUnicodeFileImp file;
    if (!file.Open(strPath.GetString(), CFile::modeCreate | CFile::modeWrite)) return false;
    try {
        if (!text.IsEmpty()) file.WriteString(text);
        file.Flush();
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        return false;
    }
    return true;
}

}  // namespace

struct CIniStream::Segment {
    struct Pair {
        CString key;
        CString value;
    };

    // Small segments are searched in order; larger ones keep each key's first position in a hash.
    static constexpr std::size_t kIndexFrom = 16;

    CString name;  // never changes, so the document's hash may look at it
    std::vector<Pair> pairs;
    std::unordered_map<std::u16string, std::size_t> firstByKey;
    Segment* next = nullptr;

    void Append(const CString& key, const CString& value)
    {
        pairs.push_back({key, value});
        if (pairs.size() < kIndexFrom) return;
        if (pairs.size() > kIndexFrom) {
            firstByKey.try_emplace(key.Str(), pairs.size() - 1);
            return;
        }
        for (std::size_t i = 0; i < pairs.size(); ++i) firstByKey.try_emplace(pairs[i].key.Str(), i);
    }

    Pair* Find(const CString& key)
    {
        if (pairs.size() >= kIndexFrom) {
            auto it = firstByKey.find(key.Str());
            return it == firstByKey.end() ? nullptr : &pairs[it->second];
        }
        for (Pair& pair : pairs) {
            if (pair.key == key) return &pair;
        }
        return nullptr;
    }
};

CIniStream::CIniStream() : m_pFirst(nullptr), m_pLast(nullptr), m_bOpen(0), m_nSegments(0) {}

CIniStream::~CIniStream()
{
    Close();
}

int CIniStream::Open(LPCWSTR lpszPath, UINT nMode)
{
    Close();
    if (!lpszPath) return 0;
    if (nMode & kCreateBit) {
        m_strPath = lpszPath;
        return 1;
    }
    LoadedTextFile file;
    try {
        if (!file.Load(lpszPath)) return 0;
        CString line;
        Segment* current = nullptr;
        while (file.ReadString(line)) LoadLine(line, current);
    } catch (CFileException* e) {
        // A file that cannot be read to its end counts as one that cannot be opened.
        e->Delete();
        RestoreData();
        return 0;
    }
    m_strPath = lpszPath;
    m_bOpen = 1;
    return 1;
}

void CIniStream::LoadLine(CString& strLine, Segment*& pCurrent)
{
    strLine.Trim();
    if (strLine.IsEmpty() || strLine[0] == u';') return;
    if (strLine[0] == u'[') {
        pCurrent = static_cast<Segment*>(AddSegment(strLine.Mid(1, strLine.GetLength() - 2)));
        return;
    }
    if (!pCurrent) return;
    int equals = strLine.Find(u'=');
    if (equals >= 0) {
        pCurrent->Append(strLine.Left(equals), strLine.Mid(equals + 1));
        return;
    }
    // A continuation line before the segment's first pair has nothing to join and is dropped.
    if (!pCurrent->pairs.empty()) pCurrent->pairs.back().value += strLine;
}

void CIniStream::Close()
{
    RestoreData();
    m_bOpen = 0;
}

void CIniStream::RestoreData()
{
    while (m_pFirst) {
        Segment* next = m_pFirst->next;
        delete m_pFirst;
        m_pFirst = next;
    }
    m_pLast = nullptr;
    m_nSegments = 0;
    m_firstByName.clear();
}

CString CIniStream::Render() const
{
    int length = 0;
    for (const Segment* segment = m_pFirst; segment; segment = segment->next) {
        length += segment->name.GetLength() + 4;
        for (const Segment::Pair& pair : segment->pairs) length += pair.key.GetLength() + pair.value.GetLength() + 2;
    }
    CString text;
    text.GetBuffer(length);  // room for the whole document at once
    text.ReleaseBuffer(0);
    for (const Segment* segment = m_pFirst; segment; segment = segment->next) {
        text += u'[';
        text += segment->name;
        text += u"]\n";
        for (const Segment::Pair& pair : segment->pairs) {
            text += pair.key;
            text += u'=';
            text += pair.value;
            text += u'\n';
        }
        text += u'\n';
    }
    return text;
}

int CIniStream::Save()
{
    if (m_strPath.IsEmpty()) return 0;
    CString temp = TempNameBeside(m_strPath);
    if (!WriteWhole(temp, Render()) ||
        !MoveFileEx(temp.GetString(), m_strPath.GetString(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFile(temp.GetString());
        return 0;
    }
    return 1;
}

void* CIniStream::AddSegment(const CString& strName)
{
    auto* segment = new Segment;
    segment->name = strName;
    if (m_pLast) m_pLast->next = segment;
    else m_pFirst = segment;
    m_pLast = segment;
    ++m_nSegments;
    m_firstByName.try_emplace(segment->name.View(), segment);
    return segment;
}

void* CIniStream::FindSegment(const CString& strName, int bCreate)
{
    auto it = m_firstByName.find(strName.View());
    if (it != m_firstByName.end()) return it->second;
    return bCreate ? AddSegment(strName) : nullptr;
}

int CIniStream::GetCount()
{
    return m_nSegments;
}

int CIniStream::GetCount(const CString& strName)
{
    return GetCount(FindSegment(strName, 0));
}

int CIniStream::GetCount(void* pSegment)
{
    return pSegment ? static_cast<int>(static_cast<Segment*>(pSegment)->pairs.size()) : 0;
}

int CIniStream::GetData(void* pSegment, const CString& strKey, CString& strValue)
{
    if (!pSegment) return 0;
    const Segment::Pair* pair = static_cast<Segment*>(pSegment)->Find(strKey);
    if (!pair) return 0;
    strValue = pair->value;
    return 1;
}

int CIniStream::GetData(void* pSegment, int nIndex, CString& strKey, CString& strValue)
{
    if (!pSegment || nIndex < 0 || nIndex >= GetCount(pSegment)) return 0;
    const Segment::Pair& pair = static_cast<Segment*>(pSegment)->pairs[static_cast<std::size_t>(nIndex)];
    strKey = pair.key;
    strValue = pair.value;
    return 1;
}

void CIniStream::SetData(void* pSegment, const CString& strKey, const CString& strValue)
{
    if (!pSegment) return;
    auto* segment = static_cast<Segment*>(pSegment);
    if (Segment::Pair* pair = segment->Find(strKey)) {
        pair->value = strValue;
        return;
    }
    segment->Append(strKey, strValue);
}
