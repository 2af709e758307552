// Tests of CFunction: conversions, the three splits, the temporary name, folders and file sizes.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/CFunction.h"
#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "tests/core/TempPrefix.h"

namespace {

std::string Utf8(const CString& s)
{
    return ToUtf8(s);
}

std::vector<std::string> Pieces(CStringList& list)
{
    std::vector<std::string> pieces;
    for (POSITION pos = list.GetHeadPosition(); pos != nullptr;)
        pieces.push_back(Utf8(list.GetNext(pos)));
    return pieces;
}

void WriteHostFile(const std::string& hostPath, std::size_t size)
{
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << std::string(size, 'x');
}

}  // namespace

TEST(CFunction, NumToStr)
{
    const struct {
        int number;
        const char16_t* text;
    } cases[] = {{0, u"0"},       {1234, u"1234"},   {-5, u"-5"},
                 {INT_MIN, u"-2147483648"}, {INT_MAX, u"2147483647"}, {10, u"10"}, {-100, u"-100"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(CFunction::NumToStr(c.number), c.text);
    }
}

TEST(CFunction, StrToNum)
{
    const struct {
        const char16_t* text;
        int number;
    } cases[] = {
        {u"", 0},           {u"-", 0},          {u"-12", -12},       {u"12-3", 123},
        {u"+7", 7},         {u"  42  ", 42},    {u"4.5", 45},        {u"abc", 0},
        {u"--5", -5},       {u"2147483648", INT_MIN}, {u"4294967296", 0}, {u"4294967297", 1},
        {u"-2147483649", INT_MAX}, {u"2577", 2577}, {u"0", 0},        {u"a1b2c3", 123},
        {u" -3", 3},        {u"\uFF11", 0},  // a full-width digit is not a digit 0 to 9
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.text));
        EXPECT_EQ(CFunction::StrToNum(c.text), c.number);
    }
}

