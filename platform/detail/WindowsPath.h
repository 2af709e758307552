// WindowsPath: a Windows path taken apart lexically (drive and components), and its host form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

struct WindowsPath {
    char16_t drive = 0;                 // 'A' to 'Z'
    std::vector<std::u16string> parts;  // no ".", ".." or empty components left
    bool hostForm = false;              // written as a host path ("/..."), which is drive Z:
    bool trailingSeparator = false;     // the text ended in a separator after a component
};

// Resolves a path against the current folder without looking at the disk; ".." stops at the
// drive's root. ERROR_SUCCESS, or the platform's error: ERROR_INVALID_NAME for control characters,
// ERROR_FILENAME_EXCED_RANGE for a component over 255 bytes, ERROR_BAD_PATHNAME for a network
// path, ERROR_PATH_NOT_FOUND for an empty path.
DWORD ResolveWindowsPath(std::u16string_view path, WindowsPath& out);
// "C:\a\b" ("C:\" for a root); with the trailing separator kept when asked.
std::u16string FormatWindowsPath(const WindowsPath& path, bool keepTrailingSeparator = false);
// The host path, each missing component replaced by its unique case-insensitive match when there
// is one. ERROR_INVALID_NAME for a wildcard or a character names cannot hold,
// ERROR_PATH_NOT_FOUND for a drive that is not mapped.
DWORD MapToHost(const WindowsPath& path, std::string& host);
// The host path with every component by its exact name, without looking at the disk; empty for a
// letter that is no drive or a component names cannot hold. When a component is missing it may
// differ from MapToHost's path; when the whole path resolves, MapToHost maps to it too.
std::string ExactHostPath(const WindowsPath& path);
// Both steps.
DWORD MapWindowsPath(std::u16string_view path, std::string& host);
