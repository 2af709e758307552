// Events, waits on any kernel object, and critical sections.
#include "platform/SyncApi.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/WinBase.h"
#include "platform/detail/KernelObject.h"

namespace {

class Event : public KernelObject {
public:
    Event(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    void Set()
    {
        {
            std::lock_guard guard(m_lock);
            m_signalled = true;
        }
        // A manual-reset event releases every waiter; an auto-reset one lets exactly one through.
        if (m_manualReset)
            m_changed.notify_all();
        else
            m_changed.notify_one();
    }

    void Reset()
    {
        std::lock_guard guard(m_lock);
        m_signalled = false;
    }

    DWORD Wait(DWORD ms) override
    {
        std::unique_lock guard(m_lock);
        auto signalled = [this] { return m_signalled; };
        if (ms == INFINITE)
            m_changed.wait(guard, signalled);
        else if (!m_changed.wait_for(guard, std::chrono::milliseconds(ms), signalled))
            return WAIT_TIMEOUT;
        if (!m_manualReset) m_signalled = false;
        return WAIT_OBJECT_0;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_signalled;
};

}  // namespace

// Names are not shared between processes here: a named event is a new unnamed one.
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR)
{
    SetLastError(ERROR_SUCCESS);
    return KernelObject::Register(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE event)
{
    auto object = KernelObject::LookupAs<Event>(event);
    if (!object) return FALSE;
    object->Set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto object = KernelObject::LookupAs<Event>(event);
    if (!object) return FALSE;
    object->Reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    auto object = KernelObject::Lookup(handle);
    if (!object) return WAIT_FAILED;
    return object->Wait(milliseconds);
}

void InitializeCriticalSection(CRITICAL_SECTION* section)
{
    section->impl = new std::recursive_mutex;
}

void DeleteCriticalSection(CRITICAL_SECTION* section)
{
    delete static_cast<std::recursive_mutex*>(section->impl);
    section->impl = nullptr;
}

void EnterCriticalSection(CRITICAL_SECTION* section)
{
    static_cast<std::recursive_mutex*>(section->impl)->lock();
}

void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    static_cast<std::recursive_mutex*>(section->impl)->unlock();
}
