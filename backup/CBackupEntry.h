// CBackupEntry: one entry of the handheld's backup index, in memory.
#pragma once

#include "backup/CCabName.h"

class CBackupEntry : public CObject {
public:
    CString m_strAppName;
    CString m_strDescription;
    CString m_strInstallDir;
    CString m_strProvider;
    CString m_strIconFile;
    CCabName m_cabName;
    LONG m_nCpuType = 0;
    DWORD m_dwCabSize = 0;
};
