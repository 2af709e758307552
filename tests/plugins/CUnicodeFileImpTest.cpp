// Tests of CUnicodeFileImp: exact bytes written, lines read back, and awkward files.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "plugins/CUnicodeFileImp.h"
#include "tests/platform/TestFolder.h"

namespace {

constexpr UINT kModeCreate = 0x1001;

// UTF-16LE bytes of a text.
std::string Bytes(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

const std::string kMark = "\xFF\xFE";

class CUnicodeFileImpTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    // Writes each text with one WriteString call to a new file and returns the file's bytes.
    std::string Written(std::initializer_list<std::u16string_view> texts)
    {
        CUnicodeFileImp file;
        EXPECT_NE(file.Open(m_folder.Path("w.txt").GetString(), kModeCreate), 0);
        for (std::u16string_view text : texts) file.WriteString(CString(text));
        file.Close();
        return m_folder.ReadBytes("w.txt");
    }

    // Every ReadString result of a file of these bytes, as "line|" for nonzero and "0:line" at the end.
    std::u16string ReadAll(const std::string& bytes)
    {
        m_folder.WriteBytes("r.txt", bytes);
        CUnicodeFileImp file;
        EXPECT_NE(file.Open(m_folder.Path("r.txt")), 0);
        std::u16string result;
        CString line(u"junk");
        while (file.ReadString(line)) {
            EXPECT_EQ(file.GetLastError(), 0x01000000u);
            result += line.View();
            result += u'|';
        }
        result += u"0:";
        result += line.View();
        return result;
    }

    TestFolder m_folder;
};

TEST_F(CUnicodeFileImpTest, WritesTheMarkOnceAndEachLineFeedAsCrLf)
{
    struct Case {
        std::initializer_list<std::u16string_view> texts;
        std::string bytes;
    } cases[] = {
        {{u"a\nb"}, kMark + Bytes(u"a\r\nb")},
        {{u""}, kMark},
        {{u"", u""}, kMark},
        {{u"", u"x"}, kMark + Bytes(u"x")},
        {{u"x\r\n"}, kMark + Bytes(u"x\r\r\n")},
        {{u"a\n", u"b\n"}, kMark + Bytes(u"a\r\nb\r\n")},
        {{u"\u4E2D\u6587"}, kMark + "\x2D\x4E\x87\x65"},
        {{std::u16string_view(u"a\0b", 3)}, kMark + std::string("a\0\0\0b\0", 6)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.size());
        EXPECT_EQ(Written(c.texts), c.bytes);
    }
}

TEST_F(CUnicodeFileImpTest, ReadsLinesByTheRules)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"two lines", kMark + Bytes(u"a\r\nb"), u"a|b|0:"},
        {"empty file", "", u"0:"},
        {"only the mark", kMark, u"0:"},
        {"empty line", kMark + Bytes(u"\r\n"), u"|0:"},
        {"lone CR dropped", kMark + Bytes(u"a\rb"), u"ab|0:"},
        {"only CRs", kMark + Bytes(u"\r\r\r"), u"0:"},
        {"LF without CR", kMark + Bytes(u"a\nb\n"), u"a|b|0:"},
        {"no mark loses the first unit", Bytes(u"ab\r\ncd"), u"b|cd|0:"},
        {"odd final byte dropped", kMark + Bytes(u"ab") + "c", u"ab|0:"},
        {"lone odd byte", "\xFF\xFE" "c", u"0:"},
        {"single byte file", "c", u"0:"},
        {"NUL units kept", kMark + Bytes(std::u16string_view(u"a\0b\r\n", 5)), std::u16string(u"a\0b|0:", 6)},
        {"mark inside is text", kMark + Bytes(u"\uFEFFx"), u"\uFEFFx|0:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadAll(c.bytes), c.expected);
    }
}

TEST_F(CUnicodeFileImpTest, WrittenTextReadsBack)
{
    CUnicodeFileImp file;
    ASSERT_NE(file.Open(m_folder.Path("rt.txt").GetString(), kModeCreate), 0);
    file.WriteString(u"a\nb");
    file.Close();
    ASSERT_NE(file.Open(m_folder.Path("rt.txt")), 0);
    CString line;
    EXPECT_NE(file.ReadString(line), 0);
    EXPECT_EQ(line, u"a");
    EXPECT_NE(file.ReadString(line), 0);
    EXPECT_EQ(line, u"b");
    EXPECT_EQ(file.ReadString(line), 0);
    EXPECT_TRUE(line.IsEmpty());
}

