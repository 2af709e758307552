// WireReader: reads the fields of one remote API frame body.
#include "core/wire/WireReader.h"

std::uint32_t WireReader::Record::U32Or(std::uint32_t fallback) const
{
    if (!present || !hasData || size < 4) return fallback;
    return Le32(data);
}

bool WireReader::Fail()
{
    m_failed = true;
    return false;
}

bool WireReader::Raw(std::size_t size, const std::uint8_t*& data)
{
    if (m_failed || size > m_size - m_pos) return Fail();
    data = m_data + m_pos;
    m_pos += size;
    return true;
}

bool WireReader::U32(std::uint32_t& value)
{
    const std::uint8_t* p = nullptr;
    if (!Raw(4, p)) return false;
    value = Le32(p);
    return true;
}

// The text of a string record; an odd byte count is malformed, one trailing NUL is dropped.
bool WireReader::Units(std::uint32_t bytes, Text& text)
{
    const std::uint8_t* p = nullptr;
    if (bytes % 2 != 0 || !Raw(bytes, p)) return Fail();
    std::size_t units = bytes / 2;
    text.value.resize(units);
    for (std::size_t i = 0; i < units; ++i)
        text.value[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
    if (!text.value.empty() && text.value.back() == u'\0') text.value.pop_back();
    text.present = true;
    return true;
}

bool WireReader::Str(Text& text)
{
    text = Text();
    std::uint32_t present = 0;
    std::uint32_t count = 0;
    if (!U32(present)) return false;
    if (present == 0) return true;
    if (!U32(count)) return false;
    if (count > (m_size - m_pos) / 2) return Fail();
    return Units(count * 2, text);
}

bool WireReader::OStr(Text& text)
{
    text = Text();
    std::uint32_t present = 0;
    std::uint32_t bytes = 0;
    std::uint32_t send = 0;
    if (!U32(present)) return false;
    if (present == 0) return true;
    if (!U32(bytes) || !U32(send)) return false;
    if (send == 0) {
        text.present = true;
        return true;
    }
    return Units(bytes, text);
}

bool WireReader::Opt(Record& record)
{
    record = Record();
    std::uint32_t present = 0;
    std::uint32_t hasData = 0;
    if (!U32(present)) return false;
    if (present == 0) return true;
    if (!U32(record.size) || !U32(hasData)) return false;
    record.present = true;
    record.hasData = hasData != 0;
    return !record.hasData || Raw(record.size, record.data);
}

bool WireReader::In(Record& record)
{
    record = Record();
    std::uint32_t present = 0;
    if (!U32(present)) return false;
    if (present == 0) return true;
    if (!U32(record.size)) return false;
    record.present = true;
    record.hasData = true;
    return Raw(record.size, record.data);
}
