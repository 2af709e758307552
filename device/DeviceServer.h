// DeviceServer: serves a handheld image on a Unix socket, one thread and one session per connection.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "device/DeviceImage.h"
#include "device/LinkMeter.h"
#include "platform/WinTypes.h"

class DeviceServer {
public:
    struct Options {
        std::string socketPath;
        DWORD delayMs = 0;               // each connection waits this long before its session answers
        std::uint64_t bytesPerSecond = 0;  // link speed limit, 0 = none
        std::uint64_t dropAfter = 0;     // each connection is cut after this many bytes, 0 = never
    };

    DeviceServer(DeviceImage& image, Options options) : m_image(image), m_options(std::move(options)) {}
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    // Serves until SIGTERM or SIGINT, then closes every session and removes the socket. The exit code.
    int Run();

private:
    struct Connection {
        int fd;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    bool Listen();
    void Accept();
    void Serve(Connection& connection);
    bool Send(int fd, const std::uint8_t* data, std::size_t size, LinkMeter& meter);
    void Reap(bool all);

    DeviceImage& m_image;
    Options m_options;
    int m_listener = -1;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::list<std::unique_ptr<Connection>> m_connections;
};
