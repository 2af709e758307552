// CStringT's out-of-line members: case mapping, trimming, case-blind comparison and printf-style formatting.
#include "platform/CStringT.h"

#include <cstdint>
#include <cstdio>

#include "platform/Text.h"

namespace {

// One run of upper-case letters and the distance to their lower-case forms; step 2 means every other
// code point (the alternating pairs of Latin Extended-A and Cyrillic).
struct CaseRange {
    char16_t first;
    char16_t last;
    int delta;
    int step;
};

constexpr CaseRange kUpperRanges[] = {
    {0x0041, 0x005A, 32, 1},  {0x00C0, 0x00D6, 32, 1},  {0x00D8, 0x00DE, 32, 1},   {0x0100, 0x012E, 1, 2},
    {0x0132, 0x0136, 1, 2},   {0x0139, 0x0147, 1, 2},   {0x014A, 0x0176, 1, 2},    {0x0178, 0x0178, -121, 1},
    {0x0179, 0x017D, 1, 2},   {0x0386, 0x0386, 38, 1},  {0x0388, 0x038A, 37, 1},   {0x038C, 0x038C, 64, 1},
    {0x038E, 0x038F, 63, 1},  {0x0391, 0x03A1, 32, 1},  {0x03A3, 0x03AB, 32, 1},   {0x0400, 0x040F, 80, 1},
    {0x0410, 0x042F, 32, 1},  {0x0460, 0x0480, 1, 2},   {0x048A, 0x04BE, 1, 2},    {0x04C0, 0x04C0, 15, 1},
    {0x04C1, 0x04CD, 1, 2},   {0x04D0, 0x052E, 1, 2},   {0xFF21, 0xFF3A, 32, 1},
};

// Letters whose mapping goes one way only: dotted capital I, dotless i, long s, final sigma.
struct OneWay {
    char16_t from;
    char16_t to;
};
constexpr OneWay kLowerOnly[] = {{0x0130, 0x0069}};
constexpr OneWay kUpperOnly[] = {{0x0131, 0x0049}, {0x017F, 0x0053}, {0x03C2, 0x03A3}};

bool InRange(char32_t c, char32_t first, char32_t last, int step)
{
    return c >= first && c <= last && (c - first) % static_cast<char32_t>(step) == 0;
}

char16_t WideToLower(char16_t c)
{
    for (const auto& r : kUpperRanges)
        if (InRange(c, r.first, r.last, r.step)) return static_cast<char16_t>(c + r.delta);
    for (const auto& o : kLowerOnly)
        if (c == o.from) return o.to;
    return c;
}

char16_t WideToUpper(char16_t c)
{
    for (const auto& r : kUpperRanges)
        if (InRange(c, static_cast<char32_t>(r.first + r.delta), static_cast<char32_t>(r.last + r.delta), r.step))
            return static_cast<char16_t>(c - r.delta);
    for (const auto& o : kUpperOnly)
        if (c == o.from) return o.to;
    return c;
}

bool IsWideSpace(char16_t c)
{
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Narrow text: ASCII only, since every byte of a double-byte character is 0x40 or above and bytes
// 0x80 and above belong to the code page.
bool IsNarrowSpace(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

bool IsSpace(char16_t c) { return IsWideSpace(c); }
bool IsSpace(char c) { return IsNarrowSpace(c); }

// Applies map to every single-byte character of narrow text; both bytes of a double-byte character stay.
template <class Map>
void MapNarrow(std::string& s, Map map)
{
    const UINT cp = GetACP();
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (IsDBCSLeadByteEx(cp, static_cast<BYTE>(s[i])) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        s[i] = map(s[i]);
    }
}

void MapCase(std::u16string& s, bool upper)
{
    for (auto& c : s) c = upper ? WideToUpper(c) : WideToLower(c);
}

void MapCase(std::string& s, bool upper) { MapNarrow(s, upper ? AsciiUpper : AsciiLower); }

// The key of case-blind comparison: lower case; the traits compare code units as unsigned values.
template <class Ch>
std::basic_string<Ch> FoldKey(std::basic_string<Ch> s)
{
    MapCase(s, false);
    return s;
}

// ---- printf-style formatting ----

struct Spec {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool alt = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    enum class Size { Normal, Short, Char, Long64, Size } size = Size::Normal;
    int strWidth = 0;  // 0: the string's own kind; 1: narrow (%hs, %S in a wide string); 2: wide (%ls, %ws)
};

template <class Ch>
class Formatter {
public:
    Formatter(std::basic_string<Ch>& out, va_list& args) : m_out(out), m_args(args) {}

    void Run(const Ch* f)
    {
        while (*f) {
            if (*f != '%') {
                m_out += *f++;
                continue;
            }
            const Ch* start = f++;
            if (*f == '%') {
                m_out += *f++;
                continue;
            }
            f = Convert(start, f);
        }
    }

private:
    // Reads one conversion after its '%'; returns the position after it. An unknown conversion is
    // copied as written and takes no argument.
    const Ch* Convert(const Ch* start, const Ch* f)
    {
        Spec s;
        f = ReadFlags(f, s);
        f = ReadWidth(f, s);
        f = ReadPrecision(f, s);
        f = ReadSize(f, s);
        if (!*f) {
            m_out.append(start, f);
            return f;
        }
        const Ch conv = *f++;
        switch (conv) {
        case 'd': case 'i': Signed(s); break;
        case 'u': Unsigned(s, 10, false); break;
        case 'x': Unsigned(s, 16, false); break;
        case 'X': Unsigned(s, 16, true); break;
        case 'o': Unsigned(s, 8, false); break;
        case 'p': Pointer(s); break;
        case 'c': case 'C': Char(s); break;
        case 's': String(s, s.strWidth); break;
        case 'S': String(s, s.strWidth ? s.strWidth : 3 - OwnWidth()); break;
        case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A': Float(s, static_cast<char>(conv)); break;
        default: m_out.append(start, f); break;
        }
        return f;
    }

    static int OwnWidth() { return sizeof(Ch) == 1 ? 1 : 2; }

    const Ch* ReadFlags(const Ch* f, Spec& s)
    {
        for (;; ++f) {
            switch (*f) {
            case '-': s.left = true; break;
            case '+': s.plus = true; break;
            case ' ': s.space = true; break;
            case '#': s.alt = true; break;
            case '0': s.zero = true; break;
            default: return f;
            }
        }
    }

    static const Ch* ReadNumber(const Ch* f, int& n)
    {
        n = 0;
        for (; *f >= '0' && *f <= '9'; ++f)
            if (n < 100000) n = n * 10 + (*f - '0');
        return f;
    }

    const Ch* ReadWidth(const Ch* f, Spec& s)
    {
        if (*f != '*') return ReadNumber(f, s.width);
        s.width = va_arg(m_args, int);
        if (s.width < 0) {
            s.left = true;
            s.width = s.width == INT32_MIN ? 0 : -s.width;
        }
        return f + 1;
    }

    const Ch* ReadPrecision(const Ch* f, Spec& s)
    {
        if (*f != '.') return f;
        ++f;
        if (*f != '*') return ReadNumber(f, s.precision);
        s.precision = va_arg(m_args, int);
        if (s.precision < 0) s.precision = -1;
        return f + 1;
    }

    static bool Matches(const Ch* f, const char* word)
    {
        for (; *word; ++f, ++word)
            if (*f != *word) return false;
        return true;
    }

    const Ch* ReadSize(const Ch* f, Spec& s)
    {
        using Size = Spec::Size;
        if (Matches(f, "I64")) { s.size = Size::Long64; return f + 3; }
        if (Matches(f, "I32")) return f + 3;
        if (Matches(f, "ll")) { s.size = Size::Long64; return f + 2; }
        if (Matches(f, "hh")) { s.size = Size::Char; return f + 2; }
        switch (*f) {
        // The platform's long is 32-bit, so %ld reads an int; l and w also mark a wide %s or %c.
        case 'l': case 'w': s.strWidth = 2; return f + 1;
        case 'h': s.size = Size::Short; s.strWidth = 1; return f + 1;
        case 'I': case 'z': case 't': s.size = Size::Size; return f + 1;
        case 'j': case 'q': case 'L': s.size = Size::Long64; return f + 1;
        default: return f;
        }
    }

    long long SignedArg(const Spec& s)
    {
        switch (s.size) {
        case Spec::Size::Long64: return va_arg(m_args, long long);
        case Spec::Size::Size: return va_arg(m_args, std::ptrdiff_t);
        case Spec::Size::Short: return static_cast<short>(va_arg(m_args, int));
        case Spec::Size::Char: return static_cast<signed char>(va_arg(m_args, int));
        default: return va_arg(m_args, int);
        }
    }

    unsigned long long UnsignedArg(const Spec& s)
    {
        switch (s.size) {
        case Spec::Size::Long64: return va_arg(m_args, unsigned long long);
        case Spec::Size::Size: return va_arg(m_args, std::size_t);
        case Spec::Size::Short: return static_cast<unsigned short>(va_arg(m_args, unsigned));
        case Spec::Size::Char: return static_cast<unsigned char>(va_arg(m_args, unsigned));
        default: return va_arg(m_args, unsigned);
        }
    }

    void Signed(const Spec& s)
    {
        const long long v = SignedArg(s);
        const unsigned long long magnitude = v < 0 ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        const char* sign = v < 0 ? "-" : s.plus ? "+" : s.space ? " " : "";
        Integer(s, magnitude, 10, false, sign);
    }

    void Unsigned(const Spec& s, unsigned base, bool upper)
    {
        const unsigned long long v = UnsignedArg(s);
        const char* prefix = "";
        if (s.alt && base == 16 && v != 0) prefix = upper ? "0X" : "0x";
        Integer(s, v, base, upper, prefix);
    }

    // The platform prints a pointer as upper-case hex digits padded to the pointer's width.
    void Pointer(Spec s)
    {
        const auto v = reinterpret_cast<std::uintptr_t>(va_arg(m_args, void*));
        if (s.precision < 0) s.precision = static_cast<int>(2 * sizeof(void*));
        Integer(s, v, 16, true, "");
    }

    void Integer(const Spec& s, unsigned long long v, unsigned base, bool upper, const char* prefix)
    {
        const char* digitSet = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        char buf[64];
        int n = 0;
        for (; v != 0; v /= base) buf[n++] = digitSet[v % base];
        const int precision = s.precision < 0 ? 1 : s.precision;
        std::string body(prefix);
        int digits = n < precision ? precision : n;
        if (base == 8 && s.alt && digits == n) ++digits;  // # makes the octal form start with 0
        std::string number(static_cast<std::size_t>(digits - n), '0');
        for (int i = n - 1; i >= 0; --i) number += buf[i];
        const bool zeroPad = s.zero && !s.left && s.precision < 0;
        const int len = static_cast<int>(body.size() + number.size());
        if (zeroPad && len < s.width) body.append(static_cast<std::size_t>(s.width - len), '0');
        PadAscii(s, body + number);
    }

    void Char(const Spec& s)
    {
        const Ch c = static_cast<Ch>(va_arg(m_args, int));
        Pad(std::basic_string_view<Ch>(&c, 1), s);
    }

    void String(const Spec& s, int kind)
    {
        std::basic_string<Ch> text;
        if (kind == 0 || kind == OwnWidth()) {
            const Ch* p = va_arg(m_args, const Ch*);
            text = p ? p : Null();
        } else if (kind == 1) {
            text = Other(va_arg(m_args, const char*));
        } else {
            text = Other(va_arg(m_args, const char16_t*));
        }
        if (s.precision >= 0 && static_cast<std::size_t>(s.precision) < text.size()) text.resize(static_cast<std::size_t>(s.precision));
        Pad(std::basic_string_view<Ch>(text), s);
    }

    static std::basic_string<Ch> Null() { return Widen("(null)"); }

    static std::basic_string<Ch> Other(const char* p)
    {
        if (!p) return Null();
        if constexpr (sizeof(Ch) == 1) return p;
        else return AnsiToUtf16(p);
    }

    static std::basic_string<Ch> Other(const char16_t* p)
    {
        if (!p) return Null();
        if constexpr (sizeof(Ch) == 1) return Utf16ToAnsi(p);
        else return p;
    }

    // Floating point goes through the C library's narrow printf, whose output is plain ASCII.
    void Float(const Spec& s, char conv)
    {
        const double v = s.size == Spec::Size::Long64 ? static_cast<double>(va_arg(m_args, long double)) : va_arg(m_args, double);
        std::string fmt = "%";
        if (s.left) fmt += '-';
        if (s.plus) fmt += '+';
        if (s.space) fmt += ' ';
        if (s.alt) fmt += '#';
        if (s.zero) fmt += '0';
        fmt += "*.*";
        fmt += conv;
        char buf[512];
        const int n = std::snprintf(buf, sizeof buf, fmt.c_str(), s.width, s.precision, v);
        if (n < 0) return;
        if (n < static_cast<int>(sizeof buf)) {
            m_out += Widen(buf);
            return;
        }
        std::string big(static_cast<std::size_t>(n) + 1, '\0');
        std::snprintf(big.data(), big.size(), fmt.c_str(), s.width, s.precision, v);
        big.resize(static_cast<std::size_t>(n));
        m_out += Widen(big);
    }

    static std::basic_string<Ch> Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

    void PadAscii(const Spec& s, const std::string& ascii) { Pad(std::basic_string_view<Ch>(Widen(ascii)), s); }

    void Pad(std::basic_string_view<Ch> text, const Spec& s)
    {
        const std::size_t fill = static_cast<std::size_t>(s.width) > text.size() ? static_cast<std::size_t>(s.width) - text.size() : 0;
        if (!s.left) m_out.append(fill, Ch(' '));
        m_out += text;
        if (s.left) m_out.append(fill, Ch(' '));
    }

    std::basic_string<Ch>& m_out;
    va_list& m_args;
};

// The index of the first (or, with last, the final) character start of narrow text at or after from where
// match holds; -1 when there is none.
template <class Match>
int ScanCharStarts(const std::string& s, std::size_t from, bool last, Match match)
{
    const UINT cp = GetACP();
    int found = -1;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool lead = IsDBCSLeadByteEx(cp, static_cast<BYTE>(s[i])) && i + 1 < s.size();
        if (i >= from && match(i)) {
            found = static_cast<int>(i);
            if (!last) break;
        }
        if (lead) ++i;
    }
    return found;
}

}  // namespace

template <class Ch>
int CStringT<Ch>::Find(Ch ch, int start) const
{
    if (start < 0) return -1;
    if constexpr (sizeof(Ch) != 1)
        return Pos_(m_s.find(ch, static_cast<std::size_t>(start)));
    else
        return ScanCharStarts(m_s, static_cast<std::size_t>(start), false, [&](std::size_t i) { return m_s[i] == ch; });
}

template <class Ch>
int CStringT<Ch>::Find(const Ch* psz, int start) const
{
    if (!psz || start < 0 || start > GetLength()) return -1;
    const std::basic_string_view<Ch> needle(psz);
    if constexpr (sizeof(Ch) != 1) {
        return Pos_(m_s.find(needle, static_cast<std::size_t>(start)));
    } else {
        if (needle.empty()) return start;
        const std::string_view hay(m_s);
        return ScanCharStarts(m_s, static_cast<std::size_t>(start), false,
                              [&](std::size_t i) { return hay.substr(i).starts_with(needle); });
    }
}

template <class Ch>
int CStringT<Ch>::ReverseFind(Ch ch) const
{
    if constexpr (sizeof(Ch) != 1)
        return Pos_(m_s.rfind(ch));
    else
        return ScanCharStarts(m_s, 0, true, [&](std::size_t i) { return m_s[i] == ch; });
}

template <class Ch>
int CStringT<Ch>::Replace(const Ch* from, const Ch* to)
{
    if (!from || !*from) return 0;
    // Copies, since either text may lie inside this string.
    const std::basic_string<Ch> old(from);
    const std::basic_string<Ch> with(to ? to : Empty_());
    int count = 0;
    for (int at = Find(old.c_str()); at >= 0; at = Find(old.c_str(), at + static_cast<int>(with.size()))) {
        m_s.replace(static_cast<std::size_t>(at), old.size(), with);
        ++count;
    }
    return count;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::MakeUpper()
{
    MapCase(m_s, true);
    return *this;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::MakeLower()
{
    MapCase(m_s, false);
    return *this;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::TrimLeft()
{
    std::size_t i = 0;
    while (i < m_s.size() && IsSpace(m_s[i])) ++i;
    m_s.erase(0, i);
    return *this;
}

template <class Ch>
CStringT<Ch>& CStringT<Ch>::TrimRight()
{
    std::size_t n = m_s.size();
    while (n > 0 && IsSpace(m_s[n - 1])) --n;
    m_s.resize(n);
    return *this;
}

template <class Ch>
int CStringT<Ch>::CompareNoCase(const Ch* psz) const
{
    const int r = FoldKey(m_s).compare(FoldKey(std::basic_string<Ch>(psz ? psz : Empty_())));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

template <class Ch>
void CStringT<Ch>::FormatV(const Ch* format, va_list args)
{
    std::basic_string<Ch> out;
    if (format) {
        va_list copy;
        va_copy(copy, args);
        Formatter<Ch>(out, copy).Run(format);
        va_end(copy);
    }
    m_s = std::move(out);
}

template <class Ch>
void CStringT<Ch>::FormatVa_(const Ch* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

template <class Ch>
void CStringT<Ch>::AppendFormatVa_(const Ch* format, ...)
{
    CStringT tail;
    va_list args;
    va_start(args, format);
    tail.FormatV(format, args);
    va_end(args);
    m_s += tail.m_s;
}

template class CStringT<char16_t>;
template class CStringT<char>;
