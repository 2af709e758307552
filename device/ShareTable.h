// ShareTable: the opens of each handheld file across all sessions, and the share-mode rules between them.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "platform/WinTypes.h"

class ShareTable {
public:
    // A file: host device and inode.
    using Key = std::pair<std::uint64_t, std::uint64_t>;
    static Key KeyOf(const struct stat& status);

    // Records an open; false (a sharing violation) when it conflicts with one already there: an open
    // must allow what the others do, and the others must allow what it does.
    bool Acquire(const Key& key, DWORD access, DWORD share);
    void Release(const Key& key, DWORD access, DWORD share);
    bool InUse(const Key& key) const;

private:
    struct Open {
        DWORD access;
        DWORD share;
    };
    mutable std::mutex m_lock;
    std::multimap<Key, Open> m_opens;
};
