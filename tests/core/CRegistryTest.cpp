// Tests of CRegistry common to its three builds: opening, the last error, strings, numbers, deletion.
#include "tests/core/CRegistryTest.h"

namespace {

constexpr const TCHAR* kBackup = _T("SOFTWARE\\Tavrimo\\Backup");
// Characters that the string read takes with the terminator in 4096 bytes.
constexpr int kStringLimit = 4096 / static_cast<int>(sizeof(TCHAR)) - 1;

}  // namespace

TEST_F(CRegistryTest, OpenWithCreateDropsOneTrailingBackslash)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Tavrimo\\Backup\\"), 1), 1);
    EXPECT_EQ(reg.IsOpen(), 1);
    EXPECT_NE(reg.GetHandle(), nullptr);
    EXPECT_TRUE(KeyExists(u"SOFTWARE\\Tavrimo\\Backup"));

    // Opening without create finds it again, with or without the backslash.
    CRegistry again;
    EXPECT_EQ(again.Open(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Tavrimo\\Backup\\"), 0), 1);
    EXPECT_EQ(again.Open(HKEY_LOCAL_MACHINE, kBackup, 0), 1);
}

TEST_F(CRegistryTest, EmptyPathAndSingleBackslashOpenTheRootItself)
{
    for (const TCHAR* path : {_T(""), _T("\\")}) {
        SCOPED_TRACE(ToHostText(path));
        CRegistry reg;
        ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, path, 0), 1);
        ASSERT_EQ(reg.WriteDWORD(_T("RootMarker"), 7), 1);
        DWORD value = 0;
        DWORD size = sizeof(value);
        EXPECT_EQ(RegQueryValueEx(HKEY_LOCAL_MACHINE, u"RootMarker", nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&value), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(value, 7u);
        RegDeleteValue(HKEY_LOCAL_MACHINE, u"RootMarker");
    }
}

TEST_F(CRegistryTest, OpeningAMissingKeyFailsAndStoresTheLastError)
{
    CRegistry reg;
    EXPECT_EQ(reg.GetLastError(), 0u);
    EXPECT_EQ(reg.Open(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Missing\\"), 0), 0);
    EXPECT_EQ(reg.IsOpen(), 0);
    EXPECT_EQ(reg.GetHandle(), nullptr);
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(KeyExists(u"SOFTWARE\\Missing"));
}

TEST_F(CRegistryTest, OpenClosesTheHeldKeyFirstAlsoWhenTheNewOpenFails)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 1), 1);
    const HKEY first = reg.GetHandle();
    ASSERT_TRUE(HandleWorks(first));
    EXPECT_EQ(reg.Open(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Missing"), 0), 0);
    EXPECT_EQ(reg.GetHandle(), nullptr);
    EXPECT_FALSE(HandleWorks(first));
}

TEST_F(CRegistryTest, CloseAndDestructionCloseTheKey)
{
    HKEY held = nullptr;
    {
        CRegistry reg;
        ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 1), 1);
        held = reg.GetHandle();
    }
    EXPECT_FALSE(HandleWorks(held));

    CRegistry reg;
    reg.Close();  // closed already: nothing happens
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 0), 1);
    held = reg.GetHandle();
    reg.Close();
    EXPECT_EQ(reg.IsOpen(), 0);
    EXPECT_FALSE(HandleWorks(held));
}

TEST_F(CRegistryTest, LastErrorFollowsReadsWritesAndFailedOpensOnly)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Missing"), 0), 0);
    ASSERT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // Calls on a closed object fail at once and leave the last error alone.
    DWORD number = 99;
    CString text = _T("before");
    EXPECT_EQ(reg.ReadDWORD(_T("Any"), &number), 0);
    EXPECT_EQ(reg.ReadString(_T("Any"), text), 0);
    EXPECT_EQ(reg.WriteDWORD(_T("Any"), 1), 0);
    EXPECT_EQ(reg.WriteString(_T("Any"), text), 0);
    EXPECT_EQ(number, 99u);
    EXPECT_EQ(text, _T("before"));
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // A successful open does not touch it; a successful write does.
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 1), 1);
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(reg.WriteDWORD(_T("Size"), 5), 1);
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(reg.ReadDWORD(_T("Absent"), &number), 0);
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(number, 99u);
}

