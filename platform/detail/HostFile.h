// HostFile: the kernel object behind a file handle, with the buffer that gathers its small reads and writes.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <mutex>

#include "platform/WinTypes.h"
#include "platform/detail/KernelObject.h"

// Every read or write on a host descriptor is a host call, which costs far more than the few KiB
// programs move at a time. On a regular file, a handle whose share mode keeps other writers out
// reads ahead in pieces of kBuffer; one that keeps other readers and writers out gathers its writes
// up to kBuffer (a handle may do both). As far as the host's locks keep others out, nobody can tell:
// the platform's own cache does the same. Unlike the platform, a failure to write gathered bytes is
// reported by the call that writes them out (a later write, any other call on the handle, or
// CloseHandle), and a process killed outright loses them.
class HostFile : public KernelObject {
public:
    static constexpr std::size_t kBuffer = 64 * 1024;

    // regular: the descriptor is a regular file (devices and pipes are never buffered).
    HostFile(int fd, DWORD access, DWORD share, bool regular);
    ~HostFile() override;

    // Does an access mask ask for reading, for writing?
    static bool Reads(DWORD access) { return access & (GENERIC_READ | GENERIC_ALL); }
    static bool Writes(DWORD access) { return access & (GENERIC_WRITE | GENERIC_ALL); }
    // The descriptor may be opened wider than asked (to hold the share lock), so access is checked here.
    bool CanRead() const { return Reads(m_access); }
    bool CanWrite() const { return Writes(m_access); }

    // ReadFile and WriteFile: whole counts for files, short only at the end of a read. FALSE with the
    // last error set on failure, done then telling how much was moved.
    BOOL Read(void* buffer, DWORD count, DWORD* done);
    BOOL Write(const void* buffer, DWORD count, DWORD* done);

    // Writes out gathered bytes; FALSE with the last error set when that fails.
    BOOL WriteBack() override;

    // The descriptor for one direct host call: gathered bytes written out and read-ahead given back, so
    // its position and contents are what the handle's callers have seen. Holds the handle meanwhile.
    // A caller that only moves the position keeps the read-ahead and moves through Position and MoveTo,
    // so that a reader stepping back a little (as line readers do) does not read the piece again.
    class Direct {
    public:
        explicit Direct(HostFile& file, bool keepReadAhead = false);
        // False, with the last error set, when gathered bytes could not be written out.
        explicit operator bool() const { return m_ready; }
        int Fd() const { return m_file.m_fd; }
        // Where the handle's callers stand; -1 with errno set when the host cannot tell.
        off_t Position() const;
        // false with errno set when the host refuses the position.
        bool MoveTo(off_t target);

    private:
        HostFile& m_file;
        std::unique_lock<std::mutex> m_guard;
        bool m_ready;
    };

private:
    // Unbuffered handles take no lock: their calls run side by side, as the platform's do.
    bool Buffered() const { return m_readAhead || m_gatherWrites; }
    DWORD Settle();
    DWORD GiveBack();
    DWORD WriteOut();
    BOOL ReadBuffered(char* bytes, DWORD count, DWORD* done);

    const int m_fd;
    const DWORD m_access;
    bool m_readAhead = false;
    bool m_gatherWrites = false;
    std::mutex m_lock;
    std::unique_ptr<char[]> m_buffer;
    // Read-ahead lies in [m_begin, m_end); gathered writes in [0, m_end) with m_writing set.
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_writing = false;
};
