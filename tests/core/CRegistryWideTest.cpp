// Tests of the wide builds' extra CRegistry members: list reads, sub-key walks and the relative open.
#include <string>
#include <vector>

#include "tests/core/CRegistryTest.h"

namespace {

constexpr const char16_t* kApps = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps";

std::vector<std::string> Strings(const CStringArray& array)
{
    std::vector<std::string> strings;
    for (INT_PTR i = 0; i < array.GetSize(); ++i)
        strings.push_back(ToUtf8(array.GetAt(i)));
    return strings;
}

}  // namespace

TEST_F(CRegistryTest, ReadMultiStringAppendsUpToTheFirstEmptyString)
{
    using namespace std::string_literals;
    const struct {
        std::u16string data;
        std::vector<std::string> added;
    } cases[] = {
        {u"a\0bc\0\0"s, {"a", "bc"}},
        {u"\0\0"s, {}},
        {u"\0a\0\0"s, {}},
        {u"a\0\0b\0\0"s, {"a"}},
        // Data that does not end in an empty string ends at the end of what was read.
        {u"ab"s, {"ab"}},
        {u"a\0b"s, {"a", "b"}},
        {u"2577\0"s, {"2577"}},
        {std::u16string(2048, u'q'), {std::string(2048, 'q')}},
        {u"中文\0English\0\0"s, {"中文", "English"}},
    };
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kApps, 1), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.size());
        SetRaw(kApps, u"List", REG_MULTI_SZ, c.data.data(), static_cast<DWORD>(c.data.size() * 2));
        CStringArray array;
        array.Add(CString(u"held"));
        EXPECT_EQ(reg.ReadMultiString(u"List", array), 1);
        std::vector<std::string> expected{"held"};
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(Strings(array), expected);
    }
}

TEST_F(CRegistryTest, ReadMultiStringDropsAnOddTrailingByte)
{
    const char bytes[] = {'a', 0, 0, 0, 'b'};
    SetRaw(kApps, u"Odd", REG_MULTI_SZ, bytes, sizeof(bytes));
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kApps, 0), 1);
    CStringArray array;
    EXPECT_EQ(reg.ReadMultiString(u"Odd", array), 1);
    EXPECT_EQ(Strings(array), std::vector<std::string>{"a"});
}

TEST_F(CRegistryTest, ReadMultiStringFailureLeavesTheArray)
{
    const std::u16string tooLong(2049, u'x');
    SetRaw(kApps, u"Long", REG_MULTI_SZ, tooLong.data(), static_cast<DWORD>(tooLong.size() * 2));
    CRegistry reg;
    CStringArray array;
    array.Add(CString(u"held"));
    EXPECT_EQ(reg.ReadMultiString(u"Long", array), 0);  // closed
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kApps, 0), 1);
    EXPECT_EQ(reg.ReadMultiString(u"Long", array), 0);
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(reg.ReadMultiString(u"Missing", array), 0);
    EXPECT_EQ(Strings(array), std::vector<std::string>{"held"});
}

TEST_F(CRegistryTest, ReadStringDropsAnOddTrailingByte)
{
    const char bytes[] = {'a', 0, 'b', 0, 'c'};
    SetRaw(kApps, u"Odd", REG_SZ, bytes, sizeof(bytes));
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kApps, 0), 1);
    CString text;
    EXPECT_EQ(reg.ReadString(u"Odd", text), 1);
    EXPECT_EQ(text, u"ab");
}

TEST_F(CRegistryTest, SubKeysAreCountedAndNamedInEnumerationOrder)
{
    CRegistry reg;
    for (const char16_t* name : {u"b", u"A", u"c"}) {
        CRegistry sub;
        ASSERT_EQ(sub.Open(HKEY_LOCAL_MACHINE, CString(kApps) + u"\\" + name, 1), 1);
    }
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, CString(kApps) + u"\\", 0), 1);
    ASSERT_EQ(reg.GetSubKeyCount(), 3u);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        CString name;
        reg.GetSubKeyName(name, i);
        names.push_back(ToUtf8(name));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "c"}));

    CString name = u"kept";
    reg.GetSubKeyName(name, 3);
    EXPECT_EQ(name, u"kept");
    reg.GetSubKeyName(name, -1);
    EXPECT_EQ(name, u"kept");
}

TEST_F(CRegistryTest, SubKeyQueriesOnAClosedObjectFindNothing)
{
    CRegistry reg;
    EXPECT_EQ(reg.GetSubKeyCount(), 0u);
    CString name = u"kept";
    reg.GetSubKeyName(name, 0);
    EXPECT_EQ(name, u"kept");
    EXPECT_EQ(reg.GetLastError(), 0u);
}

TEST_F(CRegistryTest, SubKeyNamesOfTheLongestAllowedLengthAreWhole)
{
    const std::u16string longest(254, u'k');
    CRegistry sub;
    ASSERT_EQ(sub.Open(HKEY_LOCAL_MACHINE, CString(kApps) + u"\\" + CString(longest), 1), 1);
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kApps, 0), 1);
    CString name;
    reg.GetSubKeyName(name, 0);
    EXPECT_EQ(name.Str(), longest);
}

TEST_F(CRegistryTest, RelativeOpenReplacesTheHeldKey)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE", 1), 1);
    const HKEY parent = reg.GetHandle();
    ASSERT_EQ(reg.Open(u"Tavrimo\\Backup\\", 1), 1);
    EXPECT_TRUE(KeyExists(u"SOFTWARE\\Tavrimo\\Backup"));
    EXPECT_NE(reg.GetHandle(), nullptr);
    EXPECT_FALSE(HandleWorks(parent));

    // The object now holds the new key: a value written lands there.
    ASSERT_EQ(reg.WriteString(u"InstallDir", u"\\Storage Card\\Backup\\"), 1);
    CRegistry check;
    ASSERT_EQ(check.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup", 0), 1);
    CString dir;
    EXPECT_EQ(check.ReadString(u"InstallDir", dir), 1);
    EXPECT_EQ(dir, u"\\Storage Card\\Backup\\");
}

TEST_F(CRegistryTest, FailedRelativeOpenClosesBothKeys)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE", 1), 1);
    const HKEY parent = reg.GetHandle();
    EXPECT_EQ(reg.Open(u"Missing", 0), 0);
    EXPECT_EQ(reg.IsOpen(), 0);
    EXPECT_FALSE(HandleWorks(parent));
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // With no key held there is nothing to open below.
    EXPECT_EQ(reg.Open(u"SOFTWARE", 0), 0);
    EXPECT_EQ(reg.IsOpen(), 0);
}
