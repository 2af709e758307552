// Tests of RegStore: names and case, order, values, deletion, limits, other processes, crashes, bad files.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/RegStore.h"
#include "tests/platform/TestFolder.h"

namespace {

using KeyId = RegStore::KeyId;
const KeyId kMachine = RegStore::RootKey(HKEY_LOCAL_MACHINE);

std::vector<BYTE> Bytes(std::initializer_list<int> list)
{
    std::vector<BYTE> out;
    for (int b : list) out.push_back(static_cast<BYTE>(b));
    return out;
}

// Runs body in a child process and gives its exit status (the child's store never meets the parent's).
template <class Body>
int InChild(Body body)
{
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class RegStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    std::string StorePath() const { return m_folder.Host("registry.db"); }

    KeyId Create(RegStore& store, std::u16string_view path)
    {
        KeyId id = 0;
        EXPECT_EQ(store.CreateKey(kMachine, path, &id), ERROR_SUCCESS);
        return id;
    }

    std::vector<std::u16string> SubKeys(RegStore& store, KeyId key)
    {
        std::vector<std::u16string> names;
        std::u16string name;
        DWORD i = 0;
        while (store.EnumKey(key, i++, &name) == ERROR_SUCCESS) names.push_back(name);
        return names;
    }

    TestFolder m_folder;
};

TEST_F(RegStoreTest, FoldsAsciiLatinGreekAndCyrillicLettersAndNothingElse)
{
    const struct {
        std::u16string_view lower, upper;
    } cases[] = {
        {u"a", u"A"}, {u"z", u"Z"}, {u"\u00E9", u"\u00C9"}, {u"\u00FF", u"\u0178"}, {u"\u0101", u"\u0100"},
        {u"\u0142", u"\u0141"}, {u"\u017E", u"\u017D"}, {u"\u03B1", u"\u0391"}, {u"\u03C2", u"\u03A3"},
        {u"\u03AC", u"\u0386"}, {u"\u03CE", u"\u038F"}, {u"\u0436", u"\u0416"}, {u"\u0451", u"\u0401"},
        {u"\u0491", u"\u0490"}, {u"\u04C2", u"\u04C1"}, {u"\uFF41", u"\uFF21"},
        // Not letters with a case: unchanged.
        {u"1", u"1"}, {u"_", u"_"}, {u"\u4E2D", u"\u4E2D"}, {u"\u00F7", u"\u00F7"}, {u"\u00D7", u"\u00D7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << static_cast<int>(c.lower[0]));
        EXPECT_EQ(RegStore::FoldName(c.lower), std::u16string(c.upper));
        EXPECT_EQ(RegStore::FoldName(c.upper), std::u16string(c.upper));
    }
}

TEST_F(RegStoreTest, KeysMatchWhateverTheCaseAndKeepTheCaseTheyWereMadeWith)
{
    RegStore store(StorePath());
    bool created = false;
    KeyId made = 0;
    ASSERT_EQ(store.CreateKey(kMachine, u"Software\\\u00C4rger\\\u03A9mega\\\u0416uk", &made, &created), ERROR_SUCCESS);
    EXPECT_TRUE(created);

    KeyId opened = 0;
    ASSERT_EQ(store.OpenKey(kMachine, u"SOFTWARE\\\u00E4RGER\\\u03C9MEGA\\\u0436UK\\", &opened), ERROR_SUCCESS);
    EXPECT_EQ(opened, made);
    KeyId again = 0;
    ASSERT_EQ(store.CreateKey(kMachine, u"software\\\u00E4rger\\\u03C9mega\\\u0436uk", &again, &created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
    EXPECT_EQ(again, made);

    KeyId software = 0;
    ASSERT_EQ(store.OpenKey(kMachine, u"software", &software), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(store, software), std::vector<std::u16string>{u"\u00C4rger"});
}

TEST_F(RegStoreTest, SubKeysEnumerateInCaseInsensitiveOrderThenReportNoMoreItems)
{
    RegStore store(StorePath());
    const KeyId parent = Create(store, u"Order");
    for (std::u16string_view name : {u"beta", u"Zeta", u"ALPHA2", u"Alpha", u"gamma"})
        Create(store, u"Order\\" + std::u16string(name));

    const std::vector<std::u16string> expected = {u"Alpha", u"ALPHA2", u"beta", u"gamma", u"Zeta"};
    EXPECT_EQ(SubKeys(store, parent), expected);
    std::u16string name;
    EXPECT_EQ(store.EnumKey(parent, 5, &name), ERROR_NO_MORE_ITEMS);

    RegStore reopened(StorePath());
    EXPECT_EQ(SubKeys(reopened, parent), expected);
}

TEST_F(RegStoreTest, ValuesKeepTypeBytesAndNameCaseAndTheEmptyNameIsTheDefault)
{
    RegStore store(StorePath());
    const KeyId key = Create(store, u"Values");
    const struct {
        std::u16string_view name;
        DWORD type;
        std::vector<BYTE> data;
    } cases[] = {
        {u"", REG_SZ, Bytes({'d', 0, 0, 0})},
        {u"Odd", 0x12345678u, Bytes({1, 2, 3})},
        {u"Empty", REG_BINARY, {}},
        {u"Zeros", REG_NONE, Bytes({0, 0, 0, 0, 0})},
        {u"\u00C9t\u00E9", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12})},
    };
    for (const auto& c : cases)
        ASSERT_EQ(store.SetValue(key, c.name, c.type, c.data.data(), c.data.size()), ERROR_SUCCESS);

    RegStore reader(StorePath());
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        DWORD type = 0;
        std::vector<BYTE> data = Bytes({9});
        ASSERT_EQ(reader.QueryValue(key, RegStore::FoldName(c.name), &type, &data), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(data, c.data);
    }
    // Values enumerate in the order they were made, with their own names.
    RegStoreValue value;
    ASSERT_EQ(reader.EnumValue(key, 4, &value), ERROR_SUCCESS);
    EXPECT_EQ(value.name, u"\u00C9t\u00E9");
    EXPECT_EQ(reader.EnumValue(key, 5, &value), ERROR_NO_MORE_ITEMS);

    // Replacing a value keeps its name and its place.
    const std::vector<BYTE> replaced = Bytes({7});
    ASSERT_EQ(store.SetValue(key, u"ODD", REG_BINARY, replaced.data(), replaced.size()), ERROR_SUCCESS);
    ASSERT_EQ(reader.EnumValue(key, 1, &value), ERROR_SUCCESS);
    EXPECT_EQ(value.name, u"Odd");
    EXPECT_EQ(value.type, REG_BINARY);
    EXPECT_EQ(value.data, replaced);

    EXPECT_EQ(store.DeleteValue(key, u"odd"), ERROR_SUCCESS);
    EXPECT_EQ(reader.QueryValue(key, u"Odd", nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.DeleteValue(key, u"odd"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegStoreTest, NamesOverTheLimitsAreInvalidParameters)
{
    RegStore store(StorePath());
    KeyId id = 0;
    EXPECT_EQ(store.CreateKey(kMachine, std::u16string(255, u'k'), &id), ERROR_SUCCESS);
    EXPECT_EQ(store.CreateKey(kMachine, u"A\\" + std::u16string(256, u'k'), &id), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(store.OpenKey(kMachine, std::u16string(256, u'k'), &id), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(store.OpenKey(kMachine, u"A", &id), ERROR_FILE_NOT_FOUND);  // nothing of the failed path was made

    const BYTE one = 1;
    EXPECT_EQ(store.SetValue(kMachine, std::u16string(16383, u'v'), REG_BINARY, &one, 1), ERROR_SUCCESS);
    EXPECT_EQ(store.SetValue(kMachine, std::u16string(16384, u'v'), REG_BINARY, &one, 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(store.QueryValue(kMachine, std::u16string(16384, u'v'), nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(RegStoreTest, DeletingAKeyRemovesItsTreeButNeverARoot)
{
    RegStore store(StorePath());
    const KeyId leaf = Create(store, u"Tree\\Branch\\Leaf");
    const BYTE one = 1;
    ASSERT_EQ(store.SetValue(leaf, u"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
    Create(store, u"Tree2");

    EXPECT_EQ(store.DeleteKey(kMachine, u"TREE"), ERROR_SUCCESS);
    KeyId id = 0;
    EXPECT_EQ(store.OpenKey(kMachine, u"Tree\\Branch", &id), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.QueryValue(leaf, u"v", nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(store.CheckKey(leaf), ERROR_KEY_DELETED);
    EXPECT_EQ(store.OpenKey(kMachine, u"Tree2", &id), ERROR_SUCCESS);
    EXPECT_EQ(store.DeleteKey(kMachine, u"Tree"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.DeleteKey(kMachine, u""), ERROR_ACCESS_DENIED);

    RegStore reopened(StorePath());
    EXPECT_EQ(reopened.OpenKey(kMachine, u"Tree\\Branch\\Leaf", &id), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegStoreTest, RootsAreSeparateTrees)
{
    RegStore store(StorePath());
    Create(store, u"OnlyHere");
    KeyId id = 0;
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_USERS})
        EXPECT_EQ(store.OpenKey(RegStore::RootKey(root), u"OnlyHere", &id), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegStore::RootKey(reinterpret_cast<HKEY>(std::uintptr_t{0x80000004u})), 0);
}

TEST_F(RegStoreTest, CachedReadsSeeChangesMadeThroughAnotherConnectionOrProcess)
{
    RegStore reader(StorePath());
    RegStore writer(StorePath());
    const KeyId key = Create(writer, u"Shared");
    const BYTE first = 1, second = 2;
    ASSERT_EQ(writer.SetValue(key, u"v", REG_BINARY, &first, 1), ERROR_SUCCESS);

    std::vector<BYTE> data;
    ASSERT_EQ(reader.QueryValue(key, u"v", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes({1}));
    ASSERT_EQ(writer.SetValue(key, u"v", REG_BINARY, &second, 1), ERROR_SUCCESS);
    ASSERT_EQ(reader.QueryValue(key, u"v", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes({2}));
    EXPECT_EQ(SubKeys(reader, key).size(), 0u);
    Create(writer, u"Shared\\Child");
    EXPECT_EQ(SubKeys(reader, key), std::vector<std::u16string>{u"Child"});
    ASSERT_EQ(writer.DeleteKey(kMachine, u"Shared"), ERROR_SUCCESS);
    EXPECT_EQ(reader.QueryValue(key, u"v", nullptr, &data), ERROR_KEY_DELETED);
}

TEST_F(RegStoreTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kPerProcess = 150;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = fork();
        if (pid == 0) {
            RegStore store(StorePath());
            for (int i = 0; i < kPerProcess; ++i) {
                const std::u16string name = u"Writer" + std::u16string(1, static_cast<char16_t>(u'A' + p));
                KeyId key = 0;
                if (store.CreateKey(kMachine, u"Race\\" + name, &key) != ERROR_SUCCESS) _exit(1);
                const DWORD n = static_cast<DWORD>(i);
                const std::u16string value = u"v" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) +
                                             std::u16string(1, static_cast<char16_t>(u'0' + i / 10 % 10)) +
                                             std::u16string(1, static_cast<char16_t>(u'0' + i / 100));
                if (store.SetValue(key, value, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4) != ERROR_SUCCESS)
                    _exit(2);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    RegStore store(StorePath());
    for (std::u16string_view writer : {u"Race\\WriterA", u"Race\\WriterB"}) {
        KeyId key = 0;
        ASSERT_EQ(store.OpenKey(kMachine, writer, &key), ERROR_SUCCESS);
        RegStoreKeyInfo info;
        ASSERT_EQ(store.QueryInfo(key, &info), ERROR_SUCCESS);
        EXPECT_EQ(info.values, static_cast<DWORD>(kPerProcess));
    }
}

TEST_F(RegStoreTest, AProcessKilledInsideATransactionLeavesNothingOfIt)
{
    {
        RegStore store(StorePath());
        Create(store, u"Before");
    }
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        RegStore store(StorePath());
        if (store.BeginBatch() != ERROR_SUCCESS) _exit(1);
        for (int i = 0; i < 200; ++i) {
            KeyId key = 0;
            store.CreateKey(kMachine, u"Half\\K" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)), &key);
            const BYTE b = static_cast<BYTE>(i);
            store.SetValue(key, u"v" + std::u16string(1, static_cast<char16_t>(u'a' + i / 10)), REG_BINARY, &b, 1);
        }
        const char ready = 'r';
        if (write(pipeFds[1], &ready, 1) != 1) _exit(2);
        pause();  // killed here, the batch still open
        _exit(3);
    }
    close(pipeFds[1]);
    char ready = 0;
    ASSERT_EQ(read(pipeFds[0], &ready, 1), 1);
    close(pipeFds[0]);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    RegStore store(StorePath());
    KeyId id = 0;
    EXPECT_EQ(store.OpenKey(kMachine, u"Half", &id), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.OpenKey(kMachine, u"Before", &id), ERROR_SUCCESS);
    // The store takes writes again at once: the dead writer's lock went with it.
    EXPECT_EQ(store.CreateKey(kMachine, u"After", &id), ERROR_SUCCESS);
}

TEST_F(RegStoreTest, ABatchRolledBackKeepsNothingAndTheCacheForgetsIt)
{
    RegStore store(StorePath());
    const KeyId key = Create(store, u"Batch");
    const BYTE one = 1;
    ASSERT_EQ(store.BeginBatch(), ERROR_SUCCESS);
    EXPECT_EQ(store.BeginBatch(), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(store.SetValue(key, u"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
    Create(store, u"Batch\\Child");
    store.RollbackBatch();
    EXPECT_EQ(store.QueryValue(key, u"v", nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(SubKeys(store, key).empty());

    ASSERT_EQ(store.BeginBatch(), ERROR_SUCCESS);
    ASSERT_EQ(store.SetValue(key, u"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
    ASSERT_EQ(store.CommitBatch(), ERROR_SUCCESS);
    RegStore other(StorePath());
    EXPECT_EQ(other.QueryValue(key, u"v", nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(RegStoreTest, AFileThatIsNotADatabaseGivesBadDbAndIsLeftAlone)
{
    const std::string junk(4096, 'x');
    m_folder.WriteBytes("registry.db", junk);
    RegStore store(StorePath());
    EXPECT_EQ(store.Open(), ERROR_BADDB);
    KeyId id = 0;
    EXPECT_EQ(store.OpenKey(kMachine, u"X", &id), ERROR_BADDB);
    EXPECT_EQ(store.CreateKey(kMachine, u"X", &id), ERROR_BADDB);
    EXPECT_EQ(m_folder.ReadBytes("registry.db"), junk);
}

TEST_F(RegStoreTest, AStoreInAMissingFolderCannotBeOpened)
{
    RegStore store(m_folder.Host("missing/registry.db"));
    KeyId id = 0;
    EXPECT_EQ(store.OpenKey(kMachine, u"X", &id), ERROR_CANTOPEN);
}

TEST_F(RegStoreTest, AReadOnlyStoreIsReadableAndRefusesWrites)
{
    {
        RegStore store(StorePath());
        const KeyId key = Create(store, u"Fixed");
        const BYTE one = 1;
        ASSERT_EQ(store.SetValue(key, u"v", REG_BINARY, &one, 1), ERROR_SUCCESS);
    }
    ASSERT_EQ(chmod(StorePath().c_str(), 0444), 0);
    ASSERT_EQ(chmod(m_folder.Host("").c_str(), 0777), 0);
    // root may write any file, so the check runs as an ordinary user when the tests run as root.
    const int result = InChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 10;
        RegStore store(StorePath());
        KeyId key = 0;
        if (store.OpenKey(kMachine, u"Fixed", &key) != ERROR_SUCCESS) return 11;
        std::vector<BYTE> data;
        if (store.QueryValue(key, u"v", nullptr, &data) != ERROR_SUCCESS || data != Bytes({1})) return 12;
        const BYTE two = 2;
        if (store.SetValue(key, u"v", REG_BINARY, &two, 1) != ERROR_ACCESS_DENIED) return 13;
        if (store.CreateKey(kMachine, u"New", &key) != ERROR_ACCESS_DENIED) return 14;
        if (store.DeleteKey(kMachine, u"Fixed") != ERROR_ACCESS_DENIED) return 15;
        if (store.QueryValue(key, u"v", nullptr, &data) != ERROR_SUCCESS || data != Bytes({1})) return 16;
        return 0;
    });
    EXPECT_EQ(result, 0);
}

}  // namespace
