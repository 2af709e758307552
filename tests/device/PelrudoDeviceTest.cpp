// Tests of pelrudo-device: the handheld it serves, through the remote API client and through raw frames.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <thread>

#include "DeviceEmulator.h"
#include "tests/platform/TestFolder.h"
#include "core/Rapi.h"
#include "core/wire/FrameDecoder.h"
#include "core/wire/RapiCommand.h"
#include "core/wire/WireReader.h"
#include "core/wire/WireWriter.h"
#include "platform/WinBase.h"

namespace fs = std::filesystem;

namespace {

// A session of its own on the emulator's socket, speaking frames directly.
class RawSession {
public:
    explicit RawSession(const std::string& socketPath)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        // A server that never answers fails the test instead of hanging it.
        const timeval patience{30, 0};
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof(patience));
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~RawSession()
    {
        if (m_fd >= 0) close(m_fd);
    }
    bool Connected() const { return m_fd >= 0; }

    bool SendBytes(const void* data, std::size_t size) { return send(m_fd, data, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size); }

    // Sends one request (the command and what `args` writes) and returns its reply body; false when
    // the connection ended instead.
    bool Call(RapiCommand command, const std::function<void(WireWriter&)>& args, std::vector<std::uint8_t>& reply)
    {
        WireWriter out;
        out.BeginFrame();
        out.U32(static_cast<std::uint32_t>(command));
        args(out);
        out.EndFrame();
        return SendBytes(out.Data(), out.Size()) && Receive(reply);
    }

    bool Receive(std::vector<std::uint8_t>& reply)
    {
        for (;;) {
            std::span<const std::uint8_t> body;
            if (m_in.Next(body) == FrameDecoder::Status::Ready) {
                reply.assign(body.begin(), body.end());
                return true;
            }
            const ssize_t n = recv(m_fd, m_in.Prepare(65536), 65536, 0);
            if (n <= 0) return false;
            m_in.Commit(static_cast<std::size_t>(n));
        }
    }

    // The last error and return word of a normal reply.
    static std::pair<std::uint32_t, std::uint32_t> Head(const std::vector<std::uint8_t>& reply)
    {
        WireReader reader(reply.data(), reply.size());
        std::uint32_t flag = 9, error = 0, ret = 0;
        reader.U32(flag), reader.U32(error), reader.U32(ret);
        EXPECT_EQ(flag, 0u);
        return {error, ret};
    }

    std::pair<std::uint32_t, std::uint32_t> CreateFile(const char16_t* name, DWORD access, DWORD share, DWORD disposition)
    {
        std::vector<std::uint8_t> reply;
        EXPECT_TRUE(Call(RapiCommand::CreateFile, [&](WireWriter& w) { w.U32(access).U32(share).U32(disposition).U32(0).U32(0).Str(name); }, reply));
        return Head(reply);
    }

    std::pair<std::uint32_t, std::uint32_t> CloseHandle(std::uint32_t handle)
    {
        std::vector<std::uint8_t> reply;
        EXPECT_TRUE(Call(RapiCommand::CloseHandle, [&](WireWriter& w) { w.U32(handle); }, reply));
        return Head(reply);
    }

    bool Answers()
    {
        std::vector<std::uint8_t> reply;
        return Call(RapiCommand::GetSystemInfo, [](WireWriter& w) { w.Out(36); }, reply) && reply.size() >= 8 + 12 + 36;
    }

private:
    int m_fd = -1;
    FrameDecoder m_in;
};

class PelrudoDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { m_device.UseAsDesktop(); }
    void TearDown() override { CeRapiUninit(); }

    void Start(const std::vector<std::string>& init = {}, const std::vector<std::string>& serve = {})
    {
        ASSERT_TRUE(m_device.Init(init));
        ASSERT_TRUE(m_device.Serve(serve));
        ASSERT_EQ(CeRapiInit(), S_OK);
    }

    static BOOL WriteFile(const char16_t* name, std::size_t size)
    {
        HANDLE file = CeCreateFile(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return FALSE;
        const std::vector<std::uint8_t> data(size, 0x5A);
        DWORD written = 0;
        for (std::size_t at = 0; at < size; at += 4096)
            CeWriteFile(file, data.data() + at, static_cast<DWORD>(std::min<std::size_t>(4096, size - at)), &written, nullptr);
        return CeCloseHandle(file);
    }

    DeviceEmulator m_device;
};

}  // namespace

TEST_F(PelrudoDeviceTest, HostilePathsAreRefusedAndNothingOutsideTheRootIsTouched)
{
    Start();
    const std::string outside = m_device.Folder() + "/outside";
    TestFolder::WriteHostFile(outside + "/secret.txt", "secret");
    fs::create_directory_symlink(outside, m_device.Root() + "/link");
    fs::create_symlink(outside + "/secret.txt", m_device.Root() + "/filelink");
    fs::create_directory(m_device.Root() + "/inside");
    const auto create = [](const std::u16string& name) {
        HANDLE file = CeCreateFile(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        return file != INVALID_HANDLE_VALUE && CeCloseHandle(file);
    };
    struct Case {
        const char* name;
        std::function<BOOL()> call;
        DWORD error;
    };
    const Case cases[] = {
        {"dot-dot from the root", [&] { return create(u"\\..\\outside\\secret.txt"); }, ERROR_PATH_NOT_FOUND},
        {"relative dot-dots", [&] { return create(u"..\\..\\outside\\new.txt"); }, ERROR_PATH_NOT_FOUND},
        {"dot-dot inside", [&] { return create(u"\\inside\\..\\..\\outside\\new.txt"); }, ERROR_PATH_NOT_FOUND},
        {"through a folder link", [&] { return create(u"\\link\\secret.txt"); }, ERROR_ACCESS_DENIED},
        {"new file through a folder link", [&] { return create(u"\\LINK\\new.txt"); }, ERROR_ACCESS_DENIED},
        {"a file link", [&] { return create(u"\\filelink"); }, ERROR_ACCESS_DENIED},
        {"control character", [&] { return create(u"\\a\x01" u"b"); }, ERROR_INVALID_NAME},
        {"reserved character", [&] { return create(u"\\a|b"); }, ERROR_INVALID_NAME},
        {"name over 255", [&] { return create(u"\\" + std::u16string(256, u'x')); }, ERROR_FILENAME_EXCED_RANGE},
        {"path over 260", [&] { return create(u"\\inside\\" + std::u16string(150, u'x') + u"\\" + std::u16string(150, u'y')); },
         ERROR_FILENAME_EXCED_RANGE},
        {"delete through a link", [] { return CeDeleteFile(u"\\link\\secret.txt"); }, ERROR_ACCESS_DENIED},
        {"delete a link", [] { return CeDeleteFile(u"\\filelink"); }, ERROR_ACCESS_DENIED},
        {"delete by dot-dot", [] { return CeDeleteFile(u"\\..\\outside\\secret.txt"); }, ERROR_PATH_NOT_FOUND},
        {"folder through a link", [] { return CeCreateDirectory(u"\\link\\made", nullptr); }, ERROR_ACCESS_DENIED},
        {"move out by dot-dot", [] { return CeMoveFile(u"\\inside", u"\\..\\moved"); }, ERROR_PATH_NOT_FOUND},
        {"move a link", [] { return CeMoveFile(u"\\filelink", u"\\taken"); }, ERROR_ACCESS_DENIED},
        {"run through a link", [] {
             PROCESS_INFORMATION info{};
             return CeCreateProcess(u"\\link\\secret.txt", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info);
         }, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(0);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(TestFolder::ReadHostFile(outside + "/secret.txt"), "secret");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_symlink(m_device.Root() + "/filelink"));
    EXPECT_TRUE(fs::is_directory(m_device.Root() + "/inside"));
}

TEST_F(PelrudoDeviceTest, NamesMatchWithoutRegardToCase)
{
    Start();
    TestFolder::WriteHostFile(m_device.Root() + "/Backup/Data/App.cab", "old");
    ASSERT_TRUE(WriteFile(u"\\BACKUP\\data\\app.CAB", 3));
    EXPECT_EQ(TestFolder::ReadHostFile(m_device.Root() + "/Backup/Data/App.cab"), "ZZZ");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_device.Root() + "/Backup/Data"), fs::directory_iterator()), 1);
    EXPECT_TRUE(CeMoveFile(u"\\backup\\DATA\\app.cab", u"\\Backup\\Data\\APP.CAB"));
    EXPECT_TRUE(fs::exists(m_device.Root() + "/Backup/Data/APP.CAB"));
    EXPECT_FALSE(fs::exists(m_device.Root() + "/Backup/Data/App.cab"));
    EXPECT_TRUE(CeDeleteFile(u"\\bAcKuP\\dAtA\\app.cab"));
    EXPECT_TRUE(fs::is_empty(m_device.Root() + "/Backup/Data"));
}

