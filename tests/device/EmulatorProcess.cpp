// EmulatorProcess: a pelrudo-device handheld in a fresh temporary folder, served for one test.
#include "EmulatorProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace {

// Long enough for a loaded build machine; a healthy server answers at once.
constexpr int kStartWaitMs = 30000;

pid_t Spawn(std::vector<std::string> arguments, int outputFd)
{
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0) posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string EmulatorProcess::Program(const std::string& name)
{
    return std::string(PELRUDO_BINARY_DIR) + "/bin/" + name;
}

EmulatorProcess::EmulatorProcess()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-device-XXXXXX").string();
    m_temp = mkdtemp(pattern.data()) ? pattern : std::string();
    setenv("PELRUDO_PREFIX", (m_temp + "/prefix").c_str(), 1);
    setenv("PELRUDO_DEVICE", Socket().c_str(), 1);
}

EmulatorProcess::~EmulatorProcess()
{
    Stop();
    std::error_code ignored;
    if (!m_temp.empty()) std::filesystem::remove_all(m_temp, ignored);
}

bool EmulatorProcess::Init(const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{Program("pelrudo-device"), "init", Dir()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return Wait(Spawn(arguments, -1)) == 0;
}

bool EmulatorProcess::Serve(const std::vector<std::string>& options)
{
    std::vector<std::string> arguments{Program("pelrudo-device"), "serve", Dir(), "--socket", Socket()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    int output[2];
    if (pipe(output) != 0) return false;
    m_server = Spawn(arguments, output[1]);
    close(output[1]);
    std::string said;
    char buffer[256];
    pollfd wait{output[0], POLLIN, 0};
    while (m_server > 0 && said.find('\n') == std::string::npos && poll(&wait, 1, kStartWaitMs) > 0) {
        const ssize_t n = read(output[0], buffer, sizeof(buffer));
        if (n <= 0) break;
        said.append(buffer, static_cast<std::size_t>(n));
    }
    close(output[0]);
    return said == "listening on " + Socket() + "\n";
}

int EmulatorProcess::Stop()
{
    if (m_server <= 0) return -1;
    kill(m_server, SIGTERM);
    const int status = Wait(m_server);
    m_server = -1;
    return status;
}
