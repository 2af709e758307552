// BackupScene: writes the desktop's Application Manager data and prepares the emulated handheld.
#include "BackupScene.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "backup/CBackupDlg.h"
#include "core/CRegistry.h"
#include "core/Rapi.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"

namespace {

const char16_t kAppsKey[] = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\";
const char kBackupFolder[] = "\\Storage Card\\Backup\\";

struct SceneApp {
    const char* key;
    const char* name;
    const char* cab;
    unsigned size;  // 0: no package file on the desktop
    int icon;       // 0 none, 1 the program's own icon file, 2 a name with no file behind it
    bool backedUp;
    std::vector<const char16_t*> cpuTypes;  // one package (the same name) per processor type
};

const SceneApp kApps[] = {
    {"A1", "Zeta", "Zeta.cab", 3000, 1, true, {u"2577"}},
    {"B2", "alpha", "alpha.cab", 1536, 0, false, {u"2577"}},
    {"C3", "Mid", "Mid.cab", 5000, 2, true, {u"4000", u"2577"}},
    {"D4", "Gone", "Gone.cab", 0, 0, true, {u"2577"}},
    {"E5", "Mips", "Mips.cab", 700, 0, false, {u"4000"}},
};

std::string Pattern(const std::string& name, unsigned size)
{
    std::string bytes(size, '\0');
    for (unsigned i = 0; i < size; ++i)
        bytes[i] = name[i % name.size()];
    return bytes;
}

// NUL-separated strings ended by an empty one, as a multi-string value holds them.
void WriteMultiString(CRegistry& key, const CString& name, const std::vector<std::u16string>& strings)
{
    std::u16string data;
    for (const std::u16string& s : strings)
        data += s + u'\0';
    data += u'\0';
    key.Write(name, data.data(), REG_MULTI_SZ, static_cast<int>(data.size() * sizeof(char16_t)));
}

bool WriteApp(const SceneApp& app, const std::string& folder)
{
    CRegistry key;
    if (!key.Open(HKEY_LOCAL_MACHINE, CString(kAppsKey) + FromUtf8(app.key), 1))
        return false;
    std::vector<std::u16string> cpuTypes(app.cpuTypes.begin(), app.cpuTypes.end());
    WriteMultiString(key, u"ListCpuTypes", cpuTypes);
    WriteMultiString(key, u"ListCabFiles", std::vector<std::u16string>(cpuTypes.size(), FromUtf8(app.cab).Str()));
    key.WriteString(u"AppName", FromUtf8(app.name));
    key.WriteString(u"Description", FromUtf8(std::string(app.name) + " 的说明"));
    key.WriteString(u"InstallDir", FromUtf8(folder));
    key.WriteString(u"Provider", u"Tavrimo");
    if (app.icon)
        key.WriteString(u"IconFile", app.icon == 1 ? u"own.ico" : u"missing.ico");
    std::filesystem::create_directories(folder);
    if (app.size)
        TestFolder::WriteHostFile(folder + "/" + app.cab, Pattern(app.name, app.size));
    if (app.icon == 1)
        std::filesystem::copy_file(PELRUDO_SOURCE_DIR "/backup/res/pelrudo.ico", folder + "/own.ico");
    return true;
}

bool WriteRecord()
{
    if (FAILED(CeRapiInit()))
        return false;
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    bool ok = CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               &hKey, &dwDisposition) == ERROR_SUCCESS;
    const CString strFolder = FromUtf8(kBackupFolder);
    const DWORD dwFree = 50000000;  // more than any test ticks, whether or not the agent answers in time
    ok = ok && CeRegSetValueEx(hKey, u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(strFolder.GetString()),
                               static_cast<DWORD>(strFolder.GetLength() * 2)) == ERROR_SUCCESS;
    ok = ok && CeRegSetValueEx(hKey, u"SpareDiskSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwFree),
                               sizeof dwFree) == ERROR_SUCCESS;
    CeRegCloseKey(hKey);
    CeRapiUninit();
    return ok;
}

}  // namespace

bool BackupScene::Start(const Parts& parts)
{
    if (!device.Init({"--store", "\\Storage Card=64M", "--agent", kBackupFolder}) || !device.Serve())
        return false;
    UseAsDesktop();
    std::filesystem::create_directories(Handheld("Data"));
    if (parts.catalogue)
        for (const SceneApp& app : kApps)
            if (!WriteApp(app, AppsFolder() + "/" + app.key))
                return false;
    CBackupDlg writer;
    for (const SceneApp& app : kApps) {
        if (!app.backedUp)
            continue;
        auto* entry = new CAppEntry;
        entry->m_strAppName = FromUtf8(app.name);
        entry->m_cabName.m_strName = FromUtf8(app.cab);
        entry->m_bTicked = TRUE;
        writer.m_arrApps.Add(entry);
        TestFolder::WriteHostFile(Handheld(std::string("Data/") + app.cab), Pattern(app.name, 100));
    }
    if (parts.index)
        writer.WriteBackupIndex(FromUtf8(Handheld("Backup.ini")));
    return !parts.agentRecord || WriteRecord();
}

void BackupScene::UseAsDesktop() const
{
    device.UseAsDesktop();
    // The desktop store is bound once per process; each scene has its own.
    RegSetStorePath(device.DesktopRegistry());
}

std::string BackupScene::DesktopPackage(const std::string& key, const std::string& cab) const
{
    return AppsFolder() + "/" + key + "/" + cab;
}

std::string BackupScene::Handheld(const std::string& relative) const
{
    return device.HostFile(kBackupFolder + relative);
}

std::vector<std::string> BackupScene::DataFiles() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Handheld("Data")))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::pair<std::string, std::string>> BackupScene::HandheldIndex() const
{
    CBackupDlg reader;
    reader.ReadBackupIndex(FromUtf8(Handheld("Backup.ini")));
    std::vector<std::pair<std::string, std::string>> entries;
    for (INT_PTR i = 0; i < reader.m_arrIndex.GetSize(); ++i) {
        const auto* entry = static_cast<const CBackupEntry*>(reader.m_arrIndex.GetAt(i));
        entries.emplace_back(ToUtf8(entry->m_strAppName), ToUtf8(entry->m_cabName.m_strName));
    }
    return entries;
}
