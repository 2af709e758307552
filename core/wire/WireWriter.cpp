// WireWriter: builds remote API frames in one growing buffer.
#include "core/wire/WireWriter.h"

#include <algorithm>
#include <cstring>

void WireWriter::BeginFrame()
{
    m_frameStart = m_size;
    U32(0);
}

void WireWriter::EndFrame()
{
    Patch(m_frameStart, static_cast<std::uint32_t>(m_size - m_frameStart - 4));
}

void WireWriter::AbandonFrame()
{
    m_size = m_frameStart;
}

void WireWriter::Patch(std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) m_data[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

WireWriter& WireWriter::U32(std::uint32_t value)
{
    Grow(4);
    Patch(m_size - 4, value);
    return *this;
}

WireWriter& WireWriter::Raw(const void* data, std::size_t size)
{
    if (size == 0) return *this;
    std::memcpy(Grow(size), data, size);
    return *this;
}

std::uint8_t* WireWriter::Grow(std::size_t n)
{
    if (m_capacity - m_size < n) {
        const std::size_t capacity = std::max(m_size + n, 2 * m_capacity + 256);
        auto data = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
        if (m_size > 0) std::memcpy(data.get(), m_data.get(), m_size);
        m_data = std::move(data);
        m_capacity = capacity;
    }
    const std::size_t at = m_size;
    m_size += n;
    return m_data.get() + at;
}

std::uint32_t WireWriter::TextUnits(const char16_t* text)
{
    return static_cast<std::uint32_t>(std::u16string_view(text).size()) + 1;
}

// Text goes out as UTF-16LE whatever the host's byte order.
static void PutText(std::uint8_t* to, const char16_t* text, std::uint32_t units)
{
    for (std::uint32_t i = 0; i < units; ++i) {
        to[2 * i] = static_cast<std::uint8_t>(text[i]);
        to[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

WireWriter& WireWriter::Str(const char16_t* text)
{
    if (!text) return Null();
    const std::uint32_t units = TextUnits(text);
    U32(1).U32(units);
    PutText(Grow(2u * units), text, units);
    return *this;
}

WireWriter& WireWriter::OStr(const char16_t* text)
{
    if (!text) return Null();
    const std::uint32_t units = TextUnits(text);
    U32(1).U32(2u * units).U32(1);
    PutText(Grow(2u * units), text, units);
    return *this;
}

WireWriter& WireWriter::Opt(const void* data, std::uint32_t size)
{
    return U32(1).U32(size).U32(1).Raw(data, size);
}

WireWriter& WireWriter::Out(std::uint32_t capacity)
{
    return U32(1).U32(capacity).U32(0);
}

WireWriter& WireWriter::OptU32(std::uint32_t value)
{
    return U32(1).U32(4).U32(1).U32(value);
}

WireWriter& WireWriter::In(const void* data, std::uint32_t size)
{
    return U32(1).U32(size).Raw(data, size);
}
