// RegFileExport: key sections, value lines and regedit's 80-column wrapping of hex data.
#include "tools/reg/RegFileExport.h"

#include <fstream>

#include "tools/reg/RegKeyPath.h"

namespace {

constexpr std::size_t kLineWidth = 80;

std::u16string Quoted(std::u16string_view text)
{
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"') out += u'\\';
        out += c;
    }
    return out + u'"';
}

std::u16string Hex(DWORD value, int minDigits)
{
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string out;
    for (int shift = 28; shift >= 0; shift -= 4) {
        const DWORD digit = value >> shift & 0xF;
        if (digit || !out.empty() || shift < minDigits * 4) out += kDigits[digit];
    }
    return out;
}

// A REG_SZ goes out as "text" only when that gives back its bytes: one terminator at the end,
// no other NUL and no line break. Anything else is written as hex(1).
bool IsPlainString(const RegStoreValue& v, std::u16string* text)
{
    if (v.type != REG_SZ || v.data.size() < 2 || v.data.size() % 2) return false;
    text->clear();
    for (std::size_t i = 0; i + 2 < v.data.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(v.data[i] | v.data[i + 1] << 8);
        if (c == u'\0' || c == u'\r' || c == u'\n') return false;
        *text += c;
    }
    return v.data[v.data.size() - 2] == 0 && v.data.back() == 0;
}

// "name"=hex(N):xx,xx,... broken as regedit breaks it: no line over 80 columns with its backslash,
// continuation lines indented by two spaces.
void AddHexLine(std::u16string* out, std::u16string line, const std::vector<BYTE>& data)
{
    std::size_t column = line.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        const bool last = i + 1 == data.size();
        std::u16string piece = Hex(data[i], 2);
        if (!last) piece += u',';
        if (column + piece.size() + (last ? 0 : 1) > kLineWidth) {
            line += u"\\\r\n  ";
            column = 2;
        }
        line += piece;
        column += piece.size();
    }
    *out += line + u"\r\n";
}

void AddValue(std::u16string* out, const RegStoreValue& v)
{
    const std::u16string name = v.name.empty() ? std::u16string(u"@") : Quoted(v.name);
    std::u16string text;
    if (IsPlainString(v, &text)) {
        *out += name + u"=" + Quoted(text) + u"\r\n";
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        const DWORD n = v.data[0] | v.data[1] << 8 | v.data[2] << 16 | static_cast<DWORD>(v.data[3]) << 24;
        *out += name + u"=dword:" + Hex(n, 8) + u"\r\n";
    } else if (v.type == REG_BINARY) {
        AddHexLine(out, name + u"=hex:", v.data);
    } else {
        AddHexLine(out, name + u"=hex(" + Hex(v.type, 1) + u"):", v.data);
    }
}

}  // namespace

LONG RegFileExport::AddKey(RegStore::KeyId id, const std::u16string& path, std::u16string* text)
{
    *text += u"[" + path + u"]\r\n";
    RegStoreValue value;
    LONG status = ERROR_SUCCESS;
    for (DWORD i = 0; (status = m_store.EnumValue(id, i, &value)) == ERROR_SUCCESS; ++i) AddValue(text, value);
    if (status != ERROR_NO_MORE_ITEMS) return status;
    *text += u"\r\n";
    std::u16string child;
    for (DWORD i = 0; (status = m_store.EnumKey(id, i, &child)) == ERROR_SUCCESS; ++i) {
        RegStore::KeyId childId = 0;
        if ((status = m_store.OpenKey(id, child, &childId)) != ERROR_SUCCESS) return status;
        if ((status = AddKey(childId, path + u"\\" + child, text)) != ERROR_SUCCESS) return status;
    }
    return status == ERROR_NO_MORE_ITEMS ? ERROR_SUCCESS : status;
}

// The key's path as stored, whatever case or doubled backslashes it was typed with.
LONG RegFileExport::Resolve(std::u16string_view key, RegStore::KeyId* id, std::u16string* path)
{
    HKEY root = nullptr;
    std::u16string sub;
    if (!RegKeyPath::Split(key, &root, &sub)) return ERROR_INVALID_PARAMETER;
    *id = RegStore::RootKey(root);
    *path = RegKeyPath::RootName(root);
    std::u16string_view rest = sub;
    while (!rest.empty()) {
        const std::size_t cut = std::min(rest.find(u'\\'), rest.size());
        const std::u16string wanted = RegStore::FoldName(rest.substr(0, cut));
        rest.remove_prefix(std::min(cut + 1, rest.size()));
        if (wanted.empty()) continue;
        std::u16string name;
        LONG status = ERROR_SUCCESS;
        DWORD i = 0;
        do {
            status = m_store.EnumKey(*id, i++, &name);
        } while (status == ERROR_SUCCESS && RegStore::FoldName(name) != wanted);
        if (status != ERROR_SUCCESS) return status == ERROR_NO_MORE_ITEMS ? ERROR_FILE_NOT_FOUND : status;
        if ((status = m_store.OpenKey(*id, name, id)) != ERROR_SUCCESS) return status;
        *path += u"\\" + name;
    }
    return ERROR_SUCCESS;
}

LONG RegFileExport::Text(std::u16string_view key, std::u16string* text)
{
    *text = u"Windows Registry Editor Version 5.00\r\n\r\n";
    if (!key.empty()) {
        RegStore::KeyId id = 0;
        std::u16string path;
        if (LONG status = Resolve(key, &id, &path); status != ERROR_SUCCESS) return status;
        return AddKey(id, path, text);
    }
    // Every root that holds anything.
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
        RegStoreKeyInfo info;
        const RegStore::KeyId id = RegStore::RootKey(root);
        if (LONG status = m_store.QueryInfo(id, &info); status != ERROR_SUCCESS) return status;
        if (info.subKeys == 0 && info.values == 0) continue;
        if (LONG status = AddKey(id, std::u16string(RegKeyPath::RootName(root)), text); status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

LONG RegFileExport::WriteFile(const std::string& hostPath, std::u16string_view key)
{
    std::u16string text;
    if (LONG status = Text(key, &text); status != ERROR_SUCCESS) return status;
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) return ERROR_CANTWRITE;
    return ERROR_SUCCESS;
}
