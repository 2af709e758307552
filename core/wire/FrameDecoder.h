// FrameDecoder: cuts a received byte stream into length-prefixed frame bodies, refusing oversized frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class FrameDecoder {
public:
    static constexpr std::size_t kDefaultMaxFrame = 1u << 20;

    enum class Status { Incomplete, Ready, Malformed };

    explicit FrameDecoder(std::size_t maxFrame = kDefaultMaxFrame) : m_maxFrame(maxFrame) {}

    // Room for at least n more received bytes; Commit says how many arrived there.
    std::uint8_t* Prepare(std::size_t n);
    void Commit(std::size_t n) { m_tail += n; }
    void Append(const std::uint8_t* data, std::size_t n);

    // The next whole body. It stays valid until the next Prepare or Append. Malformed is final: a
    // length beyond the maximum means the peer does not speak this protocol.
    Status Next(std::span<const std::uint8_t>& body);

    std::size_t Buffered() const { return m_tail - m_head; }

private:
    std::vector<std::uint8_t> m_buffer;
    std::size_t m_head = 0;
    std::size_t m_tail = 0;
    std::size_t m_maxFrame;
    bool m_malformed = false;
};
