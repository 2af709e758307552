// Command numbers of the remote API's version 1 wire format (pre-WM5 handhelds).
#pragma once

#include <cstdint>

enum class RapiCommand : std::uint32_t {
    CreateFile = 0x05,
    ReadFile = 0x06,
    WriteFile = 0x07,
    CloseHandle = 0x08,
    CreateDirectory = 0x17,
    CreateProcess = 0x19,
    MoveFile = 0x1a,
    DeleteFile = 0x1c,
    RegOpenKeyEx = 0x1e,
    RegEnumKeyEx = 0x1f,
    RegCreateKeyEx = 0x20,
    RegCloseKey = 0x21,
    RegDeleteKey = 0x22,
    RegQueryInfoKey = 0x25,
    RegQueryValueEx = 0x26,
    RegSetValueEx = 0x27,
    GetStoreInformation = 0x29,
    GetSystemInfo = 0x2f,
};
