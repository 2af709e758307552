// DeviceSession: one connection's state on the handheld, and the answer to each request frame.
#include "device/DeviceSession.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/wire/RapiCommand.h"
#include "device/DevicePath.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

extern char** environ;

namespace {

constexpr std::uint32_t kInvalidHandle = 0xFFFFFFFFu;
constexpr HRESULT kNotImplemented = static_cast<HRESULT>(0x80004001u);
// Limits that keep a hostile request from making us allocate or hold without bound.
constexpr std::uint32_t kMaxRead = 512u * 1024u;
constexpr std::uint32_t kMaxRegistryBuffer = 1u << 20;
constexpr std::uint32_t kMaxNameChars = 32768;
constexpr std::size_t kMaxObjects = 4096;
constexpr std::uint32_t kPredefinedFirst = 0x80000000u;
constexpr std::uint32_t kPredefinedLast = 0x80000003u;

void Head(WireWriter& out, DWORD lastError, DWORD ret)
{
    out.U32(0).U32(lastError).U32(ret);
}

DWORD FileError(int err)
{
    return err == ELOOP ? static_cast<DWORD>(ERROR_ACCESS_DENIED) : ErrnoToWin32(err);
}

bool CanRead(DWORD access) { return access & (GENERIC_READ | GENERIC_ALL); }
bool CanWrite(DWORD access) { return access & (GENERIC_WRITE | GENERIC_ALL); }

int OpenFlags(DWORD access)
{
    const bool read = CanRead(access);
    const bool write = CanWrite(access);
    const int mode = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    return mode | O_NOFOLLOW | O_CLOEXEC;
}

// An Out record's capacity, or nothing when the caller sent a NULL.
std::uint32_t Capacity(const WireReader::Record& record, std::uint32_t limit)
{
    return record.present ? std::min(record.size, limit) : 0;
}

void PutU32(WireWriter& out, bool wanted, DWORD value)
{
    wanted ? out.OptU32(value) : out.Null();
}

// A name buffer's reply: the characters and their NUL when it fits the caller's capacity.
void PutName(WireWriter& out, bool wanted, const std::u16string& buffer, DWORD length, DWORD capacity)
{
    if (!wanted) {
        out.Null();
        return;
    }
    const DWORD units = std::min<DWORD>(length + 1, capacity);
    std::vector<std::uint8_t> bytes(2u * units);
    for (DWORD i = 0; i < units; ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(buffer[i]);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(buffer[i] >> 8);
    }
    out.Opt(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

std::u16string NameBuffer(std::uint32_t chars)
{
    return std::u16string(std::max<std::uint32_t>(chars, 1), u'\0');
}

// Words as one record of little-endian 32-bit values, or nothing when the caller sent a NULL.
void PutWords(WireWriter& out, bool wanted, std::initializer_list<std::uint32_t> words)
{
    if (!wanted) {
        out.Null();
        return;
    }
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t word : words)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    out.Opt(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void PutTime(WireWriter& out, bool wanted, const FILETIME& time)
{
    PutWords(out, wanted, {time.dwLowDateTime, time.dwHighDateTime});
}


}  // namespace

DeviceSession::~DeviceSession()
{
    for (auto& [handle, object] : m_objects) Close(object);
}

DeviceSession::Handler DeviceSession::HandlerOf(std::uint32_t command)
{
    switch (static_cast<RapiCommand>(command)) {
    case RapiCommand::CreateFile: return &DeviceSession::CreateFile;
    case RapiCommand::ReadFile: return &DeviceSession::ReadFile;
    case RapiCommand::WriteFile: return &DeviceSession::WriteFile;
    case RapiCommand::CloseHandle: return &DeviceSession::CloseHandle;
    case RapiCommand::CreateDirectory: return &DeviceSession::CreateDirectory;
    case RapiCommand::CreateProcess: return &DeviceSession::CreateProcess;
    case RapiCommand::MoveFile: return &DeviceSession::MoveFile;
    case RapiCommand::DeleteFile: return &DeviceSession::DeleteFile;
    case RapiCommand::RegOpenKeyEx: return &DeviceSession::RegOpenKeyEx;
    case RapiCommand::RegEnumKeyEx: return &DeviceSession::RegEnumKeyEx;
    case RapiCommand::RegCreateKeyEx: return &DeviceSession::RegCreateKeyEx;
    case RapiCommand::RegCloseKey: return &DeviceSession::RegCloseKey;
    case RapiCommand::RegDeleteKey: return &DeviceSession::RegDeleteKey;
    case RapiCommand::RegQueryInfoKey: return &DeviceSession::RegQueryInfoKey;
    case RapiCommand::RegQueryValueEx: return &DeviceSession::RegQueryValueEx;
    case RapiCommand::RegSetValueEx: return &DeviceSession::RegSetValueEx;
    case RapiCommand::GetStoreInformation: return &DeviceSession::GetStoreInformation;
    case RapiCommand::GetSystemInfo: return &DeviceSession::GetSystemInfo;
    }
    return nullptr;
}

bool DeviceSession::Dispatch(std::span<const std::uint8_t> body, WireWriter& out)
{
    WireReader in(body.data(), body.size());
    std::uint32_t command = 0;
    if (!in.U32(command)) return false;
    out.BeginFrame();
    const Handler handler = HandlerOf(command);
    if (!handler) {
        out.U32(1).U32(static_cast<std::uint32_t>(kNotImplemented));
    } else if (!(this->*handler)(in, out)) {
        out.AbandonFrame();
        return false;
    }
    out.EndFrame();
    return true;
}

std::uint32_t DeviceSession::Add(const Object& object)
{
    if (m_objects.size() >= kMaxObjects) return 0;
    // Never 0, never INVALID_HANDLE_VALUE, never a predefined key: the counter stays far below them.
    const std::uint32_t handle = m_next;
    m_next += 4;
    m_objects.emplace(handle, object);
    return handle;
}

DeviceSession::Object* DeviceSession::Find(std::uint32_t handle, Kind kind)
{
    const auto it = m_objects.find(handle);
    return it == m_objects.end() || it->second.kind != kind ? nullptr : &it->second;
}

void DeviceSession::Close(Object& object)
{
    if (object.kind == Kind::File) {
        m_image.Shares().Release(object.id, object.access, object.share);
        ::close(object.fd);
    } else if (object.kind == Kind::Key) {
        ::RegCloseKey(object.key);
    }
}

DWORD DeviceSession::KeyOf(std::uint32_t handle, HKEY& key)
{
    if (handle >= kPredefinedFirst && handle <= kPredefinedLast) {
        key = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(handle));
        return ERROR_SUCCESS;
    }
    const Object* object = Find(handle, Kind::Key);
    if (!object) return ERROR_INVALID_HANDLE;
    key = object->key;
    return ERROR_SUCCESS;
}

// ---- files

DWORD DeviceSession::OpenFile(const DeviceImage::Resolved& target, DWORD access, DWORD share, DWORD disposition,
                              std::uint32_t& handle)
{
    handle = kInvalidHandle;
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
    if (target.name.empty()) return ERROR_ACCESS_DENIED;
    if (target.exists && !S_ISREG(target.status.st_mode)) return ERROR_ACCESS_DENIED;
    if (disposition == CREATE_NEW && target.exists) return ERROR_FILE_EXISTS;
    if ((disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) && !target.exists) return ERROR_FILE_NOT_FOUND;
    const bool create = !target.exists;
    const int fd = ::openat(target.folder.Get(), target.name.c_str(), OpenFlags(access) | (create ? O_CREAT | O_EXCL : 0), 0644);
    if (fd < 0) return FileError(errno);
    struct stat status {};
    ::fstat(fd, &status);
    const ShareTable::Key id = ShareTable::KeyOf(status);
    if (!m_image.Shares().Acquire(id, access, share)) {
        ::close(fd);
        return ERROR_SHARING_VIOLATION;
    }
    Object object{Kind::File, fd, access, share, id, target.store, nullptr};
    const bool truncate = !create && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    if (truncate) {
        // The open may be for reading only; truncation goes through a second, writing descriptor.
        const int writer = ::openat(target.folder.Get(), target.name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
        const bool cut = writer >= 0 && ::ftruncate(writer, 0) == 0;
        const int error = errno;
        if (writer >= 0) ::close(writer);
        if (!cut) {
            Close(object);
            return FileError(error);
        }
    }
    handle = Add(object);
    if (handle == 0) {
        Close(object);
        handle = kInvalidHandle;
        return ERROR_TOO_MANY_OPEN_FILES;
    }
    const bool existed = !create && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    return existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
}

bool DeviceSession::CreateFile(WireReader& in, WireWriter& out)
{
    std::uint32_t access = 0, share = 0, disposition = 0, flags = 0, templateFile = 0;
    WireReader::Text name;
    in.U32(access), in.U32(share), in.U32(disposition), in.U32(flags), in.U32(templateFile);
    if (!in.Str(name)) return false;
    m_image.Invalidate();
    DeviceImage::Resolved target;
    std::uint32_t handle = kInvalidHandle;
    DWORD error = name.present ? m_image.Resolve(name.value, target) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    if (error == ERROR_SUCCESS) error = OpenFile(target, access, share, disposition, handle);
    Head(out, error, handle);
    return true;
}

bool DeviceSession::ReadFile(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0, overlapped = 0;
    WireReader::Record buffer;
    in.U32(handle), in.Opt(buffer);
    if (!in.U32(overlapped)) return false;
    Object* file = Find(handle, Kind::File);
    DWORD error = !file ? static_cast<DWORD>(ERROR_INVALID_HANDLE)
                        : CanRead(file->access) ? 0 : static_cast<DWORD>(ERROR_ACCESS_DENIED);
    if (error) {
        Head(out, error, FALSE);
        out.U32(0);
        return true;
    }
    const std::uint32_t wanted = Capacity(buffer, kMaxRead);
    Head(out, 0, TRUE);
    out.U32(0);
    const std::size_t countAt = out.Size() - 4;
    std::uint8_t* data = out.Grow(wanted);
    std::uint32_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::pread(file->fd, data + got, wanted - got, static_cast<off_t>(file->position));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = FileError(errno);
        if (n <= 0) break;
        got += static_cast<std::uint32_t>(n);
        file->position += static_cast<std::uint64_t>(n);
    }
    out.Shrink(wanted - got);
    // The head and count were written before the data was known.
    out.Patch(countAt, got);
    out.Patch(countAt - 8, error);
    out.Patch(countAt - 4, error ? FALSE : TRUE);
    return true;
}

bool DeviceSession::WriteFile(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0, overlapped = 0;
    WireReader::Record data;
    in.U32(handle), in.In(data);
    if (!in.U32(overlapped)) return false;
    Object* file = Find(handle, Kind::File);
    DWORD error = !file ? static_cast<DWORD>(ERROR_INVALID_HANDLE)
                        : CanWrite(file->access) ? 0 : static_cast<DWORD>(ERROR_ACCESS_DENIED);
    std::uint32_t written = 0;
    if (!error && data.size > 0) {
        struct stat status {};
        ::fstat(file->fd, &status);
        const std::uint64_t end = file->position + data.size;
        const std::uint64_t size = static_cast<std::uint64_t>(status.st_size);
        if (!m_image.Reserve(file->store, end > size ? end - size : 0)) error = ERROR_DISK_FULL;
    }
    while (!error && written < data.size) {
        const ssize_t n = ::pwrite(file->fd, data.data + written, data.size - written, static_cast<off_t>(file->position));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = n < 0 ? FileError(errno) : static_cast<DWORD>(ERROR_WRITE_FAULT);
            continue;
        }
        written += static_cast<std::uint32_t>(n);
        file->position += static_cast<std::uint64_t>(n);
    }
    Head(out, error, error ? FALSE : TRUE);
    out.U32(written);
    return true;
}

bool DeviceSession::CloseHandle(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    if (!in.U32(handle)) return false;
    const auto it = m_objects.find(handle);
    if (it == m_objects.end()) {
        Head(out, ERROR_INVALID_HANDLE, FALSE);
        return true;
    }
    Close(it->second);
    m_objects.erase(it);
    Head(out, 0, TRUE);
    return true;
}

bool DeviceSession::CreateDirectory(WireReader& in, WireWriter& out)
{
    WireReader::Text name;
    std::uint32_t security = 0;
    in.OStr(name);
    if (!in.U32(security)) return false;
    DeviceImage::Resolved target;
    DWORD error = name.present ? m_image.Resolve(name.value, target) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    if (!error && target.exists) error = ERROR_ALREADY_EXISTS;
    if (!error && ::mkdirat(target.folder.Get(), target.name.c_str(), 0755) != 0)
        error = errno == EEXIST ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : FileError(errno);
    Head(out, error, error ? FALSE : TRUE);
    return true;
}

bool DeviceSession::MoveFile(WireReader& in, WireWriter& out)
{
    WireReader::Text from, to;
    in.OStr(from);
    if (!in.OStr(to)) return false;
    DeviceImage::Resolved source, target;
    DWORD error = from.present && to.present ? m_image.Resolve(from.value, source) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    if (!error) error = m_image.Resolve(to.value, target);
    if (!error && !source.exists) error = ERROR_FILE_NOT_FOUND;
    if (!error && (source.name.empty() || target.name.empty() || S_ISLNK(source.status.st_mode) ||
                   m_image.IsStoreRoot(source.status)))
        error = ERROR_ACCESS_DENIED;
    // A change of case only names the same file twice; anything else already there stays.
    if (!error && target.exists && ShareTable::KeyOf(target.status) != ShareTable::KeyOf(source.status)) error = ERROR_ALREADY_EXISTS;
    if (!error && m_image.Shares().InUse(ShareTable::KeyOf(source.status))) error = ERROR_SHARING_VIOLATION;
    if (!error && ::renameat(source.folder.Get(), source.name.c_str(), target.folder.Get(),
                             (target.exists ? Utf16ToUtf8(to.value.substr(to.value.find_last_of(u"\\/") + 1))
                                            : target.name).c_str()) != 0)
        error = FileError(errno);
    m_image.Invalidate();
    Head(out, error, error ? FALSE : TRUE);
    return true;
}

bool DeviceSession::DeleteFile(WireReader& in, WireWriter& out)
{
    WireReader::Text name;
    if (!in.OStr(name)) return false;
    DeviceImage::Resolved target;
    DWORD error = name.present ? m_image.Resolve(name.value, target) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    if (!error && !target.exists) error = ERROR_FILE_NOT_FOUND;
    if (!error && (target.name.empty() || !S_ISREG(target.status.st_mode))) error = ERROR_ACCESS_DENIED;
    if (!error && m_image.Shares().InUse(ShareTable::KeyOf(target.status))) error = ERROR_SHARING_VIOLATION;
    if (!error && ::unlinkat(target.folder.Get(), target.name.c_str(), 0) != 0) error = FileError(errno);
    m_image.Invalidate();
    Head(out, error, error ? FALSE : TRUE);
    return true;
}

// ---- processes and the system

DWORD DeviceSession::Spawn(const DeviceImage::Resolved& program, const WireReader::Text& path,
                           const WireReader::Text& commandLine, std::uint32_t (&info)[4])
{
    if (!program.exists) return ERROR_FILE_NOT_FOUND;
    if (!S_ISREG(program.status.st_mode)) return ERROR_ACCESS_DENIED;
    if (::faccessat(program.folder.Get(), program.name.c_str(), X_OK, 0) != 0) return ERROR_BAD_EXE_FORMAT;
    std::u16string modulePath;
    DevicePath::Normalize(path.value, modulePath);
    // The program learns its handheld: its module path, the stores, the registry and the image.
    const std::string overrides[] = {
        "PELRUDO_REGISTRY=" + m_image.Dir() + "/registry.db",
        "PELRUDO_CE_MODULE=" + Utf16ToUtf8(modulePath),
        "PELRUDO_CE_STORES=" + m_image.StoresEnvironment(),
        "PELRUDO_DEVICE_DIR=" + m_image.Dir(),
    };
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        const auto clash = [&](const std::string& o) { return text.substr(0, text.find('=') + 1) == o.substr(0, o.find('=') + 1); };
        if (std::none_of(std::begin(overrides), std::end(overrides), clash)) environment.emplace_back(text);
    }
    environment.insert(environment.end(), std::begin(overrides), std::end(overrides));
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string hostPath = program.hostPath;
    std::string arguments = commandLine.present ? Utf16ToUtf8(commandLine.value) : std::string();
    std::vector<char*> argv{hostPath.data()};
    if (!arguments.empty()) argv.push_back(arguments.data());
    argv.push_back(nullptr);

