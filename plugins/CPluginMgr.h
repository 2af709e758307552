// CPluginMgr: finds and loads an application's plug-ins and answers which plug-in handles which file type.
#pragma once

#include "platform/CObList.h"
#include "platform/CStringT.h"
#include "platform/IconApi.h"
#include "platform/WinTypes.h"
#include "plugins/CFileTypeInfo.h"
#include "plugins/CPluginInfo.h"

// Init loads "<folder>\Plugin\*.bsp" in the finder's order and asks every file-type plug-in (a type
// code with a nonzero low byte) for its support string "description|ext,ext;...". A plug-in of type
// exactly 0x100 is never freed. Records and image lists live until the manager is destroyed.
class CPluginMgr {
public:
    CPluginMgr();
    virtual ~CPluginMgr();
    CPluginMgr(const CPluginMgr&) = delete;
    CPluginMgr& operator=(const CPluginMgr&) = delete;

    // Call once; a second call loads and appends everything again.
    void Init(CString strFolder);
    // The first type whose extension is the text after the name's last dot (the whole name without
    // one), ignoring case; null when none.
    CFileTypeInfo* FindFileTypeInfo(const CString& strName);
    // Writes the icon's index (-1 for an unknown type) and returns the image list it is in.
    HIMAGELIST FindFileIcon(CString strName, int bLarge, int* pIndex);
    // The plug-in's extensions in list order, separated by single spaces.
    CString GetSupportString(CPluginInfo* pInfo);
    POSITION FindFirstPluginPosition(DWORD dwType);
    // The next plug-in from pos on that shares a bit with the mask, or null; pos is left just after
    // the plug-in it looked at last (null after the last one).
    CPluginInfo* FindNextPlugin(POSITION& pos, DWORD dwType);

protected:
    void AddPluginInfo(CString strPath);
    void UpdateFileTypeList();
    void RestorePluginInfo();

    CObList m_listPlugin;
    CObList m_listFileType;
    HIMAGELIST m_hSmallImage;
    HIMAGELIST m_hLargeImage;

private:
    void AddFileTypes(CPluginInfo* pInfo);
    void AddEntry(CPluginInfo* pInfo, const CString& strEntry);
    int AddIcon(HIMAGELIST hImageList, HINSTANCE hModule, UINT nIconID, int nSize);
};
