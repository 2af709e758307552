// CBinaryFileImp: the plug-in file operations carried out on a local file through CFile.
#include "plugins/CBinaryFileImp.h"

CBinaryFileImp::CBinaryFileImp() : m_bOpen(FALSE), m_dwLastError(errorNone) {}

CBinaryFileImp::CBinaryFileImp(HINSTANCE hModule) : CFileImp(hModule), m_bOpen(FALSE), m_dwLastError(errorNone) {}

// An open file is closed by the CFile member without going through Close.
CBinaryFileImp::~CBinaryFileImp() = default;

DWORD CBinaryFileImp::GetLastError()
{
    return m_dwLastError;
}

int CBinaryFileImp::Open(const CString& strPath)
{
    return Open(strPath.GetString(), CFile::modeRead);
}

int CBinaryFileImp::Open(LPCWSTR lpszFileName, UINT nOpenFlags)
{
    if (m_bOpen) Close();
    if (!m_file.Open(lpszFileName, nOpenFlags)) {
        m_dwLastError = errorOpen;
        return 0;
    }
    m_bOpen = TRUE;
    m_dwLastError = errorDone;
    return 1;
}

void CBinaryFileImp::Close()
{
    if (!m_bOpen) return;
    m_bOpen = FALSE;
    m_file.Close();
    m_dwLastError = errorDone;
}

CString CBinaryFileImp::GetPath()
{
    CString path = m_file.GetFilePath();
    m_dwLastError = errorDone;
    return path;
}

LONG CBinaryFileImp::Seek(LONG lOff, UINT nFrom)
{
    LONG position = m_file.Seek(lOff, nFrom);
    m_dwLastError = errorDone;
    return position;
}

UINT CBinaryFileImp::Read(void* lpBuf, UINT nCount)
{
    UINT read = m_file.Read(lpBuf, nCount);
    m_dwLastError = errorDone;
    return read;
}

void CBinaryFileImp::Write(const void* lpBuf, UINT nCount)
{
    m_file.Write(lpBuf, nCount);
    m_dwLastError = errorDone;
}

DWORD CBinaryFileImp::GetPosition()
{
    DWORD position = m_file.GetPosition();
    m_dwLastError = errorDone;
    return position;
}

void CBinaryFileImp::Flush()
{
    m_file.Flush();
    m_dwLastError = errorDone;
}
