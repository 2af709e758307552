// RapiLink: one connection to a handheld, with queued requests, write-behind and read-ahead on files.
#include "core/detail/RapiLink.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstring>

namespace {
// Reads and writes travel in pieces of this size; replies stay far below the frame limit.
constexpr std::uint32_t kChunk = 64u * 1024u;
// Read-ahead keeps at most this many pieces of one file in flight.
constexpr std::uint32_t kMaxWindow = 64;
// The window is topped up once this many pieces have come in: often enough that the handheld always
// has a request waiting (and never sleeps between them), seldom enough to send requests in batches.
constexpr std::uint32_t kTopUp = 4;
// Queued requests leave once this much is waiting, and write-behind holds at most kMaxWriteBehind.
constexpr std::size_t kFlushAt = 1024u * 1024u;
constexpr std::uint64_t kMaxWriteBehind = 4u * 1024u * 1024u;
constexpr std::size_t kReceive = 1024u * 1024u;
// A reply usually follows within microseconds. Sleeping at once would make the handheld wake us, which
// on some hosts costs more than the data itself, so a wait first keeps trying this long.
constexpr auto kSpin = std::chrono::microseconds(100);
// Read replies stay near kChunk, but a registry value may be as big as the caller's buffer.
constexpr std::size_t kMaxReply = 2u * FrameDecoder::kDefaultMaxFrame;
constexpr HRESULT kFacilityWin32 = 7;
}  // namespace

bool RapiLink::ReplyHead::Parse(WireReader& reader, bool hasRet, ReplyHead& head)
{
    head = ReplyHead();
    std::uint32_t flag = 0;
    if (!reader.U32(flag)) return false;
    if (flag == 1) {
        std::uint32_t hr = 0;
        if (!reader.U32(hr)) return false;
        head.hr = static_cast<HRESULT>(hr);
        if (head.hr != S_OK) return true;
    }
    if (!reader.U32(head.lastError)) return false;
    return !hasRet || reader.U32(head.ret);
}

DWORD RapiLink::ReplyHead::Error() const
{
    const DWORD code = static_cast<DWORD>(hr);
    if (((code >> 16) & 0x1FFFu) == static_cast<DWORD>(kFacilityWin32)) return code & 0xFFFFu;
    return ERROR_NOT_SUPPORTED;
}

RapiLink::RapiLink(int fd, DWORD timeoutMs)
    : m_fd(fd), m_timeoutMs(static_cast<int>(std::min<DWORD>(timeoutMs, 0x7FFFFFFFu))), m_in(kMaxReply)
{
}

RapiLink::~RapiLink()
{
    ::close(m_fd);
}

bool RapiLink::Fail()
{
    if (!m_broken) ::shutdown(m_fd, SHUT_RDWR);
    m_broken = true;
    m_pending.clear();
    m_out.Clear();
    m_writeBytes = 0;
    m_batchFile.reset();
    return false;
}

WireWriter& RapiLink::Begin(RapiCommand command)
{
    CloseBatch();
    m_out.BeginFrame();
    return m_out.U32(static_cast<std::uint32_t>(command));
}

void RapiLink::Queue(Expect kind, const std::shared_ptr<FileState>& file, std::uint32_t size)
{
    m_out.EndFrame();
    m_pending.push_back(Pending{kind, file, size});
}

bool RapiLink::Call(std::span<const std::uint8_t>& reply)
{
    if (m_broken) {
        m_out.AbandonFrame();
        return false;
    }
    Queue(Expect::Call, nullptr, 0);
    if (!Flush()) return false;
    for (;;) {
        std::span<const std::uint8_t> body;
        if (!NextReply(body)) return false;
        const Pending pending = m_pending.front();
        m_pending.pop_front();
        if (pending.kind == Expect::Call) {
            reply = body;
            return true;
        }
        if (!Settle(pending, body)) return false;
    }
}

