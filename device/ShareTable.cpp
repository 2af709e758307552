// ShareTable: the opens of each handheld file across all sessions, and the share-mode rules between them.
#include "device/ShareTable.h"

ShareTable::Key ShareTable::KeyOf(const struct stat& status)
{
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

namespace {

// Does a holder of `share` allow an open for `access`?
bool Allows(DWORD share, DWORD access)
{
    if ((access & GENERIC_READ) && !(share & FILE_SHARE_READ)) return false;
    if ((access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)) return false;
    return true;
}

}  // namespace

bool ShareTable::Acquire(const Key& key, DWORD access, DWORD share)
{
    std::lock_guard guard(m_lock);
    const auto [first, last] = m_opens.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (!Allows(it->second.share, access) || !Allows(share, it->second.access)) return false;
    }
    m_opens.emplace(key, Open{access, share});
    return true;
}

void ShareTable::Release(const Key& key, DWORD access, DWORD share)
{
    std::lock_guard guard(m_lock);
    const auto [first, last] = m_opens.equal_range(key);
    for (auto it = first; it != last; ++it) {
        if (it->second.access == access && it->second.share == share) {
            m_opens.erase(it);
            return;
        }
    }
}

bool ShareTable::InUse(const Key& key) const
{
    std::lock_guard guard(m_lock);
    return m_opens.count(key) > 0;
}
