// CLogFile: the queue, the writer thread and the UTF-16 line format of an application's log.
#include "framework/CLogFile.h"

#include <condition_variable>
#include <string>
#include <utility>
#include <vector>

#include "platform/CFile.h"
#include "platform/CWinThread.h"
#include "platform/FileApi.h"
#include "platform/SyncApi.h"
#include "platform/ThreadApi.h"
#include "platform/WinBase.h"

namespace pelrudo::detail {

namespace {

constexpr int kMaxText = 255;
constexpr DWORD kStopWaitMs = 3000;

struct LogEntry {
    SYSTEMTIME time;
    char16_t text[kMaxText + 1];
};

void AppendNumber(std::string& out, unsigned value)
{
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) {
        out += digits[--n];
        out += '\0';
    }
}

void AppendUnit(std::string& out, char16_t unit)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// "[h:m:s.ms] ", the text without one trailing line feed, CR LF; as UTF-16 little-endian bytes.
void AppendLine(std::string& out, const LogEntry& entry)
{
    const SYSTEMTIME& t = entry.time;
    AppendUnit(out, u'[');
    AppendNumber(out, t.wHour);
    AppendUnit(out, u':');
    AppendNumber(out, t.wMinute);
    AppendUnit(out, u':');
    AppendNumber(out, t.wSecond);
    AppendUnit(out, u'.');
    AppendNumber(out, t.wMilliseconds);
    AppendUnit(out, u']');
    AppendUnit(out, u' ');
    std::u16string_view text(entry.text);
    if (!text.empty() && text.back() == u'\n') text.remove_suffix(1);
    for (char16_t unit : text) AppendUnit(out, unit);
    AppendUnit(out, u'\r');
    AppendUnit(out, u'\n');
}

}  // namespace

// What the writer shares with the log: the open file and the queue. The writer holds its own
// reference, so a writer that outlives Destory's wait still has both.
class LogChannel {
public:
    CFile file;

    // A stopped channel drops the line.
    void Push(std::unique_ptr<LogEntry> entry)
    {
        {
            std::lock_guard guard(m_lock);
            if (!m_running) return;
            m_queue.push_back(std::move(entry));
        }
        m_wake.notify_one();
    }

    void Stop()
    {
        {
            std::lock_guard guard(m_lock);
            m_running = false;
        }
        m_wake.notify_one();
    }

    // Sleeps until there is work; takes every queued line at once, so the queue stays short for the
    // callers, and writes them in order with one flush. Ends once stopped and drained.
    void RunWriter()
    {
        std::vector<std::unique_ptr<LogEntry>> batch;
        for (;;) {
            bool stopping = false;
            {
                std::unique_lock guard(m_lock);
                m_wake.wait(guard, [this] { return !m_queue.empty() || !m_running; });
                batch.swap(m_queue);
                stopping = !m_running;
            }
            Write(batch);
            batch.clear();
            if (stopping) return;
        }
    }

    // A failed write or flush loses those lines and nothing else; the writer goes on.
    void Write(const std::vector<std::unique_ptr<LogEntry>>& entries)
    {
        if (entries.empty()) return;
        std::string bytes;
        bytes.reserve(entries.size() * 64);
        for (const auto& entry : entries) AppendLine(bytes, *entry);
        try {
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
            file.Flush();
        } catch (CFileException* e) {
            e->Delete();
        }
    }

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<std::unique_ptr<LogEntry>> m_queue;
    bool m_running = true;
};

}  // namespace pelrudo::detail

using pelrudo::detail::LogChannel;
using pelrudo::detail::LogEntry;

CLogFile::CLogFile() = default;

CLogFile::~CLogFile() { Destory(); }

int CLogFile::Create(CString strPath)
{
    // One lock over stopping and starting, so that two Creates cannot both start a writer.
    std::lock_guard control(m_control);
    Stop();
    auto channel = std::make_shared<LogChannel>();
    if (!channel->file.Open(strPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) return 0;
    static const unsigned char mark[2] = {0xFF, 0xFE};
    try {
        channel->file.Write(mark, sizeof mark);
    } catch (CFileException* e) {
        e->Delete();
        return 0;
    }

    auto* handover = new std::shared_ptr<LogChannel>(channel);
    CWinThread* writer = AfxBeginThread(&CLogFile::LOG_PROC, handover, THREAD_PRIORITY_IDLE, 0, CREATE_SUSPENDED);
    if (!writer) {
        delete handover;
        return 0;  // the channel closes the file: a stopped log holds nothing open
    }
    DuplicateHandle(GetCurrentProcess(), writer->m_hThread, GetCurrentProcess(), &m_hWriter, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    {
        std::lock_guard state(m_state);
        m_channel = std::move(channel);
    }
    writer->ResumeThread();
    return 1;
}

void CLogFile::Destory()
{
    std::lock_guard control(m_control);
    Stop();
}

void CLogFile::Stop()
{
    std::shared_ptr<LogChannel> channel;
    {
        std::lock_guard state(m_state);
        channel.swap(m_channel);
    }
    if (!channel) return;
    channel->Stop();
    if (m_hWriter) {
        SetThreadPriority(m_hWriter, THREAD_PRIORITY_ABOVE_NORMAL);
        WaitForSingleObject(m_hWriter, pelrudo::detail::kStopWaitMs);
        CloseHandle(m_hWriter);
        m_hWriter = nullptr;
    }
}

void CLogFile::LogInfo(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    LogInfoV(format, args);
    va_end(args);
}

void CLogFile::LogInfoV(const char16_t* format, va_list args)
{
    if (!format) return;
    auto entry = std::make_unique<LogEntry>();
    GetLocalTime(&entry->time);
    CString text;
    text.FormatV(format, args);
    int length = text.GetLength() < pelrudo::detail::kMaxText ? text.GetLength() : pelrudo::detail::kMaxText;
    // Keep a surrogate pair whole or drop it whole.
    if (length < text.GetLength() && length > 0 && (text[length - 1] & 0xFC00) == 0xD800) --length;
    std::char_traits<char16_t>::copy(entry->text, text.GetString(), static_cast<std::size_t>(length));
    entry->text[length] = 0;

    std::lock_guard state(m_state);
    if (m_channel) m_channel->Push(std::move(entry));
}

UINT CLogFile::LOG_PROC(void* param)
{
    std::unique_ptr<std::shared_ptr<LogChannel>> channel(static_cast<std::shared_ptr<LogChannel>*>(param));
    (*channel)->RunWriter();
    return 0;
}
