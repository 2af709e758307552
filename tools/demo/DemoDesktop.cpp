// DemoDesktop: a handful of sample applications as ActiveSync's Application Manager registers them.
#include "tools/demo/DemoDesktop.h"

#include <cstdio>
#include <string>

#include "backup/CBackupDlg.h"
#include "core/CRegistry.h"
#include "platform/FileApi.h"
#include "platform/Text.h"

namespace {

constexpr const char16_t* kActiveSync = u"C:\\Program Files\\Microsoft ActiveSync\\";

struct SamplePackage {
    const char16_t* cpuType;
    const char16_t* file;
    DWORD size;  // 0: the file is not created (a package that went missing)
};

struct SampleApp {
    const char16_t* key;
    const char16_t* name;
    const char16_t* description;
    const char16_t* provider;
    const char16_t* folder;  // below the ActiveSync folder
    const char16_t* icon;    // null: no icon file
    bool backedUp;           // listed with its first package by the demo handheld's backup index
    std::vector<SamplePackage> packages;
};

const std::vector<SampleApp>& Samples()
{
    static const std::vector<SampleApp> samples = {
        {u"Tavrimo 记事本", u"记事本", u"随手记录文字和图画。", u"Tavrimo", u"Tavrimo Notes", u"notes.ico", false,
         {{u"2577", u"Notes.SA1100.CAB", 48 * 1024}, {u"4000", u"Notes.MIPS.CAB", 52 * 1024}}},
        {u"Pocket Chess", u"Pocket Chess", u"Chess against the handheld, three levels.", u"Kelvane Games",
         u"Pocket Chess", nullptr, true, {{u"2577", u"Chess.ARM.CAB", 150 * 1024}}},
        {u"Dictionary", u"英汉词典 Dictionary", u"English-Chinese dictionary, any processor.", u"Tavrimo",
         u"Dictionary\\", u"dict.ico", false, {{u"0", u"Dict.CAB", 1200 * 1024}}},
        {u"Solitaire Plus", u"Solitaire Plus", u"Its package file is gone from the desktop.", u"Kelvane Games",
         u"Solitaire Plus", nullptr, true, {{u"2577", u"Solitaire.ARM.CAB", 0}}},
        {u"MIPS Tool", u"MIPS Tool", u"Only for MIPS handhelds.", u"Orvessa", u"MIPS Tool", nullptr, false,
         {{u"4000", u"Tool.MIPS.CAB", 20 * 1024}}},
        {u"Weather", u"天气预报", u"七天天气预报。", u"Orvessa", u"Weather", u"weather.ico", false,
         {{u"4000", u"Weather.MIPS.CAB", 9 * 1024}, {u"2577", u"Weather.SA1100.CAB", 8 * 1024}}},
    };
    return samples;
}

bool WriteMultiString(CRegistry& key, const CString& name, const std::vector<CString>& strings)
{
    std::u16string data;
    for (const CString& s : strings)
        data += s.Str() + u'\0';
    data += u'\0';
    return key.Write(name, data.data(), REG_MULTI_SZ, static_cast<int>(data.size() * sizeof(char16_t))) != 0;
}

// Makes every folder of the path, one level after the other.
void MakeFolders(const CString& folder)
{
    for (int pos = folder.Find(u'\\', 3); pos >= 0; pos = folder.Find(u'\\', pos + 1))
        CreateDirectory(folder.Left(pos), nullptr);
    CreateDirectory(folder, nullptr);
}

bool WriteFileBytes(const CString& path, const std::string& bytes)
{
    const HANDLE file = CreateFile(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

void Put16(std::string& out, unsigned v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, unsigned v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A 16 x 16 icon of one colour, 32 bits per pixel, in the platform's .ico layout.
std::string MakeIcon(unsigned colour)
{
    constexpr unsigned kSide = 16;
    constexpr unsigned kImageBytes = 40 + kSide * kSide * 4 + kSide * 4;
    std::string ico;
    Put16(ico, 0);  // icon directory: reserved, type 1 (icon), one image
    Put16(ico, 1);
    Put16(ico, 1);
    ico += static_cast<char>(kSide);  // directory entry: size, no palette, one plane, 32 bits
    ico += static_cast<char>(kSide);
    ico += '\0';
    ico += '\0';
    Put16(ico, 1);
    Put16(ico, 32);
    Put32(ico, kImageBytes);
    Put32(ico, 6 + 16);
    Put32(ico, 40);  // bitmap header: height counts the colour and the mask images
    Put32(ico, kSide);
    Put32(ico, kSide * 2);
    Put16(ico, 1);
    Put16(ico, 32);
    for (int i = 0; i < 6; ++i)
        Put32(ico, 0);
    for (unsigned i = 0; i < kSide * kSide; ++i)
        Put32(ico, 0xFF000000u | colour);
    ico.append(kSide * 4, '\0');  // mask: every pixel shown
    return ico;
}

// Package contents only need their size; a repeating pattern keeps them recognisable.
std::string MakePackage(DWORD size)
{
    std::string bytes(size, '\0');
    for (DWORD i = 0; i < size; ++i)
        bytes[i] = static_cast<char>("MSCF"[i % 4]);
    return bytes;
}

bool WriteSample(const SampleApp& app, unsigned colour)
{
    CRegistry key;
    if (!key.Open(HKEY_LOCAL_MACHINE, CString(CBackupDlg::kAppsKey) + app.key, 1)) {
        std::fprintf(stderr, "pelrudo-demo: cannot create the registry key of %s (error %u)\n",
                     ToUtf8(CString(app.key)).c_str(), key.GetLastError());
        return false;
    }
    const CString folder = CString(kActiveSync) + app.folder;
    std::vector<CString> cpuTypes;
    std::vector<CString> cabFiles;
    for (const SamplePackage& package : app.packages) {
        cpuTypes.emplace_back(package.cpuType);
        cabFiles.emplace_back(package.file);
    }
    WriteMultiString(key, u"ListCpuTypes", cpuTypes);
    WriteMultiString(key, u"ListCabFiles", cabFiles);
    key.WriteString(u"AppName", app.name);
    key.WriteString(u"Description", app.description);
    key.WriteString(u"InstallDir", folder);
    key.WriteString(u"Provider", app.provider);
    if (app.icon)
        key.WriteString(u"IconFile", app.icon);

    MakeFolders(folder);
    const CString prefix = folder.Right(1) == u"\\" ? folder : folder + u"\\";
    for (const SamplePackage& package : app.packages) {
        if (package.size != 0)
            WriteFileBytes(prefix + package.file, MakePackage(package.size));
    }
    if (app.icon)
        WriteFileBytes(prefix + app.icon, MakeIcon(colour));
    return true;
}

// The index as Pelrudo itself writes it: one entry per ticked application.
bool WriteIndex()
{
    CBackupDlg dlg;
    for (const SampleApp& app : Samples()) {
        if (!app.backedUp)
            continue;
        auto* entry = new CAppEntry;
        entry->m_strAppName = app.name;
        entry->m_cabName.m_strName = app.packages.front().file;
        entry->m_bTicked = TRUE;
        dlg.m_arrApps.Add(entry);
    }
    MakeFolders(u"C:\\Pelrudo Demo");
    dlg.WriteBackupIndex(DemoDesktop::IndexPath());
    if (GetFileAttributes(DemoDesktop::IndexPath()) != INVALID_FILE_ATTRIBUTES)
        return true;
    std::fprintf(stderr, "pelrudo-demo: cannot write %s\n", ToUtf8(DemoDesktop::IndexPath()).c_str());
    return false;
}

}  // namespace

bool DemoDesktop::Prepare(bool* pCreated)
{
    *pCreated = false;
    CRegistry apps;
    if (apps.Open(HKEY_LOCAL_MACHINE, CBackupDlg::kAppsKey, 0))
        return true;

    const unsigned colours[] = {0x3070C0, 0xC04030, 0x30A050};
    unsigned next = 0;
    for (const SampleApp& app : Samples()) {
        if (!WriteSample(app, colours[next % 3]))
            return false;
        next += app.icon ? 1 : 0;
    }
    *pCreated = true;
    return WriteIndex();
}

CString DemoDesktop::IndexPath()
{
    return u"C:\\Pelrudo Demo\\Backup.ini";
}
