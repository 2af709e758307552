// EmulatorProcess: a pelrudo-device handheld in a fresh temporary folder, served for one test.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Sets PELRUDO_PREFIX (a folder of its own) and PELRUDO_DEVICE (its socket) for the test's process.
class EmulatorProcess {
public:
    EmulatorProcess();
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    // pelrudo-device init with these options; true when it exited with 0.
    bool Init(const std::vector<std::string>& options = {});
    // pelrudo-device serve with these options; true once it said it listens.
    bool Serve(const std::vector<std::string>& options = {});
    // SIGTERM and wait; the server's exit status, or -1 when it did not exit normally.
    int Stop();

    const std::string& Temp() const { return m_temp; }
    std::string Dir() const { return m_temp + "/dev"; }
    std::string Root() const { return m_temp + "/dev/root"; }
    std::string Socket() const { return m_temp + "/rapi.sock"; }
    static std::string Program(const std::string& name);

private:
    std::string m_temp;
    pid_t m_server = -1;
};
