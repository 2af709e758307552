// WireWriter: builds remote API frames (length word, then the body) in one growing buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// Several frames may follow each other in the buffer, so that they leave in one send.
class WireWriter {
public:
    void BeginFrame();
    void EndFrame();
    // Drops the frame begun last, as if it had never been started.
    void AbandonFrame();

    WireWriter& U32(std::uint32_t value);
    WireWriter& Raw(const void* data, std::size_t size);
    WireWriter& Null() { return U32(0); }
    // Counted string (Str) and optional string (OStr); a null pointer is sent as Null.
    WireWriter& Str(const char16_t* text);
    WireWriter& OStr(const char16_t* text);
    // Optional buffer with data (Opt, has-data 1), an out buffer (has-data 0) and a u32 in one.
    WireWriter& Opt(const void* data, std::uint32_t size);
    WireWriter& Out(std::uint32_t capacity);
    WireWriter& OptU32(std::uint32_t value);
    // Input-only buffer (In).
    WireWriter& In(const void* data, std::uint32_t size);

    // n writable bytes at the end, for data read straight into the frame; Shrink gives back the unused.
    std::uint8_t* Grow(std::size_t n);
    void Shrink(std::size_t n) { m_size -= n; }
    // Overwrites a u32 written earlier at that offset of the buffer.
    void Patch(std::size_t at, std::uint32_t value);

    const std::uint8_t* Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    void Clear() { m_size = m_frameStart = 0; }

private:
    static std::uint32_t TextUnits(const char16_t* text);

    // Raw storage: bulk data is copied in once, never zero-filled first.
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
    std::size_t m_frameStart = 0;
};
