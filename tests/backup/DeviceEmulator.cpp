// DeviceEmulator: starts, waits for and stops pelrudo-device in a private temporary folder.
#include "DeviceEmulator.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/HostPath.h"

extern char** environ;

namespace {

// Long enough for a loaded build machine; a healthy server answers at once.
constexpr int kListenWaitMs = 30000;

std::vector<char*> Pointers(std::vector<std::string>& items)
{
    std::vector<char*> pointers;
    for (auto& item : items)
        pointers.push_back(item.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Spawns the program with the environment of this process plus the extra entries.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env, posix_spawn_file_actions_t* actions)
{
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp(env);
    for (char** e = environ; *e; ++e)
        envp.emplace_back(*e);  // later duplicates lose: the extra entries come first
    auto argvPointers = Pointers(argv);
    auto envPointers = Pointers(envp);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), actions, nullptr, argvPointers.data(), envPointers.data()) != 0)
        return -1;
    return pid;
}

int Reap(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads the child's output until it has said the line, within the wait.
bool WaitForLine(int fd, const std::string& line)
{
    std::string seen;
    char chunk[256];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kListenWaitMs) <= 0)
            return false;
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        seen.append(chunk, static_cast<std::size_t>(n));
        for (std::size_t start = 0, end; (end = seen.find('\n', start)) != std::string::npos; start = end + 1) {
            if (seen.compare(start, end - start, line) == 0)
                return true;
        }
    }
}

} // namespace

DeviceEmulator::DeviceEmulator()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-dev-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return;  // Init and Serve refuse to run without a folder of their own
    m_folder = pattern;
    m_image = m_folder + "/device";
    m_socket = m_folder + "/rapi.sock";
    std::filesystem::create_directories(m_folder + "/prefix");
}

DeviceEmulator::~DeviceEmulator()
{
    Stop();
    std::error_code ignored;
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder, ignored);
}

std::string DeviceEmulator::Program(const std::string& name)
{
    return std::string(PELRUDO_BINARY_DIR) + "/bin/" + name;
}

int DeviceEmulator::Run(const std::string& program, const std::vector<std::string>& args,
                        const std::vector<std::string>& env)
{
    pid_t pid = Spawn(program, args, env, nullptr);
    return pid < 0 ? -1 : Reap(pid);
}

bool DeviceEmulator::Init(const std::vector<std::string>& args)
{
    if (m_folder.empty())
        return false;
    std::vector<std::string> all{"init", m_image};
    all.insert(all.end(), args.begin(), args.end());
    return Run(Program("pelrudo-device"), all, {"PELRUDO_PREFIX=" + m_folder + "/prefix"}) == 0;
}

bool DeviceEmulator::Serve(const std::vector<std::string>& args)
{
    Stop();
    int pipeFds[2];
    if (m_folder.empty() || pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> all{"serve", m_image, "--socket", m_socket};
    all.insert(all.end(), args.begin(), args.end());
    m_server = Spawn(Program("pelrudo-device"), all, {"PELRUDO_PREFIX=" + m_folder + "/prefix"}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    // Kept open until the server stops, so that a later line of its output never meets a closed pipe.
    m_serverOutput = pipeFds[0];
    return m_server > 0 && WaitForLine(m_serverOutput, "listening on " + m_socket);
}

int DeviceEmulator::Stop()
{
    int status = -1;
    if (m_server > 0) {
        kill(m_server, SIGTERM);
        status = Reap(m_server);
        m_server = -1;
    }
    if (m_serverOutput >= 0) {
        close(m_serverOutput);
        m_serverOutput = -1;
    }
    return status;
}

void DeviceEmulator::UseAsDesktop() const
{
    setenv("PELRUDO_PREFIX", (m_folder + "/prefix").c_str(), 1);
    setenv("PELRUDO_DEVICE", m_socket.c_str(), 1);
    ResetPrefix();
}

std::string DeviceEmulator::HostFile(const std::string& devicePath) const
{
    std::string host = Root();
    for (char c : devicePath)
        host += c == '\\' ? '/' : c;
    return host;
}
