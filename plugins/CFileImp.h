// CFileImp: a file-type plug-in's file: open by path, close, path and the icon of an extension.
#pragma once

#include "platform/CStringT.h"
#include "plugins/CPluginImp.h"

// Copies share the module and the plug-in's file handle.
class CFileImp : public CPluginImp {
public:
    CFileImp();
    explicit CFileImp(HINSTANCE hModule);
    ~CFileImp() override;
    CFileImp(const CFileImp&) = default;
    CFileImp& operator=(const CFileImp&) = default;

    // 0 when the plug-in answers 0xFFFFFFFF (the stored handle stays), else 1 with its handle stored.
    virtual int Open(const CString& strPath);
    // Hands the stored handle to the plug-in, 0 included, and forgets it.
    virtual void Close();
    virtual CString GetPath();
    // The plug-in's icon for the last extension of a comma-separated list, all 32 bits as returned.
    virtual UINT GetIcon(CString strExtensions);

    DWORD m_dwFile;
};
