// Tests of DevicePath, DeviceSettings and ShareTable: the emulator's path rules, settings and share modes.
#include <gtest/gtest.h>

#include "device/DevicePath.h"
#include "device/DeviceSettings.h"
#include "device/ShareTable.h"

TEST(DevicePathTest, SplitsAndRefusesAsTheHandheldWould)
{
    struct Case {
        std::u16string path;
        DWORD error;
        std::vector<std::u16string> parts;
    };
    const Case cases[] = {
        {u"\\", ERROR_SUCCESS, {}},
        {u"", ERROR_SUCCESS, {}},
        {u"\\Storage Card\\Backup\\", ERROR_SUCCESS, {u"Storage Card", u"Backup"}},
        {u"/a//b\\\\c", ERROR_SUCCESS, {u"a", u"b", u"c"}},
        {u"relative\\x.txt", ERROR_SUCCESS, {u"relative", u"x.txt"}},
        {u"\\名字\\文件.ini", ERROR_SUCCESS, {u"名字", u"文件.ini"}},
        {u"\\..\\etc\\passwd", ERROR_PATH_NOT_FOUND, {}},
        {u"\\a\\..\\..\\x", ERROR_PATH_NOT_FOUND, {}},
        {u"..", ERROR_PATH_NOT_FOUND, {}},
        {u"\\.\\x", ERROR_PATH_NOT_FOUND, {}},
        {u"\\a\tb", ERROR_INVALID_NAME, {}},
        {std::u16string(u"\\a") + u'\0' + u"b", ERROR_INVALID_NAME, {}},
        {u"\\a:b", ERROR_INVALID_NAME, {}},
        {u"\\a*", ERROR_INVALID_NAME, {}},
        {u"\\" + std::u16string(255, u'n'), ERROR_SUCCESS, {std::u16string(255, u'n')}},
        {u"\\" + std::u16string(256, u'n'), ERROR_FILENAME_EXCED_RANGE, {}},
        {u"\\" + std::u16string(200, u'a') + u"\\" + std::u16string(57, u'b'), ERROR_SUCCESS,
         {std::u16string(200, u'a'), std::u16string(57, u'b')}},
        {u"\\" + std::u16string(200, u'a') + u"\\" + std::u16string(58, u'b'), ERROR_FILENAME_EXCED_RANGE, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.size());
        std::vector<std::u16string> parts{u"stale"};
        EXPECT_EQ(DevicePath::Split(c.path, parts), c.error);
        if (c.error == ERROR_SUCCESS) {
            EXPECT_EQ(parts, c.parts);
        }
    }
}

TEST(DevicePathTest, NormalizesToOneRootedForm)
{
    std::u16string normalized;
    EXPECT_EQ(DevicePath::Normalize(u"Storage Card/", normalized), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(normalized, u"\\Storage Card");
    EXPECT_EQ(DevicePath::Normalize(u"\\\\", normalized), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(normalized, u"\\");
}

TEST(DeviceSettingsTest, ParsesSizesWithTheirSuffixes)
{
    struct Case {
        const char* text;
        bool ok;
        std::uint64_t size;
    };
    const Case cases[] = {{"1000", true, 1000}, {"64K", true, 65536}, {"64M", true, 64ull << 20}, {"2g", true, 2ull << 30},
                          {"", false, 0},      {"M", false, 0},        {"12X", false, 0},         {"-5", false, 0},
                          {"99999999999999999999", false, 0}, {"17179869184G", false, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint64_t size = 0;
        EXPECT_EQ(DeviceSettings::ParseSize(c.text, size), c.ok);
        if (c.ok) {
            EXPECT_EQ(size, c.size);
        }
    }
}

TEST(DeviceSettingsTest, KeepsStoresBySizeAndNameAcrossSaveAndLoad)
{
    DeviceSettings settings;
    DeviceSettings::Store store;
    ASSERT_TRUE(DeviceSettings::ParseStore("\\Storage Card=64M", store));
    ASSERT_TRUE(settings.SetStore(store.root, store.capacity));
    ASSERT_TRUE(settings.SetStore(u"\\STORAGE CARD\\", 5));
    ASSERT_TRUE(settings.SetStore(u"\\", 1024));
    EXPECT_FALSE(DeviceSettings::ParseStore("\\..=1M", store));
    EXPECT_FALSE(DeviceSettings::ParseStore("\\Card", store));
    settings.SetProcessorType(4000);
    const std::string file = testing::TempDir() + "/device-settings-" + std::to_string(getpid()) + ".ini";
    ASSERT_TRUE(settings.Save(file));
    DeviceSettings loaded;
    ASSERT_TRUE(loaded.Load(file));
    std::remove(file.c_str());
    EXPECT_EQ(loaded.ProcessorType(), 4000u);
    ASSERT_EQ(loaded.Stores().size(), 2u);
    EXPECT_EQ(loaded.Stores()[0].root, u"\\");
    EXPECT_EQ(loaded.Stores()[0].capacity, 1024u);
    EXPECT_EQ(loaded.Stores()[1].root, u"\\Storage Card");
    EXPECT_EQ(loaded.Stores()[1].capacity, 5u);
    EXPECT_FALSE(loaded.Load(file));
}

TEST(ShareTableTest, AnOpenMustAllowTheOthersAndBeAllowedByThem)
{
    struct Case {
        const char* name;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool allowed;
    };
    const Case cases[] = {
        {"exclusive reader blocks a reader", GENERIC_READ, 0, GENERIC_READ, FILE_SHARE_READ, false},
        {"sharing readers", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, true},
        {"reader not sharing with the writer already there", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false},
        {"reader sharing writes", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"writer after a read-sharing reader", GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, FILE_SHARE_READ, false},
        {"attributes only", GENERIC_READ, 0, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShareTable table;
        const ShareTable::Key file{1, 2};
        ASSERT_TRUE(table.Acquire(file, c.firstAccess, c.firstShare));
        EXPECT_EQ(table.Acquire(file, c.secondAccess, c.secondShare), c.allowed);
        EXPECT_TRUE(table.Acquire(ShareTable::Key{1, 3}, c.secondAccess, c.secondShare));
        table.Release(file, c.firstAccess, c.firstShare);
        if (c.allowed) table.Release(file, c.secondAccess, c.secondShare);
        EXPECT_FALSE(table.InUse(file));
        EXPECT_TRUE(table.Acquire(file, c.secondAccess, c.secondShare));
    }
}
