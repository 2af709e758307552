// CLangPack: loading the "Lang" segment of a pack, the text lookup and the search by declared language.
#include "framework/CLangPack.h"

#include "core/CFunction.h"
#include "core/CIniStream.h"
#include "platform/CStringList.h"
#include "plugins/CKelFileFind.h"
#include "plugins/CUnicodeFileImp.h"

CLangPack::CLangPack() = default;

CLangPack::~CLangPack() { Close(); }

int CLangPack::Open(CString strPath)
{
    Close();
    CIniStream ini;
    if (!ini.Open(strPath, 0)) return 0;
    if (void* segment = ini.FindSegment(u"Lang", 0)) {
        const int count = ini.GetCount(segment);
        for (int i = 0; i < count; ++i) {
            CString key;
            CString text;
            if (ini.GetData(segment, i, key, text)) m_table[static_cast<UINT>(CFunction::StrToNum(key))] = text;
        }
    }
    ini.Close();
    return 1;
}

void CLangPack::Close() { m_table.clear(); }

CString CLangPack::GetResString(UINT nID)
{
    if (auto found = m_table.find(nID); found != m_table.end()) return found->second;
    CString text;
    text.Format(u"<Err %d>", static_cast<int>(nID));
    return text;
}

UINT CLangPack::GetLanguageID(const CString& strPath)
{
    CUnicodeFileImp file;
    if (!file.Open(strPath, 0)) return 0;
    CString line;
    file.ReadString(line);
    file.Close();
    CStringList pieces;
    CFunction::DivideStr(line, pieces, u"=");
    return pieces.IsEmpty() ? 0 : static_cast<UINT>(CFunction::StrToNum(pieces.GetTail()));
}

void CLangPack::FindLangPack(char16_t* pszPath, UINT nLangID, const CString& strFolder)
{
    if (!pszPath) return;
    pszPath[0] = 0;
    CString pattern = strFolder;
    if (!CFunction::IsFolder(pattern)) pattern += u'\\';
    pattern += u"*.lng";

    CKelFileFind finder;
    CString found;
    if (finder.FindFile(pattern)) {
        int more = 1;
        while (more && found.IsEmpty()) {
            more = finder.FindNextFileW();
            CString path = finder.GetFilePath();
            if (GetLanguageID(path) == nLangID) found = path;
        }
    }
    finder.Close();
    if (found.GetLength() >= MAX_PATH) return;
    std::char_traits<char16_t>::copy(pszPath, found.GetString(), static_cast<std::size_t>(found.GetLength()) + 1);
}
