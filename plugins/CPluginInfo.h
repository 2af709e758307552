// CPluginInfo: the plug-in manager's record of one loaded plug-in library.
#pragma once

#include "platform/CObject.h"
#include "platform/CStringT.h"
#include "platform/WinTypes.h"

class CPluginInfo : public CObject {
public:
    CPluginInfo();
    ~CPluginInfo() override;

    // The file name with its extension: the part of the path after its last backslash.
    CString GetName();

    CString m_strPath;
    HINSTANCE m_hModule;
    DWORD m_dwType;
    // Nonzero: the manager frees the library when it releases its plug-ins.
    BOOL m_bFreeLibrary;
};
