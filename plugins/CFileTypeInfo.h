// CFileTypeInfo: one file extension that a file-type plug-in declared, with its icons.
#pragma once

#include "platform/CObject.h"
#include "platform/CStringT.h"
#include "platform/WinTypes.h"

class CPluginInfo;

class CFileTypeInfo : public CObject {
public:
    CFileTypeInfo();
    ~CFileTypeInfo() override;

    CString m_strDescription;
    // Without a dot, in upper case.
    CString m_strExtension;
    // Indices in the manager's 32 x 32 and 16 x 16 image lists; -1 when the icon could not be added.
    int m_nLargeIcon;
    int m_nSmallIcon;
    // What the plug-in's "_GetIcon" answered, all 32 bits.
    UINT m_nIconID;
    // The declaring plug-in; owned by the manager.
    CPluginInfo* m_pPluginInfo;
};
