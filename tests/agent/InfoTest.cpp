// Tests of the agent Info: the record it writes, run directly with a handheld's environment and
// started on a running emulator.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "DeviceEmulator.h"
#include "core/Rapi.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"

namespace {

const char16_t kAgentKey[] = u"SOFTWARE\\Tavrimo\\Backup";

struct Record {
    bool bPresent = false;
    DWORD dwFolderType = 0;
    DWORD dwFolderBytes = 0;
    CString strFolder;
    DWORD dwFree = 0;
};

// A query function of either registry: the host's store or the handheld's through the remote API.
using OpenCall = LONG (*)(HKEY, LPCWSTR, DWORD, REGSAM, HKEY*);
using QueryCall = LONG (*)(HKEY, LPCWSTR, DWORD*, DWORD*, BYTE*, DWORD*);
using CloseCall = LONG (*)(HKEY);

Record ReadRecord(OpenCall open, QueryCall query, CloseCall close)
{
    Record record;
    HKEY hKey = nullptr;
    if (open(HKEY_LOCAL_MACHINE, kAgentKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return record;
    char16_t text[300] = {};
    DWORD dwBytes = sizeof text - 2;
    DWORD dwFreeBytes = sizeof record.dwFree;
    record.bPresent =
        query(hKey, u"InstallDir", nullptr, &record.dwFolderType, reinterpret_cast<BYTE*>(text), &dwBytes) ==
            ERROR_SUCCESS &&
        query(hKey, u"SpareDiskSize", nullptr, nullptr, reinterpret_cast<BYTE*>(&record.dwFree), &dwFreeBytes) ==
            ERROR_SUCCESS;
    record.dwFolderBytes = dwBytes;
    record.strFolder = CString(text, static_cast<int>(dwBytes / 2));
    close(hKey);
    return record;
}

class InfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("PELRUDO_PREFIX", (m_device.Folder() + "/prefix").c_str(), 1);
        unsetenv("PELRUDO_REGISTRY");
        unsetenv("PELRUDO_DEVICE_DIR");
        m_store = m_device.Folder() + "/handheld.db";
        RegSetStorePath(m_store);
    }

    int RunInfo(const std::string& module, const std::string& stores)
    {
        return DeviceEmulator::Run(DeviceEmulator::Program("pelrudo-info"), {},
                                   {"PELRUDO_REGISTRY=" + m_store, "PELRUDO_CE_MODULE=" + module,
                                    "PELRUDO_CE_STORES=" + stores});
    }

    Record HostRecord() { return ReadRecord(RegOpenKeyEx, RegQueryValueEx, RegCloseKey); }

    DeviceEmulator m_device;
    std::string m_store;
};

struct RecordCase {
    const char* module;
    const char* stores;
    const char16_t* folder;
    DWORD dwFree;
};

TEST_F(InfoTest, WritesItsFolderAndTheFreeSpaceOfItsStore)
{
    const char* kStores = "\\|33554432|30000000;\\Storage Card|8589934592|4294967301";
    const RecordCase cases[] = {
        // 4 GiB + 5 bytes free: the low 32 bits.
        {"\\Storage Card\\Backup\\info.exe", kStores, u"\\Storage Card\\Backup\\", 5},
        {"\\Backup\\info.exe", kStores, u"\\Backup\\", 30000000},
        {"\\storage card\\info.exe", kStores, u"\\storage card\\", 5},
        // A store root matches whole names only.
        {"\\Storage Cards\\info.exe", kStores, u"\\Storage Cards\\", 30000000},
        {"\\Storage Card\\Backup\\info.exe", "\\|100|40;garbage;\\Storage Card|x|7", u"\\Storage Card\\Backup\\", 40},
        // No store holds the folder: the free space is written as 0.
        {"\\Backup\\info.exe", "", u"\\Backup\\", 0},
        // No backslash at all: an empty folder.
        {"info.exe", kStores, u"", 0},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.module);
        SCOPED_TRACE(c.stores);
        ASSERT_EQ(0, RunInfo(c.module, c.stores));
        Record record = HostRecord();
        ASSERT_TRUE(record.bPresent);
        EXPECT_EQ(CString(c.folder), record.strFolder);
        EXPECT_EQ(REG_SZ, record.dwFolderType);
        // The characters only, no terminator.
        EXPECT_EQ(static_cast<DWORD>(record.strFolder.GetLength() * 2), record.dwFolderBytes);
        EXPECT_EQ(c.dwFree, record.dwFree);
    }
}

TEST_F(InfoTest, SecondRunReplacesBothValues)
{
    ASSERT_EQ(0, RunInfo("\\Storage Card\\Backup\\info.exe", "\\|100|40;\\Storage Card|1000|900"));
    ASSERT_EQ(0, RunInfo("\\Old\\info.exe", "\\|100|41;\\Storage Card|1000|900"));
    Record record = HostRecord();
    ASSERT_TRUE(record.bPresent);
    EXPECT_EQ(CString(u"\\Old\\"), record.strFolder);
    EXPECT_EQ(10u, record.dwFolderBytes);
    EXPECT_EQ(41u, record.dwFree);
}

TEST_F(InfoTest, OutsideAHandheldWritesNothing)
{
    const std::string desktopStore = m_device.DesktopRegistry();
    ASSERT_EQ(0, DeviceEmulator::Run(DeviceEmulator::Program("pelrudo-info"), {},
                                     {"PELRUDO_CE_MODULE=\\Backup\\info.exe", "PELRUDO_CE_STORES=\\|100|40"}));
    RegSetStorePath(desktopStore);
    EXPECT_FALSE(HostRecord().bPresent);
}

// Info installed by the emulator and started over the remote API, on a card with 4 GiB + 5 bytes free.
TEST_F(InfoTest, StartedOnTheHandheldReportsItsCard)
{
    ASSERT_TRUE(m_device.Init({"--store", "\\Storage Card=64M", "--agent", "\\Storage Card\\Backup\\"}));
    std::uintmax_t held = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_device.HostFile("\\Storage Card")))
        held += entry.is_regular_file() ? entry.file_size() : 0;
    const std::uintmax_t capacity = (std::uintmax_t{1} << 32) + 5 + held;
    ASSERT_TRUE(m_device.Init({"--store", "\\Storage Card=" + std::to_string(capacity)}));
    ASSERT_TRUE(m_device.Serve());
    m_device.UseAsDesktop();
    ASSERT_GE(CeRapiInit(), 0);

    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CeCreateProcess(u"\\Storage Card\\Backup\\info.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, nullptr, &process));
    CeCloseHandle(process.hThread);
    CeCloseHandle(process.hProcess);

    Record record;
    for (int i = 0; i < 200 && !record.bPresent; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        record = ReadRecord(CeRegOpenKeyEx, CeRegQueryValueEx, CeRegCloseKey);
    }
    ASSERT_TRUE(record.bPresent);
    EXPECT_EQ(CString(u"\\Storage Card\\Backup\\"), record.strFolder);
    EXPECT_EQ(static_cast<DWORD>(record.strFolder.GetLength() * 2), record.dwFolderBytes);
    EXPECT_EQ(5u, record.dwFree);
    CeRapiUninit();
}

} // namespace