TEST(CFunction, HexToWORDReadsAndRewritesTheCallersString)
{
    const struct {
        const char16_t* text;
        WORD number;
        const char16_t* rewritten;
    } cases[] = {
        {u"  ff  ", 0xFF, u"FF"},  {u"12345", 0x2345, u"2345"}, {u"0x1F", 31, u"0X1F"},
        {u"0x1234", 0x1234, u"1234"}, {u"", 0, u""},           {u"FFFF", 0xFFFF, u"FFFF"},
        {u"g1", 1, u"G1"},         {u"\t7\t", 7, u"7"},        {u"aBcD", 0xABCD, u"ABCD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.text));
        CString text(c.text);
        EXPECT_EQ(CFunction::HexToWORD(text), c.number);
        EXPECT_EQ(text, c.rewritten);
    }
}

TEST(CFunction, DWORD2Hex)
{
    const struct {
        DWORD number;
        const char16_t* text;
    } cases[] = {{0, u"00000000"},   {16, u"00000010"},         {255, u"000000FF"},
                 {256, u"00000100"}, {0xFFFFFFFFu, u"FFFFFFFF"}, {0x89ABCDEFu, u"89ABCDEF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(CFunction::DWORD2Hex(c.number), c.text);
    }
}

TEST(CFunction, DivideStrBySetAppendsAtTheTail)
{
    const struct {
        const char16_t* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {u"a,b;c", {"a", "b", "c"}}, {u"a,,b", {"a", "", "b"}}, {u"a,b,", {"a", "b"}},
        {u",a", {"", "a"}},          {u"", {""}},              {u"abc", {"abc"}},
        {u",", {""}},                {u",,", {"", ""}},        {u"中,文", {"中", "文"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.text));
        CStringList list;
        list.AddTail(CString(u"kept"));
        CFunction::DivideStr(CString(c.text), list, CString(u",;"));
        std::vector<std::string> expected{"kept"};
        expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
        EXPECT_EQ(Pieces(list), expected);
    }
}

TEST(CFunction, DivideStrIntoSlotsKeepsTheRestInTheLastSlot)
{
    const struct {
        const char16_t* text;
        int count;
        std::vector<std::string> slots;  // the slots after the call; "-" is an untouched slot
    } cases[] = {
        {u"a,b,c,d", 3, {"a", "b", "c,d", "-"}}, {u"a", 3, {"a", "-", "-", "-"}},
        {u"a,b", 3, {"a", "b", "-", "-"}},       {u"a,b,", 3, {"a", "b", "-", "-"}},
        {u"a,b,c", 2, {"a", "b,c", "-", "-"}},   {u"a;b,c", 4, {"a", "b", "c", "-"}},
        {u"", 3, {"", "-", "-", "-"}},           {u",x", 2, {"", "x", "-", "-"}},
        // Counts below 2 never write at or past the count.
        {u"a,b,c", 1, {"a", "-", "-", "-"}},     {u"a,b,c", 0, {"-", "-", "-", "-"}},
        {u"a,b,c", -1, {"-", "-", "-", "-"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.text) + " count " + std::to_string(c.count));
        CString slots[4] = {u"-", u"-", u"-", u"-"};
        CFunction::DivideStr(CString(c.text), slots, CString(u",;"), c.count);
        std::vector<std::string> got;
        for (const CString& s : slots)
            got.push_back(Utf8(s));
        EXPECT_EQ(got, c.slots);
    }
}

TEST(CFunction, DivideStrByOneCharacterKeepsATrailingEmptyPiece)
{
    const struct {
        const char16_t* text;
        std::vector<std::string> pieces;
    } cases[] = {
        {u"a,b,", {"a", "b", ""}}, {u"", {}},           {u",a", {"", "a"}},
        {u"a", {"a"}},             {u",", {"", ""}},    {u"a;b", {"a;b"}},
        {u"a,,b", {"a", "", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.text));
        CStringList list;
        CFunction::DivideStr(c.text, list, u',');
        EXPECT_EQ(Pieces(list), c.pieces);
    }
    CStringList list;
    CFunction::DivideStr(static_cast<const char16_t*>(nullptr), list, u',');
    EXPECT_TRUE(list.IsEmpty());
}

TEST(CFunction, IsFolderLooksOnlyAtTheLastCharacter)
{
    TempPrefix prefix;
    const struct {
        const char16_t* path;
        int folder;
    } cases[] = {{u"C:\\windows\\", 1}, {u"C:\\windows", 0}, {u"", 0}, {u"\\", 1}, {u"a/", 0}, {u"x\\y", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.path));
        EXPECT_EQ(CFunction::IsFolder(c.path), c.folder);
    }
    // The folder exists, yet without a final backslash it is not one.
    std::filesystem::create_directories(ToHostPath(CString(u"C:\\windows")));
    EXPECT_EQ(CFunction::IsFolder(u"C:\\windows"), 0);
}

class CFunctionFiles : public ::testing::Test {
protected:
    TempPrefix m_prefix;
};

TEST_F(CFunctionFiles, GetTempFilenameNamesAFixedFileInAFolderItMakes)
{
    const CString folder = u"C:\\windows\\Xtmp";
    EXPECT_EQ(CFunction::GetTempFilename(u"X", u""), folder + u"\\X.tmp");
    EXPECT_EQ(CFunction::GetTempFilename(u"X", u"ini"), folder + u"\\X.ini");
    EXPECT_TRUE(std::filesystem::is_directory(ToHostPath(folder)));
    EXPECT_FALSE(std::filesystem::exists(ToHostPath(folder + u"\\X.tmp")));
    // The same arguments always give the same path.
    EXPECT_EQ(CFunction::GetTempFilename(u"X", u"ini"), CFunction::GetTempFilename(u"X", u"ini"));
}

TEST_F(CFunctionFiles, GetCurrentDirectoryReturnsTheWholeFolderEvenWhenLong)
{
    const std::filesystem::path before = std::filesystem::current_path();
    const CString shortFolder = u"C:\\windows";
    std::filesystem::create_directories(ToHostPath(shortFolder));
    ASSERT_TRUE(SetCurrentDirectory(shortFolder));
    EXPECT_EQ(CFunction::GetCurrentDirectoryW(), shortFolder);

    CString longFolder = u"C:";
    for (int i = 0; i < 40; ++i)
        longFolder += u"\\folder" + CFunction::NumToStr(i);
    ASSERT_GT(longFolder.GetLength(), MAX_PATH);
    std::filesystem::create_directories(ToHostPath(longFolder));
    ASSERT_TRUE(SetCurrentDirectory(longFolder));
    EXPECT_EQ(CFunction::GetCurrentDirectoryW(), longFolder);
    std::filesystem::current_path(before);
}

TEST_F(CFunctionFiles, GetFileSize)
{
    WriteHostFile(ToHostPath(CString(u"C:\\data\\a.cab")), 1234);
    WriteHostFile(ToHostPath(CString(u"C:\\data\\empty.cab")), 0);
    const struct {
        const char16_t* path;
        DWORD size;
    } cases[] = {{u"C:\\data\\a.cab", 1234}, {u"C:\\data\\A.CAB", 1234}, {u"C:\\data\\empty.cab", 0},
                 {u"C:\\data\\missing.cab", 0}, {u"C:\\nowhere\\a.cab", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.path));
        EXPECT_EQ(CFunction::GetFileSize(c.path), c.size);
    }
}

TEST_F(CFunctionFiles, GetFileSizeAsksForNoSharingAndClosesTheFile)
{
    const CString path = u"C:\\data\\held.cab";
    WriteHostFile(ToHostPath(path), 77);
    const HANDLE reader = CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CFunction::GetFileSize(path), 0u);  // the size call wants the file to itself
    CloseHandle(reader);

    EXPECT_EQ(CFunction::GetFileSize(path), 77u);
    // Its own handle is gone again: an exclusive open succeeds.
    const HANDLE exclusive = CreateFile(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
    CloseHandle(exclusive);
}
