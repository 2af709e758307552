// Writing language pack files for tests: UTF-16 little-endian with the byte-order mark and CR LF.
#pragma once

#include <string>

#include "platform/Text.h"
#include "tests/platform/TestFolder.h"

inline std::string Utf16Bytes(const std::string& utf8)
{
    std::string bytes("\xFF\xFE", 2);
    for (char16_t unit : Utf8ToUtf16(utf8)) {
        if (unit == u'\n') bytes += std::string("\r\0", 2);
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Lines separated by "\n" in UTF-8; written as a pack.
inline void WritePack(const TestFolder& folder, const std::string& name, const std::string& text)
{
    folder.WriteBytes(name, Utf16Bytes(text));
}
