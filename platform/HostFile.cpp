// HostFile: a file handle's descriptor, with read-ahead and gathered writes on handles nobody shares.
#include "platform/detail/HostFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/FileApi.h"
#include "platform/WinBase.h"

namespace {

// Moves count bytes with as many host calls as it takes; a read stops early only at the end of the file.
DWORD Move(int fd, bool writing, char* bytes, DWORD count, DWORD& moved)
{
    moved = 0;
    while (moved < count) {
        const ssize_t n = writing ? write(fd, bytes + moved, count - moved) : read(fd, bytes + moved, count - moved);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ErrnoToWin32(errno);
        if (n == 0) return writing ? static_cast<DWORD>(ERROR_WRITE_FAULT) : ERROR_SUCCESS;
        moved += static_cast<DWORD>(n);
    }
    return ERROR_SUCCESS;
}

BOOL Report(DWORD error, DWORD moved, DWORD* done)
{
    if (done) *done = moved;
    if (error == ERROR_SUCCESS) return TRUE;
    SetLastError(error);
    return FALSE;
}

// Moves the bytes straight between the caller and the host.
BOOL Pass(int fd, bool writing, char* bytes, DWORD count, DWORD* done)
{
    DWORD moved = 0;
    const DWORD error = Move(fd, writing, bytes, count, moved);
    return Report(error, moved, done);
}

}  // namespace

// Devices and pipes are never buffered: what they say and are told cannot wait.
HostFile::HostFile(int fd, DWORD access, DWORD share, bool regular) : m_fd(fd), m_access(access)
{
    if (!regular) return;
    m_readAhead = Reads(access) && !(share & FILE_SHARE_WRITE);
    m_gatherWrites = Writes(access) && !(share & (FILE_SHARE_READ | FILE_SHARE_WRITE));
}

HostFile::~HostFile()
{
    WriteOut();
    close(m_fd);
}

BOOL HostFile::Read(void* buffer, DWORD count, DWORD* done)
{
    auto* bytes = static_cast<char*>(buffer);
    if (!Buffered()) return Pass(m_fd, false, bytes, count, done);
    std::lock_guard guard(m_lock);
    if (DWORD error = WriteOut()) return Report(error, 0, done);
    return ReadBuffered(bytes, count, done);  // a buffered handle that reads also reads ahead
}

// Serves the read from the read-ahead, refilling it a piece at a time; a read as large as a piece
// goes straight to the caller's buffer.
BOOL HostFile::ReadBuffered(char* bytes, DWORD count, DWORD* done)
{
    DWORD moved = 0;
    for (;;) {
        const std::size_t take = std::min<std::size_t>(count - moved, m_end - m_begin);
        if (take > 0) std::memcpy(bytes + moved, m_buffer.get() + m_begin, take);
        m_begin += take;
        moved += static_cast<DWORD>(take);
        if (moved == count) return Report(ERROR_SUCCESS, moved, done);
        m_begin = m_end = 0;
        if (count - moved >= kBuffer) {
            DWORD more = 0;
            const DWORD error = Move(m_fd, false, bytes + moved, count - moved, more);
            return Report(error, moved + more, done);
        }
        if (!m_buffer) m_buffer = std::make_unique<char[]>(kBuffer);
        DWORD filled = 0;
        const DWORD error = Move(m_fd, false, m_buffer.get(), kBuffer, filled);
        m_end = filled;
        if (error || filled == 0) return Report(error, moved, done);
    }
}

BOOL HostFile::Write(const void* buffer, DWORD count, DWORD* done)
{
    auto* bytes = static_cast<char*>(const_cast<void*>(buffer));
    if (!Buffered()) return Pass(m_fd, true, bytes, count, done);
    std::lock_guard guard(m_lock);
    if (DWORD error = GiveBack()) return Report(error, 0, done);
    if (!m_gatherWrites) return Pass(m_fd, true, bytes, count, done);
    if (m_end + count > kBuffer) {
        if (DWORD error = WriteOut()) return Report(error, 0, done);
    }
    if (count >= kBuffer) return Pass(m_fd, true, bytes, count, done);
    if (count == 0) return Report(ERROR_SUCCESS, 0, done);
    if (!m_buffer) m_buffer = std::make_unique<char[]>(kBuffer);
    std::memcpy(m_buffer.get() + m_end, bytes, count);
    m_end += count;
    m_writing = true;
    return Report(ERROR_SUCCESS, count, done);
}

BOOL HostFile::WriteBack()
{
    if (!m_gatherWrites) return TRUE;
    std::lock_guard guard(m_lock);
    return Report(WriteOut(), 0, nullptr);
}

DWORD HostFile::Settle()
{
    return m_writing ? WriteOut() : GiveBack();
}

// Moves the descriptor back to where the handle's reader stands.
DWORD HostFile::GiveBack()
{
    if (m_writing || m_begin == m_end) return ERROR_SUCCESS;
    const off_t ahead = static_cast<off_t>(m_end - m_begin);
    m_begin = m_end = 0;
    return lseek(m_fd, -ahead, SEEK_CUR) < 0 ? ErrnoToWin32(errno) : ERROR_SUCCESS;
}

// What a failed write-out could not write is dropped: its failure is what the caller hears of it.
DWORD HostFile::WriteOut()
{
    if (!m_writing) return ERROR_SUCCESS;
    DWORD moved = 0;
    const DWORD error = Move(m_fd, true, m_buffer.get(), static_cast<DWORD>(m_end), moved);
    m_writing = false;
    m_end = 0;
    return error;
}

HostFile::Direct::Direct(HostFile& file, bool keepReadAhead)
    : m_file(file), m_guard(file.m_lock, std::defer_lock), m_ready(true)
{
    if (!m_file.Buffered()) return;
    m_guard.lock();
    const DWORD error = keepReadAhead ? m_file.WriteOut() : m_file.Settle();
    if (error) SetLastError(error);
    m_ready = error == ERROR_SUCCESS;
}

off_t HostFile::Direct::Position() const
{
    const off_t host = lseek(m_file.m_fd, 0, SEEK_CUR);
    return host < 0 ? host : host - static_cast<off_t>(m_file.m_end - m_file.m_begin);
}

bool HostFile::Direct::MoveTo(off_t target)
{
    if (!m_file.Buffered()) return lseek(m_file.m_fd, target, SEEK_SET) >= 0;
    const off_t host = lseek(m_file.m_fd, 0, SEEK_CUR);
    if (host < 0) return false;
    // The read-ahead holds the bytes from start up to the descriptor's position.
    const off_t start = host - static_cast<off_t>(m_file.m_end);
    if (target >= start && target <= host) {
        m_file.m_begin = static_cast<std::size_t>(target - start);
        return true;
    }
    m_file.m_begin = m_file.m_end = 0;
    return lseek(m_file.m_fd, target, SEEK_SET) >= 0;
}
