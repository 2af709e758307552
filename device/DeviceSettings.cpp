// DeviceSettings: what a handheld image is: its processor type and its stores with their capacities.
#include "device/DeviceSettings.h"

#include <charconv>
#include <fstream>

#include "device/DevicePath.h"
#include "platform/Text.h"

DeviceSettings::DeviceSettings() : m_stores{Store{u"\\", kDefaultObjectStore}} {}

bool DeviceSettings::ParseSize(std::string_view text, std::uint64_t& size)
{
    std::uint64_t unit = 1;
    if (!text.empty()) {
        switch (text.back()) {
        case 'K': case 'k': unit = 1ull << 10; break;
        case 'M': case 'm': unit = 1ull << 20; break;
        case 'G': case 'g': unit = 1ull << 30; break;
        default: break;
        }
        if (unit != 1) text.remove_suffix(1);
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return false;
    if (value > UINT64_MAX / unit) return false;
    size = value * unit;
    return true;
}

bool DeviceSettings::ParseStore(std::string_view spec, Store& store)
{
    const std::size_t equals = spec.rfind('=');
    if (equals == std::string_view::npos) return false;
    std::u16string root;
    if (DevicePath::Normalize(Utf8ToUtf16(spec.substr(0, equals)), root) != ERROR_SUCCESS) return false;
    store.root = root;
    return ParseSize(spec.substr(equals + 1), store.capacity);
}

bool DeviceSettings::SetStore(std::u16string_view root, std::uint64_t capacity)
{
    std::u16string normalized;
    if (DevicePath::Normalize(root, normalized) != ERROR_SUCCESS) return false;
    for (Store& store : m_stores) {
        if (DevicePath::SameName(store.root, normalized)) {
            store.capacity = capacity;
            return true;
        }
    }
    m_stores.push_back(Store{normalized, capacity});
    return true;
}

bool DeviceSettings::Load(const std::string& file)
{
    std::ifstream in(file);
    if (!in) return false;
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        if (section == "Device" && line.rfind("ProcessorType=", 0) == 0) {
            DWORD type = 0;
            const char* first = line.data() + 14;
            const char* last = line.data() + line.size();
            const auto [end, error] = std::from_chars(first, last, type);
            if (error == std::errc() && end == last && first != last) m_processorType = type;
        } else if (section == "Stores") {
            Store store;
            if (ParseStore(line, store)) SetStore(store.root, store.capacity);
        }
    }
    return true;
}

bool DeviceSettings::Save(const std::string& file) const
{
    std::ofstream out(file, std::ios::trunc);
    out << "[Device]\nProcessorType=" << m_processorType << "\n[Stores]\n";
    for (const Store& store : m_stores) out << Utf16ToUtf8(store.root) << '=' << store.capacity << '\n';
    out.flush();
    return static_cast<bool>(out);
}
