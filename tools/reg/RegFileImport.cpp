// RegFileImport: decoding, the line grammar of regedit's files, and the one transaction that applies them.
#include "tools/reg/RegFileImport.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/Text.h"
#include "tools/reg/RegKeyPath.h"

namespace {

constexpr std::u16string_view kHeader4 = u"REGEDIT4";
constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

// The file as UTF-16: UTF-16LE after FF FE, UTF-8 after EF BB BF, else REGEDIT4 in the code page or 5.00 in UTF-8.
std::optional<std::u16string> Decode(std::string_view bytes)
{
    if (StartsWith(bytes, "\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2) return std::nullopt;
        std::u16string text(bytes.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) | static_cast<BYTE>(bytes[2 * i + 1]) << 8);
        return text;
    }
    if (StartsWith(bytes, "\xFE\xFF")) return std::nullopt;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return Utf8ToUtf16(bytes.substr(3));
    if (StartsWith(bytes, "REGEDIT4")) return AnsiToUtf16(bytes);
    return Utf8ToUtf16(bytes);
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(u'\n'), text.size());
        std::u16string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim(std::u16string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// A hexadecimal number of 1 to maxDigits digits filling the whole text.
std::optional<DWORD> ParseHex(std::u16string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    DWORD value = 0;
    for (char16_t c : text) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        value = value << 4 | static_cast<DWORD>(d);
    }
    return value;
}

// A quoted string at the start of text with its \\ and \" escapes; text is left after the closing quote.
std::optional<std::u16string> ParseQuoted(std::u16string_view& text)
{
    if (text.empty() || text.front() != u'"') return std::nullopt;
    std::u16string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == u'\\') {
            if (++i == text.size() || (text[i] != u'\\' && text[i] != u'"')) return std::nullopt;
        }
        out += text[i];
    }
    return std::nullopt;
}

std::optional<std::vector<BYTE>> ParseBytes(std::u16string_view list)
{
    std::vector<BYTE> bytes;
    list = Trim(list);
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(u','), list.size());
        const auto byte = ParseHex(Trim(list.substr(0, comma)), 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<BYTE>(*byte));
        if (comma == list.size()) break;
        list.remove_prefix(comma + 1);
        if (Trim(list).empty()) return std::nullopt;
    }
    return bytes;
}

std::vector<BYTE> TextBytes(std::u16string_view text)
{
    std::vector<BYTE> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

struct Value {
    bool remove = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The data after '=': "text", -, dword:n, hex:bytes or hex(type):bytes.
std::optional<Value> ParseData(std::u16string_view data, bool codePageText, std::string* why)
{
    Value v;
    if (data == u"-") {
        v.remove = true;
        return v;
    }
    if (!data.empty() && data.front() == u'"') {
        const auto text = ParseQuoted(data);
        if (!text || !Trim(data).empty()) {
            *why = "malformed string (only \\\\ and \\\" may be escaped)";
            return std::nullopt;
        }
        v.type = REG_SZ;
        v.data = TextBytes(*text + u'\0');
        return v;
    }
    if (data.starts_with(u"dword:")) {
        const auto n = ParseHex(data.substr(6), 8);
        if (!n) {
            *why = "dword: needs 1 to 8 hexadecimal digits";
            return std::nullopt;
        }
        v.type = REG_DWORD;
        v.data = {static_cast<BYTE>(*n), static_cast<BYTE>(*n >> 8), static_cast<BYTE>(*n >> 16), static_cast<BYTE>(*n >> 24)};
        return v;
    }
    const std::size_t colon = data.find(u':');
    const std::u16string_view kind = data.substr(0, colon);
    if (colon == std::u16string_view::npos || !kind.starts_with(u"hex")) {
        *why = "unrecognised value data";
        return std::nullopt;
    }
    if (kind == u"hex") {
        v.type = REG_BINARY;
    } else {
        const auto type = kind.size() > 5 && kind[3] == u'(' && kind.back() == u')'
                              ? ParseHex(kind.substr(4, kind.size() - 5), 8) : std::nullopt;
        if (!type) {
            *why = "hex(type) needs a hexadecimal type";
            return std::nullopt;
        }
        v.type = *type;
    }
    auto bytes = ParseBytes(data.substr(colon + 1));
    if (!bytes) {
        *why = "malformed hex bytes";
        return std::nullopt;
    }
    v.data = std::move(*bytes);
    // REGEDIT4 gives text types as code-page bytes; the store keeps UTF-16.
    if (codePageText && (v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ))
        v.data = TextBytes(AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size())));
    return v;
}

}  // namespace