// Sends what is queued. While the socket is full, replies are taken in, so that neither side blocks
// on a full socket while the other waits for it.
bool RapiLink::Flush()
{
    CloseBatch();
    std::size_t sent = 0;
    while (sent < m_out.Size()) {
        const ssize_t n = ::send(m_fd, m_out.Data() + sent, m_out.Size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0 || errno != EAGAIN) return Fail();
        pollfd p{m_fd, POLLIN | POLLOUT, 0};
        const int ready = ::poll(&p, 1, m_timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return Fail();
        if ((p.revents & POLLIN) && !Receive(0)) return false;
        if (!(p.revents & (POLLIN | POLLOUT))) return Fail();
    }
    m_out.Clear();
    return true;
}

// Takes in what has arrived; with a wait, first waits up to the reply timeout for something to arrive.
bool RapiLink::Receive(int waitMs)
{
    std::uint8_t* at = m_in.Prepare(kReceive);
    ssize_t n = ::recv(m_fd, at, kReceive, MSG_DONTWAIT);
    const auto spinUntil = std::chrono::steady_clock::now() + kSpin;
    while (waitMs > 0 && n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < spinUntil)
        n = ::recv(m_fd, at, kReceive, MSG_DONTWAIT);
    if (waitMs > 0 && n < 0 && errno == EAGAIN) {
        pollfd p{m_fd, POLLIN, 0};
        int ready = 0;
        do ready = ::poll(&p, 1, waitMs);
        while (ready < 0 && errno == EINTR);
        if (ready <= 0) return Fail();
        n = ::recv(m_fd, at, kReceive, MSG_DONTWAIT);
    }
    if (n > 0) {
        m_in.Commit(static_cast<std::size_t>(n));
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    return Fail();
}

bool RapiLink::NextReply(std::span<const std::uint8_t>& body)
{
    for (;;) {
        if (m_broken) return false;
        switch (m_in.Next(body)) {
        case FrameDecoder::Status::Ready:
            if (m_pending.empty()) return Fail();  // a reply nobody asked for
            return true;
        case FrameDecoder::Status::Malformed:
            return Fail();
        case FrameDecoder::Status::Incomplete:
            if (!Receive(m_timeoutMs)) return false;
            break;
        }
    }
}

bool RapiLink::SettleOne()
{
    std::span<const std::uint8_t> body;
    if (!NextReply(body)) return false;
    const Pending pending = m_pending.front();
    m_pending.pop_front();
    return Settle(pending, body);
}

static void Latch(RapiLink::FileState& file, DWORD error)
{
    if (file.error == 0) file.error = error;
}

bool RapiLink::Settle(const Pending& pending, std::span<const std::uint8_t> body)
{
    WireReader reader(body.data(), body.size());
    ReplyHead head;
    if (pending.kind == Expect::Call || !ReplyHead::Parse(reader, true, head)) return Fail();
    FileState& file = *pending.file;
    if (pending.kind == Expect::Write) {
        m_writeBytes -= pending.size;
        std::uint32_t written = 0;
        if (head.hr != S_OK) Latch(file, head.Error());
        else if (!reader.U32(written)) return Fail();
        else if (head.ret == 0 || written < pending.size) Latch(file, head.lastError ? head.lastError : ERROR_WRITE_FAULT);
        return true;
    }
    --file.inflight;
    file.inflightBytes -= pending.size;
    if (head.hr != S_OK) {
        Latch(file, head.Error());
        file.eof = true;
        return true;
    }
    std::uint32_t count = 0;
    const std::uint8_t* data = nullptr;
    if (!reader.U32(count) || count > pending.size || !reader.Raw(count, data)) return Fail();
    if (file.aheadPos > 0) {
        // Delivered bytes go before new ones come in, so the buffer stays as small as what is in flight.
        file.ahead.erase(file.ahead.begin(), file.ahead.begin() + static_cast<std::ptrdiff_t>(file.aheadPos));
        file.aheadPos = 0;
    }
    file.ahead.insert(file.ahead.end(), data, data + count);
    if (head.ret == 0) {
        Latch(file, head.lastError ? head.lastError : ERROR_READ_FAULT);
        file.eof = true;
    } else if (count < pending.size) {
        file.eof = true;
    } else if (file.readAhead && file.window < kMaxWindow) {
        file.window *= 2;
    }
    return true;
}

void RapiLink::TrackFile(std::uint32_t handle, DWORD access)
{
    auto file = std::make_shared<FileState>();
    file->readAhead = (access & GENERIC_READ) != 0 && (access & GENERIC_WRITE) == 0;
    m_files[handle] = std::move(file);
}

std::shared_ptr<RapiLink::FileState> RapiLink::File(std::uint32_t handle) const
{
    const auto it = m_files.find(handle);
    return it == m_files.end() ? nullptr : it->second;
}

void RapiLink::ForgetFile(std::uint32_t handle)
{
    m_files.erase(handle);
}

// The request's In record is written with a size of 0, patched when the batch closes.
void RapiLink::OpenBatch(std::uint32_t handle, const std::shared_ptr<FileState>& file)
{
    Begin(RapiCommand::WriteFile).U32(handle).U32(1).U32(0);
    m_batchSizeAt = m_out.Size() - 4;
    m_batchFile = file;
    m_batchHandle = handle;
    m_batchSize = 0;
}

void RapiLink::CloseBatch()
{
    if (!m_batchFile) return;
    m_out.Patch(m_batchSizeAt, m_batchSize);
    m_out.U32(0);
    Queue(Expect::Write, m_batchFile, m_batchSize);
    m_writeBytes += m_batchSize;
    m_batchFile.reset();
}

bool RapiLink::Write(std::uint32_t handle, const std::shared_ptr<FileState>& file, const std::uint8_t* data,
                     std::uint32_t size)
{
    if (m_broken) return false;
    if (m_batchFile && m_batchHandle != handle) CloseBatch();
    while (size > 0) {
        if (!m_batchFile) OpenBatch(handle, file);
        const std::uint32_t piece = std::min(size, kChunk - m_batchSize);
        m_out.Raw(data, piece);
        m_batchSize += piece;
        data += piece;
        size -= piece;
        if (m_batchSize == kChunk) CloseBatch();
    }
    if (m_out.Size() >= kFlushAt && !Flush()) return false;
    while (m_writeBytes > kMaxWriteBehind) {
        if (!Flush() || !SettleOne()) return false;
    }
    return true;
}

// Asks for more of the file: a read-only file keeps a window of whole pieces in flight, any other only
// what the caller still wants, so that its remote file position stays where the caller expects it.
void RapiLink::RequestReads(std::uint32_t handle, const std::shared_ptr<FileState>& file, std::uint32_t wanted)
{
    FileState& f = *file;
    if (f.eof || f.error) return;
    const auto request = [&](std::uint32_t piece) {
        Begin(RapiCommand::ReadFile).U32(handle).Out(piece).U32(0);
        Queue(Expect::Read, file, piece);
        ++f.inflight;
        f.inflightBytes += piece;
    };
    if (f.readAhead) {
        if (f.inflight > 0 && f.inflight + kTopUp > f.window) return;
        while (f.inflight < f.window) request(kChunk);
        return;
    }
    std::uint64_t covered = f.Available() + f.inflightBytes;
    while (covered < wanted) {
        const std::uint32_t piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunk, wanted - covered));
        request(piece);
        covered += piece;
    }
}

bool RapiLink::Read(std::uint32_t handle, const std::shared_ptr<FileState>& file, std::uint8_t* buffer,
                    std::uint32_t size, std::uint32_t& got)
{
    got = 0;
    FileState& f = *file;
    while (f.Available() < size) {
        if (m_broken) return false;
        RequestReads(handle, file, size);
        if (f.inflight == 0) break;
        if (!Flush() || !SettleOne()) return false;
    }
    got = static_cast<std::uint32_t>(std::min<std::size_t>(size, f.Available()));
    if (got > 0) std::memcpy(buffer, f.ahead.data() + f.aheadPos, got);
    f.aheadPos += got;
    if (f.aheadPos == f.ahead.size()) {
        f.ahead.clear();
        f.aheadPos = 0;
    }
    // At the end with nothing in flight, the next read asks again: the file may have grown.
    if (got == 0 && f.inflight == 0) f.eof = false;
    return true;
}

bool RapiLink::Drain()
{
    if (m_broken || !Flush()) return false;
    while (!m_pending.empty()) {
        if (!SettleOne()) return false;
    }
    return true;
}
