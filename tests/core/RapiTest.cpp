// Tests of the remote API client (Ce... calls) against a real pelrudo-device process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "DeviceEmulator.h"
#include "core/Rapi.h"
#include "platform/SyncApi.h"
#include "platform/WinBase.h"

namespace {

constexpr HRESULT kNotConnected = HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);

std::vector<std::uint8_t> Pattern(std::size_t size, unsigned seed)
{
    std::vector<std::uint8_t> data(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& byte : data) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return data;
}

std::vector<std::uint8_t> HostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class RapiTest : public ::testing::Test {
protected:
    void SetUp() override { m_device.UseAsDesktop(); }
    void TearDown() override { CeRapiUninit(); }

    void Start(const std::vector<std::string>& init = {}, const std::vector<std::string>& serve = {})
    {
        ASSERT_TRUE(m_device.Init(init));
        ASSERT_TRUE(m_device.Serve(serve));
    }

    // As the device link does: start, then wait for the attempt up to `waitMs`.
    static HRESULT Connect(DWORD waitMs = 10000)
    {
        RAPIINIT init{12, nullptr, 0};
        const HRESULT started = CeRapiInitEx(&init);
        if (FAILED(started)) return started;
        if (WaitForSingleObject(init.heRapiInit, waitMs) != WAIT_OBJECT_0) return E_FAIL;
        return init.hrRapiInit;
    }

    static bool WriteAll(HANDLE file, const std::vector<std::uint8_t>& data, std::size_t block)
    {
        for (std::size_t at = 0; at < data.size(); at += block) {
            DWORD written = 0;
            const DWORD size = static_cast<DWORD>(std::min(block, data.size() - at));
            if (!CeWriteFile(file, data.data() + at, size, &written, nullptr) || written != size) return false;
        }
        return true;
    }

    static std::vector<std::uint8_t> ReadAll(HANDLE file, std::size_t block)
    {
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> buffer(block);
        DWORD got = 0;
        while (CeReadFile(file, buffer.data(), static_cast<DWORD>(block), &got, nullptr) && got > 0)
            data.insert(data.end(), buffer.begin(), buffer.begin() + got);
        return data;
    }

    DeviceEmulator m_device;
};

}  // namespace

TEST_F(RapiTest, ConnectsAndReportsTheHandheldsProcessor)
{
    Start({"--cpu", "1824"});
    ASSERT_EQ(Connect(), S_OK);
    SYSTEM_INFO info{};
    CeGetSystemInfo(&info);
    EXPECT_EQ(info.dwProcessorType, 1824u);
    EXPECT_EQ(info.wProcessorArchitecture, 5);
    EXPECT_EQ(info.dwNumberOfProcessors, 1u);
    EXPECT_EQ(CeGetLastError(), 0u);
}

