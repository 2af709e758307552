// CBackupDlg's catalogue: the Application Manager's applications that offer a package for the handheld.
#include <memory>

#include "backup/CBackupDlg.h"
#include "core/CFunction.h"
#include "core/CRegistry.h"
#include "platform/CStringArray.h"

namespace {

// Position of the first processor type that is the handheld's or reads as 0 (any type); -1 for none.
INT_PTR MatchCpuType(const CStringArray& cpuTypes, DWORD dwCpuType)
{
    for (INT_PTR i = 0; i < cpuTypes.GetSize(); ++i) {
        const int type = CFunction::StrToNum(cpuTypes.GetAt(i));
        if (type == 0 || static_cast<DWORD>(type) == dwCpuType)
            return i;
    }
    return -1;
}

// The entry of one application's key, or null when it offers no package for the processor type.
std::unique_ptr<CAppEntry> ReadApplication(CBackupDlg& dlg, const CString& strKeyPath, DWORD dwCpuType)
{
    // A key that cannot be opened reads as one without values and is skipped below.
    CRegistry app;
    app.Open(HKEY_LOCAL_MACHINE, strKeyPath, 0);

    CStringArray cpuTypes;
    app.ReadMultiString(u"ListCpuTypes", cpuTypes);
    const INT_PTR match = MatchCpuType(cpuTypes, dwCpuType);
    if (match < 0)
        return nullptr;

    CStringArray cabFiles;
    app.ReadMultiString(u"ListCabFiles", cabFiles);
    // The lists should be parallel; without a package at the matched position there is nothing to back up.
    if (match >= cabFiles.GetSize())
        return nullptr;

    auto entry = std::make_unique<CAppEntry>();
    app.ReadString(u"AppName", entry->m_strAppName);
    app.ReadString(u"Description", entry->m_strDescription);
    app.ReadString(u"InstallDir", entry->m_strInstallDir);
    app.ReadString(u"Provider", entry->m_strProvider);
    app.ReadString(u"IconFile", entry->m_strIconFile);

    entry->m_cabName.m_strName = cabFiles.GetAt(match);
    entry->m_nCpuType = CFunction::StrToNum(cpuTypes.GetAt(match));
    entry->m_dwCabSize = CFunction::GetFileSize(entry->DesktopFile(entry->m_cabName.m_strName));
    entry->m_bBackedUp = dlg.IsBackedUp(entry->m_cabName.m_strName);
    entry->m_bTicked = entry->m_bBackedUp;
    return entry;
}

}  // namespace

BOOL CBackupDlg::LoadCatalogue(DWORD dwCpuType)
{
    CRegistry apps;
    if (!apps.Open(HKEY_LOCAL_MACHINE, kAppsKey, 0))
        return FALSE;

    const DWORD count = apps.GetSubKeyCount();
    for (DWORD i = 0; i < count; ++i) {
        CString name;  // fresh each time: a failed lookup must not repeat the previous application
        apps.GetSubKeyName(name, static_cast<int>(i));
        std::unique_ptr<CAppEntry> entry = ReadApplication(*this, CString(kAppsKey) + name, dwCpuType);
        if (entry)
            m_arrApps.Add(entry.release());
    }
    return TRUE;
}

BOOL CBackupDlg::IsBackedUp(const CString& strCabName)
{
    for (INT_PTR i = 0; i < m_arrIndex.GetSize(); ++i) {
        const auto* backup = static_cast<const CBackupEntry*>(m_arrIndex.GetAt(i));
        if (backup->m_cabName.m_strName == strCabName)
            return TRUE;
    }
    return FALSE;
}
