// Registry benchmark: the catalogue's scan (open, 7 reads, close per application) and single-value reads.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/RegStore.h"
#include "platform/RegistryApi.h"

namespace {

constexpr const char16_t* kApps = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps";
constexpr const char16_t* kValueNames[] = {u"ListCpuTypes", u"ListCabFiles", u"AppName", u"Description",
                                           u"InstallDir",   u"Provider",     u"IconFile"};

std::u16string AppName(int i)
{
    const std::string digits = std::to_string(i);
    return u"Application " + std::u16string(digits.begin(), digits.end());
}

// The folders of the stores made for the run, removed at its end.
struct MadeStores {
    std::map<int, std::string> folders;
    ~MadeStores()
    {
        std::error_code ignored;
        for (const auto& [apps, folder] : folders) std::filesystem::remove_all(folder, ignored);
    }
};

// One store per size, made once in a folder of its own.
std::string StoreWith(int apps)
{
    static MadeStores made;
    if (auto it = made.folders.find(apps); it != made.folders.end()) return it->second + "/registry.db";
    std::string folder = (std::filesystem::temp_directory_path() / "pelrudo-regbench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return {};
    made.folders.emplace(apps, folder);
    const std::string path = folder + "/registry.db";
    RegStore store(path);
    store.BeginBatch();
    const std::u16string text = u"Some text of a typical length for a registry value";
    const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    for (int i = 0; i < apps; ++i) {
        RegStore::KeyId key = 0;
        store.CreateKey(RegStore::RootKey(HKEY_LOCAL_MACHINE), std::u16string(kApps) + u"\\" + AppName(i), &key);
        for (const char16_t* name : kValueNames) store.SetValue(key, name, REG_SZ, bytes, (text.size() + 1) * 2);
    }
    store.CommitBatch();
    return path;
}

// What the catalogue does per application, through the Reg... calls.
int Scan()
{
    HKEY apps = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kApps, 0, KEY_ALL_ACCESS, &apps) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    RegQueryInfoKey(apps, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr);
    int read = 0;
    BYTE buffer[4096];
    char16_t name[255];
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameSize = 255;
        RegEnumKeyEx(apps, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
        const std::u16string path = std::u16string(kApps) + u"\\" + name;
        HKEY app = nullptr;
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &app);
        for (const char16_t* value : kValueNames) {
            DWORD size = sizeof buffer;
            read += RegQueryValueEx(app, value, nullptr, nullptr, buffer, &size) == ERROR_SUCCESS;
        }
        RegCloseKey(app);
    }
    RegCloseKey(apps);
    return read;
}

void BM_CatalogueScanWarm(benchmark::State& state)
{
    const int apps = static_cast<int>(state.range(0));
    RegSetStorePath(StoreWith(apps));
    benchmark::DoNotOptimize(Scan());
    for (auto _ : state) {
        const int read = Scan();
        if (read != apps * 7) state.SkipWithError("values missing");
        benchmark::DoNotOptimize(read);
    }
    state.counters["apps"] = apps;
}
BENCHMARK(BM_CatalogueScanWarm)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A fresh binding each time: the scan a program does right after it started, the cache still empty.
void BM_CatalogueScanCold(benchmark::State& state)
{
    const int apps = static_cast<int>(state.range(0));
    const std::string path = StoreWith(apps);
    for (auto _ : state) {
        RegSetStorePath(path);
        const int read = Scan();
        if (read != apps * 7) state.SkipWithError("values missing");
        benchmark::DoNotOptimize(read);
    }
    state.counters["apps"] = apps;
}
BENCHMARK(BM_CatalogueScanCold)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// One value's read the way CRegistry does it: open, query, close.
void BM_OpenQueryClose(benchmark::State& state)
{
    RegSetStorePath(StoreWith(10000));
    const std::u16string path = std::u16string(kApps) + u"\\" + AppName(4321);
    BYTE buffer[4096];
    for (auto _ : state) {
        HKEY key = nullptr;
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key);
        DWORD size = sizeof buffer;
        benchmark::DoNotOptimize(RegQueryValueEx(key, u"AppName", nullptr, nullptr, buffer, &size));
        RegCloseKey(key);
    }
}
BENCHMARK(BM_OpenQueryClose);

}  // namespace

BENCHMARK_MAIN();
