// Dialog benchmark: Pelrudo's load (WM_USER+1 to a filled list) with 1,000 listed applications, headless and
// with the real widgets (offscreen), against a running emulator; prints its figures without the agent's pause.
#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DeviceEmulator.h"
#include "backup/CBackupDlg.h"
#include "core/CRegistry.h"
#include "core/Rapi.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kApps = 1000;
constexpr int kRuns = 5;
constexpr double kAgentPauseMs = 100;  // StartAgent's fixed sleep, inside every load
const char kBackupFolder[] = "\\Storage Card\\Backup\\";

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void WriteMultiString(CRegistry& key, const CString& name, const CString& value)
{
    std::u16string data = value.Str() + u'\0' + u'\0';
    key.Write(name, data.data(), REG_MULTI_SZ, static_cast<int>(data.size() * sizeof(char16_t)));
}

// 1,000 applications, each in its own folder as the Application Manager keeps them, under keys in one
// order and names in another, so the list really sorts; a third with their own icon, a third with an
// icon file that is missing; every other one backed up.
bool WriteDesktop(const std::string& root, CBackupDlg& index)
{
    for (int i = 0; i < kApps; ++i) {
        const std::string folder = root + "/" + std::to_string(i);
        std::filesystem::create_directories(folder);
        if (i % 3 == 0)
            std::filesystem::copy_file(PELRUDO_SOURCE_DIR "/backup/res/pelrudo.ico", folder + "/own.ico");
        CString key, name, cab;
        key.Format(u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\App%04d", i);
        name.Format(u"Application %04d", (i * 7919) % kApps);
        cab.Format(u"App%04d.cab", i);
        CRegistry reg;
        if (!reg.Open(HKEY_LOCAL_MACHINE, key, 1))
            return false;
        WriteMultiString(reg, u"ListCpuTypes", u"2577");
        WriteMultiString(reg, u"ListCabFiles", cab);
        reg.WriteString(u"AppName", name);
        reg.WriteString(u"Description", name + u" description");
        reg.WriteString(u"InstallDir", FromUtf8(folder));
        if (i % 3 != 2)
            reg.WriteString(u"IconFile", i % 3 == 0 ? u"own.ico" : u"missing.ico");
        std::ofstream(folder + "/" + ToUtf8(cab), std::ios::binary) << std::string(1000 + i, 'c');
        if (i % 2 == 0) {
            auto* entry = new CAppEntry;
            entry->m_strAppName = name;
            entry->m_cabName.m_strName = cab;
            entry->m_bTicked = TRUE;
            index.m_arrApps.Add(entry);
        }
    }
    return true;
}

bool WriteAgentRecord()
{
    if (FAILED(CeRapiInit()))
        return false;
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    const CString strFolder = FromUtf8(kBackupFolder);
    bool ok = CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               &hKey, &dwDisposition) == ERROR_SUCCESS &&
              CeRegSetValueEx(hKey, u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(strFolder.GetString()),
                              static_cast<DWORD>(strFolder.GetLength() * 2)) == ERROR_SUCCESS;
    CeRegCloseKey(hKey);
    CeRapiUninit();
    return ok;
}

// A load that fails (a handheld too slow to answer within the 1000 ms wait on a busy machine) is told
// on standard error and left out of the figures instead of waiting for a click.
class BenchDlg : public CBackupDlg {
public:
    BenchDlg() { AttachHeadless(); }
    bool failed = false;

protected:
    void ShowMessage(LPCTSTR lpszText) override
    {
        failed = true;
        std::fprintf(stderr, "dialog bench: a load failed: %s\n", ToUtf8(CString(lpszText)).c_str());
    }
};

// The real dialog without its two 100 ms timers: the load is sent as soon as the dialog is up.
class TimedDlg : public BenchDlg {
public:
    double ms = 0;
    int rows = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        QTimer::singleShot(0, qApp, [this] {
            const auto start = Clock::now();
            SendMessage(WM_LOAD);
            ms = MillisecondsSince(start);
            rows = m_list.GetItemCount();
            EndDialog(IDCANCEL);
        });
        return TRUE;
    }
};

void Report(const char* what, std::vector<double> ms, int rows)
{
    if (ms.empty()) {
        std::printf("%-34s every load failed\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s rows %d   median %7.1f ms   best %7.1f ms   (without the agent's %.0f ms pause)\n", what,
                rows, ms[ms.size() / 2] - kAgentPauseMs, ms.front() - kAgentPauseMs, kAgentPauseMs);
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    DeviceEmulator device;
    if (!device.Init({"--store", "\\Storage Card=64M", "--agent", kBackupFolder}) || !device.Serve()) {
        std::fprintf(stderr, "dialog bench: cannot start the emulator\n");
        return 1;
    }
    device.UseAsDesktop();
    RegSetStorePath(device.DesktopRegistry());
    CBackupDlg index;
    if (!WriteDesktop(device.Folder() + "/apps", index) || !WriteAgentRecord()) {
        std::fprintf(stderr, "dialog bench: cannot write the desktop or the agent's record\n");
        return 1;
    }
    index.WriteBackupIndex(FromUtf8(device.HostFile(std::string(kBackupFolder) + "Backup.ini")));

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    std::vector<double> windowed;
    int rows = 0;
    for (int run = 0; run < kRuns; ++run) {
        TimedDlg dlg;
        dlg.DoModal();
        dlg.ReleaseDevice();
        if (!dlg.failed)
            windowed.push_back(dlg.ms);
        rows = dlg.rows;
    }
    Report("load, dialog with widgets", windowed, rows);
    std::vector<double> headless;
    for (int run = 0; run < kRuns; ++run) {
        BenchDlg dlg;
        const auto start = Clock::now();
        dlg.SendMessage(CBackupDlg::WM_LOAD);
        const double ms = MillisecondsSince(start);
        rows = dlg.m_list.GetItemCount();
        dlg.ReleaseDevice();
        if (!dlg.failed)
            headless.push_back(ms);
    }
    Report("load, headless list", headless, rows);

    return 0;
}
