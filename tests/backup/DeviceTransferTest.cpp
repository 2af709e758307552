// Tests of CopyFileToDevice, CopyFileFromDevice and DeleteDeviceFile against a running emulator.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

#include "DeviceEmulator.h"
#include "tests/platform/TestFolder.h"
#include "backup/DeviceTransfer.h"
#include "core/Rapi.h"
#include "platform/FileApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

std::string Pattern(std::size_t size)
{
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return data;
}

bool Exists(const std::string& path)
{
    return std::filesystem::exists(path);
}

class DeviceTransferTest : public ::testing::Test {
protected:
    void SetUp() override { Start({}, {}); }
    void TearDown() override { CeRapiUninit(); }

    void Start(const std::vector<std::string>& initArgs, const std::vector<std::string>& serveArgs)
    {
        ASSERT_TRUE(m_device.Init(initArgs));
        ASSERT_TRUE(m_device.Serve(serveArgs));
        m_device.UseAsDesktop();
        ASSERT_GE(CeRapiInit(), 0);
        ASSERT_TRUE(CeCreateDirectory(u"\\Backup", nullptr));
        ASSERT_TRUE(CeCreateDirectory(u"\\Backup\\Data", nullptr));
        m_desk = m_device.Folder() + "/desk";
        std::filesystem::create_directories(m_desk);
    }

    // Desktop files are named by host paths, which the file layer takes as they stand.
    CString Desk(const std::string& name) const { return FromUtf8(m_desk + "/" + name); }
    std::string DeskHost(const std::string& name) const { return m_desk + "/" + name; }

    DeviceEmulator m_device;
    std::string m_desk;
};

class DeviceTransferSizeTest : public DeviceTransferTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(DeviceTransferSizeTest, RoundTripKeepsEveryByte)
{
    const std::string data = Pattern(GetParam());
    TestFolder::WriteHostFile(DeskHost("a.cab"), data);

    ASSERT_TRUE(CopyFileToDevice(Desk("a.cab"), u"\\Backup\\Data\\a.cab"));
    EXPECT_EQ(data, TestFolder::ReadHostFile(m_device.HostFile("\\Backup\\Data\\a.cab")));
    EXPECT_FALSE(Exists(m_device.HostFile("\\Backup\\Data\\a.cab.part")));

    ASSERT_TRUE(CopyFileFromDevice(u"\\Backup\\Data\\a.cab", Desk("back.cab")));
    EXPECT_EQ(data, TestFolder::ReadHostFile(DeskHost("back.cab")));
    EXPECT_FALSE(Exists(DeskHost("back.cab.part")));
}

// Empty, one block exactly, one block and one byte, several blocks with a short tail.
INSTANTIATE_TEST_SUITE_P(Sizes, DeviceTransferSizeTest, ::testing::Values(0u, 4096u, 4097u, 3 * 4096u + 100u));

TEST_F(DeviceTransferTest, CopyToDeviceReplacesAnOlderTarget)
{
    TestFolder::WriteHostFile(DeskHost("Backup.ini"), "new index");
    TestFolder::WriteHostFile(m_device.HostFile("\\Backup\\Backup.ini"), "an older and longer index");

    ASSERT_TRUE(CopyFileToDevice(Desk("Backup.ini"), u"\\Backup\\Backup.ini"));
    EXPECT_EQ("new index", TestFolder::ReadHostFile(m_device.HostFile("\\Backup\\Backup.ini")));
}

