// The platform's file calls over Windows paths, mapped to the host (see HostPath.h).
#pragma once

#include "platform/WinTypes.h"

// Share modes hold between processes and between opens of one process: an open without
// FILE_SHARE_READ/WRITE takes an exclusive open-file-description lock, any other open a shared one,
// and a conflicting open fails with ERROR_SHARING_VIOLATION (32) without creating or truncating
// anything. Any two sharing opens agree, whichever of the two share flags they name. A file with no
// write permission is read-only: writers get ERROR_ACCESS_DENIED. Handles are never overlapped.
HANDLE CreateFile(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                  DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
HANDLE CreateFile(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                  DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
// A handle that lets nobody else write reads ahead; one that lets nobody else read or write gathers
// small writes, and unlike the platform reports a failure to write them out on its next call on the
// handle (a write, FlushFileBuffers, CloseHandle...) instead of on the write that handed them over.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void* overlapped);
BOOL FlushFileBuffers(HANDLE file);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
// Closes any handle of the layer: files, searches are FindClose's, events, processes, threads.
BOOL CloseHandle(HANDLE handle);

// A read-only file or a folder is refused with ERROR_ACCESS_DENIED, a file open without
// FILE_SHARE_DELETE (in any process) with ERROR_SHARING_VIOLATION.
BOOL DeleteFile(LPCWSTR name);
BOOL DeleteFile(LPCSTR name);
BOOL MoveFile(LPCWSTR from, LPCWSTR to);  // does not replace an existing target, as the platform's
BOOL MoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags);
#define MOVEFILE_REPLACE_EXISTING 0x1u
#define ERROR_NEGATIVE_SEEK 131L
#define ERROR_DIRECTORY 267L
// Keeps the source's permissions and last write time; a failed copy leaves no target behind.
BOOL CopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists);
BOOL CreateDirectory(LPCWSTR name, LPSECURITY_ATTRIBUTES security);
BOOL CreateDirectory(LPCSTR name, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectory(LPCWSTR name);
DWORD GetFileAttributes(LPCWSTR name);

// Wildcards as the platform's: '*', '?', and "*.*" matches every name.
HANDLE FindFirstFile(LPCWSTR pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFile(HANDLE search, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE search);

// Folders; each returns the length written without the terminator, or the size needed when too small.
DWORD GetTempPath(DWORD size, LPWSTR buffer);
UINT GetWindowsDirectory(LPWSTR buffer, UINT size);
UINT GetWindowsDirectory(LPSTR buffer, UINT size);
DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer);
DWORD GetCurrentDirectory(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectory(LPCWSTR name);
DWORD GetFullPathName(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart);
// A null module is the running program; a library's handle names the library.
DWORD GetModuleFileName(HMODULE module, LPWSTR buffer, DWORD size);
DWORD GetModuleFileName(HMODULE module, LPSTR buffer, DWORD size);
BOOL GetDiskFreeSpaceEx(LPCWSTR folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                        ULARGE_INTEGER* totalFree);
