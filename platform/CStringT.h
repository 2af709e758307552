// CStringT: the framework's counted string, UTF-16 in the wide build and code-page bytes in the narrow one.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/WinTypes.h"

template <class Ch>
class CStringT {
public:
    using XCHAR = Ch;
    using PCXSTR = const Ch*;
    using PXSTR = Ch*;

    CStringT() = default;
    CStringT(const Ch* psz) : m_s(psz ? psz : Empty_()) {}  // NOLINT: implicit by design, as the framework's
    CStringT(const Ch* pch, int nLength) : m_s(pch && nLength > 0 ? std::basic_string<Ch>(pch, static_cast<std::size_t>(nLength)) : std::basic_string<Ch>()) {}
    CStringT(Ch ch, int nRepeat = 1) : m_s(nRepeat > 0 ? static_cast<std::size_t>(nRepeat) : 0u, ch) {}  // NOLINT
    CStringT(std::basic_string_view<Ch> sv) : m_s(sv) {}  // NOLINT
    CStringT(const CStringT&) = default;
    CStringT(CStringT&&) noexcept = default;
    CStringT& operator=(const CStringT&) = default;
    CStringT& operator=(CStringT&&) noexcept = default;
    CStringT& operator=(const Ch* psz) { m_s = psz ? psz : Empty_(); return *this; }
    CStringT& operator=(Ch ch) { m_s.assign(1, ch); return *this; }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    Ch GetAt(int i) const { return m_s[static_cast<std::size_t>(i)]; }
    void SetAt(int i, Ch ch) { m_s[static_cast<std::size_t>(i)] = ch; }
    Ch operator[](int i) const { return GetAt(i); }
    const Ch* GetString() const { return m_s.c_str(); }
    operator const Ch*() const { return m_s.c_str(); }  // NOLINT: implicit as the framework's
    std::basic_string_view<Ch> View() const { return m_s; }
    const std::basic_string<Ch>& Str() const { return m_s; }

