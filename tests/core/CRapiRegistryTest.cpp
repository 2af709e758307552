// Tests of CRapiRegistry against the registry of a running emulator.
#include <gtest/gtest.h>

#include <vector>

#include "DeviceEmulator.h"
#include "core/CRapiRegistry.h"
#include "core/Rapi.h"
#include "platform/WinBase.h"

namespace {

class CRapiRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_device.Init());
        ASSERT_TRUE(m_device.Serve());
        m_device.UseAsDesktop();
        ASSERT_GE(CeRapiInit(), 0);
        ASSERT_TRUE(m_reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Test", 1));
    }
    void TearDown() override
    {
        m_reg.Close();
        CeRapiUninit();
    }

    // Raw data as stored, written around the class so that its reads meet any layout.
    void SetRaw(const char16_t* name, DWORD dwType, const std::vector<char16_t>& data)
    {
        ASSERT_EQ(ERROR_SUCCESS, CeRegSetValueEx(m_reg.GetHandle(), name, 0, dwType,
                                                 reinterpret_cast<const BYTE*>(data.data()),
                                                 static_cast<DWORD>(data.size() * 2)));
    }

    DeviceEmulator m_device;
    CRapiRegistry m_reg;
};

TEST_F(CRapiRegistryTest, AgentKeyMissingOnAFreshHandheld)
{
    CRapiRegistry reg;
    EXPECT_EQ(0, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup\\", 0));
    EXPECT_EQ(0, reg.IsOpen());
    EXPECT_EQ(nullptr, reg.GetHandle());
    EXPECT_NE(0u, reg.GetLastError());

    CString strFolder = u"kept";
    DWORD dwFree = 77;
    EXPECT_EQ(0, reg.ReadString(u"InstallDir", strFolder));
    EXPECT_EQ(0, reg.ReadDWORD(u"SpareDiskSize", &dwFree));
    EXPECT_EQ(CString(u"kept"), strFolder);
    EXPECT_EQ(77u, dwFree);
}

TEST_F(CRapiRegistryTest, TrailingBackslashIsDropped)
{
    CRapiRegistry reg;
    ASSERT_EQ(1, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup\\", 1));
    ASSERT_EQ(1, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\", 0));
    // Backup and Test, nothing with an empty or backslashed name.
    ASSERT_EQ(2u, reg.GetSubKeyCount());
    CString strFirst, strSecond;
    reg.GetSubKeyName(strFirst, 0);
    reg.GetSubKeyName(strSecond, 1);
    EXPECT_EQ(CString(u"Backup"), strFirst);
    EXPECT_EQ(CString(u"Test"), strSecond);
    CString strName = u"kept";
    reg.GetSubKeyName(strName, 2);
    EXPECT_EQ(CString(u"kept"), strName);
}

TEST_F(CRapiRegistryTest, EmptyPathOrBackslashOpensTheRoot)
{
    for (const char16_t* path : {u"", u"\\"}) {
        SCOPED_TRACE(CString(path).GetLength());
        CRapiRegistry reg;
        ASSERT_EQ(1, reg.Open(HKEY_LOCAL_MACHINE, path, 0));
        ASSERT_EQ(1, reg.Open(u"SOFTWARE\\Tavrimo\\Test", 0));
    }
}

TEST_F(CRapiRegistryTest, WriteStringStoresCharactersOnlyAndReadsBack)
{
    ASSERT_EQ(1, m_reg.WriteString(u"Name", u"abc"));
    BYTE data[16] = {};
    DWORD dwSize = sizeof data;
    DWORD dwType = 0;
    ASSERT_EQ(ERROR_SUCCESS, CeRegQueryValueEx(m_reg.GetHandle(), u"Name", nullptr, &dwType, data, &dwSize));
    EXPECT_EQ(REG_SZ, dwType);
    EXPECT_EQ(6u, dwSize);

    CString strValue;
    ASSERT_EQ(1, m_reg.ReadString(u"Name", strValue));
    EXPECT_EQ(CString(u"abc"), strValue);
}

TEST_F(CRapiRegistryTest, ReadStringLimitIs4096Bytes)
{
    std::vector<char16_t> fits(2047, u'x');
    fits.push_back(0);
    SetRaw(u"Fits", REG_SZ, fits);
    std::vector<char16_t> tooLong(2049, u'y');
    SetRaw(u"TooLong", REG_SZ, tooLong);
    SetRaw(u"Terminated", REG_SZ, {u'h', u'i', 0, u'z'});

    CString strValue;
    ASSERT_EQ(1, m_reg.ReadString(u"Fits", strValue));
    EXPECT_EQ(CString(u'x', 2047), strValue);
    EXPECT_EQ(0, m_reg.ReadString(u"TooLong", strValue));
    EXPECT_EQ(CString(u'x', 2047), strValue);
    ASSERT_EQ(1, m_reg.ReadString(u"Terminated", strValue));
    EXPECT_EQ(CString(u"hi"), strValue);
}

TEST_F(CRapiRegistryTest, ReadMultiStringAppendsUpToTheFirstEmptyString)
{
    SetRaw(u"List", REG_MULTI_SZ, {u'a', 0, u'b', u'c', 0, 0, u'd', 0});
    SetRaw(u"Plain", REG_SZ, {u'p', u'q'});
    SetRaw(u"Empty", REG_MULTI_SZ, {0, u'e', 0});
    struct Case {
        const char16_t* name;
        std::vector<CString> added;
    };
    for (const Case& c : {Case{u"List", {u"a", u"bc"}}, Case{u"Plain", {u"pq"}}, Case{u"Empty", {}}}) {
        SCOPED_TRACE(CString(c.name).GetLength());
        CStringArray arr;
        arr.Add(u"before");
        ASSERT_EQ(1, m_reg.ReadMultiString(c.name, arr));
        ASSERT_EQ(static_cast<int>(c.added.size()) + 1, static_cast<int>(arr.GetSize()));
        EXPECT_EQ(CString(u"before"), arr.GetAt(0));
        for (std::size_t i = 0; i < c.added.size(); ++i)
            EXPECT_EQ(c.added[i], arr.GetAt(static_cast<int>(i) + 1));
    }
    CStringArray arr;
    EXPECT_EQ(0, m_reg.ReadMultiString(u"Missing", arr));
    EXPECT_EQ(0, static_cast<int>(arr.GetSize()));
}

TEST_F(CRapiRegistryTest, DwordsRoundTripAndFailedReadsKeepTheOutput)
{
    ASSERT_EQ(1, m_reg.WriteDWORD(u"Size", 0x12345678u));
    DWORD dwValue = 0;
    ASSERT_EQ(1, m_reg.ReadDWORD(u"Size", &dwValue));
    EXPECT_EQ(0x12345678u, dwValue);

    dwValue = 9;
    EXPECT_EQ(0, m_reg.ReadDWORD(u"Missing", &dwValue));
    EXPECT_EQ(9u, dwValue);
    EXPECT_NE(0u, m_reg.GetLastError());
}

TEST_F(CRapiRegistryTest, ClosedObjectRefusesWithoutTouchingOutputs)
{
    CRapiRegistry reg;
    DWORD dwValue = 5;
    CString strValue = u"kept";
    CStringArray arr;
    BYTE data[4] = {};
    DWORD dwSize = sizeof data;
    EXPECT_EQ(0, reg.ReadDWORD(u"Size", &dwValue));
    EXPECT_EQ(0, reg.ReadString(u"Name", strValue));
    EXPECT_EQ(0, reg.ReadMultiString(u"List", arr));
    EXPECT_EQ(0, reg.Read(u"Size", data, &dwSize));
    EXPECT_EQ(0, reg.WriteDWORD(u"Size", 1));
    EXPECT_EQ(0, reg.WriteString(u"Name", u"x"));
    EXPECT_EQ(0u, reg.GetSubKeyCount());
    EXPECT_EQ(5u, dwValue);
    EXPECT_EQ(CString(u"kept"), strValue);
    EXPECT_EQ(0u, reg.GetLastError());
    // The relative open asks the handheld with a null root, which refuses; a failed open records why.
    EXPECT_EQ(0, reg.Open(u"SOFTWARE", 0));
    EXPECT_NE(0u, reg.GetLastError());
}

TEST_F(CRapiRegistryTest, OpenClosesTheHeldKeyAlsoWhenItFails)
{
    CRapiRegistry reg;
    ASSERT_EQ(1, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Test", 0));
    EXPECT_EQ(0, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Nowhere", 0));
    EXPECT_EQ(0, reg.IsOpen());
    EXPECT_EQ(nullptr, reg.GetHandle());
}

TEST_F(CRapiRegistryTest, RelativeOpenReplacesTheHeldKey)
{
    CRapiRegistry reg;
    ASSERT_EQ(1, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0));
    ASSERT_EQ(1, reg.Open(u"Tavrimo\\Test\\Deeper\\", 1));
    ASSERT_EQ(1, reg.WriteDWORD(u"Level", 3));
    EXPECT_EQ(0, reg.Open(u"Missing", 0));
    EXPECT_EQ(0, reg.IsOpen());

    ASSERT_EQ(1, m_reg.Open(u"Deeper", 0));
    DWORD dwLevel = 0;
    EXPECT_EQ(1, m_reg.ReadDWORD(u"Level", &dwLevel));
    EXPECT_EQ(3u, dwLevel);
}

TEST_F(CRapiRegistryTest, DeleteKeyRemovesIt)
{
    CRapiRegistry reg;
    ASSERT_EQ(1, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Gone", 1));
    reg.Close();
    EXPECT_EQ(1, CRapiRegistry::DeleteKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Gone"));
    EXPECT_EQ(0, reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Gone", 0));
    EXPECT_EQ(0, CRapiRegistry::DeleteKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Gone"));
}

TEST_F(CRapiRegistryTest, CloseAfterTheSessionEndedStillCallsAndCloses)
{
    ASSERT_EQ(1, m_reg.IsOpen());
    CeRapiUninit();
    SetLastError(0);
    m_reg.Close();
    EXPECT_EQ(0, m_reg.IsOpen());
    // The remote call was made and failed for want of a link; the class ignored it.
    EXPECT_NE(0u, GetLastError());
}

} // namespace
