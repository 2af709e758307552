// DialogTemplate: writing and reading the DLGTEMPLATEEX form of a dialog template.
#include "platform/detail/DialogTemplate.h"

namespace pelrudo::detail {
namespace {

constexpr WORD kSignature = 0xFFFF;

class Writer {
public:
    void Word(WORD v) { Bytes(&v, 2); }
    void Dword(DWORD v) { Bytes(&v, 4); }
    void Short(short v) { Bytes(&v, 2); }
    void Byte(BYTE v) { m_out.push_back(v); }
    void Text(const std::u16string& s)
    {
        for (char16_t c : s) Word(c);
        Word(0);
    }
    // A class or menu: an ordinal (0xFFFF then the number), a name, or nothing (a single 0).
    void NameOrOrdinal(WORD ordinal, const std::u16string& name)
    {
        if (ordinal) {
            Word(0xFFFF);
            Word(ordinal);
        } else {
            Text(name);
        }
    }
    void AlignDword()
    {
        while (m_out.size() % 4) m_out.push_back(0);
    }
    std::vector<BYTE> Take() { return std::move(m_out); }

private:
    void Bytes(const void* p, std::size_t n)
    {
        // Little-endian as the platform's binary layouts; the host is little-endian too.
        const BYTE* b = static_cast<const BYTE*>(p);
        m_out.insert(m_out.end(), b, b + n);
    }
    std::vector<BYTE> m_out;
};

class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : m_p(data), m_end(data + size) {}
    bool Ok() const { return m_ok; }
    WORD Word()
    {
        if (m_end - m_p < 2) return Fail();
        WORD v = static_cast<WORD>(m_p[0] | (m_p[1] << 8));
        m_p += 2;
        return v;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte()
    {
        if (m_p >= m_end) return static_cast<BYTE>(Fail());
        return *m_p++;
    }
    std::u16string Text()
    {
        std::u16string s;
        for (WORD c = Word(); m_ok && c != 0; c = Word()) s += static_cast<char16_t>(c);
        return s;
    }
    void NameOrOrdinal(WORD* ordinal, std::u16string* name)
    {
        WORD first = Word();
        if (first == 0xFFFF) {
            *ordinal = Word();
            return;
        }
        *ordinal = 0;
        name->clear();
        for (WORD c = first; m_ok && c != 0; c = Word()) *name += static_cast<char16_t>(c);
    }
    void Skip(std::size_t n)
    {
        if (static_cast<std::size_t>(m_end - m_p) < n) {
            Fail();
            return;
        }
        m_p += n;
    }
    void AlignDword(const BYTE* start)
    {
        std::size_t offset = static_cast<std::size_t>(m_p - start);
        Skip((4 - offset % 4) % 4);
    }

private:
    WORD Fail()
    {
        m_ok = false;
        m_p = m_end;
        return 0;
    }
    const BYTE* m_p;
    const BYTE* m_end;
    bool m_ok = true;
};

}  // namespace

std::vector<BYTE> WriteDialogTemplate(const DialogTemplate& dlg)
{
    Writer w;
    w.Word(1);
    w.Word(kSignature);
    w.Dword(0);
    w.Dword(dlg.exStyle);
    w.Dword(dlg.style);
    w.Word(static_cast<WORD>(dlg.items.size()));
    w.Short(dlg.x);
    w.Short(dlg.y);
    w.Short(dlg.cx);
    w.Short(dlg.cy);
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(dlg.caption);
    if (dlg.style & 0x40u) {  // DS_SETFONT
        w.Word(dlg.pointSize);
        w.Word(dlg.weight);
        w.Byte(dlg.italic);
        w.Byte(dlg.charset);
        w.Text(dlg.faceName);
    }
    for (const DialogItem& item : dlg.items) {
        w.AlignDword();
        w.Dword(0);
        w.Dword(item.exStyle);
        w.Dword(item.style);
        w.Short(item.x);
        w.Short(item.y);
        w.Short(item.cx);
        w.Short(item.cy);
        w.Dword(item.id);
        w.NameOrOrdinal(item.classOrdinal, item.className);
        w.Text(item.text);
        w.Word(0);  // no creation data
    }
    return w.Take();
}

bool ParseDialogTemplate(const BYTE* data, std::size_t size, DialogTemplate* dlg)
{
    if (!data || !dlg) return false;
    Reader r(data, size);
    if (r.Word() != 1 || r.Word() != kSignature) return false;
    DialogTemplate out;
    r.Dword();
    out.exStyle = r.Dword();
    out.style = r.Dword();
    WORD count = r.Word();
    out.x = r.Short();
    out.y = r.Short();
    out.cx = r.Short();
    out.cy = r.Short();
    WORD ordinal = 0;
    std::u16string ignored;
    r.NameOrOrdinal(&ordinal, &ignored);  // menu
    r.NameOrOrdinal(&ordinal, &ignored);  // class
    out.caption = r.Text();
    if (out.style & 0x40u) {
        out.pointSize = r.Word();
        out.weight = r.Word();
        out.italic = r.Byte();
        out.charset = r.Byte();
        out.faceName = r.Text();
    }
    for (WORD i = 0; i < count && r.Ok(); ++i) {
        r.AlignDword(data);
        DialogItem item;
        r.Dword();
        item.exStyle = r.Dword();
        item.style = r.Dword();
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = r.Dword();
        r.NameOrOrdinal(&item.classOrdinal, &item.className);
        WORD textOrdinal = 0;
        r.NameOrOrdinal(&textOrdinal, &item.text);
        r.Skip(r.Word());
        out.items.push_back(std::move(item));
    }
    if (!r.Ok()) return false;
    *dlg = std::move(out);
    return true;
}

}  // namespace pelrudo::detail
