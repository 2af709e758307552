// Tests of the Reg... calls: statuses and last error, handles, buffer sizes, narrow text, threads, bad stores.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/RegistryApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "tests/platform/TestFolder.h"

namespace {

HKEY Bogus(std::uintptr_t value) { return reinterpret_cast<HKEY>(value); }

class RegistryApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        ::unsetenv("PELRUDO_REGISTRY");
        RegSetStorePath("");
    }
    void TearDown() override { RegSetStorePath(""); }

    HKEY Create(const char16_t* path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }

    static LONG SetString(HKEY key, const char16_t* name, std::u16string_view text)
    {
        return RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size() * 2));
    }

    TestFolder m_folder;
};

TEST_F(RegistryApiTest, TheDesktopStoreIsInThePrefixUnlessTheEnvironmentOrABindingNamesAnother)
{
    EXPECT_EQ(RegGetStorePath(), GetPrefix() + "/registry.db");
    ::setenv("PELRUDO_REGISTRY", m_folder.Host("env.db").c_str(), 1);
    RegSetStorePath("");
    EXPECT_EQ(RegGetStorePath(), m_folder.Host("env.db"));
    RegSetStorePath(m_folder.Host("bound.db"));
    EXPECT_EQ(RegGetStorePath(), m_folder.Host("bound.db"));
    ::unsetenv("PELRUDO_REGISTRY");
}

