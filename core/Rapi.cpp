// The remote API client: the Ce... calls over one link to the handheld named by PELRUDO_DEVICE.
#include "core/Rapi.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/detail/RapiLink.h"
#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/SyncApi.h"
#include "platform/WinBase.h"

namespace {

constexpr DWORD kDefaultTimeoutMs = 10000;
constexpr HRESULT kAlreadyInitialized = static_cast<HRESULT>(0x80041001u);
constexpr std::uint32_t kInvalidRemote = 0xFFFFFFFFu;
constexpr std::uint32_t kSystemInfoSize = 36;
constexpr std::uint32_t kMaxSyncWrite = 64u * 1024u;
// A deep send buffer lets writes run far ahead before the client has to wait for the handheld (the
// host may grant less).
constexpr int kSendBuffer = 4 << 20;

thread_local DWORD t_ceLastError = 0;

// The one session of the process. The connector thread sets the link up; Uninit joins it.
struct Session {
    std::mutex lock;
    bool active = false;
    bool cancelled = false;
    HANDLE event = nullptr;
    RAPIINIT* init = nullptr;
    std::thread connector;
    int connectingFd = -1;
    std::unique_ptr<RapiLink> link;
};

// Never destroyed: a program may end with its session open.
Session& TheSession()
{
    static Session* session = new Session;
    return *session;
}

void SetErrors(DWORD error)
{
    t_ceLastError = error;
    SetLastError(error);
}

std::uint32_t ToRemote(const void* handle)
{
    if (handle == INVALID_HANDLE_VALUE) return kInvalidRemote;
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

HANDLE ToHandle(std::uint32_t remote)
{
    if (remote == kInvalidRemote) return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(remote));
}

HKEY ToKey(std::uint32_t remote)
{
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(remote));
}

WORD Le16(const std::uint8_t* p)
{
    return static_cast<WORD>(p[0] | p[1] << 8);
}

DWORD ReplyTimeout()
{
    const char* text = std::getenv("PELRUDO_RAPI_TIMEOUT_MS");
    if (!text || !*text) return kDefaultTimeoutMs;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return (*end || value == 0 || value > 0x7FFFFFFFul) ? kDefaultTimeoutMs : static_cast<DWORD>(value);
}

std::string DeviceTarget()
{
    const char* target = std::getenv("PELRUDO_DEVICE");
    if (target && *target) return target;
    return GetPrefix() + "/device/rapi.sock";
}

// The socket is published before connecting, so that Uninit can cut a connect that hangs.
int Publish(Session& session, int fd)
{
    std::lock_guard guard(session.lock);
    if (session.cancelled) {
        ::close(fd);
        return -1;
    }
    session.connectingFd = fd;
    return fd;
}

// A socket that did not connect: unpublished before it closes, so its number is never cut once reused.
int Withdraw(Session& session, int fd)
{
    std::lock_guard guard(session.lock);
    session.connectingFd = -1;
    ::close(fd);
    return -1;
}