    // Detached: its own session, default signals, nothing on our standard input and output.
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigfillset(&defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, hostPath.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed) return failed == ENOEXEC ? static_cast<DWORD>(ERROR_BAD_EXE_FORMAT) : FileError(failed);
    info[0] = Add(Object{Kind::Process});
    info[1] = Add(Object{Kind::Process});
    info[2] = static_cast<std::uint32_t>(pid);
    info[3] = static_cast<std::uint32_t>(pid);
    return ERROR_SUCCESS;
}

bool DeviceSession::CreateProcess(WireReader& in, WireWriter& out)
{
    WireReader::Text application, commandLine;
    WireReader::Record processInformation;
    std::uint32_t slot = 0;
    in.OStr(application), in.OStr(commandLine);
    for (int i = 0; i < 7; ++i) in.U32(slot);
    if (!in.Opt(processInformation)) return false;
    std::uint32_t info[4] = {};
    DeviceImage::Resolved program;
    DWORD error = application.present ? m_image.Resolve(application.value, program) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    if (!error) error = Spawn(program, application, commandLine, info);
    Head(out, error, error ? FALSE : TRUE);
    PutWords(out, processInformation.present, {info[0], info[1], info[2], info[3]});
    return true;
}

bool DeviceSession::GetStoreInformation(WireReader& in, WireWriter& out)
{
    WireReader::Record buffer;
    if (!in.Opt(buffer)) return false;
    m_image.Invalidate();
    const std::uint64_t capacity = m_image.Settings().Stores()[0].capacity;
    const std::uint64_t free = m_image.FreeSpace(0);
    Head(out, 0, TRUE);
    PutWords(out, buffer.present,
             {static_cast<std::uint32_t>(std::min<std::uint64_t>(capacity, 0xFFFFFFFFu)),
              static_cast<std::uint32_t>(std::min<std::uint64_t>(free, 0xFFFFFFFFu))});
    return true;
}

