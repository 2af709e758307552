// CWinThread: the framework's worker thread object and AfxBeginThread.
#pragma once

#include "platform/CObject.h"
#include "platform/WinTypes.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

// A worker thread running one procedure. With m_bAutoDelete set (the default) the object deletes
// itself when the procedure returns, closing m_hThread; keep a DuplicateHandle copy to wait on it.
class CWinThread : public CObject {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
    DWORD ResumeThread();
    BOOL SetThreadPriority(int nPriority);
    int GetThreadPriority();
    operator HANDLE() const { return m_hThread; }  // NOLINT: implicit as the framework's

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;

private:
    static DWORD Entry(LPVOID pThis);
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Creates the thread suspended, sets its priority, and resumes it unless CREATE_SUSPENDED is asked
// for; null when the thread cannot be created (the object is then deleted).
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