int ConnectUnix(Session& session, const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = Publish(session, ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return fd;
    return Withdraw(session, fd);
}

int ConnectTcp(Session& session, const std::string& host, const std::string& port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return -1;
    int connected = -1;
    for (addrinfo* a = found; a && connected < 0; a = a->ai_next) {
        const int fd = Publish(session, ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
        if (fd < 0) break;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            Withdraw(session, fd);
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
        connected = fd;
    }
    ::freeaddrinfo(found);
    return connected;
}

// "host:port" is a TCP peer; anything else (a path) a Unix socket.
int OpenSocket(Session& session, const std::string& target)
{
    const std::size_t colon = target.rfind(':');
    const bool tcp = target.find('/') == std::string::npos && colon != std::string::npos && colon + 1 < target.size() &&
                     target.find_first_not_of("0123456789", colon + 1) == std::string::npos;
    if (tcp) return ConnectTcp(session, target.substr(0, colon), target.substr(colon + 1));
    return ConnectUnix(session, target);
}

// Connecting is not enough: the handheld must answer. A slow one is seen as slow here.
bool Probe(RapiLink& link)
{
    link.Begin(RapiCommand::GetSystemInfo).Out(kSystemInfoSize);
    std::span<const std::uint8_t> body;
    if (!link.Call(body)) return false;
    WireReader reader(body.data(), body.size());
    RapiLink::ReplyHead head;
    return RapiLink::ReplyHead::Parse(reader, false, head) && head.hr == S_OK;
}

void Connect(Session& session, std::string target, DWORD timeoutMs)
{
    std::unique_ptr<RapiLink> link;
    const int fd = OpenSocket(session, target);
    if (fd >= 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
        link = std::make_unique<RapiLink>(fd, timeoutMs);
    }
    const bool answered = link && Probe(*link);
    std::lock_guard guard(session.lock);
    session.connectingFd = -1;
    if (!session.cancelled) {
        session.init->hrRapiInit = answered ? S_OK : HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
        if (answered) session.link = std::move(link);
    }
    link.reset();
    SetEvent(session.event);
}

// One call to the handheld under the session lock. Without a usable link its request goes nowhere and
// Send fails with the link's error.
class RemoteCall {
public:
    RemoteCall() : m_guard(TheSession().lock), m_link(TheSession().link.get()) {}

    WireWriter& Begin(RapiCommand command) { return Usable() ? m_link->Begin(command) : m_scratch; }

    // Sends the request and reads the head of its reply; false, with the last error set, when the
    // link failed or the handheld refused the call.
    bool Send(bool hasRet = true)
    {
        std::span<const std::uint8_t> body;
        if (!Usable() || !m_link->Call(body)) return LinkFailed();
        m_reply = WireReader(body.data(), body.size());
        if (!RapiLink::ReplyHead::Parse(m_reply, hasRet, m_head)) return Malformed();
        const DWORD error = m_head.hr == S_OK ? m_head.lastError : m_head.Error();
        m_error = error;
        SetErrors(error);
        return m_head.hr == S_OK;
    }

    bool LinkFailed()
    {
        m_error = m_link ? ERROR_CONNECTION_ABORTED : ERROR_DEVICE_NOT_CONNECTED;
        SetErrors(m_error);
        return false;
    }
    // A reply that does not parse: the peer cannot be trusted any more.
    bool Malformed()
    {
        if (m_link) m_link->Break();
        return LinkFailed();
    }

    RapiLink* Usable() const { return m_link && !m_link->Broken() ? m_link : nullptr; }
    std::shared_ptr<RapiLink::FileState> FileOf(HANDLE handle) const
    {
        return Usable() ? m_link->File(ToRemote(handle)) : nullptr;
    }
    void Forget(HANDLE handle)
    {
        if (m_link) m_link->ForgetFile(ToRemote(handle));
    }

    DWORD Ret() const { return m_head.ret; }
    DWORD Error() const { return m_error; }
    WireReader& Reply() { return m_reply; }

private:
    std::lock_guard<std::mutex> m_guard;
    RapiLink* m_link;
    WireWriter m_scratch;
    WireReader m_reply{nullptr, 0};
    RapiLink::ReplyHead m_head;
    DWORD m_error = 0;
};

// Out-values of replies: an Opt record whose data goes to the caller's field when both exist.
bool TakeU32(WireReader& reply, DWORD* to)
{
    WireReader::Record record;
    if (!reply.Opt(record)) return false;
    if (to) *to = record.U32Or(*to);
    return true;
}

bool TakeBytes(WireReader& reply, void* to, std::size_t capacity)
{
    WireReader::Record record;
    if (!reply.Opt(record)) return false;
    if (to && record.present && record.hasData && record.size > 0)
        std::memcpy(to, record.data, std::min<std::size_t>(record.size, capacity));
    return true;
}

// A registry call's result: the handheld's status, or the link's error.
LONG Status(RemoteCall& call, bool sent)
{
    return sent ? static_cast<LONG>(call.Ret()) : static_cast<LONG>(call.Error());
}

LONG MalformedStatus(RemoteCall& call)
{
    call.Malformed();
    return static_cast<LONG>(call.Error());
}

}  // namespace

HRESULT CeRapiInitEx(RAPIINIT* init)
{
    if (!init || init->cbSize < 12) return E_INVALIDARG;
    Session& session = TheSession();
    std::lock_guard guard(session.lock);
    if (session.active) return kAlreadyInitialized;
    session.event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    if (!session.event) return E_FAIL;
    session.active = true;
    session.cancelled = false;
    session.init = init;
    init->heRapiInit = session.event;
    init->hrRapiInit = S_OK;
    session.connector = std::thread(Connect, std::ref(session), DeviceTarget(), ReplyTimeout());
    return S_OK;
}

HRESULT CeRapiInit()
{
    RAPIINIT init{};
    init.cbSize = 12;
    HRESULT hr = CeRapiInitEx(&init);
    if (FAILED(hr)) return hr;
    WaitForSingleObject(init.heRapiInit, INFINITE);
    {
        std::lock_guard guard(TheSession().lock);
        hr = init.hrRapiInit;
        TheSession().init = nullptr;
    }
    if (FAILED(hr)) CeRapiUninit();
    return hr;
}

HRESULT CeRapiUninit()
{
    Session& session = TheSession();
    {
        std::lock_guard guard(session.lock);
        if (!session.active) return E_FAIL;
        session.active = false;
        session.cancelled = true;
        if (session.connectingFd >= 0) ::shutdown(session.connectingFd, SHUT_RDWR);
    }
    if (session.connector.joinable()) session.connector.join();
    std::lock_guard guard(session.lock);
    // Queued writes still reach the handheld before the link closes.
    if (session.link) session.link->Drain();
    session.link.reset();
    CloseHandle(session.event);
    session.event = nullptr;
    session.init = nullptr;
    return S_OK;
}

DWORD CeGetLastError()
{
    return t_ceLastError;
}

void CeGetSystemInfo(LPSYSTEM_INFO info)
{
    RemoteCall call;
    call.Begin(RapiCommand::GetSystemInfo).Out(kSystemInfoSize);
    if (!call.Send(false)) return;
    WireReader::Record record;
    if (!call.Reply().Opt(record) || !record.hasData || record.size < kSystemInfoSize) {
        call.Malformed();
        return;
    }
    if (!info) return;
    const std::uint8_t* p = record.data;
    info->wProcessorArchitecture = Le16(p);
    info->wReserved = Le16(p + 2);
    info->dwPageSize = WireReader::Le32(p + 4);
    info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(WireReader::Le32(p + 8)));
    info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(WireReader::Le32(p + 12)));
    info->dwActiveProcessorMask = WireReader::Le32(p + 16);
    info->dwNumberOfProcessors = WireReader::Le32(p + 20);
    info->dwProcessorType = WireReader::Le32(p + 24);
    info->dwAllocationGranularity = WireReader::Le32(p + 28);
    info->wProcessorLevel = Le16(p + 32);
    info->wProcessorRevision = Le16(p + 34);
}

