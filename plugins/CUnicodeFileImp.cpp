// CUnicodeFileImp: reading lines in chunks (seeking back past the line end) and writing text in one piece.
#include "plugins/CUnicodeFileImp.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr char16_t kLineFeed = 0x000A;
constexpr char16_t kReturn = 0x000D;
constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr UINT kFirstChunk = 256;
constexpr UINT kLargestChunk = 64 * 1024;

}  // namespace

CUnicodeFileImp::CUnicodeFileImp() = default;

CUnicodeFileImp::CUnicodeFileImp(HINSTANCE hModule) : CBinaryFileImp(hModule) {}

CUnicodeFileImp::~CUnicodeFileImp() = default;

int CUnicodeFileImp::ReadString(CString& strLine)
{
    if (GetPosition() == 0) Seek(2, CFile::begin);
    std::u16string text;
    bool lineEnd = false;
    std::vector<BYTE> chunk;
    // Lines are short: read a little ahead, then hand back what follows the line end.
    for (UINT size = kFirstChunk;; size = std::min(size * 2, kLargestChunk)) {
        chunk.resize(size);
        UINT got = Read(chunk.data(), size);
        UINT units = got / 2;
        UINT i = 0;
        for (; i < units && !lineEnd; ++i) {
            char16_t unit = static_cast<char16_t>(chunk[2 * i] | (chunk[2 * i + 1] << 8));
            if (unit == kLineFeed) lineEnd = true;
            else if (unit != kReturn) text += unit;
        }
        if (lineEnd) {
            UINT used = 2 * i;
            if (got > used) Seek(-static_cast<LONG>(got - used), CFile::current);
            break;
        }
        if (got < size) break;
    }
    strLine = CString(std::u16string_view(text));
    m_dwLastError = errorDone;
    return !text.empty() || lineEnd;
}

void CUnicodeFileImp::WriteString(const CString& strText)
{
    std::u16string_view text = strText.View();
    bool mark = GetPosition() == 0;
    auto lineFeeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), kLineFeed));
    // Sized exactly up front and written with one call.
    std::vector<BYTE> bytes(2 * (text.size() + lineFeeds + (mark ? 1 : 0)));
    BYTE* out = bytes.data();
    auto put = [&out](char16_t unit) {
        *out++ = static_cast<BYTE>(unit & 0xFF);
        *out++ = static_cast<BYTE>(unit >> 8);
    };
    if (mark) put(kByteOrderMark);
    for (char16_t unit : text) {
        if (unit == kLineFeed) put(kReturn);
        put(unit);
    }
    Write(bytes.data(), static_cast<UINT>(bytes.size()));
    m_dwLastError = errorDone;
}
