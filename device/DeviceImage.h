// DeviceImage: a handheld served from a folder: its file system under DIR/root, its stores and settings.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceSettings.h"
#include "device/FileDescriptor.h"
#include "device/ShareTable.h"
#include "platform/WinTypes.h"

// Names match case-insensitively, and nothing reaches outside the root: every component is opened
// relative to its parent folder without following links, and a link anywhere is refused.
class DeviceImage {
public:
    // Where a handheld path leads: its parent folder (open) and the host name of its last component.
    struct Resolved {
        FileDescriptor folder;
        std::string name;     // empty for the root itself
        std::string hostPath;
        bool exists = false;
        struct stat status {};
        std::size_t store = 0;  // index into the settings' stores
    };

    // Opens the image in dir, making its root and store folders as needed; false with a message.
    bool Open(const std::string& dir, std::string& error);

    const std::string& Dir() const { return m_dir; }
    const DeviceSettings& Settings() const { return m_settings; }
    static std::string SettingsFile(const std::string& dir) { return dir + "/device.ini"; }

    // 0, or the platform's error: path rules (DevicePath), 3 for a missing or non-folder parent, 5 for
    // a link on the way.
    DWORD Resolve(std::u16string_view path, Resolved& resolved) const;
    // Makes every missing folder of a path.
    DWORD MakeFolders(std::u16string_view path) const;

    // Free bytes of a store now: its capacity less what its folder holds (without nested stores).
    std::uint64_t FreeSpace(std::size_t store);
    // Takes growth bytes of a store for a write; false when they do not fit (disk full).
    bool Reserve(std::size_t store, std::uint64_t growth);
    // Forgets what the stores hold, so the next question walks the folders again.
    void Invalidate();
    // "\|33554432|30000000;\Storage Card|67108864|60000000": each store's root, capacity and free bytes.
    std::string StoresEnvironment();

    ShareTable& Shares() { return m_shares; }
    // Is this folder the root of a store (which must stay where it is)?
    bool IsStoreRoot(const struct stat& status) const;

private:
    bool Match(int folder, const std::u16string& part, std::string& name, struct stat& status) const;
    std::size_t StoreOf(const struct stat& status, std::size_t current) const;
    void Measure();
    void Walk(int folder, std::size_t store, int depth);

    std::string m_dir;
    std::string m_root;
    FileDescriptor m_rootFd;
    DeviceSettings m_settings;
    std::vector<ShareTable::Key> m_storeRoots;  // per store; the object store's is the root's
    ShareTable m_shares;
    std::mutex m_usageLock;
    std::vector<std::uint64_t> m_used;
    bool m_measured = false;
};