BOOL CeGetStoreInformation(STORE_INFORMATION* info)
{
    RemoteCall call;
    WireWriter& args = call.Begin(RapiCommand::GetStoreInformation);
    info ? args.Out(8) : args.Null();
    if (!call.Send()) return FALSE;
    WireReader::Record record;
    if (!call.Reply().Opt(record)) return call.Malformed();
    if (call.Ret() && info && record.hasData && record.size >= 8) {
        info->dwStoreSize = WireReader::Le32(record.data);
        info->dwFreeSize = WireReader::Le32(record.data + 4);
    }
    return call.Ret() ? TRUE : FALSE;
}

BOOL CeCreateProcess(LPCWSTR application, LPCWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                     BOOL, DWORD, LPVOID, LPCWSTR, LPVOID, LPPROCESS_INFORMATION processInformation)
{
    RemoteCall call;
    WireWriter& args = call.Begin(RapiCommand::CreateProcess).OStr(application).OStr(commandLine);
    // The slots of attributes, inheritance, flags, environment, folder and start-up information go as
    // zeros: handhelds of this protocol take nothing else there.
    for (int slot = 0; slot < 7; ++slot) args.U32(0);
    processInformation ? args.Out(16) : args.Null();
    if (!call.Send()) return FALSE;
    WireReader::Record record;
    if (!call.Reply().Opt(record)) return call.Malformed();
    if (call.Ret() && processInformation && record.hasData && record.size >= 16) {
        processInformation->hProcess = ToHandle(WireReader::Le32(record.data));
        processInformation->hThread = ToHandle(WireReader::Le32(record.data + 4));
        processInformation->dwProcessId = WireReader::Le32(record.data + 8);
        processInformation->dwThreadId = WireReader::Le32(record.data + 12);
    }
    return call.Ret() ? TRUE : FALSE;
}

HANDLE CeCreateFile(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                    DWORD flagsAndAttributes, HANDLE templateFile)
{
    RemoteCall call;
    call.Begin(RapiCommand::CreateFile)
        .U32(access)
        .U32(shareMode)
        .U32(disposition)
        .U32(flagsAndAttributes)
        .U32(templateFile ? ToRemote(templateFile) : 0)
        .Str(name);
    if (!call.Send()) return INVALID_HANDLE_VALUE;
    if (call.Ret() != kInvalidRemote) call.Usable()->TrackFile(call.Ret(), access);
    return ToHandle(call.Ret());
}

