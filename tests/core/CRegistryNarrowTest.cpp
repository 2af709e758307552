// Tests of Setup's narrow CRegistry: code-page text, byte counts and double-byte path ends.
#include <string>

#include "tests/core/CRegistryTest.h"

TEST_F(CRegistryTest, CodePageTextIsWrittenWithItsByteLength)
{
    const std::string chinese = "\xD6\xD0\xCE\xC4";  // two characters of code page 936
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tavrimo\\Setup", 1), 1);
    CString value = chinese.c_str();
    ASSERT_EQ(value.GetLength(), 4);
    ASSERT_EQ(reg.WriteString("Name", value), 1);

    // The store keeps the characters; a wide reader sees the same two characters.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Setup", 0, KEY_READ, &key), ERROR_SUCCESS);
    char16_t wide[8] = {};
    DWORD size = sizeof(wide);
    EXPECT_EQ(RegQueryValueEx(key, u"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(wide), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(std::u16string(wide, size / 2), u"中文");

    CString read;
    EXPECT_EQ(reg.ReadString("Name", read), 1);
    EXPECT_EQ(read.Str(), chinese);
}

TEST_F(CRegistryTest, ABackslashTrailByteIsNotAPathSeparator)
{
    // 0x81 0x5C is one character of code page 936 whose second byte is a backslash.
    const std::string character = "\x81\x5C";
    CRegistry reg;
    ASSERT_EQ(reg.Open(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Tavrimo\\" + character).c_str(), 1), 1);
    const std::u16string wideName = u"SOFTWARE\\Tavrimo\\" + AnsiToUtf16(character);
    EXPECT_TRUE(KeyExists(wideName.c_str()));

    // A real backslash after it is still the one dropped.
    CRegistry again;
    EXPECT_EQ(again.Open(HKEY_LOCAL_MACHINE, ("SOFTWARE\\Tavrimo\\" + character + "\\").c_str(), 0), 1);
}