TEST_F(PelrudoDeviceTest, FreeSpaceIsTheCapacityLessWhatTheStoreHolds)
{
    Start({"--store", "\\=1M", "--store", "\\Storage Card=2M"});
    TestFolder::WriteHostFile(m_device.Root() + "/Windows/a.dll", std::string(1000, 'a'));
    TestFolder::WriteHostFile(m_device.Root() + "/Storage Card/b.cab", std::string(5000, 'b'));
    STORE_INFORMATION store{};
    ASSERT_TRUE(CeGetStoreInformation(&store));
    EXPECT_EQ(store.dwStoreSize, 1u << 20);
    EXPECT_EQ(store.dwFreeSize, (1u << 20) - 1000u);
    ASSERT_TRUE(WriteFile(u"\\x.bin", 3000));
    ASSERT_TRUE(WriteFile(u"\\storage card\\y.bin", 7000));
    ASSERT_TRUE(CeGetStoreInformation(&store));
    EXPECT_EQ(store.dwFreeSize, (1u << 20) - 4000u);
    ASSERT_TRUE(CeDeleteFile(u"\\x.bin"));
    ASSERT_TRUE(CeGetStoreInformation(&store));
    EXPECT_EQ(store.dwFreeSize, (1u << 20) - 1000u);
}

TEST_F(PelrudoDeviceTest, AWriteBeyondAStoreFailsWithDiskFull)
{
    Start({"--store", "\\Storage Card=64K"});
    SetLastError(0);
    EXPECT_FALSE(WriteFile(u"\\Storage Card\\big.cab", 100000));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_LE(fs::file_size(m_device.Root() + "/Storage Card/big.cab"), 65536u);
    EXPECT_TRUE(CeDeleteFile(u"\\Storage Card\\big.cab"));
    EXPECT_TRUE(WriteFile(u"\\Storage Card\\fits.cab", 1000));
    EXPECT_TRUE(WriteFile(u"\\big.cab", 100000));
}

