// DeviceServer: serves a handheld image on a Unix socket, one thread and one session per connection.
#include "device/DeviceServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/wire/FrameDecoder.h"
#include "core/wire/WireWriter.h"
#include "device/DeviceSession.h"

namespace {

constexpr std::size_t kReceive = 1024u * 1024u;
constexpr std::size_t kSendAt = 1024u * 1024u;
// A deep send buffer lets read replies run far ahead of the desktop (the host may grant less).
constexpr int kSendBuffer = 4 << 20;
// A request usually follows within microseconds. Sleeping at once would make the desktop wake us, which
// on some hosts costs more than the data itself, so a wait first keeps trying this long.
constexpr auto kSpin = std::chrono::microseconds(100);
// Under a speed limit the link moves in small steps, so that the limit holds over short spans too.
constexpr std::size_t kLimitedStep = 4096;

// recv that keeps trying for kSpin before it sleeps.
ssize_t ReceiveSoon(int fd, std::uint8_t* at, std::size_t room)
{
    const auto spinUntil = std::chrono::steady_clock::now() + kSpin;
    ssize_t n;
    do n = ::recv(fd, at, room, MSG_DONTWAIT);
    while (n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < spinUntil);
    return n < 0 && errno == EAGAIN ? ::recv(fd, at, room, 0) : n;
}

// Makes the folders of a path that are missing, private to the user.
void MakeParents(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        ::mkdir(path.substr(0, slash).c_str(), 0700);
}

}  // namespace

bool DeviceServer::Listen()
{
    const std::string& path = m_options.socketPath;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        std::fprintf(stderr, "pelrudo-device: socket path too long: %s\n", path.c_str());
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    MakeParents(path);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool taken = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(probe);
    if (taken) {
        std::fprintf(stderr, "pelrudo-device: another handheld is served on %s\n", path.c_str());
        return false;
    }
    ::unlink(path.c_str());  // a socket left by a server that did not stop cleanly
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const mode_t mask = ::umask(0177);
    const bool bound = ::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::umask(mask);
    if (!bound || ::listen(m_listener, 64) != 0) {
        std::fprintf(stderr, "pelrudo-device: cannot listen on %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

int DeviceServer::Run()
{
    // Stop signals are taken by sigwait below; every thread made from here on keeps them blocked.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // Started programs are not waited for; the system reaps them.
    struct sigaction children {};
    children.sa_handler = SIG_IGN;
    children.sa_flags = SA_NOCLDWAIT;
    ::sigaction(SIGCHLD, &children, nullptr);

    if (!Listen() || ::pipe2(m_wake, O_CLOEXEC) != 0) return 1;
    std::printf("listening on %s\n", m_options.socketPath.c_str());
    std::fflush(stdout);
    std::thread acceptor(&DeviceServer::Accept, this);
    int signal = 0;
    ::sigwait(&stop, &signal);

    m_stopping = true;
    const char wake = 1;
    (void)!::write(m_wake[1], &wake, 1);
    acceptor.join();
    {
        std::lock_guard guard(m_lock);
        for (const auto& connection : m_connections) ::shutdown(connection->fd, SHUT_RDWR);
    }
    Reap(true);
    ::close(m_listener);
    ::unlink(m_options.socketPath.c_str());
    ::close(m_wake[0]);
    ::close(m_wake[1]);
    return 0;
}

void DeviceServer::Accept()
{
    while (!m_stopping) {
        pollfd waits[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR) return;
        if (waits[1].revents) return;
        if (!(waits[0].revents & POLLIN)) continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
        Reap(false);
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        Connection& served = *connection;
        std::lock_guard guard(m_lock);
        m_connections.push_back(std::move(connection));
        served.thread = std::thread(&DeviceServer::Serve, this, std::ref(served));
    }
}

// Joins finished connections (or all); their sockets close only here, after their threads ended, so
// that a stop never shuts down a number already reused.
void DeviceServer::Reap(bool all)
{
    std::lock_guard guard(m_lock);
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        Connection& connection = **it;
        if (!all && !connection.done) {
            ++it;
            continue;
        }
        if (connection.thread.joinable()) connection.thread.join();
        ::close(connection.fd);
        it = m_connections.erase(it);
    }
}

bool DeviceServer::Send(int fd, const std::uint8_t* data, std::size_t size, LinkMeter& meter)
{
    const std::size_t step = m_options.bytesPerSecond ? kLimitedStep : size;
    std::size_t sent = 0;
    while (sent < size) {
        const std::size_t allowed = meter.Allow(std::min(step, size - sent));
        if (allowed == 0) return false;
        const ssize_t n = ::send(fd, data + sent, allowed, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
        meter.Pass(static_cast<std::size_t>(n));
    }
    return true;
}

// Requests are answered in order. Replies gather while whole requests are waiting and leave together.
// When the peer stops reading, the requests it sent are still carried out, so that what it wrote
// before it closed reaches the handheld.
void DeviceServer::Serve(Connection& connection)
{
    const auto ready = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_options.delayMs);
    while (!m_stopping && std::chrono::steady_clock::now() < ready)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    DeviceSession session(m_image);
    FrameDecoder in;
    WireWriter out;
    LinkMeter meter(m_options.bytesPerSecond, m_options.dropAfter, m_stopping);
    const std::size_t step = m_options.bytesPerSecond ? kLimitedStep : kReceive;
    bool peerReads = true;
    bool healthy = true;
    while (healthy && !m_stopping && !meter.Cut()) {
        const std::size_t room = meter.Allow(step);
        const ssize_t n = ReceiveSoon(connection.fd, in.Prepare(room), room);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        in.Commit(static_cast<std::size_t>(n));
        meter.Pass(static_cast<std::size_t>(n));
        std::span<const std::uint8_t> body;
        FrameDecoder::Status status;
        while ((status = in.Next(body)) == FrameDecoder::Status::Ready && healthy) {
            healthy = session.Dispatch(body, out);
            if (out.Size() >= kSendAt) {
                peerReads = peerReads && Send(connection.fd, out.Data(), out.Size(), meter);
                out.Clear();
            }
        }
        if (status == FrameDecoder::Status::Malformed) healthy = false;
        if (!out.Empty()) peerReads = peerReads && Send(connection.fd, out.Data(), out.Size(), meter);
        out.Clear();
    }
    ::shutdown(connection.fd, SHUT_RDWR);
    connection.done = true;
}
