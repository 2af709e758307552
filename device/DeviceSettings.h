// DeviceSettings: what a handheld image is: its processor type and its stores with their capacities.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

// Kept in DIR/device.ini as UTF-8 text:
//   [Device]
//   ProcessorType=2577
//   [Stores]
//   \=33554432
//   \Storage Card=67108864
class DeviceSettings {
public:
    struct Store {
        std::u16string root;  // "\" for the object store, else the store's folder, e.g. "\Storage Card"
        std::uint64_t capacity;
    };

    static constexpr DWORD kDefaultProcessorType = 2577;
    static constexpr std::uint64_t kDefaultObjectStore = 32u * 1024u * 1024u;

    DeviceSettings();

    // False when the file is missing or unreadable; a line that makes no sense is skipped.
    bool Load(const std::string& file);
    bool Save(const std::string& file) const;

    DWORD ProcessorType() const { return m_processorType; }
    void SetProcessorType(DWORD type) { m_processorType = type; }
    // The object store comes first, always present.
    const std::vector<Store>& Stores() const { return m_stores; }
    // Adds a store or changes the capacity of the one with that root (names compare case-insensitively).
    bool SetStore(std::u16string_view root, std::uint64_t capacity);

    // "64M", "512K", "1G", "1000": bytes; false for anything else.
    static bool ParseSize(std::string_view text, std::uint64_t& size);
    // "NAME=SIZE", the name a handheld folder.
    static bool ParseStore(std::string_view spec, Store& store);

private:
    DWORD m_processorType = kDefaultProcessorType;
    std::vector<Store> m_stores;
};
