// CWinThread and AfxBeginThread over the platform's thread calls.
#include "platform/CWinThread.h"

#include "platform/FileApi.h"
#include "platform/ThreadApi.h"

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread) CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    m_hThread = ::CreateThread(lpSecurityAttrs, nStackSize, &CWinThread::Entry, this, dwCreateFlags, &m_nThreadID);
    return m_hThread != nullptr;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

DWORD CWinThread::Entry(LPVOID pThis)
{
    auto* self = static_cast<CWinThread*>(pThis);
    const UINT code = self->m_pfnThreadProc(self->m_pThreadParams);
    if (self->m_bAutoDelete) delete self;
    return code;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    auto* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}