bool DeviceSession::GetSystemInfo(WireReader& in, WireWriter& out)
{
    WireReader::Record buffer;
    if (!in.Opt(buffer)) return false;
    // An ARM handheld with one processor of the image's type; addresses are those of a CE 3.0 process.
    out.U32(0).U32(0);
    PutWords(out, true, {5, 4096, 0x00010000u, 0x7FFFFFFFu, 1, 1, m_image.Settings().ProcessorType(), 0x00010000u, 4});
    return true;
}

// ---- registry

// Hands out a handle for a key just opened; a session that holds too many closes it again.
LONG DeviceSession::AddKey(HKEY key, std::uint32_t& handle)
{
    handle = Add(Object{Kind::Key, -1, 0, 0, {}, 0, key});
    if (handle != 0) return ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ERROR_TOO_MANY_OPEN_FILES;
}

bool DeviceSession::RegOpenKeyEx(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    WireReader::Text subKey;
    in.U32(handle);
    if (!in.Str(subKey)) return false;
    HKEY parent = nullptr;
    HKEY opened = nullptr;
    LONG status = static_cast<LONG>(KeyOf(handle, parent));
    if (status == ERROR_SUCCESS) status = ::RegOpenKeyEx(parent, subKey.Get(), 0, KEY_ALL_ACCESS, &opened);
    std::uint32_t result = 0;
    if (status == ERROR_SUCCESS) status = AddKey(opened, result);
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    if (status == ERROR_SUCCESS) out.U32(result);
    return true;
}

