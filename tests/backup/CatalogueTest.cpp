// Tests of CBackupDlg's catalogue: the Application Manager's data read for a processor type, and IsBackedUp.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "backup/CBackupDlg.h"
#include "core/CRegistry.h"
#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "tests/core/TempPrefix.h"

namespace {

using Strings = std::vector<std::u16string>;

const CString kApps = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps";

// A list-of-strings value as the system stores it: each string with its null, then an empty one.
std::u16string MultiString(const Strings& strings)
{
    std::u16string data;
    for (const auto& s : strings)
        data += s + u'\0';
    return data + u'\0';
}

void MakeFile(const CString& windowsPath, std::size_t size)
{
    const std::filesystem::path host = ToHostPath(windowsPath);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << std::string(size, 'c');
}

}  // namespace

// A desktop with the Application Manager's data written key by key, and a dialog to scan it.
class CBackupDlgCatalogue : public ::testing::Test {
protected:
    // The application's key under Apps, created with the values given; absent lists stay absent.
    CRegistry& App(const CString& key)
    {
        m_app.Open(HKEY_LOCAL_MACHINE, kApps + u"\\" + key, 1);
        return m_app;
    }

    void AddApp(const CString& key, const Strings* cpuTypes, const Strings* cabFiles,
                const CString& installDir = u"C:\\Apps")
    {
        CRegistry& app = App(key);
        if (cpuTypes)
            WriteList(app, u"ListCpuTypes", *cpuTypes);
        if (cabFiles)
            WriteList(app, u"ListCabFiles", *cabFiles);
        app.WriteString(u"AppName", key);
        app.WriteString(u"InstallDir", installDir);
        app.Close();
    }

    static void WriteList(CRegistry& app, const CString& name, const Strings& strings)
    {
        std::u16string data = MultiString(strings);
        app.Write(name, data.data(), REG_MULTI_SZ, static_cast<int>(data.size() * 2));
    }

    void AddIndexEntry(const CString& appName, const CString& cabName)
    {
        auto* entry = new CBackupEntry;
        entry->m_strAppName = appName;
        entry->m_cabName.m_strName = cabName;
        m_dlg.m_arrIndex.Add(entry);
    }

    const CAppEntry& Entry(INT_PTR i) const { return *static_cast<const CAppEntry*>(m_dlg.m_arrApps.GetAt(i)); }

    TempPrefix m_prefix;
    CRegistry m_app;
    CBackupDlg m_dlg;
};

