// SetupIniFile: decoding and the INI grammar of the Application Manager's description (first match wins).
#include "tools/appmgr/SetupIniFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/HostPath.h"
#include "platform/Text.h"

namespace {

using Section = std::map<std::string, std::string>;

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") - first + 1));
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> items;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (std::string trimmed = Trim(item); !trimmed.empty()) items.push_back(trimmed);
    return items;
}

bool IsUtf8(std::string_view bytes) { return Utf16ToUtf8(Utf8ToUtf16(bytes)) == bytes; }

std::string ToUtf8Text(std::string_view bytes)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::u16string wide;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
        return Utf16ToUtf8(wide);
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
    return IsUtf8(bytes) ? std::string(bytes) : Utf16ToUtf8(AnsiToUtf16(bytes));
}

std::map<std::string, Section> ParseSections(const std::string& text)
{
    std::map<std::string, Section> sections;
    Section* current = nullptr;
    std::istringstream in(text);
    for (std::string raw; std::getline(in, raw);) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &sections[Lower(Trim(std::string_view(line).substr(1, line.size() - 2)))];
            continue;
        }
        const auto eq = line.find('=');
        if (current && eq != std::string::npos)
            current->emplace(Lower(Trim(std::string_view(line).substr(0, eq))), Trim(std::string_view(line).substr(eq + 1)));
    }
    return sections;
}

std::string ValueOf(const std::map<std::string, Section>& sections, const std::string& section, const std::string& key)
{
    const auto s = sections.find(Lower(section));
    if (s == sections.end()) return {};
    const auto v = s->second.find(key);
    return v == s->second.end() ? std::string() : v->second;
}

}  // namespace

bool SetupIniFile::Load(const std::string& windowsPath)
{
    const std::string host = ToHostPath(FromUtf8(windowsPath));
    std::error_code error;
    if (host.empty() || !std::filesystem::is_regular_file(host, error)) return false;
    std::ifstream in(host, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return false;
    Parse(bytes.str());
    return true;
}

void SetupIniFile::Parse(std::string_view bytes)
{
    const auto sections = ParseSections(ToUtf8Text(bytes));
    m_version = ValueOf(sections, "CEAppManager", "version");
    m_components.clear();
    for (const std::string& name : SplitList(ValueOf(sections, "CEAppManager", "component")))
        m_components.push_back({name, ValueOf(sections, name, "description"), SplitList(ValueOf(sections, name, "cabfiles"))});
}