bool DeviceSession::RegCreateKeyEx(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    WireReader::Text subKey, className;
    in.U32(handle), in.Str(subKey);
    if (!in.Str(className)) return false;
    HKEY parent = nullptr;
    HKEY created = nullptr;
    DWORD disposition = 0;
    LONG status = static_cast<LONG>(KeyOf(handle, parent));
    if (status == ERROR_SUCCESS)
        status = ::RegCreateKeyEx(parent, subKey.Get(), 0, className.present ? className.value.data() : nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &created, &disposition);
    std::uint32_t result = 0;
    if (status == ERROR_SUCCESS) status = AddKey(created, result);
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    if (status == ERROR_SUCCESS) out.U32(result).U32(disposition);
    return true;
}

bool DeviceSession::RegCloseKey(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    if (!in.U32(handle)) return false;
    LONG status = ERROR_SUCCESS;
    if (Object* key = Find(handle, Kind::Key)) {
        status = ::RegCloseKey(key->key);
        m_objects.erase(handle);
    } else if (handle < kPredefinedFirst || handle > kPredefinedLast) {
        status = ERROR_INVALID_HANDLE;
    }
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    return true;
}

bool DeviceSession::RegDeleteKey(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    WireReader::Text subKey;
    in.U32(handle);
    if (!in.OStr(subKey)) return false;
    HKEY parent = nullptr;
    LONG status = static_cast<LONG>(KeyOf(handle, parent));
    if (status == ERROR_SUCCESS) status = ::RegDeleteKey(parent, subKey.Get());
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    return true;
}

