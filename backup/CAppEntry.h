// CAppEntry: one application that the Application Manager can install on the handheld's processor type.
#pragma once

#include "backup/CCabName.h"
#include "core/CFunction.h"

class CAppEntry : public CObject {
public:
    CString m_strAppName;      // "AppName"; the row's text and the index section's name
    CString m_strDescription;  // "Description"
    CString m_strInstallDir;   // "InstallDir": the desktop folder of the package and icon files
    CString m_strProvider;     // "Provider"
    CString m_strIconFile;     // "IconFile", relative to the desktop folder
    CCabName m_cabName;        // the "ListCabFiles" entry at the matched position
    LONG m_nCpuType = 0;       // the matched "ListCpuTypes" entry read as a number
    DWORD m_dwCabSize = 0;     // package size on the desktop; 0 when it cannot be opened
    BOOL m_bBackedUp = FALSE;  // listed by the backup index at scan time; never changes afterwards
    BOOL m_bTicked = FALSE;    // the row's check box

    // A file of the desktop folder: the folder and the name through exactly one backslash.
    CString DesktopFile(const CString& strName) const
    {
        return CFunction::IsFolder(m_strInstallDir) ? m_strInstallDir + strName : m_strInstallDir + u"\\" + strName;
    }
};