TEST_F(CUnicodeFileImpTest, LinesOfEveryLengthAroundTheReadAhead)
{
    std::u16string text;
    std::u16string expected;
    for (int length = 0; length < 700; length += 7) {
        std::u16string line(static_cast<std::size_t>(length), static_cast<char16_t>(u'A' + length % 26));
        text += line + u"\n";
        expected += line + u"|";
    }
    text += u"tail";
    expected += u"tail|0:";
    std::u16string crlf;
    for (char16_t unit : text) crlf += unit == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, unit);
    EXPECT_EQ(ReadAll(kMark + Bytes(text)), expected);
    EXPECT_EQ(ReadAll(kMark + Bytes(crlf)), expected);
}

TEST_F(CUnicodeFileImpTest, VeryLongLine)
{
    std::u16string longLine(100000, u'x');
    longLine[54321] = u'y';
    EXPECT_EQ(ReadAll(kMark + Bytes(longLine + u"\r\nz")), longLine + u"|z|0:");
}

TEST_F(CUnicodeFileImpTest, RandomBytesReadToTheEnd)
{
    std::mt19937 random(12345);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(random() % 3000, '\0');
        for (char& byte : bytes) byte = static_cast<char>(random());
        std::u16string all = ReadAll(bytes);
        EXPECT_LE(all.size(), bytes.size());
        EXPECT_EQ(all.substr(all.size() - 2), u"0:");
    }
}

TEST_F(CUnicodeFileImpTest, ReadingAfterSeekDoesNotSkipTheMark)
{
    m_folder.WriteBytes("s.txt", kMark + Bytes(u"ab\r\ncd"));
    CUnicodeFileImp file;
    ASSERT_NE(file.Open(m_folder.Path("s.txt")), 0);
    file.Seek(4, 0);
    CString line;
    EXPECT_NE(file.ReadString(line), 0);
    EXPECT_EQ(line, u"b");
    EXPECT_EQ(file.GetPosition(), 10u);
}

TEST_F(CUnicodeFileImpTest, WrongDirectionThrows)
{
    m_folder.WriteBytes("r.txt", kMark + Bytes(u"abc"));
    CUnicodeFileImp reader;
    ASSERT_NE(reader.Open(m_folder.Path("r.txt")), 0);
    bool thrown = false;
    try {
        reader.WriteString(u"x");
    } catch (CFileException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);

    CUnicodeFileImp writer;
    ASSERT_NE(writer.Open(m_folder.Path("w.txt").GetString(), kModeCreate), 0);
    writer.WriteString(u"abc");
    writer.Seek(0, 0);
    thrown = false;
    CString line;
    try {
        writer.ReadString(line);
    } catch (CFileException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
}

// A file held in memory: the text operations must work through the virtual byte operations alone.
class MemoryFile : public CUnicodeFileImp {
public:
    LONG Seek(LONG lOff, UINT nFrom) override
    {
        LONG base = nFrom == 0 ? 0 : nFrom == 1 ? m_position : static_cast<LONG>(bytes.size());
        m_position = base + lOff;
        return m_position;
    }
    UINT Read(void* lpBuf, UINT nCount) override
    {
        std::size_t at = std::min(static_cast<std::size_t>(m_position), bytes.size());
        std::size_t n = std::min<std::size_t>(nCount, bytes.size() - at);
        bytes.copy(static_cast<char*>(lpBuf), n, at);
        m_position += static_cast<LONG>(n);
        return static_cast<UINT>(n);
    }
    void Write(const void* lpBuf, UINT nCount) override
    {
        bytes.replace(static_cast<std::size_t>(m_position), nCount, static_cast<const char*>(lpBuf), nCount);
        m_position += static_cast<LONG>(nCount);
    }
    DWORD GetPosition() override { return static_cast<DWORD>(m_position); }

    std::string bytes;

private:
    LONG m_position = 0;
};

TEST_F(CUnicodeFileImpTest, WorksThroughTheVirtualByteOperations)
{
    MemoryFile file;
    file.WriteString(u"first\nsecond");
    EXPECT_EQ(file.bytes, kMark + Bytes(u"first\r\nsecond"));
    file.Seek(0, 0);
    CString line;
    EXPECT_NE(file.ReadString(line), 0);
    EXPECT_EQ(line, u"first");
    EXPECT_NE(file.ReadString(line), 0);
    EXPECT_EQ(line, u"second");
    EXPECT_EQ(file.ReadString(line), 0);
}

}  // namespace
