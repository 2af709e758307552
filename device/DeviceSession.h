// DeviceSession: one connection's state on the handheld, and the answer to each request frame.
#pragma once

#include <cstdint>
#include <map>
#include <span>

#include "core/wire/WireReader.h"
#include "core/wire/WireWriter.h"
#include "device/DeviceImage.h"
#include "device/ShareTable.h"
#include "platform/WinTypes.h"

// Handles are this session's own: files, registry keys, processes and threads. Closing the session
// closes what is still open.
class DeviceSession {
public:
    explicit DeviceSession(DeviceImage& image) : m_image(image) {}
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Appends the reply to one request frame. False for a malformed request: the connection ends.
    // An unknown command is answered with status flag 1 and E_NOTIMPL.
    bool Dispatch(std::span<const std::uint8_t> body, WireWriter& out);

private:
    enum class Kind { File, Key, Process };
    struct Object {
        Kind kind;
        int fd = -1;
        DWORD access = 0;
        DWORD share = 0;
        ShareTable::Key id{};
        std::size_t store = 0;
        HKEY key = nullptr;
        std::uint64_t position = 0;  // the file pointer, kept here to spare the host a call per request
    };
    using Handler = bool (DeviceSession::*)(WireReader&, WireWriter&);
    static Handler HandlerOf(std::uint32_t command);

    std::uint32_t Add(const Object& object);
    Object* Find(std::uint32_t handle, Kind kind);
    void Close(Object& object);
    DWORD KeyOf(std::uint32_t handle, HKEY& key);
    LONG AddKey(HKEY key, std::uint32_t& handle);

    bool CreateFile(WireReader& in, WireWriter& out);
    bool ReadFile(WireReader& in, WireWriter& out);
    bool WriteFile(WireReader& in, WireWriter& out);
    bool CloseHandle(WireReader& in, WireWriter& out);
    bool CreateDirectory(WireReader& in, WireWriter& out);
    bool CreateProcess(WireReader& in, WireWriter& out);
    bool MoveFile(WireReader& in, WireWriter& out);
    bool DeleteFile(WireReader& in, WireWriter& out);
    bool GetStoreInformation(WireReader& in, WireWriter& out);
    bool GetSystemInfo(WireReader& in, WireWriter& out);
    bool RegOpenKeyEx(WireReader& in, WireWriter& out);
    bool RegEnumKeyEx(WireReader& in, WireWriter& out);
    bool RegCreateKeyEx(WireReader& in, WireWriter& out);
    bool RegCloseKey(WireReader& in, WireWriter& out);
    bool RegDeleteKey(WireReader& in, WireWriter& out);
    bool RegQueryInfoKey(WireReader& in, WireWriter& out);
    bool RegQueryValueEx(WireReader& in, WireWriter& out);
    bool RegSetValueEx(WireReader& in, WireWriter& out);

    DWORD OpenFile(const DeviceImage::Resolved& target, DWORD access, DWORD share, DWORD disposition,
                   std::uint32_t& handle);
    DWORD Spawn(const DeviceImage::Resolved& program, const WireReader::Text& path,
                const WireReader::Text& commandLine, std::uint32_t (&info)[4]);

    DeviceImage& m_image;
    std::map<std::uint32_t, Object> m_objects;
    std::uint32_t m_next = 0x10;
};
