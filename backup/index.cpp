// CBackupDlg's backup index: reading the local copy of "Backup.ini" and writing it anew.
#include <algorithm>

#include "backup/CBackupDlg.h"
#include "core/CFunction.h"
#include "core/CIniStream.h"
#include "platform/FileApi.h"

namespace {

constexpr UINT kModeRead = 0;
constexpr UINT kModeCreate = 0x1001;

// A damaged "ListCount" must not make millions of entries: it may exceed the keys of [General] by
// this many at most (each entry needs a key "Software<k>" there, so more can only be empty entries).
constexpr int kSpareEntries = 1024;

CString SoftwareKey(int k)
{
    CString key;
    key.Format(u"Software%d", k);
    return key;
}

}  // namespace

BOOL CBackupDlg::ReadBackupIndex(const CString& strPath)
{
    CIniStream ini;
    if (!ini.Open(strPath.GetString(), kModeRead)) return FALSE;
    void* general = ini.FindSegment(u"General", 0);
    CString count;
    ini.GetData(general, u"ListCount", count);
    int entries = std::min(CFunction::StrToNum(count), ini.GetCount(general) + kSpareEntries);
    for (int k = 1; k <= entries; ++k) {
        auto* entry = new CBackupEntry;
        ini.GetData(general, SoftwareKey(k), entry->m_strAppName);
        ini.GetData(ini.FindSegment(entry->m_strAppName, 0), u"CabFile", entry->m_cabName.m_strName);
        m_arrIndex.Add(entry);
    }
    ini.Close();
    return TRUE;
}

void CBackupDlg::WriteBackupIndex(const CString& strPath)
{
    CIniStream ini;
    if (!ini.Open(strPath.GetString(), kModeCreate)) return;
    void* general = ini.FindSegment(u"General", 1);
    int k = 1;
    for (INT_PTR i = 0; i < m_arrApps.GetSize(); ++i) {
        auto* app = static_cast<CAppEntry*>(m_arrApps.GetAt(i));
        if (!app->m_bTicked) continue;
        ini.SetData(general, SoftwareKey(k), app->m_strAppName);
        ini.SetData(ini.FindSegment(app->m_strAppName, 1), u"CabFile", app->m_cabName.m_strName);
        ++k;
    }
    ini.SetData(general, u"ListCount", CFunction::NumToStr(k - 1));
    ini.Save();
    ini.Close();
}

CString CBackupDlg::GetLocalIndexPath()
{
    char16_t buffer[MAX_PATH];
    DWORD length = GetTempPath(MAX_PATH, buffer);
    CString path(buffer, length < MAX_PATH ? static_cast<int>(length) : 0);
    if (path.IsEmpty() || path[path.GetLength() - 1] != u'\\') path += u'\\';
    return path + u"Backup.ini";
}