TEST_F(PelrudoDeviceTest, SessionsAtOnceKeepTheirOwnHandlesAndShareModesHoldBetweenThem)
{
    Start();
    RawSession a(m_device.Socket());
    RawSession b(m_device.Socket());
    ASSERT_TRUE(a.Connected() && b.Connected());
    const auto [createError, handle] = a.CreateFile(u"\\shared.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_EQ(createError, 0u);
    EXPECT_EQ(b.CreateFile(u"\\SHARED.TXT", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING).first,
              static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(b.CloseHandle(handle).first, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    // The client's session counts as one more.
    EXPECT_EQ(CeCreateFile(u"\\shared.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(a.CloseHandle(handle), std::make_pair(0u, 1u));
    const auto [readError, readHandle] = b.CreateFile(u"\\shared.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_EQ(readError, 0u);
    EXPECT_EQ(a.CreateFile(u"\\shared.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).first, 0u);
    EXPECT_EQ(b.CloseHandle(readHandle).first, 0u);

    // Several sessions at work together, each with its own file.
    std::vector<std::thread> workers;
    std::vector<int> results(4, 0);
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([&, i] {
            RawSession session(m_device.Socket());
            const std::u16string name = u"\\worker" + std::u16string(1, static_cast<char16_t>(u'0' + i));
            const auto [error, file] = session.CreateFile(name.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS);
            int good = error == 0;
            const std::vector<std::uint8_t> data(50000, static_cast<std::uint8_t>(i));
            for (int round = 0; round < 20; ++round) {
                std::vector<std::uint8_t> reply;
                good += session.Call(RapiCommand::WriteFile, [&](WireWriter& w) { w.U32(file).In(data.data(), 50000).U32(0); }, reply) &&
                        RawSession::Head(reply).second == 1;
            }
            good += session.CloseHandle(file).second == 1;
            results[static_cast<std::size_t>(i)] = good;
        });
    }
    for (auto& worker : workers) worker.join();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(results[static_cast<std::size_t>(i)], 22);
        EXPECT_EQ(fs::file_size(m_device.Root() + "/worker" + std::to_string(i)), 1000000u);
    }
}

TEST_F(PelrudoDeviceTest, MalformedFramesEndOnlyTheirOwnConnection)
{
    Start();
    RawSession bystander(m_device.Socket());
    ASSERT_TRUE(bystander.Answers());
    const auto le = [](std::initializer_list<std::uint32_t> words) {
        std::vector<std::uint8_t> bytes;
        for (std::uint32_t w : words)
            for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
        return bytes;
    };
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"length beyond any frame", le({0xFFFFFFFF, 5})},
        {"length just over the limit", le({(1u << 20) + 1, 0})},
        {"empty body", le({0})},
        {"arguments missing", le({8, 0x05, 0x80000000})},
        {"string longer than its frame", le({16, 0x1c, 1, 0x7FFFFFFF, 1})},
        {"odd string", le({20, 0x1c, 1, 3, 1, 0x41})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RawSession hostile(m_device.Socket());
        ASSERT_TRUE(hostile.SendBytes(c.bytes.data(), c.bytes.size()));
        std::vector<std::uint8_t> reply;
        EXPECT_FALSE(hostile.Receive(reply));
        EXPECT_TRUE(bystander.Answers());
    }
    // An unknown command is answered, not fatal.
    std::vector<std::uint8_t> reply;
    ASSERT_TRUE(bystander.Call(static_cast<RapiCommand>(0x99), [](WireWriter& w) { w.U32(1); }, reply));
    WireReader reader(reply.data(), reply.size());
    std::uint32_t flag = 0, hr = 0;
    ASSERT_TRUE(reader.U32(flag) && reader.U32(hr));
    EXPECT_EQ(flag, 1u);
    EXPECT_EQ(hr, 0x80004001u);
    EXPECT_TRUE(bystander.Answers());
}

TEST_F(PelrudoDeviceTest, StoppingClosesSessionsAndRemovesItsPrivateSocket)
{
    Start();
    struct stat status {};
    ASSERT_EQ(stat(m_device.Socket().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_TRUE(WriteFile(u"\\kept.txt", 10));
    RawSession idle(m_device.Socket());
    ASSERT_TRUE(idle.Answers());
    EXPECT_EQ(m_device.Stop(), 0);
    EXPECT_FALSE(fs::exists(m_device.Socket()));
    std::vector<std::uint8_t> reply;
    EXPECT_FALSE(idle.Receive(reply));
    EXPECT_FALSE(CeDeleteFile(u"\\kept.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CONNECTION_ABORTED));
    EXPECT_TRUE(fs::exists(m_device.Root() + "/kept.txt"));
}

TEST_F(PelrudoDeviceTest, CreateProcessStartsAProgramThatKnowsItsHandheld)
{
    Start({"--store", "\\Storage Card=64M", "--agent", "\\Storage Card\\Backup\\", "--agent-program",
           DeviceEmulator::Program("pelrudo-test-envrecorder")});
    const std::string program = m_device.Root() + "/Storage Card/Backup/info.exe";
    ASSERT_TRUE(fs::exists(program));
    const auto programSize = fs::file_size(program);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CeCreateProcess(u"\\storage card\\backup\\info.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &info));
    EXPECT_NE(info.dwProcessId, 0u);
    EXPECT_TRUE(CeCloseHandle(info.hProcess));
    EXPECT_TRUE(CeCloseHandle(info.hThread));
    const std::string record = m_device.Image() + "/env.txt";
    for (int i = 0; i < 3000 && !fs::exists(record); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string env = TestFolder::ReadHostFile(record);
    EXPECT_NE(env.find("PELRUDO_REGISTRY=" + m_device.Registry() + "\n"), std::string::npos) << env;
    EXPECT_NE(env.find("PELRUDO_CE_MODULE=\\storage card\\backup\\info.exe\n"), std::string::npos) << env;
    EXPECT_NE(env.find("PELRUDO_CE_STORES=\\|33554432|33554432;\\Storage Card|67108864|" +
                       std::to_string(67108864 - programSize) + "\n"),
              std::string::npos)
        << env;
    EXPECT_NE(env.find("PELRUDO_DEVICE_DIR=" + m_device.Image() + "\n"), std::string::npos) << env;
    EXPECT_NE(env.find("ARGC=1\n"), std::string::npos) << env;

    SetLastError(0);
    EXPECT_FALSE(CeCreateProcess(u"\\Storage Card\\Backup\\nope.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, nullptr, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CeCreateProcess(u"\\Storage Card\\Backup", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 nullptr, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(PelrudoDeviceTest, InitOnAnImageKeepsItsFilesAndChangesItsSettings)
{
    Start({"--cpu", "2577"});
    ASSERT_TRUE(WriteFile(u"\\kept.txt", 10));
    CeRapiUninit();
    ASSERT_EQ(m_device.Stop(), 0);
    ASSERT_TRUE(m_device.Init({"--cpu", "10003", "--store", "\\=8M"}));
    ASSERT_TRUE(m_device.Serve());
    ASSERT_EQ(CeRapiInit(), S_OK);
    SYSTEM_INFO info{};
    CeGetSystemInfo(&info);
    EXPECT_EQ(info.dwProcessorType, 10003u);
    STORE_INFORMATION store{};
    ASSERT_TRUE(CeGetStoreInformation(&store));
    EXPECT_EQ(store.dwStoreSize, 8u << 20);
    EXPECT_EQ(store.dwFreeSize, (8u << 20) - 10u);
    EXPECT_EQ(fs::file_size(m_device.Root() + "/kept.txt"), 10u);
}

TEST_F(PelrudoDeviceTest, ASlowLinkStillCarriesEveryByte)
{
    Start({}, {"--rate", "2M"});
    ASSERT_TRUE(WriteFile(u"\\slow.bin", 300000));
    EXPECT_EQ(fs::file_size(m_device.Root() + "/slow.bin"), 300000u);
    HANDLE file = CeCreateFile(u"\\slow.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<std::uint8_t> buffer(4096);
    std::size_t total = 0;
    DWORD got = 0;
    while (CeReadFile(file, buffer.data(), 4096, &got, nullptr) && got > 0) {
        EXPECT_EQ(buffer[0], 0x5A);
        total += got;
    }
    EXPECT_EQ(total, 300000u);
    EXPECT_TRUE(CeCloseHandle(file));
}