TEST_F(CBackupDlgCatalogue, MissingAppsKeyFails)
{
    EXPECT_EQ(m_dlg.LoadCatalogue(2577), FALSE);
    EXPECT_EQ(m_dlg.m_arrApps.GetSize(), 0);

    // Its parent alone is not enough.
    CRegistry parent;
    ASSERT_EQ(parent.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr", 1), 1);
    EXPECT_EQ(m_dlg.LoadCatalogue(2577), FALSE);
}

TEST_F(CBackupDlgCatalogue, AppsKeyWithoutApplicationsGivesAnEmptyCatalogue)
{
    CRegistry apps;
    ASSERT_EQ(apps.Open(HKEY_LOCAL_MACHINE, kApps, 1), 1);
    EXPECT_EQ(m_dlg.LoadCatalogue(2577), TRUE);
    EXPECT_EQ(m_dlg.m_arrApps.GetSize(), 0);
}

TEST_F(CBackupDlgCatalogue, TheFirstEntryThatIsTheHandheldsTypeOrZeroPicksThePackage)
{
    const Strings abc{u"a.cab", u"b.cab", u"c.cab"};
    const struct {
        const char* what;
        Strings cpuTypes;
        DWORD handheld;
        const char16_t* cab;  // null: not catalogued
        LONG cpuType;
    } cases[] = {
        {"single match", {u"100"}, 100, u"a.cab", 100},
        {"second entry", {u"200", u"100"}, 100, u"b.cab", 100},
        {"zero stops the walk", {u"200", u"0", u"100"}, 100, u"b.cab", 0},
        {"no digits read as zero", {u"ARM"}, 100, u"a.cab", 0},
        {"no digits match any type", {u"ARM"}, 2577, u"a.cab", 0},
        {"other type only", {u"200"}, 100, nullptr, 0},
        {"empty list", {}, 100, nullptr, 0},
        {"first match wins", {u"100", u"100"}, 100, u"a.cab", 100},
        {"digits among spaces", {u" 2577 "}, 2577, u"a.cab", 2577},
        {"read modulo 2^32", {u"4294969873"}, 2577, u"a.cab", 2577},
        {"negative types", {u"-1"}, 0xFFFFFFFFu, u"a.cab", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRegistry::DeleteKey(HKEY_LOCAL_MACHINE, kApps);
        AddApp(u"Sample", &c.cpuTypes, &abc);
        CBackupDlg dlg;
        ASSERT_EQ(dlg.LoadCatalogue(c.handheld), TRUE);
        if (!c.cab) {
            EXPECT_EQ(dlg.m_arrApps.GetSize(), 0);
            continue;
        }
        ASSERT_EQ(dlg.m_arrApps.GetSize(), 1);
        const auto& entry = *static_cast<const CAppEntry*>(dlg.m_arrApps.GetAt(0));
        EXPECT_EQ(entry.m_cabName.m_strName, c.cab);
        EXPECT_EQ(entry.m_nCpuType, c.cpuType);
    }
}

TEST_F(CBackupDlgCatalogue, ApplicationsWithoutAPackageAtTheMatchedPositionAreSkipped)
{
    const Strings types{u"4000", u"2577"};
    const Strings oneCab{u"mips.cab"};
    AddApp(u"ShortCabList", &types, &oneCab);
    AddApp(u"NoCabList", &types, nullptr);
    AddApp(u"NoCpuList", nullptr, &oneCab);
    const Strings both{u"mips.cab", u"arm.cab"};
    AddApp(u"Complete", &types, &both);

    ASSERT_EQ(m_dlg.LoadCatalogue(2577), TRUE);
    ASSERT_EQ(m_dlg.m_arrApps.GetSize(), 1);
    EXPECT_EQ(Entry(0).m_strAppName, u"Complete");
    EXPECT_EQ(Entry(0).m_cabName.m_strName, u"arm.cab");
}

TEST_F(CBackupDlgCatalogue, EntriesCarryTheTextsInRegistryOrderAndAreAppendedToTheArray)
{
    const Strings types{u"2577"};
    const Strings cabs{u"Notes.ARM.CAB"};
    AddApp(u"Zeta", &types, &cabs);
    AddApp(u"alpha", &types, &cabs);
    CRegistry& app = App(u"Mid");
    WriteList(app, u"ListCpuTypes", types);
    WriteList(app, u"ListCabFiles", cabs);
    app.WriteString(u"AppName", u"记事本");
    app.WriteString(u"Description", u"Notes for the handheld");
    app.WriteString(u"InstallDir", u"C:\\Program Files\\Notes");
    app.WriteString(u"Provider", u"Tavrimo");
    app.WriteString(u"IconFile", u"notes.ico");
    app.Close();

    auto* held = new CAppEntry;  // the scan appends; it does not clear first
    m_dlg.m_arrApps.Add(held);
    ASSERT_EQ(m_dlg.LoadCatalogue(2577), TRUE);
    ASSERT_EQ(m_dlg.m_arrApps.GetSize(), 4);
    EXPECT_EQ(m_dlg.m_arrApps.GetAt(0), held);
    EXPECT_EQ(Entry(1).m_strAppName, u"alpha");
    EXPECT_EQ(Entry(3).m_strAppName, u"Zeta");

    const CAppEntry& mid = Entry(2);
    EXPECT_EQ(mid.m_strAppName, u"记事本");
    EXPECT_EQ(mid.m_strDescription, u"Notes for the handheld");
    EXPECT_EQ(mid.m_strInstallDir, u"C:\\Program Files\\Notes");
    EXPECT_EQ(mid.m_strProvider, u"Tavrimo");
    EXPECT_EQ(mid.m_strIconFile, u"notes.ico");
    EXPECT_EQ(mid.m_cabName.m_strName, u"Notes.ARM.CAB");
    EXPECT_EQ(mid.m_nCpuType, 2577);
    // Values that are missing leave their fields empty.
    EXPECT_TRUE(Entry(1).m_strDescription.IsEmpty());
    EXPECT_TRUE(Entry(1).m_strIconFile.IsEmpty());
}

TEST_F(CBackupDlgCatalogue, ThePackagePathJoinsFolderAndNameThroughOneBackslash)
{
    MakeFile(u"C:\\Apps\\X\\x.cab", 321);
    MakeFile(u"C:\\x.cab", 55);
    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_TRUE(SetCurrentDirectory(u"C:\\"));  // a rooted path lies on the current drive

    const Strings types{u"2577"};
    const Strings cabs{u"x.cab"};
    const struct {
        const char16_t* folder;
        DWORD size;
    } cases[] = {{u"C:\\Apps\\X", 321}, {u"C:\\Apps\\X\\", 321}, {u"", 55}, {u"C:\\Apps\\Y", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.folder));
        CRegistry::DeleteKey(HKEY_LOCAL_MACHINE, kApps);
        AddApp(u"X", &types, &cabs, c.folder);
        CBackupDlg dlg;
        ASSERT_EQ(dlg.LoadCatalogue(2577), TRUE);
        ASSERT_EQ(dlg.m_arrApps.GetSize(), 1);
        EXPECT_EQ(static_cast<const CAppEntry*>(dlg.m_arrApps.GetAt(0))->m_dwCabSize, c.size);
    }
    std::filesystem::current_path(before);
}

TEST_F(CBackupDlgCatalogue, BackedUpFlagComesFromTheIndexByExactPackageName)
{
    MakeFile(u"C:\\Apps\\kept.cab", 10);
    const Strings types{u"2577"};
    const Strings kept{u"kept.cab"};
    const Strings other{u"App.cab"};
    const Strings gone{u"gone.cab"};
    AddApp(u"A-Kept", &types, &kept);
    AddApp(u"B-Case", &types, &other);
    AddApp(u"C-Gone", &types, &gone);  // no package file on the desktop
    AddIndexEntry(u"B-Case", u"app.cab");
    AddIndexEntry(u"Other name", u"kept.cab");
    AddIndexEntry(u"C-Gone", u"gone.cab");

    ASSERT_EQ(m_dlg.LoadCatalogue(2577), TRUE);
    ASSERT_EQ(m_dlg.m_arrApps.GetSize(), 3);
    const struct {
        DWORD size;
        BOOL backedUp;
    } expected[] = {{10, TRUE}, {0, FALSE}, {0, TRUE}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(ToUtf8(Entry(i).m_strAppName));
        EXPECT_EQ(Entry(i).m_dwCabSize, expected[i].size);
        EXPECT_EQ(Entry(i).m_bBackedUp, expected[i].backedUp);
        EXPECT_EQ(Entry(i).m_bTicked, expected[i].backedUp);
    }
}

TEST_F(CBackupDlgCatalogue, IsBackedUpComparesWholePackageNamesCaseSensitively)
{
    EXPECT_EQ(m_dlg.IsBackedUp(u"a.cab"), FALSE);  // empty index
    AddIndexEntry(u"Notes", u"App.cab");
    AddIndexEntry(u"Other", u"b.cab");
    const struct {
        const char16_t* name;
        BOOL backedUp;
    } cases[] = {{u"App.cab", TRUE}, {u"b.cab", TRUE}, {u"app.cab", FALSE}, {u"APP.CAB", FALSE},
                 {u"App.ca", FALSE}, {u"App.cab ", FALSE}, {u"Notes", FALSE}, {u"", FALSE}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        EXPECT_EQ(m_dlg.IsBackedUp(c.name), c.backedUp);
    }
}

TEST_F(CBackupDlgCatalogue, WrongTypesAndOverLongValuesGiveDefinedResults)
{
    const Strings abc{u"a.cab"};
    const std::u16string longText(3000, u'n');

    // A list stored as a plain string is read as a list of one.
    CRegistry& plain = App(u"1-PlainString");
    const std::u16string type = u"2577";
    plain.Write(u"ListCpuTypes", const_cast<char16_t*>(type.c_str()), REG_SZ, 10);
    WriteList(plain, u"ListCabFiles", abc);
    // A name stored as a number reads as its bytes; an over-long description reads as empty.
    DWORD number = 0x00420041;  // "AB" in UTF-16
    plain.WriteDWORD(u"AppName", number);
    plain.WriteString(u"Description", longText.c_str());
    plain.Close();

    // Over-long lists cannot be read: the application is skipped.
    const Strings many(300, u"2577-padding");
    AddApp(u"2-LongCpuList", &many, &abc);
    const Strings types{u"2577"};
    const Strings manyCabs(300, u"long-package-name.cab");
    AddApp(u"3-LongCabList", &types, &manyCabs);

    ASSERT_EQ(m_dlg.LoadCatalogue(2577), TRUE);
    ASSERT_EQ(m_dlg.m_arrApps.GetSize(), 1);
    EXPECT_EQ(Entry(0).m_strAppName, u"AB");
    EXPECT_TRUE(Entry(0).m_strDescription.IsEmpty());
    EXPECT_EQ(Entry(0).m_cabName.m_strName, u"a.cab");
}

TEST_F(CBackupDlgCatalogue, FreeEntriesDeletesAndEmptiesBothArrays)
{
    const Strings types{u"2577"};
    const Strings cabs{u"a.cab"};
    AddApp(u"A", &types, &cabs);
    AddIndexEntry(u"A", u"a.cab");
    ASSERT_EQ(m_dlg.LoadCatalogue(2577), TRUE);
    ASSERT_EQ(m_dlg.m_arrApps.GetSize(), 1);
    m_dlg.FreeEntries();
    EXPECT_EQ(m_dlg.m_arrApps.GetSize(), 0);
    EXPECT_EQ(m_dlg.m_arrIndex.GetSize(), 0);
    m_dlg.FreeEntries();  // nothing left to free
}
