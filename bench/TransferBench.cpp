// Transfer benchmark: packages to the emulator and back in 4096-byte remote calls against a plain local
// copy, the desktop side's peak memory, and the round trip of one 4096-byte CeWriteFile.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "DeviceEmulator.h"
#include "backup/DeviceTransfer.h"
#include "core/Rapi.h"
#include "platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Peak resident set of this process in KiB (VmHWM).
long PeakKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// CPU seconds (user and system) of this process, and of the server from /proc.
double OwnCpu()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ServerCpu(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::size_t at = text.rfind(')');
    if (at == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(at + 2));
    std::string field;
    unsigned long long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i >= 14)
            ticks += std::stoull(field);
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Wall and CPU time of one step, this process's and the server's.
struct Span {
    pid_t server;
    Clock::time_point start = Clock::now();
    double own = OwnCpu();
    double served = ServerCpu(server);
};

// What one step gave: its rate and the share of a core each side kept busy meanwhile.
struct Step {
    double rate = 0;
    double desktopCpu = 0;
    double handheldCpu = 0;

    Step() = default;
    Step(const Span& span, double mib)
    {
        const double wall = Seconds(span.start);
        rate = mib / wall;
        desktopCpu = 100 * (OwnCpu() - span.own) / wall;
        handheldCpu = 100 * (ServerCpu(span.server) - span.served) / wall;
    }
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool MakeFile(const std::string& path, std::size_t size)
{
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(64 * 1024);
    for (std::size_t done = 0; done < size && out; done += block.size()) {
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((done + i) * 2654435761u >> 13);
        out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), size - done)));
    }
    return static_cast<bool>(out);
}

// The yardstick: read and write with a 64 KiB buffer.
bool LocalCopy(const std::string& from, const std::string& to)
{
    int in = open(from.c_str(), O_RDONLY);
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char> buffer(64 * 1024);
    bool ok = in >= 0 && out >= 0;
    for (ssize_t n; ok && (n = read(in, buffer.data(), buffer.size())) > 0;)
        ok = write(out, buffer.data(), static_cast<std::size_t>(n)) == n;
    if (in >= 0)
        close(in);
    if (out >= 0)
        close(out);
    return ok;
}

// One round: the plain copy, then the package to the handheld and back.
struct Round {
    Step local, to, from;
};

// A copy's figures count only when the whole file arrived.
bool SameSize(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_size == second.st_size;
}

bool RunRound(const std::string& desk, double mib, pid_t server, Round& round)
{
    // Every copy makes a new file: freeing the last round's pages is no part of any copy.
    const std::string source = desk + "/package.cab";
    unlink((desk + "/local.cab").c_str());
    unlink((desk + "/back.cab").c_str());
    Span local{server};
    if (!LocalCopy(source, desk + "/local.cab"))
        return false;
    round.local = Step(local, mib);

    Span to{server};
    if (!CopyFileToDevice(FromUtf8(source), u"\\Storage Card\\package.cab"))
        return false;
    round.to = Step(to, mib);

    Span from{server};
    if (!CopyFileFromDevice(u"\\Storage Card\\package.cab", FromUtf8(desk + "/back.cab")))
        return false;
    round.from = Step(from, mib);
    if (!SameSize(source, desk + "/local.cab") || !SameSize(source, desk + "/back.cab"))
        return false;
    return DeleteDeviceFile(u"\\Storage Card\\package.cab");
}

void PrintDirection(const char* name, const std::vector<Round>& rounds, Step Round::*step)
{
    std::vector<double> rates, ratios, desktop, handheld;
    for (const Round& round : rounds) {
        rates.push_back((round.*step).rate);
        ratios.push_back((round.*step).rate / round.local.rate);
        desktop.push_back((round.*step).desktopCpu);
        handheld.push_back((round.*step).handheldCpu);
    }
    std::printf("  %-13s %7.0f MiB/s, ratio %.2f (lowest %.2f, highest %.2f), desktop CPU %3.0f%%, handheld CPU %3.0f%%\n",
                name, Median(rates), Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), Median(desktop), Median(handheld));
}

// Rounds of the three copies; each ratio is taken against the plain copy of its own round, since the
// page cache's state (write-back of earlier rounds) sways every copy alike.
bool Measure(const std::string& desk, std::size_t size, pid_t server, int count)
{
    const double mib = static_cast<double>(size) / (1024.0 * 1024.0);
    if (!MakeFile(desk + "/package.cab", size))
        return false;
    const long peakBefore = PeakKiB();
    std::vector<Round> rounds(static_cast<std::size_t>(count));
    for (Round& round : rounds) {
        if (!RunRound(desk, mib, server, round))
            return false;
    }
    std::vector<double> local;
    for (const Round& round : rounds)
        local.push_back(round.local.rate);
    std::printf("%.0f MiB, medians of %d rounds: local copy %.0f MiB/s\n", mib, count, Median(local));
    PrintDirection("to handheld", rounds, &Round::to);
    PrintDirection("from handheld", rounds, &Round::from);
    std::printf("  desktop peak memory (VmHWM) %ld KiB before, %ld KiB after\n", peakBefore, PeakKiB());
    return true;
}

// One 4096-byte write, then the lightest waited call, whose reply can only come after the write's.
bool MeasureRoundTrip()
{
    HANDLE hFile = CeCreateFile(u"\\Storage Card\\rtt.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    std::vector<BYTE> block(4096, 0x5A);
    SYSTEM_INFO info = {};
    constexpr int kRounds = 2000;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < kRounds; ++i) {
        DWORD dwWritten = 0;
        CeWriteFile(hFile, block.data(), 4096, &dwWritten, nullptr);
        CeGetSystemInfo(&info);
    }
    const double micros = Seconds(start) * 1e6 / kRounds;
    BOOL bClosed = CeCloseHandle(hFile);
    CeDeleteFile(u"\\Storage Card\\rtt.bin");
    std::printf("CeWriteFile of 4096 bytes followed by a waited call: %.1f us per round trip\n", micros);
    return bClosed;
}

} // namespace

int main()
{
    DeviceEmulator device;
    if (!device.Init({"--store", "\\Storage Card=512M"}) || !device.Serve()) {
        std::fprintf(stderr, "the emulator did not start\n");
        return 1;
    }
    device.UseAsDesktop();
    if (CeRapiInit() < 0) {
        std::fprintf(stderr, "no session with the emulator\n");
        return 1;
    }
    const std::string desk = device.Folder();
    bool ok = Measure(desk, 16u << 20, device.Pid(), 3) && Measure(desk, 64u << 20, device.Pid(), 7) && MeasureRoundTrip();
    CeRapiUninit();
    if (!ok)
        std::fprintf(stderr, "a transfer failed\n");
    return ok ? 0 : 1;
}
