// DeviceImage: a handheld served from a folder: its file system under DIR/root, its stores and settings.
#include "device/DeviceImage.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>

#include "device/DevicePath.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

constexpr int kMaxDepth = 128;

// Calls visit with the name of each entry of the folder but "." and "..".
template <class Visit>
void ForEachEntry(int folder, Visit visit)
{
    const int copy = ::dup(folder);
    DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!listing) {
        if (copy >= 0) ::close(copy);
        return;
    }
    ::rewinddir(listing);  // the copy shares its position with every other copy of the folder
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") visit(name);
    }
    ::closedir(listing);
}


}  // namespace

bool DeviceImage::Open(const std::string& dir, std::string& error)
{
    m_dir = dir;
    m_root = dir + "/root";
    if (!m_settings.Load(SettingsFile(dir))) {
        error = "no handheld image in " + dir + " (run init first)";
        return false;
    }
    ::mkdir(m_root.c_str(), 0755);
    m_rootFd.Reset(::open(m_root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    if (!m_rootFd.Valid() || ::fstat(m_rootFd.Get(), &status) != 0) {
        error = "cannot open " + m_root;
        return false;
    }
    m_storeRoots.assign(1, ShareTable::KeyOf(status));
    for (std::size_t i = 1; i < m_settings.Stores().size(); ++i) {
        const std::u16string& root = m_settings.Stores()[i].root;
        Resolved resolved;
        if (MakeFolders(root) != ERROR_SUCCESS || Resolve(root, resolved) != ERROR_SUCCESS || !resolved.exists) {
            error = "cannot make the store folder " + Utf16ToUtf8(root);
            return false;
        }
        m_storeRoots.push_back(ShareTable::KeyOf(resolved.status));
    }
    m_used.assign(m_settings.Stores().size(), 0);
    return true;
}

// The exact name first; else the one entry whose name matches case-insensitively (the first in byte
// order when several do, so that the choice is stable).
bool DeviceImage::Match(int folder, const std::u16string& part, std::string& name, struct stat& status) const
{
    name = Utf16ToUtf8(part);
    if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) return true;
    std::string best;
    ForEachEntry(folder, [&](const std::string& candidate) {
        if (DevicePath::SameName(Utf8ToUtf16(candidate), part) && (best.empty() || candidate < best)) best = candidate;
    });
    if (best.empty() || ::fstatat(folder, best.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return false;
    name = best;
    return true;
}

std::size_t DeviceImage::StoreOf(const struct stat& status, std::size_t current) const
{
    const ShareTable::Key key = ShareTable::KeyOf(status);
    for (std::size_t i = 1; i < m_storeRoots.size(); ++i) {
        if (m_storeRoots[i] == key) return i;
    }
    return current;
}

bool DeviceImage::IsStoreRoot(const struct stat& status) const
{
    const ShareTable::Key key = ShareTable::KeyOf(status);
    for (const auto& root : m_storeRoots) {
        if (root == key) return true;
    }
    return false;
}

DWORD DeviceImage::Resolve(std::u16string_view path, Resolved& resolved) const
{
    std::vector<std::u16string> parts;
    if (const DWORD error = DevicePath::Split(path, parts)) return error;
    resolved = Resolved();
    resolved.folder.Reset(::dup(m_rootFd.Get()));
    resolved.hostPath = m_root;
    if (!resolved.folder.Valid()) return ErrnoToWin32(errno);
    if (parts.empty()) {
        resolved.exists = ::fstat(resolved.folder.Get(), &resolved.status) == 0;
        return ERROR_SUCCESS;
    }
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        std::string name;
        struct stat status {};
        if (!Match(resolved.folder.Get(), parts[i], name, status)) return ERROR_PATH_NOT_FOUND;
        if (S_ISLNK(status.st_mode)) return ERROR_ACCESS_DENIED;
        if (!S_ISDIR(status.st_mode)) return ERROR_PATH_NOT_FOUND;
        const int next = ::openat(resolved.folder.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) return errno == ELOOP ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND;
        resolved.folder.Reset(next);
        resolved.store = StoreOf(status, resolved.store);
        resolved.hostPath += "/" + name;
    }
    resolved.exists = Match(resolved.folder.Get(), parts.back(), resolved.name, resolved.status);
    resolved.hostPath += "/" + resolved.name;
    return ERROR_SUCCESS;
}

DWORD DeviceImage::MakeFolders(std::u16string_view path) const
{
    std::vector<std::u16string> parts;
    if (const DWORD error = DevicePath::Split(path, parts)) return error;
    std::u16string prefix;
    for (const auto& part : parts) {
        prefix += u'\\' + part;
        Resolved resolved;
        if (const DWORD error = Resolve(prefix, resolved)) return error;
        if (resolved.exists) {
            if (!S_ISDIR(resolved.status.st_mode)) return ERROR_PATH_NOT_FOUND;
            continue;
        }
        if (::mkdirat(resolved.folder.Get(), resolved.name.c_str(), 0755) != 0 && errno != EEXIST)
            return ErrnoToWin32(errno);
    }
    return ERROR_SUCCESS;
}

// Sums the apparent sizes of the regular files below a folder, each into the innermost store holding it.
void DeviceImage::Walk(int folder, std::size_t store, int depth)
{
    ForEachEntry(folder, [&](const std::string& name) {
        struct stat status {};
        if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) return;
        if (S_ISREG(status.st_mode)) {
            m_used[store] += static_cast<std::uint64_t>(status.st_size);
        } else if (S_ISDIR(status.st_mode) && depth < kMaxDepth) {
            FileDescriptor child(::openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (child.Valid()) Walk(child.Get(), StoreOf(status, store), depth + 1);
        }
    });
}

void DeviceImage::Measure()
{
    if (m_measured) return;
    m_used.assign(m_settings.Stores().size(), 0);
    Walk(m_rootFd.Get(), 0, 0);
    m_measured = true;
}

std::uint64_t DeviceImage::FreeSpace(std::size_t store)
{
    std::lock_guard guard(m_usageLock);
    Measure();
    const std::uint64_t capacity = m_settings.Stores()[store].capacity;
    return m_used[store] >= capacity ? 0 : capacity - m_used[store];
}

bool DeviceImage::Reserve(std::size_t store, std::uint64_t growth)
{
    std::lock_guard guard(m_usageLock);
    Measure();
    const std::uint64_t capacity = m_settings.Stores()[store].capacity;
    if (m_used[store] > capacity || growth > capacity - m_used[store]) return false;
    m_used[store] += growth;
    return true;
}

void DeviceImage::Invalidate()
{
    std::lock_guard guard(m_usageLock);
    m_measured = false;
}

std::string DeviceImage::StoresEnvironment()
{
    Invalidate();
    std::string text;
    for (std::size_t i = 0; i < m_settings.Stores().size(); ++i) {
        const auto& store = m_settings.Stores()[i];
        if (!text.empty()) text += ';';
        text += Utf16ToUtf8(store.root) + '|' + std::to_string(store.capacity) + '|' + std::to_string(FreeSpace(i));
    }
    return text;
}
