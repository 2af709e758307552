// CBinaryFileImp: a local file of bytes behind the plug-in file interface.
#pragma once

#include "platform/CFile.h"
#include "plugins/CFileImp.h"

// The last error is 0 after construction, 0x01000000 after each completed operation and 4 after a
// failed open. Failures of the file itself come from CFile as CFileException* and are not caught.
class CBinaryFileImp : public CFileImp {
public:
    enum : DWORD { errorNone = 0, errorDone = 0x01000000u, errorOpen = 4 };

    CBinaryFileImp();
    explicit CBinaryFileImp(HINSTANCE hModule);
    ~CBinaryFileImp() override;
    CBinaryFileImp(const CBinaryFileImp&) = delete;
    CBinaryFileImp& operator=(const CBinaryFileImp&) = delete;

    DWORD GetLastError() override;
    // Opens for reading, as the name-and-mode Open with mode 0.
    int Open(const CString& strPath) override;
    void Close() override;
    // The full path resolved at the last Open; empty when closed.
    CString GetPath() override;

    // Mode: CFile's open flags (0 reads an existing file, 0x1001 creates or truncates for writing).
    virtual int Open(LPCWSTR lpszFileName, UINT nOpenFlags);
    virtual LONG Seek(LONG lOff, UINT nFrom);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual DWORD GetPosition();

    // Puts what was written on the disk (no plug-in slot).
    void Flush();

protected:
    CFile m_file;
    BOOL m_bOpen;
    DWORD m_dwLastError;
};
