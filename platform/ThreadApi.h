// Threads of the platform: creation with a suspended start, priorities, waits and handle copies.
#pragma once

#include "platform/WinTypes.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

#define DUPLICATE_CLOSE_SOURCE 0x00000001u
#define DUPLICATE_SAME_ACCESS 0x00000002u
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

// The handle is waitable (WaitForSingleObject) and signalled when the thread has ended. A stack size
// of 0 takes the host's default; CREATE_SUSPENDED holds the thread until ResumeThread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES security, DWORD stackSize, LPTHREAD_START_ROUTINE start, LPVOID param,
                    DWORD flags, DWORD* threadId);
// The previous suspend count (1 for a suspended start, 0 otherwise), 0xFFFFFFFF on a bad handle.
DWORD ResumeThread(HANDLE thread);
// THREAD_PRIORITY_IDLE runs the thread under the host's idle class (SCHED_IDLE); every other value runs
// it in the normal class, since the host gives unprivileged threads nothing above it.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
// The pseudo handle of the calling process, as the platform's (-1).
HANDLE GetCurrentProcess();
// Copies a handle within this process; the two are closed separately. A copy answers waits and, for
// a thread, the thread calls; the file calls take only original handles.
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, HANDLE* target, DWORD access,
                     BOOL inherit, DWORD options);

#define STILL_ACTIVE 259u
