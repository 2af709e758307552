// The remote API of the desktop link: the Ce... calls and records that reach the connected handheld.
#pragma once

#include "platform/WinTypes.h"

// Which handheld: PELRUDO_DEVICE, a Unix socket path or host:port, else <prefix>/device/rapi.sock.
// Every reply is awaited at most PELRUDO_RAPI_TIMEOUT_MS (default 10000) ms; a link that fails or
// times out stays failed, and every later call fails at once with last error 1236 (1167 without a
// session).
//
// How our link differs from the platform's: CeWriteFile on a file handle queues the data and returns
// TRUE with the full count at once (write-behind; consecutive writes to one file travel together).
// The first write of a handle that fails on the handheld is latched: every CeReadFile/CeWriteFile on
// that handle after its reply came, and at the latest its CeCloseHandle, return FALSE with that error
// as the last error (the handle is closed all the same). CeReadFile on a handle opened for reading
// only reads ahead of the caller; what the caller sees is unchanged.

struct RAPIINIT {
    DWORD cbSize;
    HANDLE heRapiInit;   // signalled when the connection attempt has ended
    HRESULT hrRapiInit;  // the attempt's result
};

struct STORE_INFORMATION {
    DWORD dwStoreSize;
    DWORD dwFreeSize;
};

// Starts connecting in the background; the caller waits on heRapiInit (and closes nothing: the
// event belongs to the session and is released by CeRapiUninit). The attempt ends when the handheld
// has answered a first call; a failed one leaves HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED) in
// hrRapiInit. A second session while one is open: 0x80041001 (already initialised).
HRESULT CeRapiInitEx(RAPIINIT* init);
// Blocking start, for tools: connects and returns its result.
HRESULT CeRapiInit();
// Queued writes are delivered before the link closes. E_FAIL when no session was open.
HRESULT CeRapiUninit();
// The handheld's last error after the latest call; the calls below also set the desktop thread's.
DWORD CeGetLastError();

void CeGetSystemInfo(LPSYSTEM_INFO info);
BOOL CeGetStoreInformation(STORE_INFORMATION* info);
BOOL CeCreateProcess(LPCWSTR application, LPCWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                     LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                     LPVOID environment, LPCWSTR currentDirectory, LPVOID startupInfo,
                     LPPROCESS_INFORMATION processInformation);

HANDLE CeCreateFile(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                    DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void* overlapped);
BOOL CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void* overlapped);
BOOL CeCloseHandle(HANDLE handle);
BOOL CeDeleteFile(LPCWSTR name);
BOOL CeMoveFile(LPCWSTR from, LPCWSTR to);
BOOL CeCreateDirectory(LPCWSTR name, LPSECURITY_ATTRIBUTES security);

LONG CeRegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG CeRegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options,
                      REGSAM access, LPSECURITY_ATTRIBUTES security, HKEY* result, DWORD* disposition);
LONG CeRegQueryValueEx(HKEY key, LPCWSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
LONG CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LONG CeRegDeleteKey(HKEY key, LPCWSTR subKey);
LONG CeRegQueryInfoKey(HKEY key, LPWSTR className, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                       DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen,
                       DWORD* maxValueLen, DWORD* securityDescriptor, FILETIME* lastWriteTime);
LONG CeRegEnumKeyEx(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD* reserved, LPWSTR className,
                    DWORD* classSize, FILETIME* lastWriteTime);
LONG CeRegCloseKey(HKEY key);
