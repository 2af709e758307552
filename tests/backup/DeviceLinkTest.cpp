// Tests of ConnectDevice, GetDeviceCpuType and CBackupDlg::StartAgent against a running emulator.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "DeviceEmulator.h"
#include "backup/CBackupDlg.h"
#include "backup/DeviceLink.h"
#include "core/Rapi.h"

namespace {

const char16_t kAgentKey[] = u"SOFTWARE\\Tavrimo\\Backup";
const std::string kStorageCard = "\\Storage Card=64M";
const std::string kBackupFolder = "\\Storage Card\\Backup\\";

// The agent's record on the handheld, read and written with the raw remote calls.
void WriteRecord(const CString& strFolder, DWORD dwFree)
{
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, kAgentKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                              &hKey, &dwDisposition));
    const char16_t* pText = strFolder;
    EXPECT_EQ(ERROR_SUCCESS, CeRegSetValueEx(hKey, u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(pText),
                                             static_cast<DWORD>(strFolder.GetLength() * 2)));
    EXPECT_EQ(ERROR_SUCCESS, CeRegSetValueEx(hKey, u"SpareDiskSize", 0, REG_DWORD,
                                             reinterpret_cast<const BYTE*>(&dwFree), sizeof dwFree));
    CeRegCloseKey(hKey);
}

bool ReadFree(DWORD& dwFree)
{
    HKEY hKey = nullptr;
    if (CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, kAgentKey, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS)
        return false;
    DWORD dwSize = sizeof dwFree;
    LONG lStatus = CeRegQueryValueEx(hKey, u"SpareDiskSize", nullptr, nullptr, reinterpret_cast<BYTE*>(&dwFree),
                                     &dwSize);
    CeRegCloseKey(hKey);
    return lStatus == ERROR_SUCCESS;
}

// The agent runs on its own; its record shows when it is done. Bounded, so a broken agent fails the test.
bool WaitForFree(DWORD dwStale, DWORD& dwFree)
{
    for (int i = 0; i < 200; ++i) {
        if (ReadFree(dwFree) && dwFree != dwStale)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::uintmax_t BytesUnder(const std::string& folder)
{
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            total += entry.file_size();
    return total;
}

class DeviceLinkTest : public ::testing::Test {
protected:
    void TearDown() override { CeRapiUninit(); }

    void StartDevice(const std::vector<std::string>& initArgs, const std::vector<std::string>& serveArgs = {})
    {
        ASSERT_TRUE(m_device.Init(initArgs));
        ASSERT_TRUE(m_device.Serve(serveArgs));
        m_device.UseAsDesktop();
    }

    void StartWithAgent()
    {
        StartDevice({"--store", kStorageCard, "--agent", kBackupFolder});
        ASSERT_GE(ConnectDevice(), 0);
    }

    DeviceEmulator m_device;
};

TEST_F(DeviceLinkTest, ConnectsAndReadsTheProcessorType)
{
    struct Case {
        std::vector<std::string> args;
        DWORD dwCpu;
    };
    for (const Case& c : {Case{{}, 2577u}, Case{{"--cpu", "1824"}, 1824u}}) {
        SCOPED_TRACE(c.dwCpu);
        StartDevice(c.args);
        ASSERT_GE(ConnectDevice(), 0);
        EXPECT_EQ(c.dwCpu, GetDeviceCpuType());
        CeRapiUninit();
        m_device.Stop();
    }
}

TEST_F(DeviceLinkTest, NoHandheldFails)
{
    m_device.UseAsDesktop();  // nothing listens on the socket
    EXPECT_LT(ConnectDevice(), 0);
}

TEST_F(DeviceLinkTest, HandheldSlowerThanTheWaitFailsAndLeavesNoSession)
{
    StartDevice({}, {"--delay", "3000"});
    EXPECT_EQ(E_FAIL, ConnectDevice());
    EXPECT_FALSE(CeCreateDirectory(u"\\Made", nullptr));
    EXPECT_FALSE(std::filesystem::exists(m_device.HostFile("\\Made")));
}

TEST_F(DeviceLinkTest, AgentThatNeverRanStartsNothing)
{
    StartWithAgent();
    // An agent in the root as well, so that a start of "info.exe" without a folder would show too.
    std::filesystem::copy_file(m_device.HostFile(kBackupFolder + "info.exe"), m_device.HostFile("\\info.exe"));

    CBackupDlg dlg;
    EXPECT_FALSE(dlg.StartAgent());
    EXPECT_TRUE(dlg.m_strDeviceFolder.IsEmpty());
    EXPECT_EQ(0u, dlg.m_dwFreeSpace);

    DWORD dwFree = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(ReadFree(dwFree)) << "an agent was started";
}

TEST_F(DeviceLinkTest, FolderWithoutTheAgentFailsAndKeepsTheFirstFreeSpace)
{
    StartWithAgent();
    std::filesystem::create_directories(m_device.HostFile("\\Empty"));
    WriteRecord(u"\\Empty\\", 1234);

    CBackupDlg dlg;
    EXPECT_FALSE(dlg.StartAgent());
    EXPECT_EQ(CString(u"\\Empty\\"), dlg.m_strDeviceFolder);
    EXPECT_EQ(1234u, dlg.m_dwFreeSpace);
}

TEST_F(DeviceLinkTest, StartsTheAgentWhichReportsTheFreeSpace)
{
    StartWithAgent();
    WriteRecord(u"\\Storage Card\\Backup\\", 7);

    CBackupDlg dlg;
    ASSERT_TRUE(dlg.StartAgent());
    EXPECT_EQ(CString(u"\\Storage Card\\Backup\\"), dlg.m_strDeviceFolder);

    DWORD dwFree = 0;
    ASSERT_TRUE(WaitForFree(7, dwFree));
    const std::uintmax_t held = BytesUnder(m_device.HostFile("\\Storage Card"));
    EXPECT_EQ(static_cast<DWORD>(64u * 1024 * 1024 - held), dwFree);
    // Within the pause the agent may or may not have written; either figure is a right answer.
    EXPECT_TRUE(dlg.m_dwFreeSpace == 7u || dlg.m_dwFreeSpace == dwFree) << dlg.m_dwFreeSpace;

    CBackupDlg next;
    ASSERT_TRUE(next.StartAgent());
    EXPECT_EQ(dwFree, next.m_dwFreeSpace);
}

TEST_F(DeviceLinkTest, AgentSlowerThanThePauseLeavesThePreviousFreeSpace)
{
    StartWithAgent();
    // An agent that takes its time and writes nothing within the pause.
    const std::string agent = m_device.HostFile(kBackupFolder + "info.exe");
    std::filesystem::remove(agent);
    std::ofstream(agent) << "#!/bin/sh\nsleep 2\n";
    std::filesystem::permissions(agent, std::filesystem::perms::owner_all);
    WriteRecord(u"\\Storage Card\\Backup\\", 4321);

    CBackupDlg dlg;
    EXPECT_TRUE(dlg.StartAgent());
    EXPECT_EQ(4321u, dlg.m_dwFreeSpace);
}

} // namespace
