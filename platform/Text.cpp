// UTF-8 and UTF-16 conversions, the system code page and double-byte text through iconv.
#include "platform/Text.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "platform/WinBase.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr UINT kDefaultCodePage = 936;

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 | (c >> 10));
    out += static_cast<char16_t>(0xDC00 | (c & 0x3FF));
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Decodes one UTF-8 character at text[i] and advances i past it. A malformed sequence yields
// U+FFFD and consumes its longest valid prefix (at least one byte), as Unicode recommends.
char32_t DecodeUtf8(std::string_view text, std::size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int more;
    char32_t c;
    unsigned char lo = 0x80, hi = 0xBF;  // the range allowed for the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        c = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;
        if (lead == 0xED) hi = 0x9F;  // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        c = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < more; ++k) {
        if (i >= text.size()) return kReplacement;
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < lo || b > hi) return kReplacement;
        lo = 0x80;
        hi = 0xBF;
        c = (c << 6) | (b & 0x3F);
        ++i;
    }
    return c;
}

std::string IconvName(UINT codePage)
{
    return "CP" + std::to_string(codePage);
}

// One converter per thread, code page and direction; iconv descriptors are not shareable between threads.
class Converters {
public:
    ~Converters()
    {
        for (auto& [key, cd] : m_open)
            if (cd != Invalid()) iconv_close(cd);
    }

    iconv_t Get(UINT codePage, bool toWide)
    {
        const auto key = std::make_pair(codePage, toWide);
        auto it = m_open.find(key);
        if (it == m_open.end()) it = m_open.emplace(key, Open(codePage, toWide)).first;
        if (it->second != Invalid()) iconv(it->second, nullptr, nullptr, nullptr, nullptr);
        return it->second;
    }

    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }

private:
    static iconv_t Open(UINT codePage, bool toWide)
    {
        const std::string names[] = {IconvName(codePage), codePage == 936 ? "GBK" : ""};
        for (const auto& name : names) {
            if (name.empty()) continue;
            const iconv_t cd = toWide ? iconv_open("UTF-16LE", name.c_str()) : iconv_open(name.c_str(), "UTF-16LE");
            if (cd != Invalid()) return cd;
        }
        return Invalid();
    }

    std::map<std::pair<UINT, bool>, iconv_t> m_open;
};

iconv_t Converter(UINT codePage, bool toWide)
{
    thread_local Converters converters;
    return converters.Get(codePage, toWide);
}

std::atomic<UINT> g_setCodePage{0};

UINT Resolve(UINT codePage) { return codePage == CP_ACP ? GetACP() : codePage; }

// Code-page bytes to UTF-16; a byte that starts no valid character becomes '?'.
bool CodePageToWide(std::string_view text, UINT codePage, std::u16string& out)
{
    out.clear();
    if (codePage == CP_UTF8) {
        out = Utf8ToUtf16(text);
        return true;
    }
    const iconv_t cd = Converter(codePage, true);
    if (cd == Converters::Invalid()) return false;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char16_t buf[256];
    while (inLeft > 0) {
        char* dst = reinterpret_cast<char*>(buf);
        std::size_t dstLeft = sizeof buf;
        const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(reinterpret_cast<char16_t*>(dst) - buf));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        out += u'?';
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

// UTF-16 to code-page bytes; a character the page lacks (or a lone surrogate) becomes defaultChar.
bool WideToCodePage(std::u16string_view text, UINT codePage, char defaultChar, std::string& out, bool* usedDefault)
{
    out.clear();
    if (codePage == CP_UTF8) {
        out = Utf16ToUtf8(text);
        return true;
    }
    const iconv_t cd = Converter(codePage, false);
    if (cd == Converters::Invalid()) return false;
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.data()));
    std::size_t inLeft = text.size() * sizeof(char16_t);
    char buf[512];
    while (inLeft > 0) {
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        const std::size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        out += defaultChar;
        if (usedDefault) *usedDefault = true;
        char16_t unit;
        std::memcpy(&unit, in, sizeof unit);
        std::size_t skip = sizeof(char16_t);
        if (IsHigh(unit) && inLeft >= 2 * sizeof(char16_t)) {
            char16_t next;
            std::memcpy(&next, in + sizeof unit, sizeof next);
            if (IsLow(next)) skip *= 2;
        }
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

// Copies the converted units into the caller's buffer, or only counts them when capacity is 0 (a size query).
int Deliver(std::size_t count, int capacity, auto* dst, const auto& src)
{
    if (count > static_cast<std::size_t>(INT32_MAX)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (capacity == 0) return static_cast<int>(count);
    if (count > static_cast<std::size_t>(capacity)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(src.begin(), src.begin() + static_cast<std::ptrdiff_t>(count), dst);
    return static_cast<int>(count);
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, IsHigh(c) || IsLow(c) ? kReplacement : c);
        }
    }
    return out;
}

