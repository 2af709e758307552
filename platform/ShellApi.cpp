// ShellExecute: the registered program mapped to the host and started detached, its parameters split as the platform's.
#include "platform/ShellApi.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/CStringT.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/detail/CommandLine.h"
#include "platform/detail/HostFolder.h"

namespace pelrudo::detail {

std::vector<std::u16string> SplitCommandLine(std::u16string_view text)
{
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    std::vector<std::u16string> args;
    std::size_t i = 0;
    const std::size_t n = text.size();
    for (;;) {
        while (i < n && blank(text[i])) ++i;
        if (i == n) return args;
        std::u16string arg;
        bool quoted = false;
        for (; i < n && (quoted || !blank(text[i])); ++i) {
            const char16_t c = text[i];
            if (c == u'\\') {
                std::size_t run = 1;
                while (i + run < n && text[i + run] == u'\\') ++run;
                const bool beforeQuote = i + run < n && text[i + run] == u'"';
                arg.append(beforeQuote ? run / 2 : run, u'\\');
                // An odd run escapes the quote: it is taken here and skipped; an even one leaves it to act.
                const bool escapesQuote = beforeQuote && run % 2 == 1;
                if (escapesQuote) arg += u'"';
                i += escapesQuote ? run : run - 1;
                continue;
            }
            if (c != u'"') {
                arg += c;
                continue;
            }
            if (quoted && i + 1 < n && text[i + 1] == u'"') {
                arg += u'"';
                ++i;
                continue;
            }
            quoted = !quoted;
        }
        args.push_back(std::move(arg));
    }
}

}  // namespace pelrudo::detail

using pelrudo::detail::IsHostFolder;
using pelrudo::detail::ParentFolder;

namespace {

// Any value above 32 means success; the platform's shell usually answers 42.
constexpr int kStarted = 42;

HINSTANCE Result(int code)
{
    if (code <= 32) SetLastError(static_cast<DWORD>(code));
    return reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(code));
}

// 0 when the host path names a program this user may run, else the shell's error.
int CheckProgram(const std::string& host)
{
    if (host.empty()) return ERROR_PATH_NOT_FOUND;
    struct stat st {};
    if (stat(host.c_str(), &st) != 0)
        return IsHostFolder(ParentFolder(host)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    // The desktop has no file associations (nor a folder browser): only programs can be opened.
    if (!S_ISREG(st.st_mode)) return SE_ERR_NOASSOC;
    return access(host.c_str(), X_OK) == 0 ? 0 : SE_ERR_ACCESSDENIED;
}

int ErrorOfErrno(int error)
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return SE_ERR_ACCESSDENIED;
    case ENOEXEC:
    case ELIBBAD: return ERROR_BAD_FORMAT;
    case ENOMEM:
    case EAGAIN: return SE_ERR_OOM;
    default: return SE_ERR_NOASSOC;
    }
}

// The grandchild's last words: why exec failed, through the close-on-exec pipe.
[[noreturn]] void FailInChild(int pipeFd, int error)
{
    [[maybe_unused]] ssize_t written = write(pipeFd, &error, sizeof error);
    _exit(127);
}

// Runs in the forked child, where only async-signal-safe calls are allowed: a new session, a second
// fork so that the program is nobody's child to wait for, then the exec.
[[noreturn]] void StartGrandchild(int pipeFd, char* const* argv, const char* folder)
{
    setsid();
    const pid_t grandchild = fork();
    if (grandchild < 0) FailInChild(pipeFd, errno);
    if (grandchild > 0) _exit(0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &dfl, nullptr);
    // Descriptors the caller left inheritable (stores, sockets) are not the program's business.
    close_range(3, ~0u, CLOSE_RANGE_CLOEXEC);
    if (folder && chdir(folder) != 0) FailInChild(pipeFd, ENOTDIR);
    execv(argv[0], argv);
    FailInChild(pipeFd, errno);
}

int StartDetached(std::vector<std::string> args, const std::string& folder)
{
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return SE_ERR_OOM;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        StartGrandchild(fds[1], argv.data(), folder.empty() ? nullptr : folder.c_str());
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return SE_ERR_OOM;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    // End of file: exec succeeded and closed the pipe; otherwise the errno of the failure.
    int error = 0;
    ssize_t got;
    while ((got = read(fds[0], &error, sizeof error)) < 0 && errno == EINTR) {}
    close(fds[0]);
    return got == static_cast<ssize_t>(sizeof error) ? ErrorOfErrno(error) : kStarted;
}

bool IsOpenVerb(LPCWSTR verb) { return !verb || !*verb || CStringW(verb).CompareNoCase(u"open") == 0; }

}  // namespace

HINSTANCE ShellExecute(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory, INT)
{
    if (!IsOpenVerb(lpOperation)) return Result(SE_ERR_NOASSOC);
    // The platform would open the current folder in its browser for an empty name; there is none here.
    if (!lpFile || !*lpFile) return Result(ERROR_FILE_NOT_FOUND);
    const std::string program = ToHostPath(CStringW(lpFile));
    if (const int error = CheckProgram(program)) return Result(error);
    std::string folder;
    if (lpDirectory && *lpDirectory) {
        folder = ToHostPath(CStringW(lpDirectory));
        if (!IsHostFolder(folder)) return Result(ERROR_PATH_NOT_FOUND);
    }
    std::vector<std::string> args{program};
    for (const std::u16string& arg : pelrudo::detail::SplitCommandLine(lpParameters ? lpParameters : u""))
        args.push_back(Utf16ToUtf8(arg));
    return Result(StartDetached(std::move(args), folder));
}

HINSTANCE ShellExecute(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                       INT nShowCmd)
{
    auto wide = [](LPCSTR text) { return text ? AnsiToUtf16(text) : std::u16string(); };
    const std::u16string operation = wide(lpOperation), file = wide(lpFile), parameters = wide(lpParameters),
                         directory = wide(lpDirectory);
    auto pointer = [](LPCSTR given, const std::u16string& text) { return given ? text.c_str() : nullptr; };
    return ShellExecute(hwnd, pointer(lpOperation, operation), pointer(lpFile, file), pointer(lpParameters, parameters),
                        pointer(lpDirectory, directory), nShowCmd);
}
