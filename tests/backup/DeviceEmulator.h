// DeviceEmulator: a pelrudo-device image and server in a private temporary folder, for tests and benchmarks.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The folder holds the desktop prefix ("prefix"), the handheld image ("device") and the socket.
// UseAsDesktop points this process's prefix and remote API at them.
class DeviceEmulator {
public:
    DeviceEmulator();
    ~DeviceEmulator();
    DeviceEmulator(const DeviceEmulator&) = delete;
    DeviceEmulator& operator=(const DeviceEmulator&) = delete;

    // pelrudo-device init <image> ARGS...; true when it exits with 0.
    bool Init(const std::vector<std::string>& args = {});
    // pelrudo-device serve <image> --socket <socket> ARGS..., back once it says it listens on the socket
    // (false if it never does).
    bool Serve(const std::vector<std::string>& args = {});
    // SIGTERM and reap; the socket is gone afterwards. The server's exit code, or -1 when none was running
    // or it did not exit normally.
    int Stop();
    void UseAsDesktop() const;

    // The serving process, or -1.
    pid_t Pid() const { return m_server; }
    const std::string& Folder() const { return m_folder; }
    const std::string& Image() const { return m_image; }
    const std::string& Socket() const { return m_socket; }
    std::string Registry() const { return m_image + "/registry.db"; }
    // The desktop's registry store under the prefix UseAsDesktop sets.
    std::string DesktopRegistry() const { return m_folder + "/prefix/registry.db"; }
    // The host folder behind the handheld's root "\".
    std::string Root() const { return m_image + "/root"; }
    // The host file behind a handheld path such as "\Storage Card\Backup\info.exe".
    std::string HostFile(const std::string& devicePath) const;

    // Runs a program with extra "NAME=value" environment entries and waits; its exit code, or -1.
    static int Run(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env = {});
    static std::string Program(const std::string& name);

private:
    std::string m_folder;
    std::string m_image;
    std::string m_socket;
    pid_t m_server = -1;
    int m_serverOutput = -1;
};