BOOL CeReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void*)
{
    RemoteCall call;
    if (read) *read = 0;
    if (const auto state = call.FileOf(file)) {
        std::uint32_t got = 0;
        if (!call.Usable()->Read(ToRemote(file), state, static_cast<std::uint8_t*>(buffer), toRead, got))
            return call.LinkFailed();
        if (got == 0 && state->error) {
            SetErrors(state->error);
            return FALSE;
        }
        if (read) *read = got;
        SetErrors(0);
        return TRUE;
    }
    call.Begin(RapiCommand::ReadFile).U32(ToRemote(file)).Out(std::min(toRead, kMaxSyncWrite)).U32(0);
    if (!call.Send()) return FALSE;
    std::uint32_t count = 0;
    const std::uint8_t* data = nullptr;
    if (!call.Reply().U32(count) || count > toRead || !call.Reply().Raw(count, data)) return call.Malformed();
    if (count > 0) std::memcpy(buffer, data, count);
    if (read) *read = count;
    return call.Ret() ? TRUE : FALSE;
}

BOOL CeWriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void*)
{
    RemoteCall call;
    if (written) *written = 0;
    if (const auto state = call.FileOf(file)) {
        if (state->error) {
            SetErrors(state->error);
            return FALSE;
        }
        if (toWrite > 0 &&
            !call.Usable()->Write(ToRemote(file), state, static_cast<const std::uint8_t*>(buffer), toWrite))
            return call.LinkFailed();
        if (written) *written = toWrite;
        SetErrors(0);
        return TRUE;
    }
    call.Begin(RapiCommand::WriteFile).U32(ToRemote(file)).In(buffer, std::min(toWrite, kMaxSyncWrite)).U32(0);
    if (!call.Send()) return FALSE;
    std::uint32_t count = 0;
    if (!call.Reply().U32(count)) return call.Malformed();
    if (written) *written = count;
    return call.Ret() ? TRUE : FALSE;
}

BOOL CeCloseHandle(HANDLE handle)
{
    RemoteCall call;
    const auto state = call.FileOf(handle);
    call.Begin(RapiCommand::CloseHandle).U32(ToRemote(handle));
    const bool sent = call.Send();
    call.Forget(handle);
    if (!sent) return FALSE;
    if (state && state->error) {
        SetErrors(state->error);
        return FALSE;
    }
    return call.Ret() ? TRUE : FALSE;
}

BOOL CeDeleteFile(LPCWSTR name)
{
    RemoteCall call;
    call.Begin(RapiCommand::DeleteFile).OStr(name);
    return call.Send() && call.Ret() ? TRUE : FALSE;
}

BOOL CeMoveFile(LPCWSTR from, LPCWSTR to)
{
    RemoteCall call;
    call.Begin(RapiCommand::MoveFile).OStr(from).OStr(to);
    return call.Send() && call.Ret() ? TRUE : FALSE;
}

BOOL CeCreateDirectory(LPCWSTR name, LPSECURITY_ATTRIBUTES)
{
    RemoteCall call;
    call.Begin(RapiCommand::CreateDirectory).OStr(name).U32(0);
    return call.Send() && call.Ret() ? TRUE : FALSE;
}

LONG CeRegOpenKeyEx(HKEY key, LPCWSTR subKey, DWORD, REGSAM, HKEY* result)
{
    RemoteCall call;
    call.Begin(RapiCommand::RegOpenKeyEx).U32(ToRemote(key)).Str(subKey);
    const bool sent = call.Send();
    if (!sent || call.Ret() != ERROR_SUCCESS) return Status(call, sent);
    std::uint32_t opened = 0;
    if (!call.Reply().U32(opened)) return MalformedStatus(call);
    if (result) *result = ToKey(opened);
    return ERROR_SUCCESS;
}

LONG CeRegCreateKeyEx(HKEY key, LPCWSTR subKey, DWORD, LPWSTR className, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                      HKEY* result, DWORD* disposition)
{
    RemoteCall call;
    call.Begin(RapiCommand::RegCreateKeyEx).U32(ToRemote(key)).Str(subKey).Str(className);
    const bool sent = call.Send();
    if (!sent || call.Ret() != ERROR_SUCCESS) return Status(call, sent);
    std::uint32_t created = 0;
    std::uint32_t how = 0;
    if (!call.Reply().U32(created) || !call.Reply().U32(how)) return MalformedStatus(call);
    if (result) *result = ToKey(created);
    if (disposition) *disposition = how;
    return ERROR_SUCCESS;
}