    CStringT Left(int n) const { return n <= 0 ? CStringT() : CStringT(m_s.substr(0, static_cast<std::size_t>(n))); }
    CStringT Right(int n) const
    {
        if (n <= 0) return CStringT();
        if (n >= GetLength()) return *this;
        return CStringT(m_s.substr(m_s.size() - static_cast<std::size_t>(n)));
    }
    CStringT Mid(int first) const { return Mid(first, GetLength()); }
    CStringT Mid(int first, int count) const
    {
        if (first < 0) first = 0;
        if (first >= GetLength() || count <= 0) return CStringT();
        return CStringT(m_s.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
    }

    // Narrow text is searched character by character in the code page, so that the trail byte of a
    // double-byte character (0x5C in 936, say) never matches a single-byte character such as '\\'.
    int Find(Ch ch, int start = 0) const;
    int Find(const Ch* psz, int start = 0) const;
    int ReverseFind(Ch ch) const;
    int FindOneOf(const Ch* set) const { return set ? Pos_(m_s.find_first_of(set)) : -1; }

    CStringT& MakeUpper();
    CStringT& MakeLower();
    CStringT& MakeReverse() { m_s.assign(m_s.rbegin(), m_s.rend()); return *this; }
    CStringT& TrimLeft();
    CStringT& TrimRight();
    CStringT& Trim() { TrimRight(); return TrimLeft(); }
    CStringT& TrimLeft(Ch ch) { m_s.erase(0, m_s.find_first_not_of(ch)); return *this; }
    CStringT& TrimRight(Ch ch) { m_s.erase(Until_(m_s.find_last_not_of(ch))); return *this; }
    CStringT& TrimLeft(const Ch* set) { if (set) m_s.erase(0, m_s.find_first_not_of(set)); return *this; }
    CStringT& TrimRight(const Ch* set) { if (set) m_s.erase(Until_(m_s.find_last_not_of(set))); return *this; }
    int Replace(Ch from, Ch to)
    {
        int n = 0;
        for (auto& c : m_s) if (c == from) { c = to; ++n; }
        return n;
    }
    // Replaces every occurrence of from (found as Find finds it) by to; returns how many were replaced.
    int Replace(const Ch* from, const Ch* to);
    // Removes every occurrence of ch; returns how many were removed.
    int Remove(Ch ch)
    {
        const auto before = m_s.size();
        std::erase(m_s, ch);
        return static_cast<int>(before - m_s.size());
    }
    int Insert(int index, Ch ch)
    {
        if (index < 0) index = 0;
        if (index > GetLength()) index = GetLength();
        m_s.insert(static_cast<std::size_t>(index), 1, ch);
        return GetLength();
    }
    int Delete(int index, int count = 1)
    {
        if (index < 0 || index >= GetLength() || count <= 0) return GetLength();
        m_s.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
        return GetLength();
    }

    int Compare(const Ch* psz) const { return m_s.compare(psz ? psz : Empty_()) < 0 ? -1 : (m_s.compare(psz ? psz : Empty_()) > 0 ? 1 : 0); }
    int CompareNoCase(const Ch* psz) const;

    CStringT& operator+=(const CStringT& s) { m_s += s.m_s; return *this; }
    CStringT& operator+=(const Ch* psz) { if (psz) m_s += psz; return *this; }
    CStringT& operator+=(Ch ch) { m_s += ch; return *this; }
    void Append(const Ch* pch, int n) { if (pch && n > 0) m_s.append(pch, static_cast<std::size_t>(n)); }
    void AppendChar(Ch ch) { m_s += ch; }

    // printf rules over this string's characters: %s takes a null-terminated string of the same kind. A
    // string object may be passed to %s as the framework allows: its characters are handed on instead of
    // the object; any other argument that cannot travel through "..." is refused at compile time.
    template <class... Args>
    void Format(const Ch* format, const Args&... args)
    {
        FormatVa_(format, PassVarArg_(args)...);
    }
    template <class... Args>
    void AppendFormat(const Ch* format, const Args&... args)
    {
        AppendFormatVa_(format, PassVarArg_(args)...);
    }
    void FormatV(const Ch* format, va_list args);

    // A writable buffer of at least n characters plus a terminator; ReleaseBuffer fixes the length.
    Ch* GetBuffer(int n)
    {
        if (n > GetLength()) m_s.resize(static_cast<std::size_t>(n));
        return m_s.data();
    }
    Ch* GetBuffer() { return m_s.data(); }
    Ch* GetBufferSetLength(int n)
    {
        m_s.resize(n > 0 ? static_cast<std::size_t>(n) : 0u);
        return m_s.data();
    }
    void ReleaseBuffer(int n = -1)
    {
        if (n < 0 || n > GetLength()) n = static_cast<int>(std::basic_string_view<Ch>(m_s.c_str()).size());
        m_s.resize(static_cast<std::size_t>(n));
    }

    friend bool operator==(const CStringT& a, const CStringT& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CStringT& a, const Ch* b) { return a.m_s == (b ? b : Empty_()); }
    friend bool operator==(const Ch* a, const CStringT& b) { return b == a; }
    friend bool operator!=(const CStringT& a, const CStringT& b) { return !(a == b); }
    friend bool operator!=(const CStringT& a, const Ch* b) { return !(a == b); }
    friend bool operator!=(const Ch* a, const CStringT& b) { return !(b == a); }
    friend bool operator<(const CStringT& a, const CStringT& b) { return a.m_s < b.m_s; }
    friend bool operator<(const CStringT& a, const Ch* b) { return a.m_s < (b ? b : Empty_()); }
    friend bool operator<(const Ch* a, const CStringT& b) { return (a ? a : Empty_()) < b.m_s; }
    friend CStringT operator+(const CStringT& a, const CStringT& b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const CStringT& a, const Ch* b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const Ch* a, const CStringT& b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(const CStringT& a, Ch b) { CStringT r(a); r += b; return r; }
    friend CStringT operator+(Ch a, const CStringT& b) { CStringT r(a); r += b; return r; }

private:
    // The "..." forms behind Format and AppendFormat, called with arguments already made safe.
    void FormatVa_(const Ch* format, ...);
    void AppendFormatVa_(const Ch* format, ...);

    template <class Other>
    static const Other* PassVarArg_(const CStringT<Other>& s) { return s.GetString(); }
    template <class Arg>
    static const Arg& PassVarArg_(const Arg& arg)
    {
        static_assert(std::is_trivially_copyable_v<Arg>, "only trivially copyable values and strings can be formatted");
        return arg;
    }

    static const Ch* Empty_() { static const Ch zero[1] = {0}; return zero; }
    static int Pos_(std::size_t p) { return p == std::basic_string<Ch>::npos ? -1 : static_cast<int>(p); }
    static std::size_t Until_(std::size_t lastKept) { return lastKept == std::basic_string<Ch>::npos ? 0 : lastKept + 1; }

    std::basic_string<Ch> m_s;
};

using CStringW = CStringT<char16_t>;
using CStringA = CStringT<char>;
#ifdef PELRUDO_NARROW
using CString = CStringA;
#else
using CString = CStringW;
#endif

extern template class CStringT<char16_t>;
extern template class CStringT<char>;
