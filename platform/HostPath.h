// The desktop "machine" on the host: its prefix, the drive map, and Windows paths to host paths and back.
#pragma once

#include <string>

#include "platform/CStringT.h"

// PELRUDO_PREFIX, else $XDG_DATA_HOME/pelrudo, else ~/.local/share/pelrudo; made with drive C on first use.
// Drive C's files live in the real folder <prefix>/drive_c. Every drive but Z: is the link
// <prefix>/dosdevices/<letter>: to its folder (c: -> ../drive_c is made here), so a user adds a drive
// with "ln -s FOLDER <prefix>/dosdevices/d:". Z: is always the host's root.
std::string GetPrefix();
// Drops cached drive maps and prefix so that a changed PELRUDO_PREFIX, or a drive linked since the
// first use, takes effect (tests, tools).
void ResetPrefix();

// The host folder of a drive letter ('C' is <prefix>/dosdevices/c:, 'Z' is "/"); empty when unmapped.
std::string GetDriveFolder(char16_t letter);

// A Windows path (either separator, rooted or relative, or a host path starting with '/', which is
// drive Z:) as a host path. ".." is resolved lexically and never climbs above a drive's root. Each
// missing component is matched case-insensitively when the match is unique. Empty when the path is
// malformed: NUL or control characters, wildcards, a component over 255 bytes, a network path or an
// unmapped drive.
std::string ToHostPath(const CStringW& path);
std::string ToHostPath(const CStringA& path);
// The Windows form of a host path, through the drive whose folder holds it most closely (Z: last).
CStringW ToWindowsPath(const std::string& hostPath);
