// RapiLink: one connection to a handheld, with queued requests, write-behind and read-ahead on files.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "core/wire/FrameDecoder.h"
#include "core/wire/RapiCommand.h"
#include "core/wire/WireReader.h"
#include "core/wire/WireWriter.h"
#include "platform/WinTypes.h"

// Replies come in request order, so the link keeps one expectation per request sent. A synchronous
// call sends everything queued and settles the replies before its own: write results latch a file's
// first failure, read replies fill the file's read-ahead buffer. Consecutive writes to one file are
// gathered into one write request of up to 64 KiB, closed before any other request is begun.
// Not thread-safe: the caller locks.
class RapiLink {
public:
    // The start of every reply: status flag, HRESULT, last error and (most calls) the return word.
    struct ReplyHead {
        HRESULT hr = S_OK;
        DWORD lastError = 0;
        DWORD ret = 0;
        static bool Parse(WireReader& reader, bool hasRet, ReplyHead& head);
        // The last error a failed RAPI-level reply stands for.
        DWORD Error() const;
    };

    // What the link knows of an open remote file.
    struct FileState {
        bool readAhead = false;  // opened for reading only: reads may run ahead of the caller
        DWORD error = 0;         // first failure of a queued request, latched
        std::vector<std::uint8_t> ahead;
        std::size_t aheadPos = 0;
        std::uint32_t inflight = 0;
        std::uint64_t inflightBytes = 0;
        std::uint32_t window = 2;
        bool eof = false;
        std::size_t Available() const { return ahead.size() - aheadPos; }
    };

    RapiLink(int fd, DWORD timeoutMs);
    ~RapiLink();
    RapiLink(const RapiLink&) = delete;
    RapiLink& operator=(const RapiLink&) = delete;

    bool Broken() const { return m_broken; }
    // Gives the link up (a reply made no sense); every later use fails.
    void Break() { Fail(); }

    // Begins a synchronous request; Call sends it and hands back its reply body, valid until the next
    // use of the link.
    WireWriter& Begin(RapiCommand command);
    bool Call(std::span<const std::uint8_t>& reply);

    void TrackFile(std::uint32_t handle, DWORD access);
    std::shared_ptr<FileState> File(std::uint32_t handle) const;
    void ForgetFile(std::uint32_t handle);

    // Queues a write and returns at once; a failure shows later in the file's latched error.
    bool Write(std::uint32_t handle, const std::shared_ptr<FileState>& file, const std::uint8_t* data,
               std::uint32_t size);
    // Reads up to size bytes through the file's read-ahead; false only when the link failed.
    bool Read(std::uint32_t handle, const std::shared_ptr<FileState>& file, std::uint8_t* buffer,
              std::uint32_t size, std::uint32_t& got);
    // Sends everything queued and settles every outstanding reply.
    bool Drain();

private:
    enum class Expect { Call, Write, Read };
    struct Pending {
        Expect kind;
        std::shared_ptr<FileState> file;
        std::uint32_t size;
    };

    void Queue(Expect kind, const std::shared_ptr<FileState>& file, std::uint32_t size);
    void OpenBatch(std::uint32_t handle, const std::shared_ptr<FileState>& file);
    void CloseBatch();
    void RequestReads(std::uint32_t handle, const std::shared_ptr<FileState>& file, std::uint32_t wanted);
    bool Flush();
    bool Receive(int timeoutMs);
    bool NextReply(std::span<const std::uint8_t>& body);
    bool SettleOne();
    bool Settle(const Pending& pending, std::span<const std::uint8_t> body);
    bool Fail();

    int m_fd;
    int m_timeoutMs;
    bool m_broken = false;
    WireWriter m_out;
    FrameDecoder m_in;
    std::deque<Pending> m_pending;
    std::uint64_t m_writeBytes = 0;
    // The write request being gathered: its file, where its size word is, and its size so far.
    std::shared_ptr<FileState> m_batchFile;
    std::uint32_t m_batchHandle = 0;
    std::size_t m_batchSizeAt = 0;
    std::uint32_t m_batchSize = 0;
    std::map<std::uint32_t, std::shared_ptr<FileState>> m_files;
};