TEST_F(RapiTest, NoHandheldEndsTheAttemptWithANegativeResult)
{
    setenv("PELRUDO_DEVICE", (m_device.Folder() + "/nobody.sock").c_str(), 1);
    EXPECT_EQ(Connect(), kNotConnected);
    EXPECT_EQ(CeRapiUninit(), S_OK);
    SetLastError(0);
    EXPECT_EQ(CeCreateFile(u"\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
}

TEST_F(RapiTest, AHandheldSlowerThanTheWaitIsNotSignalledInTime)
{
    Start({}, {"--delay", "3000"});
    RAPIINIT init{12, nullptr, 0};
    ASSERT_EQ(CeRapiInitEx(&init), S_OK);
    EXPECT_EQ(WaitForSingleObject(init.heRapiInit, 1000), static_cast<DWORD>(WAIT_TIMEOUT));
    // Uninit cuts the attempt; the record is no longer touched, and a new session can start.
    EXPECT_EQ(CeRapiUninit(), S_OK);
    ASSERT_EQ(Connect(), S_OK);
}

TEST_F(RapiTest, OneSessionAtATimeAndANewOneAfterUninit)
{
    Start();
    ASSERT_EQ(Connect(), S_OK);
    RAPIINIT second{12, nullptr, 0};
    EXPECT_EQ(CeRapiInitEx(&second), static_cast<HRESULT>(0x80041001u));
    EXPECT_EQ(CeRapiUninit(), S_OK);
    EXPECT_EQ(CeRapiUninit(), E_FAIL);
    EXPECT_EQ(CeRapiInit(), S_OK);
    STORE_INFORMATION store{};
    EXPECT_TRUE(CeGetStoreInformation(&store));
    EXPECT_EQ(store.dwStoreSize, 32u * 1024u * 1024u);
}

TEST_F(RapiTest, PipelinedWritesAndReadsComeBackByteExact)
{
    Start({"--store", "\\=64M"});
    ASSERT_EQ(Connect(), S_OK);
    struct Case {
        std::size_t size;
        std::size_t writeBlock;
        std::size_t readBlock;
    };
    const Case cases[] = {{0, 4096, 4096}, {4096, 4096, 4096}, {4097, 4096, 4096}, {3u << 20, 4096, 4096},
                          {1000003, 1, 100000}, {1u << 20, 300000, 777}, {2u << 20, 4096, 1u << 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes, written by " << c.writeBlock << ", read by " << c.readBlock);
        const auto data = Pattern(c.size, static_cast<unsigned>(c.size + c.readBlock));
        HANDLE file = CeCreateFile(u"\\Data\\x.cab", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            ASSERT_TRUE(CeCreateDirectory(u"\\Data", nullptr));
            file = CeCreateFile(u"\\Data\\x.cab", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        }
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        if (c.writeBlock == 1) {
            ASSERT_TRUE(WriteAll(file, std::vector<std::uint8_t>(data.begin(), data.begin() + 1000), 1));
            ASSERT_TRUE(WriteAll(file, std::vector<std::uint8_t>(data.begin() + 1000, data.end()), 4096));
        } else {
            ASSERT_TRUE(WriteAll(file, data, c.writeBlock));
        }
        ASSERT_TRUE(CeCloseHandle(file));
        EXPECT_EQ(HostFile(m_device.Root() + "/Data/x.cab"), data);
        file = CeCreateFile(u"\\data\\X.CAB", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ReadAll(file, c.readBlock), data);
        DWORD got = 7;
        std::uint8_t byte = 0;
        EXPECT_TRUE(CeReadFile(file, &byte, 1, &got, nullptr));
        EXPECT_EQ(got, 0u);
        ASSERT_TRUE(CeCloseHandle(file));
    }
}

TEST_F(RapiTest, TwoFilesInterleavedKeepTheirOwnData)
{
    Start();
    ASSERT_EQ(Connect(), S_OK);
    const auto a = Pattern(300000, 1);
    const auto b = Pattern(200000, 2);
    HANDLE fa = CeCreateFile(u"\\a.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE fb = CeCreateFile(u"\\b.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(fa, INVALID_HANDLE_VALUE);
    ASSERT_NE(fb, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    for (std::size_t at = 0; at < a.size(); at += 1000) {
        ASSERT_TRUE(CeWriteFile(fa, a.data() + at, 1000, &written, nullptr));
        if (at < b.size()) {
            ASSERT_TRUE(CeWriteFile(fb, b.data() + at, 1000, &written, nullptr));
        }
    }
    ASSERT_TRUE(CeCloseHandle(fa));
    ASSERT_TRUE(CeCloseHandle(fb));
    fa = CeCreateFile(u"\\a.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    fb = CeCreateFile(u"\\b.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<std::uint8_t> ra, rb;
    std::uint8_t buffer[4096];
    DWORD got = 0;
    bool moreA = true, moreB = true;
    while (moreA || moreB) {
        if (moreA && (moreA = CeReadFile(fa, buffer, sizeof(buffer), &got, nullptr) && got > 0)) ra.insert(ra.end(), buffer, buffer + got);
        if (moreB && (moreB = CeReadFile(fb, buffer, 1500, &got, nullptr) && got > 0)) rb.insert(rb.end(), buffer, buffer + got);
    }
    EXPECT_EQ(ra, a);
    EXPECT_EQ(rb, b);
    EXPECT_TRUE(CeCloseHandle(fa));
    EXPECT_TRUE(CeCloseHandle(fb));
}

TEST_F(RapiTest, ReadingAHandleOpenForWritingTooNeverRunsAheadOfIt)
{
    Start();
    ASSERT_EQ(Connect(), S_OK);
    const auto data = Pattern(200000, 5);
    HANDLE file = CeCreateFile(u"\\rw.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_TRUE(WriteAll(file, data, 65536));
    ASSERT_TRUE(CeCloseHandle(file));
    file = CeCreateFile(u"\\rw.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::uint8_t head[4] = {};
    DWORD got = 0;
    ASSERT_TRUE(CeReadFile(file, head, 4, &got, nullptr));
    ASSERT_EQ(got, 4u);
    const std::uint8_t patch[4] = {1, 2, 3, 4};
    ASSERT_TRUE(WriteAll(file, std::vector<std::uint8_t>(patch, patch + 4), 4));
    ASSERT_TRUE(CeCloseHandle(file));
    auto expected = data;
    std::copy(patch, patch + 4, expected.begin() + 4);
    EXPECT_EQ(HostFile(m_device.Root() + "/rw.bin"), expected);
}

TEST_F(RapiTest, AWriteFailureIsLatchedAndReportedAtClose)
{
    Start({"--store", "\\=256K"});
    ASSERT_EQ(Connect(), S_OK);
    HANDLE file = CeCreateFile(u"\\big.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const auto data = Pattern(1u << 20, 3);
    std::size_t accepted = 0;
    DWORD written = 0;
    for (std::size_t at = 0; at < data.size(); at += 4096) {
        if (!CeWriteFile(file, data.data() + at, 4096, &written, nullptr)) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
            break;
        }
        accepted += written;
    }
    EXPECT_GT(accepted, 0u);
    SetLastError(0);
    EXPECT_FALSE(CeCloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(CeGetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_LE(HostFile(m_device.Root() + "/big.bin").size(), 256u * 1024u);
    // The link itself is fine.
    STORE_INFORMATION store{};
    EXPECT_TRUE(CeGetStoreInformation(&store));
}

TEST_F(RapiTest, ALinkDroppedMidCopyFailsEveryCallAtOnce)
{
    // A reply timeout far beyond the test's own: only a prompt failure lets the test end.
    setenv("PELRUDO_RAPI_TIMEOUT_MS", "600000", 1);
    Start({"--store", "\\=64M"}, {"--drop-after", "300000"});
    ASSERT_EQ(Connect(), S_OK);
    HANDLE file = CeCreateFile(u"\\cut.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const auto data = Pattern(4u << 20, 4);
    bool failed = false;
    DWORD written = 0;
    for (std::size_t at = 0; at < data.size() && !failed; at += 4096)
        failed = !CeWriteFile(file, data.data() + at, 4096, &written, nullptr);
    if (!failed) failed = !CeCloseHandle(file);
    unsetenv("PELRUDO_RAPI_TIMEOUT_MS");
    EXPECT_TRUE(failed);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONNECTION_ABORTED));
    EXPECT_FALSE(CeDeleteFile(u"\\cut.bin"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONNECTION_ABORTED));
    HKEY key = nullptr;
    EXPECT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, 0, &key), ERROR_CONNECTION_ABORTED);
}

TEST_F(RapiTest, FileCallsSetTheHandheldsLastError)
{
    Start();
    ASSERT_EQ(Connect(), S_OK);
    struct Case {
        const char16_t* name;
        DWORD disposition;
        DWORD error;
    };
    const Case cases[] = {
        {u"\\missing.txt", OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {u"\\no folder\\x.txt", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
        {u"\\new.txt", CREATE_NEW, ERROR_SUCCESS},
        {u"\\NEW.TXT", CREATE_NEW, ERROR_FILE_EXISTS},
        {u"\\new.txt", CREATE_ALWAYS, ERROR_ALREADY_EXISTS},
        {u"\\new.txt", 9, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.disposition << " " << c.error);
        SetLastError(12345);
        HANDLE file = CeCreateFile(c.name, GENERIC_WRITE, 0, nullptr, c.disposition, 0, nullptr);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.error == ERROR_SUCCESS || c.error == ERROR_ALREADY_EXISTS);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(CeGetLastError(), c.error);
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CeCloseHandle(file));
        }
    }
    EXPECT_FALSE(CeCloseHandle(reinterpret_cast<HANDLE>(0x1234)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CeMoveFile(u"\\new.txt", u"\\moved.txt"));
    EXPECT_FALSE(CeDeleteFile(u"\\new.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(CeDeleteFile(u"\\MOVED.txt"));
    EXPECT_TRUE(CeCreateDirectory(u"\\Storage", nullptr));
    EXPECT_FALSE(CeCreateDirectory(u"\\storage", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}

TEST_F(RapiTest, RegistryCallsReachTheHandheldsStore)
{
    Start();
    ASSERT_EQ(Connect(), S_OK);
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(CeRegCreateKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup", 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const char16_t folder[] = u"\\Storage Card\\备份\\";
    const DWORD spare = 123456789;
    ASSERT_EQ(CeRegSetValueEx(key, u"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder), sizeof(folder) - 2),
              ERROR_SUCCESS);
    ASSERT_EQ(CeRegSetValueEx(key, u"SpareDiskSize", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&spare), 4), ERROR_SUCCESS);
    EXPECT_EQ(CeRegCloseKey(key), ERROR_SUCCESS);

    ASSERT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"software\\tavrimo\\backup", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    char16_t text[64] = {};
    DWORD type = 0;
    DWORD size = sizeof(text);
    ASSERT_EQ(CeRegQueryValueEx(key, u"InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(folder) - 2);
    EXPECT_EQ(std::u16string(text), folder);
    DWORD number = 0;
    size = 4;
    ASSERT_EQ(CeRegQueryValueEx(key, u"SpareDiskSize", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size), ERROR_SUCCESS);
    EXPECT_EQ(number, spare);
    size = 4;
    EXPECT_EQ(CeRegQueryValueEx(key, u"Missing", nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CeRegCloseKey(key), ERROR_SUCCESS);

    ASSERT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo", 0, 0, &key), ERROR_SUCCESS);
    DWORD subKeys = 0;
    EXPECT_EQ(CeRegQueryInfoKey(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 1u);
    char16_t name[256] = {};
    DWORD length = 255;
    EXPECT_EQ(CeRegEnumKeyEx(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"Backup");
    EXPECT_EQ(length, 6u);
    length = 255;
    EXPECT_EQ(CeRegEnumKeyEx(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(CeRegCloseKey(key), ERROR_SUCCESS);

    EXPECT_EQ(CeRegDeleteKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup"), ERROR_SUCCESS);
    EXPECT_EQ(CeRegOpenKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup", 0, 0, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CeRegCloseKey(reinterpret_cast<HKEY>(0x4242)), ERROR_INVALID_HANDLE);
}
