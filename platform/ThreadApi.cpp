// Threads over POSIX threads: a suspended start, SCHED_IDLE for the idle priority, waitable handles.
#include "platform/ThreadApi.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/WinBase.h"
#include "platform/detail/KernelObject.h"

namespace {

class ThreadObject : public KernelObject {
public:
    ThreadObject(LPTHREAD_START_ROUTINE start, LPVOID param, bool suspended)
        : m_start(start), m_param(param), m_suspended(suspended)
    {
    }

    // The thread's body: waits for its resume, runs the routine, then signals its end.
    void Run()
    {
        {
            std::unique_lock guard(m_lock);
            m_changed.wait(guard, [this] { return !m_suspended; });
        }
        const DWORD code = m_start(m_param);
        std::lock_guard guard(m_lock);
        m_exitCode = code;
        m_ended = true;
        m_changed.notify_all();
    }

    void Started(pthread_t thread)
    {
        std::lock_guard guard(m_lock);
        m_thread = thread;
    }

    DWORD Resume()
    {
        std::lock_guard guard(m_lock);
        const DWORD previous = m_suspended ? 1 : 0;
        m_suspended = false;
        m_changed.notify_all();
        return previous;
    }

    BOOL SetPriority(int priority)
    {
        std::lock_guard guard(m_lock);
        // An ended thread may already be gone from the host; its priority is only recorded.
        if (!m_ended) {
            sched_param param{};
            const int policy = priority <= THREAD_PRIORITY_IDLE ? SCHED_IDLE : SCHED_OTHER;
            if (const int err = pthread_setschedparam(m_thread, policy, &param); err != 0) {
                SetLastError(ErrnoToWin32(err));
                return FALSE;
            }
        }
        m_priority = priority;
        return TRUE;
    }

    int Priority()
    {
        std::lock_guard guard(m_lock);
        return m_priority;
    }

    DWORD ExitCode()
    {
        std::lock_guard guard(m_lock);
        return m_ended ? m_exitCode : STILL_ACTIVE;
    }

    DWORD Wait(DWORD ms) override
    {
        std::unique_lock guard(m_lock);
        auto ended = [this] { return m_ended; };
        if (ms == INFINITE)
            m_changed.wait(guard, ended);
        else if (!m_changed.wait_for(guard, std::chrono::milliseconds(ms), ended))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    LPTHREAD_START_ROUTINE m_start;
    LPVOID m_param;
    bool m_suspended;
    bool m_ended = false;
    pthread_t m_thread{};
    int m_priority = THREAD_PRIORITY_NORMAL;
    DWORD m_exitCode = STILL_ACTIVE;
};

// A second handle of an object (DuplicateHandle): handles are object addresses, so the copy is an
// object of its own that stands for the original.
class HandleCopy : public KernelObject {
public:
    explicit HandleCopy(std::shared_ptr<KernelObject> target) : m_target(std::move(target)) {}
    DWORD Wait(DWORD ms) override { return m_target->Wait(ms); }
    const std::shared_ptr<KernelObject>& Target() const { return m_target; }

private:
    std::shared_ptr<KernelObject> m_target;
};

std::shared_ptr<KernelObject> Original(HANDLE handle)
{
    auto object = KernelObject::Lookup(handle);
    if (auto copy = std::dynamic_pointer_cast<HandleCopy>(object)) return copy->Target();
    return object;
}

std::shared_ptr<ThreadObject> LookupThread(HANDLE handle)
{
    auto thread = std::dynamic_pointer_cast<ThreadObject>(Original(handle));
    if (!thread) SetLastError(ERROR_INVALID_HANDLE);
    return thread;
}

void* ThreadMain(void* arg)
{
    std::unique_ptr<std::shared_ptr<ThreadObject>> self(static_cast<std::shared_ptr<ThreadObject>*>(arg));
    (*self)->Run();
    return nullptr;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, DWORD stackSize, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
                    DWORD* threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>(start, param, (flags & CREATE_SUSPENDED) != 0);
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize != 0) pthread_attr_setstacksize(&attr, stackSize < PTHREAD_STACK_MIN ? PTHREAD_STACK_MIN : stackSize);
    auto* arg = new std::shared_ptr<ThreadObject>(object);
    pthread_t thread;
    const int err = pthread_create(&thread, &attr, ThreadMain, arg);
    pthread_attr_destroy(&attr);
    if (err != 0) {
        delete arg;
        SetLastError(err == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ErrnoToWin32(err));
        return nullptr;
    }
    object->Started(thread);
    static std::atomic<DWORD> nextId{1};
    if (threadId) *threadId = nextId++;
    SetLastError(ERROR_SUCCESS);
    return KernelObject::Register(object);
}

DWORD ResumeThread(HANDLE thread)
{
    auto object = LookupThread(thread);
    return object ? object->Resume() : 0xFFFFFFFFu;
}

BOOL SetThreadPriority(HANDLE thread, int priority)
{
    auto object = LookupThread(thread);
    return object ? object->SetPriority(priority) : FALSE;
}

int GetThreadPriority(HANDLE thread)
{
    auto object = LookupThread(thread);
    return object ? object->Priority() : THREAD_PRIORITY_ERROR_RETURN;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode)
{
    auto object = LookupThread(thread);
    if (!object || !exitCode) return FALSE;
    *exitCode = object->ExitCode();
    return TRUE;
}


HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

BOOL DuplicateHandle(HANDLE, HANDLE source, HANDLE, HANDLE* target, DWORD, BOOL, DWORD options)
{
    if (!target) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto object = Original(source);
    if (!object) return FALSE;
    *target = KernelObject::Register(std::make_shared<HandleCopy>(std::move(object)));
    if (options & DUPLICATE_CLOSE_SOURCE) KernelObject::Close(source);
    return TRUE;
}
