// The desktop "machine" on the host: its prefix, the drive map, and Windows paths to host paths and back.
#pragma once

#include <string>

#include "platform/CStringT.h"

// PELRUDO_PREFIX, else $XDG_DATA_HOME/pelrudo, else ~/.local/share/pelrudo; made with drive C on first use.
std::string GetPrefix();
// Drops cached drive maps and prefix so that a changed PELRUDO_PREFIX takes effect (tests, tools).
void ResetPrefix();

// The host folder of a drive letter ('C' is <prefix>/dosdevices/c:, 'Z' is "/"); empty when unmapped.
std::string GetDriveFolder(char16_t letter);

// A Windows path (either separator, rooted or relative, or a host path starting with '/') as a host
// path. Each missing component is matched case-insensitively when the match is unique. Empty when
// the path is malformed (a component with NUL or control characters, an unmapped drive).
std::string ToHostPath(const CStringW& path);
std::string ToHostPath(const CStringA& path);
// The Windows form of a host path, through the drive whose folder holds it most closely (Z: last).
CStringW ToWindowsPath(const std::string& hostPath);