TEST_F(DeviceTransferTest, MissingDeviceFolderFailsAndClosesTheSource)
{
    TestFolder::WriteHostFile(DeskHost("a.cab"), Pattern(5000));

    EXPECT_FALSE(CopyFileToDevice(Desk("a.cab"), u"\\NoSuch\\a.cab"));
    EXPECT_FALSE(Exists(m_device.HostFile("\\NoSuch")));

    // Opened without sharing, the source would still refuse this open if the copy had kept it.
    HANDLE hSource = CreateFile(Desk("a.cab"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, hSource);
    CloseHandle(hSource);
}

TEST_F(DeviceTransferTest, MissingDesktopSourceFails)
{
    EXPECT_FALSE(CopyFileToDevice(Desk("none.cab"), u"\\Backup\\Data\\none.cab"));
    EXPECT_FALSE(Exists(m_device.HostFile("\\Backup\\Data\\none.cab")));
    EXPECT_FALSE(Exists(m_device.HostFile("\\Backup\\Data\\none.cab.part")));
}

TEST_F(DeviceTransferTest, SourceHeldWithoutSharingByAnotherProcessFails)
{
    TestFolder::WriteHostFile(DeskHost("a.cab"), Pattern(100));
    int ready[2];
    int release[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(release));
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        HANDLE hHeld = CreateFile(Desk("a.cab"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        char answer = hHeld == INVALID_HANDLE_VALUE ? 'n' : 'y';
        (void)!write(ready[1], &answer, 1);
        (void)!read(release[0], &answer, 1);
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(1, read(ready[0], &answer, 1));
    ASSERT_EQ('y', answer);

    EXPECT_FALSE(CopyFileToDevice(Desk("a.cab"), u"\\Backup\\Data\\a.cab"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_FALSE(Exists(m_device.HostFile("\\Backup\\Data\\a.cab")));

    (void)!write(release[1], &answer, 1);
    waitpid(holder, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        close(fd);
}

TEST_F(DeviceTransferTest, MissingDeviceSourceLeavesTheDesktopTarget)
{
    TestFolder::WriteHostFile(DeskHost("Backup.ini"), "index of an earlier run");

    EXPECT_FALSE(CopyFileFromDevice(u"\\Backup\\Backup.ini", Desk("Backup.ini")));
    EXPECT_EQ("index of an earlier run", TestFolder::ReadHostFile(DeskHost("Backup.ini")));
    EXPECT_FALSE(Exists(DeskHost("Backup.ini.part")));
}

TEST_F(DeviceTransferTest, MissingDesktopFolderFailsAndClosesTheDeviceSource)
{
    TestFolder::WriteHostFile(m_device.HostFile("\\Backup\\Backup.ini"), "index");

    EXPECT_FALSE(CopyFileFromDevice(u"\\Backup\\Backup.ini", Desk("nosuch/Backup.ini")));
    // The handheld's source was opened without sharing; a second open works only if it was closed.
    HANDLE hAgain = CeCreateFile(u"\\Backup\\Backup.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, hAgain);
    CeCloseHandle(hAgain);
}

TEST_F(DeviceTransferTest, DeleteDeviceFileReportsTheOutcome)
{
    TestFolder::WriteHostFile(m_device.HostFile("\\Backup\\Data\\old.cab"), "package");

    EXPECT_TRUE(DeleteDeviceFile(u"\\Backup\\Data\\old.cab"));
    EXPECT_FALSE(Exists(m_device.HostFile("\\Backup\\Data\\old.cab")));
    EXPECT_FALSE(DeleteDeviceFile(u"\\Backup\\Data\\old.cab"));
}

// A card too small for the package: the handheld refuses a block, which the link reports late (it
// writes behind), at the latest when the target is closed.
class DeviceTransferFullTest : public DeviceTransferTest {
protected:
    void SetUp() override { Start({"--store", "\\Card=64K"}, {}); }
};

TEST_F(DeviceTransferFullTest, DiskFullFailsAndKeepsTheOldTarget)
{
    TestFolder::WriteHostFile(DeskHost("big.cab"), Pattern(100000));
    TestFolder::WriteHostFile(m_device.HostFile("\\Card\\big.cab"), "old copy");

    EXPECT_FALSE(CopyFileToDevice(Desk("big.cab"), u"\\Card\\big.cab"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), GetLastError());
    EXPECT_EQ("old copy", TestFolder::ReadHostFile(m_device.HostFile("\\Card\\big.cab")));
    EXPECT_FALSE(Exists(m_device.HostFile("\\Card\\big.cab.part")));
}

// The link is cut part-way through the copy: the copy fails, and neither side is left with a
// truncated target; what each side had before stays.
class DeviceTransferDropTest : public DeviceTransferTest {
protected:
    void SetUp() override { Start({}, {"--drop-after", "300000"}); }
};

TEST_F(DeviceTransferDropTest, CutToDeviceFailsAndKeepsTheOldTarget)
{
    TestFolder::WriteHostFile(DeskHost("big.cab"), Pattern(1 << 20));
    TestFolder::WriteHostFile(m_device.HostFile("\\Backup\\Data\\big.cab"), "old copy");

    EXPECT_FALSE(CopyFileToDevice(Desk("big.cab"), u"\\Backup\\Data\\big.cab"));
    EXPECT_EQ("old copy", TestFolder::ReadHostFile(m_device.HostFile("\\Backup\\Data\\big.cab")));
}

TEST_F(DeviceTransferDropTest, CutFromDeviceFailsAndKeepsTheOldTarget)
{
    TestFolder::WriteHostFile(m_device.HostFile("\\Backup\\Data\\big.cab"), Pattern(1 << 20));
    TestFolder::WriteHostFile(DeskHost("big.cab"), "old copy");

    EXPECT_FALSE(CopyFileFromDevice(u"\\Backup\\Data\\big.cab", Desk("big.cab")));
    EXPECT_EQ("old copy", TestFolder::ReadHostFile(DeskHost("big.cab")));
    EXPECT_FALSE(Exists(DeskHost("big.cab.part")));
}

} // namespace