bool DeviceSession::RegQueryValueEx(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    WireReader::Text name;
    WireReader::Record reserved, type, data, size;
    in.U32(handle), in.OStr(name), in.Opt(reserved), in.Opt(type), in.Opt(data);
    if (!in.Opt(size)) return false;
    HKEY key = nullptr;
    DWORD valueType = 0;
    DWORD valueSize = std::min(size.U32Or(data.size), kMaxRegistryBuffer);
    std::vector<BYTE> buffer(data.present ? std::max<DWORD>(valueSize, 1) : 0);
    LONG status = static_cast<LONG>(KeyOf(handle, key));
    if (status == ERROR_SUCCESS)
        status = ::RegQueryValueEx(key, name.Get(), nullptr, type.present ? &valueType : nullptr,
                                   data.present ? buffer.data() : nullptr, size.present ? &valueSize : nullptr);
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    if (status != ERROR_SUCCESS) return true;
    PutU32(out, type.present, valueType);
    data.present ? out.Opt(buffer.data(), std::min<DWORD>(valueSize, static_cast<DWORD>(buffer.size()))) : out.Null();
    PutU32(out, size.present, valueSize);
    return true;
}

bool DeviceSession::RegSetValueEx(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0, type = 0, count = 0;
    WireReader::Text name;
    WireReader::Record data;
    in.U32(handle), in.OStr(name), in.U32(type), in.Opt(data);
    if (!in.U32(count)) return false;
    HKEY key = nullptr;
    LONG status = static_cast<LONG>(KeyOf(handle, key));
    const bool hasData = data.present && data.hasData;
    if (status == ERROR_SUCCESS)
        status = ::RegSetValueEx(key, name.Get(), 0, type, hasData ? data.data : nullptr,
                                 hasData ? std::min(count, data.size) : 0);
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    return true;
}

