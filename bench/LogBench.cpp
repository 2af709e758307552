// The log file's figures: processor time of an idle log, and the caller's cost and the writer's lag in a burst.
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/CLogFile.h"
#include "platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The messages of the file, in order ("<thread> <index>"), from UTF-16 with CR LF.
std::vector<std::string> Messages(const std::string& bytes)
{
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
        const std::size_t stamp = text.find(u"] ", start);
        lines.push_back(Utf16ToUtf8(text.substr(stamp + 2, end - stamp - 2)));
    }
    return lines;
}

bool InThreadOrder(const std::vector<std::string>& lines, int threads)
{
    std::vector<int> next(static_cast<std::size_t>(threads), 0);
    for (const auto& line : lines) {
        int t = -1;
        int i = -1;
        if (std::sscanf(line.c_str(), "%d %d", &t, &i) != 2 || t < 0 || t >= threads || i != next[static_cast<std::size_t>(t)]++)
            return false;
    }
    return true;
}

}  // namespace

int main()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-logbench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return 1;
    const std::string dir = pattern;
    ::setenv("PELRUDO_PREFIX", (dir + "/prefix").c_str(), 1);
    const std::string path = dir + "/bench.txt";

    CLogFile log;
    if (!log.Create(FromUtf8(path))) return 1;
    const double idleStart = ProcessCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    std::printf("idle log, 2 s: process CPU time %.3f ms (target < 10 ms)\n", ProcessCpuMs() - idleStart);

    constexpr int kThreads = 4;
    constexpr int kLines = 100000 / kThreads;
    std::vector<std::vector<double>> costs(kThreads);
    std::vector<Clock::time_point> lastCall(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            auto& mine = costs[static_cast<std::size_t>(t)];
            mine.reserve(kLines);
            for (int i = 0; i < kLines; ++i) {
                const auto before = Clock::now();
                log.LogInfo(u"%d %d", t, i);
                mine.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
            }
            lastCall[static_cast<std::size_t>(t)] = Clock::now();
        });
    for (auto& thread : threads) thread.join();
    const auto last = *std::max_element(lastCall.begin(), lastCall.end());

    // Reads only what the writer added since the last look, so that the watcher leaves the processor
    // to the idle writer.
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    std::size_t lineEnds = 0;
    char chunk[1 << 16];
    while (lineEnds < static_cast<std::size_t>(kThreads * kLines) && Clock::now() - last < std::chrono::seconds(10)) {
        in.clear();
        in.read(chunk, sizeof chunk);
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        // From the last whole code unit already seen, which may be the CR of a CR LF split by the read.
        const std::size_t from = bytes.size() < 2 ? 0 : (bytes.size() - 2) & ~std::size_t{1};
        bytes.append(chunk, got);
        for (std::size_t i = from; i + 3 < bytes.size(); i += 2)
            lineEnds += bytes.compare(i, 4, std::string("\r\0\n\0", 4)) == 0;
    }
    const double lagMs = std::chrono::duration<double, std::milli>(Clock::now() - last).count();
    const std::vector<std::string> lines = Messages(bytes);

    std::vector<double> all;
    for (const auto& mine : costs) all.insert(all.end(), mine.begin(), mine.end());
    std::nth_element(all.begin(), all.begin() + static_cast<long>(all.size() / 2), all.end());
    const double median = all[all.size() / 2];
    std::nth_element(all.begin(), all.begin() + static_cast<long>(all.size() * 99 / 100), all.end());
    std::printf("burst of %d lines from %d threads: median caller cost %.3f us per line (target < 2 us), "
                "99th percentile %.3f us\n",
                kThreads * kLines, kThreads, median, all[all.size() * 99 / 100]);
    std::printf("whole burst in the file %.1f ms after the last call (target < 2000 ms): %zu lines, %s\n", lagMs,
                lines.size(), InThreadOrder(lines, kThreads) ? "in per-thread order" : "OUT OF ORDER");
    log.Destory();
    std::filesystem::remove_all(dir);
    return 0;
}
