// Catalogue scan over desktops of 1,000, 10,000 and 20,000 applications, each with its package on disk.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "backup/CBackupDlg.h"
#include "platform/HostPath.h"
#include "platform/RegStore.h"
#include "platform/RegistryApi.h"

namespace {

constexpr DWORD kHandheld = 2577;
constexpr int kAppsPerFolder = 1000;
constexpr int kIndexEntries = 50;

std::u16string Utf16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

void SetString(RegStore& store, RegStore::KeyId key, const char16_t* name, const std::u16string& text)
{
    store.SetValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), text.size() * 2);
}

void SetList(RegStore& store, RegStore::KeyId key, const char16_t* name, const std::u16string& joined)
{
    // joined holds the strings separated by '|'; the stored form ends every one with a null, then one more.
    std::u16string data;
    for (char16_t c : joined)
        data += c == u'|' ? u'\0' : c;
    data += u'\0';
    data += u'\0';
    store.SetValue(key, name, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()), data.size() * 2);
}

// One desktop prefix: every tenth application is for another processor only; the rest have a package
// for the handheld as the second of two, with the file on drive C.
class Desktop {
public:
    explicit Desktop(int apps)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-bench-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data()) ? pattern : std::string();
        Use();
        RegStore store(m_dir + "/registry.db");
        store.Open();
        store.BeginBatch();
        RegStore::KeyId root = 0;
        store.CreateKey(RegStore::RootKey(HKEY_LOCAL_MACHINE), u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps",
                        &root);
        for (int i = 0; i < apps; ++i)
            AddApp(store, root, i);
        store.CommitBatch();
    }
    ~Desktop()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    void Use() const
    {
        ::setenv("PELRUDO_PREFIX", m_dir.c_str(), 1);
        ::setenv("PELRUDO_REGISTRY", (m_dir + "/registry.db").c_str(), 1);
        ResetPrefix();
        RegSetStorePath(m_dir + "/registry.db");
    }

private:
    static void AddApp(RegStore& store, RegStore::KeyId root, int i)
    {
        const std::string name = "Application " + std::to_string(i);
        const std::string folder = "C:\\Program Files\\Apps\\Group" + std::to_string(i / kAppsPerFolder);
        const std::string cab = "App" + std::to_string(i) + ".ARM.CAB";
        RegStore::KeyId key = 0;
        store.CreateKey(root, Utf16(name), &key);
        if (i % 10 == 9) {
            SetList(store, key, u"ListCpuTypes", u"4000");
            SetList(store, key, u"ListCabFiles", Utf16("App" + std::to_string(i) + ".MIPS.CAB"));
        } else {
            SetList(store, key, u"ListCpuTypes", u"4000|2577");
            SetList(store, key, u"ListCabFiles", Utf16("App" + std::to_string(i) + ".MIPS.CAB|" + cab));
        }
        SetString(store, key, u"AppName", Utf16(name));
        SetString(store, key, u"Description", Utf16("The sample application number " + std::to_string(i)));
        SetString(store, key, u"InstallDir", Utf16(folder));
        SetString(store, key, u"Provider", u"Tavrimo");
        SetString(store, key, u"IconFile", u"app.ico");

        const std::filesystem::path host = ToHostPath(CString(Utf16(folder + "\\" + cab)));
        std::filesystem::create_directories(host.parent_path());
        std::ofstream(host, std::ios::binary) << std::string(100 + i % 900, 'c');
    }

    std::string m_dir;
};

Desktop& DesktopOf(int apps)
{
    static std::map<int, std::unique_ptr<Desktop>> desktops;
    auto& desktop = desktops[apps];
    if (!desktop)
        desktop = std::make_unique<Desktop>(apps);
    desktop->Use();
    return *desktop;
}

void AddIndex(CBackupDlg& dlg)
{
    for (int i = 0; i < kIndexEntries; ++i) {
        auto* entry = new CBackupEntry;
        entry->m_cabName.m_strName = CString(Utf16("App" + std::to_string(i * 7) + ".ARM.CAB"));
        dlg.m_arrIndex.Add(entry);
    }
}

void CatalogueScan(benchmark::State& state)
{
    const int apps = static_cast<int>(state.range(0));
    DesktopOf(apps);
    INT_PTR catalogued = 0;
    for (auto _ : state) {
        CBackupDlg dlg;
        AddIndex(dlg);
        if (!dlg.LoadCatalogue(kHandheld)) {
            state.SkipWithError("the Apps key cannot be opened");
            break;
        }
        catalogued = dlg.m_arrApps.GetSize();
        benchmark::DoNotOptimize(catalogued);
    }
    state.counters["catalogued"] = static_cast<double>(catalogued);
    state.SetItemsProcessed(state.iterations() * apps);
}

}  // namespace

BENCHMARK(CatalogueScan)->Arg(1000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
