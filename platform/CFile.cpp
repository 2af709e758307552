// CFile: opening with the framework's flags, and the byte operations that throw CFileException.
#include "platform/CFile.h"

#include <algorithm>

#include "platform/FileApi.h"
#include "platform/WinBase.h"

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

DWORD AccessOf(UINT flags)
{
    switch (flags & 0x3u) {
    case CFile::modeWrite: return GENERIC_WRITE;
    case CFile::modeReadWrite: return GENERIC_READ | GENERIC_WRITE;
    default: return GENERIC_READ;
    }
}

DWORD ShareOf(UINT flags)
{
    switch (flags & 0x70u) {
    case CFile::shareDenyWrite: return FILE_SHARE_READ;
    case CFile::shareDenyRead: return FILE_SHARE_WRITE;
    case CFile::shareDenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default: return 0;  // shareCompat and shareExclusive
    }
}

DWORD DispositionOf(UINT flags)
{
    if (!(flags & CFile::modeCreate)) return OPEN_EXISTING;
    return (flags & CFile::modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;
}

void Fill(CFileException* pError, LONG osError, LPCWSTR fileName)
{
    if (!pError) return;
    pError->m_cause = CFileException::OsErrorToException(osError);
    pError->m_lOsError = osError;
    pError->m_strFileName = fileName;
}

// The full path of a name as the platform resolves it; empty when it cannot.
CStringW FullPathOf(LPCWSTR name)
{
    char16_t buffer[MAX_PATH];
    DWORD length = GetFullPathName(name, MAX_PATH, buffer, nullptr);
    if (length == 0) return CStringW();
    if (length < MAX_PATH) return CStringW(buffer, static_cast<int>(length));
    CStringW longer;
    length = GetFullPathName(name, length, longer.GetBufferSetLength(static_cast<int>(length)), nullptr);
    longer.ReleaseBuffer(static_cast<int>(length));
    return longer;
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(HANDLE hFile) : m_hFile(hFile) {}

CFile::CFile(LPCWSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull)
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error)) CFileException::Throw(error.m_cause, error.m_lOsError, lpszFileName);
}

CFile::~CFile()
{
    Abort();
}

BOOL CFile::Open(LPCWSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    // The framework asserts on an open object; closing the old handle keeps it from leaking.
    Abort();
    if (!lpszFileName || !*lpszFileName) {
        Fill(pError, ERROR_PATH_NOT_FOUND, lpszFileName);
        return FALSE;
    }
    CStringW fullPath = FullPathOf(lpszFileName);
    if (fullPath.IsEmpty()) {
        Fill(pError, static_cast<LONG>(::GetLastError()), lpszFileName);
        return FALSE;
    }
    HANDLE handle = CreateFile(fullPath.GetString(), AccessOf(nOpenFlags), ShareOf(nOpenFlags), nullptr,
                               DispositionOf(nOpenFlags), FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Fill(pError, static_cast<LONG>(::GetLastError()), fullPath.GetString());
        return FALSE;
    }
    m_hFile = handle;
    m_strFileName = fullPath;
    return TRUE;
}

LONG CFile::Seek(LONG lOff, UINT nFrom)
{
    LONG high = lOff < 0 ? -1 : 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_hFile, lOff, &high, nFrom);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) ThrowLastError();
    return static_cast<LONG>(low);
}

void CFile::SeekToBegin()
{
    Seek(0, begin);
}

DWORD CFile::SeekToEnd()
{
    return static_cast<DWORD>(Seek(0, end));
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0) return 0;
    DWORD read = 0;
    if (!ReadFile(m_hFile, lpBuf, nCount, &read, nullptr)) ThrowLastError();
    return read;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0) return;
    DWORD written = 0;
    if (!WriteFile(m_hFile, lpBuf, nCount, &written, nullptr)) ThrowLastError();
    if (written < nCount) CFileException::Throw(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName.GetString());
}

void CFile::Flush()
{
    if (m_hFile == hFileNull) return;
    if (!FlushFileBuffers(m_hFile)) ThrowLastError();
}

DWORD CFile::GetPosition() const
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_hFile, 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) ThrowLastError();
    return low;
}

DWORD CFile::GetLength() const
{
    SetLastError(NO_ERROR);
    DWORD high = 0;
    DWORD low = GetFileSize(m_hFile, &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) ThrowLastError();
    return low;
}

void CFile::SetLength(DWORD dwNewLen)
{
    LONG high = 0;
    SetLastError(NO_ERROR);
    DWORD low = SetFilePointer(m_hFile, static_cast<LONG>(dwNewLen), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) ThrowLastError();
    if (!SetEndOfFile(m_hFile)) ThrowLastError();
}

CStringW CFile::GetFilePath() const
{
    return m_strFileName;
}

CStringW CFile::GetFileName() const
{
    int slash = std::max(m_strFileName.ReverseFind(u'\\'), m_strFileName.ReverseFind(u'/'));
    return slash < 0 ? m_strFileName : m_strFileName.Mid(slash + 1);
}

void CFile::Close()
{
    HANDLE handle = m_hFile;
    m_hFile = hFileNull;
    CStringW fileName = m_strFileName;
    m_strFileName.Empty();
    if (handle == hFileNull) return;
    if (!CloseHandle(handle)) CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), fileName.GetString());
}

void CFile::Abort()
{
    if (m_hFile != hFileNull) CloseHandle(m_hFile);
    m_hFile = hFileNull;
    m_strFileName.Empty();
}

void CFile::ThrowLastError() const
{
    CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName.GetString());
}
