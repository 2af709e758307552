// DevicePath: the rules of handheld path names, and their split into components.
#include "device/DevicePath.h"

#include "platform/CStringT.h"

namespace {

constexpr std::size_t kMaxComponent = 255;

bool Reserved(char16_t c)
{
    return c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*';
}

DWORD Check(std::u16string_view part)
{
    if (part.size() > kMaxComponent) return ERROR_FILENAME_EXCED_RANGE;
    if (part == u"." || part == u"..") return ERROR_PATH_NOT_FOUND;
    for (const char16_t c : part) {
        if (Reserved(c)) return ERROR_INVALID_NAME;
    }
    return ERROR_SUCCESS;
}

}  // namespace

DWORD DevicePath::Split(std::u16string_view path, std::vector<std::u16string>& parts)
{
    parts.clear();
    if (path.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of(u"\\/", start);
        if (end == std::u16string_view::npos) end = path.size();
        const std::u16string_view part = path.substr(start, end - start);
        if (!part.empty()) {
            if (const DWORD error = Check(part)) return error;
            parts.emplace_back(part);
        }
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

DWORD DevicePath::Normalize(std::u16string_view path, std::u16string& normalized)
{
    std::vector<std::u16string> parts;
    if (const DWORD error = Split(path, parts)) return error;
    normalized.clear();
    if (parts.empty()) normalized.push_back(u'\\');
    for (const auto& part : parts) {
        normalized.push_back(u'\\');
        normalized += part;
    }
    return ERROR_SUCCESS;
}

bool DevicePath::SameName(std::u16string_view a, std::u16string_view b)
{
    return CStringW(a).CompareNoCase(std::u16string(b).c_str()) == 0;
}