LONG CeRegQueryValueEx(HKEY key, LPCWSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size)
{
    RemoteCall call;
    const DWORD capacity = size ? *size : 0;
    WireWriter& args = call.Begin(RapiCommand::RegQueryValueEx).U32(ToRemote(key)).OStr(name).Null();
    type ? args.Out(4) : args.Null();
    data ? args.Out(capacity) : args.Null();
    size ? args.OptU32(capacity) : args.Null();
    const bool sent = call.Send();
    if (!sent || call.Ret() != ERROR_SUCCESS) return Status(call, sent);
    WireReader& reply = call.Reply();
    if (!TakeU32(reply, type) || !TakeBytes(reply, data, capacity) || !TakeU32(reply, size))
        return MalformedStatus(call);
    return ERROR_SUCCESS;
}

LONG CeRegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    RemoteCall call;
    WireWriter& args = call.Begin(RapiCommand::RegSetValueEx).U32(ToRemote(key)).OStr(name).U32(type);
    data ? args.Opt(data, size) : args.Null();
    args.U32(data ? size : 0);
    return Status(call, call.Send());
}

LONG CeRegDeleteKey(HKEY key, LPCWSTR subKey)
{
    RemoteCall call;
    call.Begin(RapiCommand::RegDeleteKey).U32(ToRemote(key)).OStr(subKey);
    return Status(call, call.Send());
}

LONG CeRegQueryInfoKey(HKEY key, LPWSTR className, DWORD* classSize, DWORD* reserved, DWORD* subKeys,
                       DWORD* maxSubKeyLen, DWORD* maxClassLen, DWORD* values, DWORD* maxValueNameLen,
                       DWORD* maxValueLen, DWORD* securityDescriptor, FILETIME* lastWriteTime)
{
    RemoteCall call;
    const DWORD classCapacity = classSize ? *classSize : 0;
    WireWriter& args = call.Begin(RapiCommand::RegQueryInfoKey).U32(ToRemote(key));
    className ? args.Out(classCapacity * 2) : args.Null();
    classSize ? args.OptU32(classCapacity) : args.Null();
    DWORD* const counts[] = {subKeys, maxSubKeyLen, maxClassLen, values, maxValueNameLen, maxValueLen, securityDescriptor};
    reserved ? args.Out(4) : args.Null();
    for (DWORD* count : counts) count ? args.Out(4) : args.Null();
    lastWriteTime ? args.Out(8) : args.Null();
    const bool sent = call.Send();
    if (!sent || call.Ret() != ERROR_SUCCESS) return Status(call, sent);
    WireReader& reply = call.Reply();
    bool ok = TakeBytes(reply, className, classCapacity * 2u) && TakeU32(reply, classSize);
    for (DWORD* count : counts) ok = ok && TakeU32(reply, count);
    if (!ok || !TakeBytes(reply, lastWriteTime, sizeof(FILETIME))) return MalformedStatus(call);
    return ERROR_SUCCESS;
}

LONG CeRegEnumKeyEx(HKEY key, DWORD index, LPWSTR name, DWORD* nameSize, DWORD*, LPWSTR className,
                    DWORD* classSize, FILETIME* lastWriteTime)
{
    RemoteCall call;
    const DWORD nameCapacity = nameSize ? *nameSize : 0;
    const DWORD classCapacity = classSize ? *classSize : 0;
    WireWriter& args = call.Begin(RapiCommand::RegEnumKeyEx).U32(ToRemote(key)).U32(index);
    name ? args.Out(nameCapacity * 2) : args.Null();
    nameSize ? args.OptU32(nameCapacity) : args.Null();
    args.Null();
    className ? args.Out(classCapacity * 2) : args.Null();
    classSize ? args.OptU32(classCapacity) : args.Null();
    lastWriteTime ? args.Out(8) : args.Null();
    const bool sent = call.Send();
    if (!sent || call.Ret() != ERROR_SUCCESS) return Status(call, sent);
    WireReader& reply = call.Reply();
    if (!TakeBytes(reply, name, nameCapacity * 2u) || !TakeU32(reply, nameSize) ||
        !TakeBytes(reply, className, classCapacity * 2u) || !TakeU32(reply, classSize) ||
        !TakeBytes(reply, lastWriteTime, sizeof(FILETIME)))
        return MalformedStatus(call);
    return ERROR_SUCCESS;
}

LONG CeRegCloseKey(HKEY key)
{
    RemoteCall call;
    call.Begin(RapiCommand::RegCloseKey).U32(ToRemote(key));
    return Status(call, call.Send());
}
