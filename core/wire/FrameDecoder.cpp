// FrameDecoder: cuts a received byte stream into length-prefixed frame bodies.
#include "core/wire/FrameDecoder.h"

#include <cstring>

#include "core/wire/WireReader.h"

std::uint8_t* FrameDecoder::Prepare(std::size_t n)
{
    if (m_head == m_tail) {
        m_head = m_tail = 0;
    } else if (m_head > 0 && m_buffer.size() - m_tail < n) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_head, m_tail - m_head);
        m_tail -= m_head;
        m_head = 0;
    }
    if (m_buffer.size() - m_tail < n) m_buffer.resize(m_tail + n);
    return m_buffer.data() + m_tail;
}

void FrameDecoder::Append(const std::uint8_t* data, std::size_t n)
{
    if (n == 0) return;
    std::memcpy(Prepare(n), data, n);
    Commit(n);
}

FrameDecoder::Status FrameDecoder::Next(std::span<const std::uint8_t>& body)
{
    if (m_malformed) return Status::Malformed;
    const std::size_t have = m_tail - m_head;
    if (have < 4) return Status::Incomplete;
    const std::uint8_t* p = m_buffer.data() + m_head;
    const std::uint32_t length = WireReader::Le32(p);
    if (length > m_maxFrame) {
        m_malformed = true;
        return Status::Malformed;
    }
    if (have - 4 < length) return Status::Incomplete;
    body = std::span<const std::uint8_t>(p + 4, length);
    m_head += 4 + static_cast<std::size_t>(length);
    return Status::Ready;
}