std::size_t Utf8Size(std::u16string_view text)
{
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            bytes += 4;
            ++i;
        } else {
            bytes += text[i] < 0x80 ? 1 : text[i] < 0x800 ? 2 : 3;  // a lone surrogate's replacement takes 3
        }
    }
    return bytes;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) AppendUtf16(out, DecodeUtf8(text, i));
    return out;
}

UINT GetACP()
{
    if (const UINT set = g_setCodePage.load()) return set;
    const char* env = std::getenv("PELRUDO_CODEPAGE");
    if (!env || !*env) return kDefaultCodePage;
    char* end = nullptr;
    const unsigned long cp = std::strtoul(env, &end, 10);
    return *end == '\0' && cp > 0 && cp < 65536 ? static_cast<UINT>(cp) : kDefaultCodePage;
}

// Our own knob: the platform fixes the code page at installation; 0 returns to the default and the environment.
void SetACP(UINT codePage) { g_setCodePage.store(codePage); }

std::u16string AnsiToUtf16(std::string_view text, UINT codePage)
{
    std::u16string out;
    if (!CodePageToWide(text, Resolve(codePage), out)) SetLastError(ERROR_INVALID_PARAMETER);
    return out;
}

std::string Utf16ToAnsi(std::u16string_view text, UINT codePage)
{
    std::string out;
    if (!WideToCodePage(text, Resolve(codePage), '?', out, nullptr)) SetLastError(ERROR_INVALID_PARAMETER);
    return out;
}

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte)
{
    switch (Resolve(codePage)) {
    case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950: return byte >= 0x81 && byte <= 0xFE;
    default: return FALSE;
    }
}

BOOL IsDBCSLeadByte(BYTE byte) { return IsDBCSLeadByteEx(CP_ACP, byte); }

const char* MbsRChr(const char* text, char ch)
{
    if (!text) return nullptr;
    const UINT cp = GetACP();
    const char* found = nullptr;
    const char* p = text;
    for (; *p; ++p) {
        if (IsDBCSLeadByteEx(cp, static_cast<BYTE>(*p)) && p[1]) {
            ++p;
            continue;
        }
        if (*p == ch) found = p;
    }
    return ch == '\0' ? p : found;
}

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR multiByte, int cbMultiByte, LPWSTR wide, int cchWide)
{
    if (!multiByte || cbMultiByte == 0 || cbMultiByte < -1 || cchWide < 0 || (cchWide > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // -1: the text is null-terminated and the terminator is converted too.
    const std::size_t length = cbMultiByte == -1 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(cbMultiByte);
    std::u16string out;
    if (!CodePageToWide(std::string_view(multiByte, length), Resolve(codePage), out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Deliver(out.size(), cchWide, wide, out);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wide, int cchWide, LPSTR multiByte, int cbMultiByte,
                        LPCSTR defaultChar, BOOL* usedDefaultChar)
{
    codePage = Resolve(codePage);
    const bool utf8 = codePage == CP_UTF8;
    if (!wide || cchWide == 0 || cchWide < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && !multiByte) ||
        (utf8 && (defaultChar || usedDefaultChar))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t length = static_cast<std::size_t>(cchWide);
    if (cchWide == -1) length = std::u16string_view(wide).size() + 1;
    bool used = false;
    std::string out;
    if (!WideToCodePage(std::u16string_view(wide, length), codePage, defaultChar ? *defaultChar : '?', out, &used)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (usedDefaultChar) *usedDefaultChar = used ? TRUE : FALSE;
    return Deliver(out.size(), cbMultiByte, multiByte, out);
}