bool DeviceSession::RegQueryInfoKey(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0;
    WireReader::Record className, classLength, reserved, time;
    WireReader::Record counts[7];
    in.U32(handle), in.Opt(className), in.Opt(classLength), in.Opt(reserved);
    for (auto& count : counts) in.Opt(count);
    if (!in.Opt(time)) return false;
    HKEY key = nullptr;
    DWORD classChars = std::min(classLength.U32Or(className.size / 2), kMaxNameChars);
    std::u16string classBuffer = NameBuffer(classChars);
    DWORD values[7] = {};
    DWORD* pointers[7] = {};
    for (int i = 0; i < 7; ++i) pointers[i] = counts[i].present ? &values[i] : nullptr;
    FILETIME written{};
    LONG status = static_cast<LONG>(KeyOf(handle, key));
    if (status == ERROR_SUCCESS)
        status = ::RegQueryInfoKey(key, className.present ? classBuffer.data() : nullptr,
                                   classLength.present ? &classChars : nullptr, nullptr, pointers[0], pointers[1],
                                   pointers[2], pointers[3], pointers[4], pointers[5], pointers[6],
                                   time.present ? &written : nullptr);
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    if (status != ERROR_SUCCESS) return true;
    PutName(out, className.present, classBuffer, classChars, static_cast<DWORD>(classBuffer.size()));
    PutU32(out, classLength.present, classChars);
    for (int i = 0; i < 7; ++i) PutU32(out, counts[i].present, values[i]);
    PutTime(out, time.present, written);
    return true;
}

