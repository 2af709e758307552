// The device file transfer: 4096-byte blocks, one remote call each, through one buffer on the stack.
#include "backup/DeviceTransfer.h"

#include "core/Rapi.h"
#include "platform/FileApi.h"
#include "platform/WinBase.h"

namespace {

constexpr DWORD kBlockSize = 4096;

// The calls of one end of a copy; the desktop's and the handheld's have the same shapes.
struct Side {
    HANDLE (*create)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    BOOL (*read)(HANDLE, LPVOID, DWORD, DWORD*, void*);
    BOOL (*write)(HANDLE, LPCVOID, DWORD, DWORD*, void*);
    BOOL (*close)(HANDLE);
    BOOL (*remove)(LPCWSTR);
    BOOL (*replace)(LPCWSTR, LPCWSTR);
};

BOOL ReplaceDesktopFile(LPCWSTR from, LPCWSTR to)
{
    return MoveFileEx(from, to, MOVEFILE_REPLACE_EXISTING);
}

// The handheld's move never replaces, so the old file goes first; it may well not exist.
BOOL ReplaceDeviceFile(LPCWSTR from, LPCWSTR to)
{
    CeDeleteFile(to);
    return CeMoveFile(from, to);
}

const Side kDesktop = {CreateFile, ReadFile, WriteFile, CloseHandle, DeleteFile, ReplaceDesktopFile};
const Side kDevice = {CeCreateFile, CeReadFile, CeWriteFile, CeCloseHandle, CeDeleteFile, ReplaceDeviceFile};

// Cleanup calls must not hide why a copy failed from the caller's GetLastError.
class LastErrorKeeper {
public:
    LastErrorKeeper() : m_dwError(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(m_dwError); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    DWORD m_dwError;
};

// Who hears of each block written, if anyone.
struct Progress {
    COPYPROGRESS pfn = nullptr;
    void* pContext = nullptr;
};

// TRUE when the source ran dry with every block written whole; a failed or short step ends the copy.
BOOL CopyBlocks(const Side& from, HANDLE hSource, const Side& to, HANDLE hTarget, const Progress& progress)
{
    BYTE buffer[kBlockSize];
    DWORD dwCopied = 0;
    for (;;) {
        DWORD dwRead = 0;
        if (!from.read(hSource, buffer, kBlockSize, &dwRead, nullptr))
            return FALSE;
        if (dwRead == 0)
            return TRUE;
        DWORD dwWritten = 0;
        if (!to.write(hTarget, buffer, dwRead, &dwWritten, nullptr) || dwWritten != dwRead)
            return FALSE;
        dwCopied += dwWritten;
        if (progress.pfn)
            progress.pfn(dwCopied, progress.pContext);
    }
}

// The copy lands beside the target and replaces it only when whole, so a broken transfer (a failed
// read or write, a link cut part-way) leaves no truncated target: the caller keeps what it had.
BOOL CopyWholeFile(const Side& from, const CString& strSource, const Side& to, const CString& strTarget,
                   const Progress& progress = {})
{
    HANDLE hSource = from.create(strSource, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hSource == INVALID_HANDLE_VALUE)
        return FALSE;
    const CString strPartial = strTarget + u".part";
    HANDLE hTarget = to.create(strPartial, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hTarget == INVALID_HANDLE_VALUE) {
        LastErrorKeeper keep;
        from.close(hSource);
        return FALSE;
    }
    BOOL bWhole = CopyBlocks(from, hSource, to, hTarget, progress);
    from.close(hSource);
    // The link writes behind: a failed block may only show when the target is closed.
    bWhole = to.close(hTarget) && bWhole;
    bWhole = bWhole && to.replace(strPartial, strTarget);
    if (!bWhole) {
        LastErrorKeeper keep;
        to.remove(strPartial);
    }
    return bWhole;
}

} // namespace

BOOL CopyFileToDevice(const CString& strDesktopSource, const CString& strDeviceTarget, COPYPROGRESS pfnProgress,
                      void* pContext)
{
    return CopyWholeFile(kDesktop, strDesktopSource, kDevice, strDeviceTarget, {pfnProgress, pContext});
}

BOOL CopyFileFromDevice(const CString& strDeviceSource, const CString& strDesktopTarget)
{
    return CopyWholeFile(kDevice, strDeviceSource, kDesktop, strDesktopTarget);
}

BOOL DeleteDeviceFile(const CString& strDevicePath)
{
    return CeDeleteFile(strDevicePath);
}