bool RegFileImport::Fail(const std::string& name, std::size_t line, const std::string& what)
{
    m_error = line ? name + ":" + std::to_string(line) + ": " + what : name + ": " + what;
    return false;
}

bool RegFileImport::ImportFile(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return Fail(hostPath, 0, "cannot be read");
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Import(bytes, hostPath);
}

bool RegFileImport::Import(std::string_view bytes, const std::string& name)
{
    const auto text = Decode(bytes);
    if (!text) return Fail(name, 0, "neither UTF-16LE, UTF-8 nor code-page text");
    const std::vector<std::u16string_view> lines = SplitLines(*text);
    const std::u16string_view header = lines.empty() ? std::u16string_view() : Trim(lines[0]);
    if (header != kHeader4 && header != kHeader5)
        return Fail(name, 1, "not a registration file: the first line must be REGEDIT4 or Windows Registry Editor Version 5.00");

    if (const LONG status = m_store.BeginBatch(); status != ERROR_SUCCESS)
        return Fail(name, 0, "the store cannot be written (error " + std::to_string(status) + ")");
    m_codePageText = header == kHeader4;
    m_key.reset();
    if (!ApplyLines(lines, name)) {
        m_store.RollbackBatch();
        return false;
    }
    if (const LONG status = m_store.CommitBatch(); status != ERROR_SUCCESS)
        return Fail(name, 0, "the store cannot be written (error " + std::to_string(status) + ")");
    return true;
}

bool RegFileImport::ApplyLines(const std::vector<std::u16string_view>& lines, const std::string& name)
{
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t lineNo = i + 1;
        std::u16string line(Trim(lines[i]));
        if (line.empty() || line.front() == u';') continue;
        if (line.front() != u'[' && line.front() != u'"' && line.front() != u'@')
            return Fail(name, lineNo, "unrecognised line");
        // Hex data may go on over lines that end in a backslash.
        while (line.front() != u'[' && line.back() == u'\\' && line.find(u"=hex") != std::u16string::npos &&
               i + 1 < lines.size()) {
            line.pop_back();
            line += Trim(lines[++i]);
        }
        std::string why;
        const LONG status = line.front() == u'[' ? ApplyKey(line, &why) : ApplyValue(line, &why);
        if (!why.empty()) return Fail(name, lineNo, why);
        if (status != ERROR_SUCCESS)
            return Fail(name, lineNo, "the store refused it (error " + std::to_string(status) + ")");
    }
    return true;
}

// [KEY] makes the key current; [-KEY] removes it with everything below it.
LONG RegFileImport::ApplyKey(std::u16string_view line, std::string* why)
{
    m_key.reset();
    if (line.back() != u']') {
        *why = "key line without a closing ]";
        return ERROR_INVALID_PARAMETER;
    }
    std::u16string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == u'-';
    HKEY root = nullptr;
    std::u16string sub;
    if (!RegKeyPath::Split(remove ? path.substr(1) : path, &root, &sub)) {
        *why = "unknown root key";
        return ERROR_INVALID_PARAMETER;
    }
    if (remove) {
        const LONG status = m_store.DeleteKey(RegStore::RootKey(root), sub);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    RegStore::KeyId id = 0;
    const LONG status = m_store.CreateKey(RegStore::RootKey(root), sub, &id);
    if (status == ERROR_SUCCESS) m_key = id;
    return status;
}

// "name"=data or @=data; data - removes the value.
LONG RegFileImport::ApplyValue(std::u16string_view line, std::string* why)
{
    std::optional<std::u16string> valueName = std::u16string();
    if (line.front() == u'@') line.remove_prefix(1);
    else valueName = ParseQuoted(line);
    line = Trim(line);
    if (!valueName || line.empty() || line.front() != u'=') {
        *why = "malformed value name (expected \"name\"= or @=)";
        return ERROR_INVALID_PARAMETER;
    }
    const auto value = ParseData(Trim(line.substr(1)), m_codePageText, why);
    if (!value) return ERROR_INVALID_PARAMETER;
    if (!m_key) {
        *why = "value outside a key";
        return ERROR_INVALID_PARAMETER;
    }
    if (!value->remove) return m_store.SetValue(*m_key, *valueName, value->type, value->data.data(), value->data.size());
    const LONG status = m_store.DeleteValue(*m_key, *valueName);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}