bool DeviceSession::RegEnumKeyEx(WireReader& in, WireWriter& out)
{
    std::uint32_t handle = 0, index = 0;
    WireReader::Record name, nameLength, reserved, className, classLength, time;
    in.U32(handle), in.U32(index), in.Opt(name), in.Opt(nameLength), in.Opt(reserved), in.Opt(className),
        in.Opt(classLength);
    if (!in.Opt(time)) return false;
    HKEY key = nullptr;
    DWORD nameChars = std::min(nameLength.U32Or(name.size / 2), kMaxNameChars);
    DWORD classChars = std::min(classLength.U32Or(className.size / 2), kMaxNameChars);
    std::u16string nameBuffer = NameBuffer(nameChars);
    std::u16string classBuffer = NameBuffer(classChars);
    FILETIME written{};
    LONG status = static_cast<LONG>(KeyOf(handle, key));
    if (status == ERROR_SUCCESS)
        status = ::RegEnumKeyEx(key, index, name.present ? nameBuffer.data() : nullptr,
                                nameLength.present ? &nameChars : nullptr, nullptr,
                                className.present ? classBuffer.data() : nullptr,
                                classLength.present ? &classChars : nullptr, time.present ? &written : nullptr);
    Head(out, static_cast<DWORD>(status), static_cast<DWORD>(status));
    if (status != ERROR_SUCCESS) return true;
    PutName(out, name.present, nameBuffer, nameChars, static_cast<DWORD>(nameBuffer.size()));
    PutU32(out, nameLength.present, nameChars);
    PutName(out, className.present, classBuffer, classChars, static_cast<DWORD>(classBuffer.size()));
    PutU32(out, classLength.present, classChars);
    PutTime(out, time.present, written);
    return true;
}
