// CLogFile: an application's log, time-stamped UTF-16 lines written by a background thread at idle priority.
#pragma once

#include <cstdarg>
#include <memory>
#include <mutex>

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

namespace pelrudo::detail {
class LogChannel;
}

// Callers on any thread queue a line and return at once; the writer puts the queued lines into the
// file in queue order, flushing before it waits for more. Lines logged while stopped are dropped.
class CLogFile {
public:
    CLogFile();
    virtual ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    // Stops a running log, then starts anew on the path (created or truncated, opened exclusively,
    // byte-order mark first). 0 when the file cannot be opened or the writer cannot be started.
    int Create(CString strPath);
    // Stops the log: every queued line is written and the file closed, waiting up to 3000 ms. A writer
    // that is later than that finishes on its own and closes the file itself. No-op when stopped.
    void Destory();
    void LogInfo(const char16_t* format, ...);
    // The message is cut to 255 UTF-16 code units (never between the halves of a surrogate pair).
    void LogInfoV(const char16_t* format, va_list args);

protected:
    // The writer thread's procedure; param is the running log's channel, handed over by Create.
    static UINT LOG_PROC(void* param);

private:
    // Destory's work, with m_control held.
    void Stop();

    // Serialises Create and Destory.
    std::mutex m_control;
    // Guards m_channel against LogInfoV on other threads.
    std::mutex m_state;
    std::shared_ptr<pelrudo::detail::LogChannel> m_channel;
    // Our own copy of the writer's handle: the thread object deletes itself (closing its handle) when
    // the writer ends, possibly before Destory waits.
    HANDLE m_hWriter = nullptr;
};