TEST_F(RegistryApiTest, EveryCallReturnsThePlatformsStatusAndLeavesItAsTheLastError)
{
    HKEY key = Create(u"Software\\Test");
    ASSERT_EQ(SetString(key, u"Name", u"abc"), ERROR_SUCCESS);
    HKEY closed = Create(u"Software\\Closed");
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);

    HKEY out = nullptr;
    DWORD size = 0;
    BYTE buffer[16];
    char16_t name[8];
    const std::u16string longKey(256, u'k');
    const std::u16string longValue(16384, u'v');
    const struct {
        const char* what;
        std::function<LONG()> call;
        LONG status;
    } cases[] = {
        {"open existing", [&] { return RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\test", 0, KEY_READ, &out); }, 0},
        {"open the root itself", [&] { return RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"", 0, KEY_READ, &out); }, 0},
        {"open with doubled backslashes", [&] { return RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\\\Test\\", 0, 0, &out); }, 0},
        {"open missing", [&] { return RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software\\None", 0, KEY_READ, &out); }, 2},
        {"open below other root", [&] { return RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Test", 0, 0, &out); }, 2},
        {"open without result", [&] { return RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software", 0, 0, nullptr); }, 87},
        {"open on bogus handle", [&] { return RegOpenKeyEx(Bogus(0x1234), u"x", 0, 0, &out); }, 6},
        {"open on null handle", [&] { return RegOpenKeyEx(nullptr, u"x", 0, 0, &out); }, 6},
        {"query on closed handle", [&] { return RegQueryValueEx(closed, u"Name", nullptr, nullptr, nullptr, &size); }, 6},
        {"close closed handle", [&] { return RegCloseKey(closed); }, 6},
        {"close root", [&] { return RegCloseKey(HKEY_LOCAL_MACHINE); }, 0},
        {"key name too long", [&] { return RegOpenKeyEx(HKEY_LOCAL_MACHINE, longKey.c_str(), 0, 0, &out); }, 87},
        {"value name too long", [&] { return RegQueryValueEx(key, longValue.c_str(), nullptr, nullptr, nullptr, &size); }, 87},
        {"query missing value", [&] { return RegQueryValueEx(key, u"None", nullptr, nullptr, nullptr, &size); }, 2},
        {"query data without size", [&] { return RegQueryValueEx(key, u"Name", nullptr, nullptr, buffer, nullptr); }, 87},
        {"query buffer too small", [&] { size = 4; return RegQueryValueEx(key, u"Name", nullptr, nullptr, buffer, &size); }, 234},
        {"enum past the end", [&] { DWORD n = 8; return RegEnumKeyEx(key, 0, name, &n, nullptr, nullptr, nullptr, nullptr); }, 259},
        {"enum value past the end", [&] { DWORD n = 8; return RegEnumValue(key, 1, name, &n, nullptr, nullptr, nullptr, nullptr); }, 259},
        {"delete missing key", [&] { return RegDeleteKey(HKEY_LOCAL_MACHINE, u"Software\\None"); }, 2},
        {"delete a root", [&] { return RegDeleteKey(HKEY_LOCAL_MACHINE, u""); }, 5},
        {"delete missing value", [&] { return RegDeleteValue(key, u"None"); }, 2},
        {"delete the key of a handle", [&] { return RegDeleteKey(HKEY_LOCAL_MACHINE, u"Software\\Test"); }, 0},
        {"query through that handle", [&] { return RegQueryValueEx(key, u"Name", nullptr, nullptr, nullptr, &size); }, 1018},
        {"set with no data", [&] { return RegSetValueEx(key, u"x", 0, REG_BINARY, nullptr, 4); }, 87},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(12345);
        EXPECT_EQ(c.call(), c.status);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.status));
        if (c.status == 0 && out) RegCloseKey(std::exchange(out, nullptr));
    }
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, QueryGivesTheSizeAloneOrMoreDataWithTheNeededSize)
{
    HKEY key = Create(u"Sizes");
    ASSERT_EQ(SetString(key, u"", u"default"), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueEx(key, static_cast<LPCWSTR>(nullptr), nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 14u);

    BYTE buffer[14] = {};
    size = 13;
    EXPECT_EQ(RegQueryValueEx(key, u"", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(buffer[0], 0);  // nothing copied on failure
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueEx(key, u"", nullptr, nullptr, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer), 7), u"default");
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, EnumerationAndInfoReportNamesInOrderWithTheirLengths)
{
    HKEY key = Create(u"Apps");
    for (const char16_t* app : {u"apps\\zz", u"apps\\Bb", u"APPS\\aaa"}) RegCloseKey(Create(app));
    ASSERT_EQ(SetString(key, u"ValueName", u"12345"), ERROR_SUCCESS);

    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxValue = 0;
    ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName,
                              &maxValue, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 3u);
    EXPECT_EQ(maxSubKey, 3u);
    EXPECT_EQ(values, 1u);
    EXPECT_EQ(maxValueName, 9u);
    EXPECT_EQ(maxValue, 10u);

    std::vector<std::u16string> names;
    char16_t name[255];
    for (DWORD i = 0;; ++i) {
        DWORD n = 255;
        const LONG status = RegEnumKeyEx(key, i, name, &n, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(n, std::char_traits<char16_t>::length(name));
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"aaa", u"Bb", u"zz"}));

    DWORD small = 3;
    EXPECT_EQ(RegEnumKeyEx(key, 0, name, &small, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(small, 4u);

    DWORD n = 255, type = 0, dataSize = 0;
    ASSERT_EQ(RegEnumValue(key, 0, name, &n, nullptr, &type, nullptr, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"ValueName");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(dataSize, 10u);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, NarrowCallsConvertNamesAndTextFromAndToTheCodePage)
{
    SetACP(936);
    HKEY key = nullptr;
    const std::string keyName = "Software\\\xD6\xD0\xCE\xC4";  // 中文 in code page 936
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr), 0);
    const std::string text = "\xD6\xD0\xCE\xC4";
    ASSERT_EQ(RegSetValueEx(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), 5), ERROR_SUCCESS);
    const char multi[] = "a\0\xD6\xD0\0";  // with the literal's own NUL: a, 中, end of list
    ASSERT_EQ(RegSetValueEx(key, "List", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), 6), ERROR_SUCCESS);
    const DWORD number = 0x01020304;
    ASSERT_EQ(RegSetValueEx(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), ERROR_SUCCESS);

    HKEY wide = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"software\\\u4E2D\u6587", 0, 0, &wide), ERROR_SUCCESS);
    char16_t units[8] = {};
    DWORD size = sizeof units;
    ASSERT_EQ(RegQueryValueEx(wide, u"Text", nullptr, nullptr, reinterpret_cast<BYTE*>(units), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::u16string(units), u"\u4E2D\u6587");
    size = sizeof units;
    ASSERT_EQ(RegQueryValueEx(wide, u"List", nullptr, nullptr, reinterpret_cast<BYTE*>(units), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(units, size / 2), std::u16string(u"a\0\u4E2D\0\0", 5));

    char bytes[16] = {};
    size = 0;
    ASSERT_EQ(RegQueryValueEx(key, "text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    size = sizeof bytes;
    ASSERT_EQ(RegQueryValueEx(key, "LIST", nullptr, nullptr, reinterpret_cast<BYTE*>(bytes), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(bytes, size), std::string(multi, 6));
    DWORD read = 0;
    size = 4;
    ASSERT_EQ(RegQueryValueEx(key, "Number", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(read, number);
    EXPECT_EQ(RegDeleteValue(key, "NUMBER"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(HKEY_LOCAL_MACHINE, keyName.c_str()), ERROR_SUCCESS);
    RegCloseKey(wide);
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, KeysOpenedBeforeARebindKeepTheirStore)
{
    RegSetStorePath(m_folder.Host("first.db"));
    HKEY first = Create(u"First");
    RegSetStorePath(m_folder.Host("second.db"));
    HKEY out = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"First", 0, 0, &out), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetString(first, u"v", u"x"), ERROR_SUCCESS);
    HKEY child = nullptr;
    ASSERT_EQ(RegCreateKeyEx(first, u"Child", 0, nullptr, 0, 0, nullptr, &child, nullptr), ERROR_SUCCESS);
    RegCloseKey(child);
    RegCloseKey(first);

    RegSetStorePath(m_folder.Host("first.db"));
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"First\\Child", 0, 0, &out), ERROR_SUCCESS);
    RegCloseKey(out);
}

TEST_F(RegistryApiTest, BadStoresGiveDefinedStatuses)
{
    m_folder.WriteBytes("junk.db", std::string(2048, '\x7F'));
    RegSetStorePath(m_folder.Host("junk.db"));
    HKEY out = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software", 0, 0, &out), ERROR_BADDB);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BADDB));
    RegSetStorePath(m_folder.Host("no/such/folder/registry.db"));
    EXPECT_NE(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"Software", 0, 0, &out), ERROR_SUCCESS);
    EXPECT_EQ(out, nullptr);
}

TEST_F(RegistryApiTest, ThreadsMayCallAtOnce)
{
    constexpr int kThreads = 4, kEach = 100;
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures] {
            const std::u16string path = u"Threads\\T" + std::u16string(1, static_cast<char16_t>(u'0' + t));
            for (int i = 0; i < kEach; ++i) {
                HKEY key = nullptr;
                if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, 0, nullptr, &key, nullptr) != 0) {
                    ++failures[t];
                    continue;
                }
                const DWORD n = static_cast<DWORD>(i);
                failures[t] += RegSetValueEx(key, u"n", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4) != 0;
                DWORD read = 0, size = 4;
                failures[t] += RegQueryValueEx(key, u"n", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) != 0;
                failures[t] += read != n;
                failures[t] += RegCloseKey(key) != 0;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
}

}  // namespace