TEST_F(CRegistryTest, WriteStringStoresTheCharactersWithoutTerminator)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 1), 1);
    CString value = _T("abc");
    ASSERT_EQ(reg.WriteString(_T("InstallDir"), value), 1);

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_TRUE(QueryRaw(kBackup, _T("InstallDir"), &type, &size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 3 * sizeof(TCHAR));

    CString read;
    EXPECT_EQ(reg.ReadString(_T("InstallDir"), read), 1);
    EXPECT_EQ(read, _T("abc"));

    CString empty;
    ASSERT_EQ(reg.WriteString(_T("Empty"), empty), 1);
    read = _T("old");
    EXPECT_EQ(reg.ReadString(_T("Empty"), read), 1);
    EXPECT_TRUE(read.IsEmpty());
}

TEST_F(CRegistryTest, ReadStringTakesTextUpToTheFirstNullWithinTheBytesRead)
{
    const struct {
        Text data;  // stored as is, terminators included
        Text text;
    } cases[] = {
        {Text(_T("abc")) + TCHAR(0), _T("abc")},
        {Text(_T("ab")) + TCHAR(0) + _T("cd") + TCHAR(0), _T("ab")},
        {Text(1, TCHAR(0)), _T("")},
        {Text(static_cast<std::size_t>(kStringLimit), TCHAR('x')) + TCHAR(0),
         Text(static_cast<std::size_t>(kStringLimit), TCHAR('x'))},
        // 4096 bytes without a terminator: all of them.
        {Text(static_cast<std::size_t>(kStringLimit) + 1, TCHAR('y')),
         Text(static_cast<std::size_t>(kStringLimit) + 1, TCHAR('y'))},
    };
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 1), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.size());
        SetRaw(kBackup, _T("Value"), REG_SZ, c.data.data(), static_cast<DWORD>(c.data.size() * sizeof(TCHAR)));
        CString read = _T("old");
        EXPECT_EQ(reg.ReadString(_T("Value"), read), 1);
        EXPECT_EQ(read.Str(), c.text);
    }
}

TEST_F(CRegistryTest, ReadStringFailsBeyondItsLimitAndKeepsTheOutput)
{
    const Text tooLong = Text(static_cast<std::size_t>(kStringLimit) + 1, TCHAR('z')) + TCHAR(0);
    SetRaw(kBackup, _T("Long"), REG_SZ, tooLong.data(), static_cast<DWORD>(tooLong.size() * sizeof(TCHAR)));
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 0), 1);
    CString read = _T("kept");
    EXPECT_EQ(reg.ReadString(_T("Long"), read), 0);
    EXPECT_EQ(read, _T("kept"));
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(reg.ReadString(_T("Missing"), read), 0);
    EXPECT_EQ(read, _T("kept"));
}

TEST_F(CRegistryTest, NumbersAndRawDataRoundTrip)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, kBackup, 1), 1);
    ASSERT_EQ(reg.WriteDWORD(_T("SpareDiskSize"), 0x89ABCDEFu), 1);
    DWORD type = 0;
    DWORD size = 0;
    ASSERT_TRUE(QueryRaw(kBackup, _T("SpareDiskSize"), &type, &size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    DWORD number = 0;
    EXPECT_EQ(reg.ReadDWORD(_T("SpareDiskSize"), &number), 1);
    EXPECT_EQ(number, 0x89ABCDEFu);

    BYTE bytes[3] = {1, 2, 3};
    ASSERT_EQ(reg.Write(_T("Blob"), bytes, REG_BINARY, 3), 1);
    BYTE read[16] = {};
    DWORD readSize = sizeof(read);
    EXPECT_EQ(reg.Read(_T("Blob"), read, &readSize), 1);
    EXPECT_EQ(readSize, 3u);
    EXPECT_EQ(read[2], 3);

    // The type is not checked: a number read of a 3-byte value gets its 3 bytes.
    number = 0;
    EXPECT_EQ(reg.ReadDWORD(_T("Blob"), &number), 1);
    EXPECT_EQ(number, 0x030201u);

    // Too small a buffer fails with the platform's "more data".
    BYTE small[2] = {};
    readSize = sizeof(small);
    EXPECT_EQ(reg.Read(_T("Blob"), small, &readSize), 0);
    EXPECT_EQ(reg.GetLastError(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(reg.Write(_T("Blob"), bytes, REG_BINARY, -1), 0);
}

TEST_F(CRegistryTest, DeleteKeyNeedsNoObject)
{
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Tavrimo\\Gone"), 1), 1);
    reg.Close();
    EXPECT_EQ(CRegistry::DeleteKey(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Tavrimo\\Gone")), 1);
    EXPECT_FALSE(KeyExists(u"SOFTWARE\\Tavrimo\\Gone"));
    EXPECT_TRUE(KeyExists(u"SOFTWARE\\Tavrimo"));
    EXPECT_EQ(CRegistry::DeleteKey(HKEY_LOCAL_MACHINE, _T("SOFTWARE\\Tavrimo\\Gone")), 0);
}
