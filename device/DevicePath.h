// DevicePath: the rules of handheld path names, and their split into components.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

// Handheld paths have no drives: '\' (or '/') separates, a leading one names the root, and relative
// paths are taken from the root too (the handheld has no current folder).
class DevicePath {
public:
    // 0, or the platform's error for a refused path: 206 for a path of MAX_PATH characters or more or a
    // component over 255, 123 for control or reserved characters, 3 for "." and ".." components.
    static DWORD Split(std::u16string_view path, std::vector<std::u16string>& parts);
    // The canonical form of a path: "\" and the components joined by '\'.
    static DWORD Normalize(std::u16string_view path, std::u16string& normalized);
    // Names are the same when they differ only in case, as on the handheld.
    static bool SameName(std::u16string_view a, std::u16string_view b);
};
