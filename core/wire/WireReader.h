// WireReader: reads the fields of one remote API frame body, failing (not crashing) on short or bad input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Once a read fails every later read fails too, so a handler may read all its fields and test Ok() once.
class WireReader {
public:
    // The wire's numbers are little-endian.
    static std::uint32_t Le32(const std::uint8_t* p)
    {
        return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    }

    // An Opt or In record, or a Null in its place (present false). data points into the frame.
    struct Record {
        bool present = false;
        std::uint32_t size = 0;
        bool hasData = false;
        const std::uint8_t* data = nullptr;
        // The u32 of an OptU32 with data, else the fallback.
        std::uint32_t U32Or(std::uint32_t fallback) const;
    };
    // A Str or OStr, or a Null (present false); the value is without its terminating NUL.
    struct Text {
        bool present = false;
        std::u16string value;
        const char16_t* Get() const { return present ? value.c_str() : nullptr; }
    };

    WireReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool U32(std::uint32_t& value);
    bool Raw(std::size_t size, const std::uint8_t*& data);
    bool Str(Text& text);
    bool OStr(Text& text);
    bool Opt(Record& record);
    bool In(Record& record);

    bool Ok() const { return !m_failed; }
    std::size_t Remaining() const { return m_size - m_pos; }

private:
    bool Fail();
    bool Units(std::uint32_t bytes, Text& text);

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_failed = false;
};
