// CLangPack: a language pack, the texts of a program in one language by numeric string id, and its search.
#pragma once

#include <unordered_map>

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

// A pack is a UTF-16 ".lng" file: a first line "...=<language id>", then INI segments, of which
// "Lang" holds "<id>=<text>" entries (a later entry for an id wins).
class CLangPack {
public:
    CLangPack();
    virtual ~CLangPack();
    CLangPack(const CLangPack&) = default;
    CLangPack& operator=(const CLangPack&) = default;

    // Replaces the table by the pack's "Lang" entries; 0 (and an empty table) when it cannot be read.
    int Open(CString strPath);
    void Close();
    // The text for the id, or "<Err %d>" with the id as a signed number.
    CString GetResString(UINT nID);

    // The language the pack declares in its first line; 0 when it cannot be opened.
    static UINT GetLanguageID(const CString& strPath);
    // Writes into pszPath (MAX_PATH code units) the full path of the first pack in the folder, in the
    // file search's order, that declares the language; the empty string when none does or when the
    // path would not fit.
    static void FindLangPack(char16_t* pszPath, UINT nLangID, const CString& strFolder);

private:
    std::unordered_map<UINT, CString> m_table;
};
