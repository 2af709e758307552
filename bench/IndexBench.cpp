// Backup index benchmark: WriteBackupIndex and ReadBackupIndex with 10,000 and 20,000 entries.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "backup/CBackupDlg.h"
#include "platform/HostPath.h"
#include "platform/Text.h"

namespace {

// A private prefix and index file for the run, removed at exit.
class Scratch {
public:
    Scratch()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_folder = pattern;
        ::setenv("PELRUDO_PREFIX", (m_folder + "/prefix").c_str(), 1);
        ResetPrefix();
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    CString IndexPath() const { return FromUtf8(m_folder + "/Backup.ini"); }

private:
    std::string m_folder;
};

Scratch& TheScratch()
{
    static Scratch scratch;
    return scratch;
}

void FillCatalogue(CBackupDlg& dlg, int entries)
{
    for (int i = 0; i < entries; ++i) {
        auto* app = new CAppEntry;
        app->m_strAppName.Format(u"Application number %d", i);
        app->m_cabName.m_strName.Format(u"Vendor.Application%d.ARM.CAB", i);
        app->m_bTicked = TRUE;
        dlg.m_arrApps.Add(app);
    }
}

void DropIndex(CBackupDlg& dlg)
{
    for (INT_PTR i = 0; i < dlg.m_arrIndex.GetSize(); ++i) delete dlg.m_arrIndex.GetAt(i);
    dlg.m_arrIndex.RemoveAll();
}

void WriteIndex(benchmark::State& state)
{
    CBackupDlg dlg;
    FillCatalogue(dlg, static_cast<int>(state.range(0)));
    CString path = TheScratch().IndexPath();
    for (auto _ : state) dlg.WriteBackupIndex(path);
    state.SetComplexityN(state.range(0));
}

void ReadIndex(benchmark::State& state)
{
    CBackupDlg dlg;
    FillCatalogue(dlg, static_cast<int>(state.range(0)));
    CString path = TheScratch().IndexPath();
    dlg.WriteBackupIndex(path);
    for (auto _ : state) {
        if (!dlg.ReadBackupIndex(path) || dlg.m_arrIndex.GetSize() != state.range(0)) state.SkipWithError("index not read");
        state.PauseTiming();
        DropIndex(dlg);
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

BENCHMARK(WriteIndex)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(ReadIndex)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
