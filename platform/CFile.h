// CFile: the framework's unbuffered file object over the platform's file handle.
#pragma once

#include "platform/CFileException.h"
#include "platform/CObject.h"
#include "platform/CStringT.h"

// Failures other than a failed Open throw a CFileException* (allocated with new; catch, then Delete()).
class CFile : public CObject {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,    // ignored: files are bytes
        typeBinary = 0x8000,  // ignored
    };
    enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

    static const HANDLE hFileNull;

    CFile();
    explicit CFile(HANDLE hFile);
    // Opens at once and throws the failure, as the framework's constructor does.
    CFile(LPCWSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, filling *pError when given; never throws.
    virtual BOOL Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual LONG Seek(LONG lOff, UINT nFrom);
    void SeekToBegin();
    DWORD SeekToEnd();
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writing fewer bytes than asked throws diskFull.
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual void Flush();
    virtual DWORD GetPosition() const;
    virtual DWORD GetLength() const;
    virtual void SetLength(DWORD dwNewLen);
    virtual CStringW GetFilePath() const;
    virtual CStringW GetFileName() const;
    virtual void Close();
    // Closes without throwing, whatever the state.
    virtual void Abort();

    HANDLE m_hFile;

protected:
    [[noreturn]] void ThrowLastError() const;

    CStringW m_strFileName;  // the full path resolved at Open
};
