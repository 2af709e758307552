// Tests of CIniStream: the grammar, the layout written, the first-match lookups and the whole-file save.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "core/CIniStream.h"
#include "tests/platform/TestFolder.h"

namespace {

constexpr UINT kModeRead = 0;
constexpr UINT kModeCreate = 0x1001;
const std::string kMark = "\xFF\xFE";

std::string Bytes(std::u16string_view text)
{
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// UTF-16LE bytes back to text, "\r\n" shown as "\n"; "?" marks bytes that break the file format.
std::u16string Text(const std::string& bytes)
{
    if (bytes.empty()) return u"";
    if (bytes.size() % 2 != 0 || bytes.compare(0, 2, kMark) != 0) return u"?";
    std::u16string text;
    for (std::size_t i = 2; i < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::u16string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r') lines += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != u'\n') return u"?";
    }
    return lines;
}

class CIniStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    CStringW Path(const char* name = "doc.ini") const { return m_folder.Path(name); }

    // Loads a file of the given bytes into the stream.
    void Load(const std::string& bytes, const char* name = "doc.ini")
    {
        m_folder.WriteBytes(name, bytes);
        ASSERT_EQ(m_ini.Open(Path(name), kModeRead), 1);
    }
    // Saves the stream to its path and returns the text written.
    std::u16string Saved(const char* name = "doc.ini")
    {
        EXPECT_EQ(m_ini.Save(), 1);
        return Text(m_folder.ReadBytes(name));
    }

    TestFolder m_folder;
    CIniStream m_ini;
};

TEST_F(CIniStreamTest, GrammarOnLoadingAndLayoutOnSaving)
{
    struct Case {
        const char* name;
        std::u16string_view input;
        std::u16string_view saved;
    } cases[] = {
        {"pair in segment", u"[A]\r\nk=v", u"[A]\nk=v\n\n"},
        {"pair before first header dropped", u"k=v\r\n[A]\r\n", u"[A]\n\n"},
        {"duplicate keys kept", u"[A]\r\nx=1\r\nx=2\r\n", u"[A]\nx=1\nx=2\n\n"},
        {"duplicate headers kept", u"[A]\r\n[A]\r\nk=v\r\n", u"[A]\n\n[A]\nk=v\n\n"},
        {"continuation joined", u"[A]\r\nk=hello\r\nworld\r\n", u"[A]\nk=helloworld\n\n"},
        {"space kept around equals", u"[A]\r\n key = value \r\n", u"[A]\nkey = value\n\n"},
        {"empty key, empty value, equals in value", u"[A]\r\n=v\r\nk=\r\nk2=a=b\r\n", u"[A]\n=v\nk=\nk2=a=b\n\n"},
        {"unclosed header", u"[A\r\n", u"[]\n\n"},
        {"header with a trailing comment", u"[A] ;note\r\n", u"[A] ;not]\n\n"},
        {"number sign is no comment", u"[A]\r\nk=v\r\n#c\r\n", u"[A]\nk=v#c\n\n"},
        {"semicolon comment with equals", u"[A]\r\n;k=v\r\nk2=v2\r\n", u"[A]\nk2=v2\n\n"},
        {"continuation before any pair dropped", u"[A]\r\nlost\r\nk=v\r\n", u"[A]\nk=v\n\n"},
        {"white space trimmed", u"\t[A]\t\r\n\t k=v \t\r\n", u"[A]\nk=v\n\n"},
        {"lone bracket", u"[\r\n", u"[]\n\n"},
        {"empty brackets", u"[]\r\n", u"[]\n\n"},
        {"CR anywhere dropped", u"[A]\r\nk=v\rw\r\n", u"[A]\nk=vw\n\n"},
        {"LF alone ends a line", u"[A]\nk=v\n[B]\n", u"[A]\nk=v\n\n[B]\n\n"},
        {"blank and comment lines only", u"\r\n; x\r\n  \r\n", u""},
        {"only CRs", u"\r\r\r", u""},
        {"NUL units kept", std::u16string_view(u"[A]\r\nk=a\0b\r\n", 12), std::u16string_view(u"[A]\nk=a\0b\n\n", 11)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(kMark + Bytes(c.input));
        EXPECT_EQ(Saved(), c.saved);
    }
}

TEST_F(CIniStreamTest, SaveWritesTheExactBytes)
{
    ASSERT_EQ(m_ini.Open(Path(), kModeCreate), 1);
    m_ini.SetData(m_ini.FindSegment(u"General", 1), u"ListCount", u"0");
    ASSERT_EQ(m_ini.Save(), 1);
    EXPECT_EQ(m_folder.ReadBytes("doc.ini"), kMark + Bytes(u"[General]\r\nListCount=0\r\n\r\n"));
}

TEST_F(CIniStreamTest, EmptyDocumentSavesAnEmptyFile)
{
    m_folder.WriteBytes("doc.ini", "old");
    ASSERT_EQ(m_ini.Open(Path(), kModeCreate), 1);
    ASSERT_EQ(m_ini.Save(), 1);
    EXPECT_EQ(m_folder.ReadBytes("doc.ini"), "");
}

TEST_F(CIniStreamTest, SaveAfterCloseLeavesAnEmptyFile)
{
    Load(kMark + Bytes(u"[A]\r\nk=v\r\n"));
    m_ini.Close();
    EXPECT_EQ(m_ini.GetCount(), 0);
    ASSERT_EQ(m_ini.Save(), 1);
    EXPECT_EQ(m_folder.ReadBytes("doc.ini"), "");
}

TEST_F(CIniStreamTest, SaveWithoutPathFails)
{
    EXPECT_EQ(m_ini.Save(), 0);
    m_ini.FindSegment(u"A", 1);
    EXPECT_EQ(m_ini.Save(), 0);
}

TEST_F(CIniStreamTest, OnlyTheMarkLoadsAsAnEmptyDocument)
{
    Load(kMark);
    EXPECT_EQ(m_ini.GetCount(), 0);
    Load("");
    EXPECT_EQ(m_ini.GetCount(), 0);
}

TEST_F(CIniStreamTest, MissingFileFailsAndKeepsTheFormerPath)
{
    ASSERT_EQ(m_ini.Open(Path("first.ini"), kModeCreate), 1);
    m_ini.FindSegment(u"Old", 1);
    EXPECT_EQ(m_ini.Open(Path("missing.ini"), kModeRead), 0);
    EXPECT_EQ(m_ini.GetCount(), 0);
    m_ini.FindSegment(u"New", 1);
    ASSERT_EQ(m_ini.Save(), 1);
    EXPECT_EQ(Text(m_folder.ReadBytes("first.ini")), u"[New]\n\n");
    EXPECT_FALSE(m_folder.Exists("missing.ini"));
}

TEST_F(CIniStreamTest, CreateModeTouchesNoFileUntilSave)
{
    m_folder.WriteBytes("doc.ini", kMark + Bytes(u"[A]\r\nk=v\r\n"));
    ASSERT_EQ(m_ini.Open(Path(), kModeCreate), 1);
    EXPECT_EQ(m_ini.GetCount(), 0);
    EXPECT_EQ(Text(m_folder.ReadBytes("doc.ini")), u"[A]\nk=v\n");
    ASSERT_EQ(m_ini.Open(Path("new.ini"), 0x1000), 1);
    EXPECT_FALSE(m_folder.Exists("new.ini"));
}

TEST_F(CIniStreamTest, OpenDiscardsTheDocumentHeld)
{
    Load(kMark + Bytes(u"[A]\r\n[B]\r\n"), "one.ini");
    Load(kMark + Bytes(u"[C]\r\n"), "two.ini");
    EXPECT_EQ(m_ini.GetCount(), 1);
    EXPECT_EQ(m_ini.FindSegment(u"A", 0), nullptr);
    EXPECT_NE(m_ini.FindSegment(u"C", 0), nullptr);
}

TEST_F(CIniStreamTest, LookupsTakeTheFirstExactMatch)
{
    Load(kMark + Bytes(u"[A]\r\nx=1\r\nx=2\r\n[a]\r\nx=3\r\n[A]\r\nx=4\r\ny=5\r\n"));
    EXPECT_EQ(m_ini.GetCount(), 3);
    void* first = m_ini.FindSegment(u"A", 0);
    ASSERT_NE(first, nullptr);
    CString value;
    EXPECT_EQ(m_ini.GetData(first, u"x", value), 1);
    EXPECT_EQ(value, u"1");
    EXPECT_EQ(m_ini.GetCount(first), 2);
    EXPECT_EQ(m_ini.GetCount(u"A"), 2);
    EXPECT_EQ(m_ini.GetCount(u"a"), 1);
    EXPECT_EQ(m_ini.GetCount(u"B"), 0);
    EXPECT_EQ(m_ini.GetCount(static_cast<void*>(nullptr)), 0);
    value = u"unchanged";
    EXPECT_EQ(m_ini.GetData(first, u"y", value), 0);
    EXPECT_EQ(m_ini.GetData(first, u"X", value), 0);
    EXPECT_EQ(m_ini.GetData(nullptr, u"x", value), 0);
    EXPECT_EQ(value, u"unchanged");
}

TEST_F(CIniStreamTest, FindSegmentIsCaseSensitiveAndCreatesAtTheEnd)
{
    Load(kMark + Bytes(u"[General]\r\n[Other]\r\n"));
    EXPECT_EQ(m_ini.FindSegment(u"general", 0), nullptr);
    void* created = m_ini.FindSegment(u"general", 1);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(m_ini.FindSegment(u"general", 1), created);
    EXPECT_NE(m_ini.FindSegment(u"General", 0), created);
    EXPECT_EQ(m_ini.GetCount(), 3);
    EXPECT_EQ(Saved(), u"[General]\n\n[Other]\n\n[general]\n\n");
}

TEST_F(CIniStreamTest, GetDataByIndex)
{
    Load(kMark + Bytes(u"[A]\r\nk1=v1\r\nk2=v2\r\n"));
    void* segment = m_ini.FindSegment(u"A", 0);
    struct Case {
        int index;
        int result;
        const char16_t* key;
        const char16_t* value;
    } cases[] = {
        {0, 1, u"k1", u"v1"}, {1, 1, u"k2", u"v2"}, {2, 0, u"-", u"-"}, {-1, 0, u"-", u"-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        CString key(u"-");
        CString value(u"-");
        EXPECT_EQ(m_ini.GetData(segment, c.index, key, value), c.result);
        EXPECT_EQ(key, c.key);
        EXPECT_EQ(value, c.value);
    }
    CString key;
    CString value;
    EXPECT_EQ(m_ini.GetData(nullptr, 0, key, value), 0);
}

TEST_F(CIniStreamTest, SetDataReplacesTheFirstPairOrAppends)
{
    Load(kMark + Bytes(u"[A]\r\nx=1\r\nx=2\r\n"));
    void* segment = m_ini.FindSegment(u"A", 0);
    m_ini.SetData(segment, u"x", u"9");
    m_ini.SetData(segment, u"y", u"3");
    m_ini.SetData(segment, u"y", u"4");
    m_ini.SetData(nullptr, u"z", u"5");
    EXPECT_EQ(Saved(), u"[A]\nx=9\nx=2\ny=4\n\n");
}

TEST_F(CIniStreamTest, LargeSegmentsStayFirstMatch)
{
    std::u16string text = u"[A]\r\n";
    for (int round = 0; round < 4; ++round) {
        for (int k = 0; k < 10; ++k) {
            text += u"k" + std::u16string(1, u'0' + k) + u"=" + std::u16string(1, u'a' + round) + u"\r\n";
        }
    }
    Load(kMark + Bytes(text));
    void* segment = m_ini.FindSegment(u"A", 0);
    EXPECT_EQ(m_ini.GetCount(segment), 40);
    for (int k = 0; k < 10; ++k) {
        SCOPED_TRACE(k);
        CString value;
        EXPECT_EQ(m_ini.GetData(segment, CString(u"k") + static_cast<char16_t>(u'0' + k), value), 1);
        EXPECT_EQ(value, u"a");
    }
    m_ini.SetData(segment, u"k3", u"z");
    m_ini.SetData(segment, u"new", u"n");
    m_ini.SetData(segment, u"new", u"m");
    CString key;
    CString value;
    EXPECT_EQ(m_ini.GetData(segment, 3, key, value), 1);
    EXPECT_EQ(value, u"z");
    EXPECT_EQ(m_ini.GetData(segment, 13, key, value), 1);
    EXPECT_EQ(value, u"b");
    EXPECT_EQ(m_ini.GetData(segment, u"new", value), 1);
    EXPECT_EQ(value, u"m");
    EXPECT_EQ(m_ini.GetCount(segment), 41);
}

TEST_F(CIniStreamTest, HandlesStayValidWhileTheDocumentGrows)
{
    ASSERT_EQ(m_ini.Open(Path(), kModeCreate), 1);
    void* first = m_ini.FindSegment(u"S0", 1);
    for (int i = 1; i < 2000; ++i) {
        CString name;
        name.Format(u"S%d", i);
        m_ini.SetData(m_ini.FindSegment(name, 1), u"k", name);
    }
    m_ini.SetData(first, u"k", u"first");
    CString value;
    EXPECT_EQ(m_ini.GetData(m_ini.FindSegment(u"S0", 0), u"k", value), 1);
    EXPECT_EQ(value, u"first");
    EXPECT_EQ(m_ini.GetCount(), 2000);
}

TEST_F(CIniStreamTest, SaveReplacesTheWholeFile)
{
    Load(kMark + Bytes(u"[A]\r\nlong=" + std::u16string(5000, u'x') + u"\r\n"));
    m_ini.Close();
    m_ini.FindSegment(u"B", 1);
    EXPECT_EQ(Saved(), u"[B]\n\n");
    EXPECT_EQ(m_folder.CountEntries(), 1u);
}

TEST_F(CIniStreamTest, FailedRenameLeavesNoTemporaryFile)
{
    std::filesystem::create_directory(m_folder.Host("dir.ini"));
    std::filesystem::create_directory(m_folder.Host("dir.ini/inside"));
    ASSERT_EQ(m_ini.Open(Path("dir.ini"), kModeCreate), 1);
    m_ini.FindSegment(u"A", 1);
    EXPECT_EQ(m_ini.Save(), 0);
    EXPECT_EQ(m_folder.CountEntries(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.Host("dir.ini")));
}

TEST_F(CIniStreamTest, SaveIntoAMissingFolderFails)
{
    ASSERT_EQ(m_ini.Open(Path("nowhere/doc.ini"), kModeCreate), 1);
    m_ini.FindSegment(u"A", 1);
    EXPECT_EQ(m_ini.Save(), 0);
    EXPECT_EQ(m_folder.CountEntries(), 0u);
}

TEST_F(CIniStreamTest, WriteFailureKeepsTheOldFileWhole)
{
    const std::string old = kMark + Bytes(u"[Old]\r\nk=v\r\n\r\n");
    m_folder.WriteBytes("doc.ini", old);
    ASSERT_EQ(m_ini.Open(Path(), kModeCreate), 1);
    void* segment = m_ini.FindSegment(u"New", 1);
    for (int i = 0; i < 2000; ++i) {
        CString key;
        key.Format(u"Key%d", i);
        m_ini.SetData(segment, key, u"a value long enough to fill the file quickly");
    }
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    int result = m_ini.Save();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(m_folder.ReadBytes("doc.ini"), old);
    EXPECT_EQ(m_folder.CountEntries(), 1u);
    EXPECT_EQ(m_ini.Save(), 1);
    EXPECT_GT(m_folder.ReadBytes("doc.ini").size(), 8192u);
}

TEST_F(CIniStreamTest, ReadOnlyFolderKeepsTheOldFile)
{
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    const std::string old = kMark + Bytes(u"[Old]\r\n\r\n");
    std::filesystem::create_directory(m_folder.Host("ro"));
    m_folder.WriteBytes("ro/doc.ini", old);
    std::filesystem::permissions(m_folder.Host("ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    ASSERT_EQ(m_ini.Open(Path("ro/doc.ini"), kModeCreate), 1);
    m_ini.FindSegment(u"New", 1);
    EXPECT_EQ(m_ini.Save(), 0);
    std::filesystem::permissions(m_folder.Host("ro"), std::filesystem::perms::owner_all);
    EXPECT_EQ(m_folder.ReadBytes("ro/doc.ini"), old);
}

TEST_F(CIniStreamTest, HundredThousandSections)
{
    std::u16string text;
    for (int i = 0; i < 100000; ++i) {
        std::string number = std::to_string(i);
        text += u"[S" + std::u16string(number.begin(), number.end()) + u"]\r\nk=v\r\n";
    }
    Load(kMark + Bytes(text));
    EXPECT_EQ(m_ini.GetCount(), 100000);
    EXPECT_EQ(m_ini.GetCount(u"S99999"), 1);
    ASSERT_EQ(m_ini.Save(), 1);
    ASSERT_EQ(m_ini.Open(Path(), kModeRead), 1);
    EXPECT_EQ(m_ini.GetCount(), 100000);
}

TEST_F(CIniStreamTest, HundredThousandCharacterLines)
{
    std::u16string value(100000, u'v');
    std::u16string name(100000, u'n');
    Load(kMark + Bytes(u"[" + name + u"]\r\nk=" + value + u"\r\n" + value));
    CString read;
    EXPECT_EQ(m_ini.GetData(m_ini.FindSegment(CString(std::u16string_view(name)), 0), u"k", read), 1);
    EXPECT_EQ(read.GetLength(), 200000);
}

// Loading any bytes works, and what is saved loads back to the same document.
TEST_F(CIniStreamTest, AwkwardBytesLoadAndSaveStably)
{
    std::mt19937 random(2024);
    std::vector<std::string> inputs = {
        Bytes(u"[A]\r\nk=v\r\n"),                       // no mark: loses the '['
        kMark + Bytes(u"[A]\r\nk=v") + "x",              // odd final byte
        kMark + Bytes(u"[A]\r\n") + std::string(64, '\0'),
    };
    const char16_t alphabet[] = u"[]=;# \t\r\nab\0\u3000";
    for (int round = 0; round < 30; ++round) {
        std::u16string text;
        for (std::size_t n = random() % 400; n > 0; --n) text += alphabet[random() % (sizeof alphabet / 2)];
        inputs.push_back(kMark + Bytes(text));
        std::string noise(random() % 600, '\0');
        for (char& byte : noise) byte = static_cast<char>(random());
        inputs.push_back(noise);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        Load(inputs[i]);
        std::u16string once = Saved();
        EXPECT_NE(once, u"?");
        ASSERT_EQ(m_ini.Open(Path(), kModeRead), 1);
        EXPECT_EQ(Saved(), once);
    }
}

// Inputs kept from fuzzing: each loads, and saves stably.
TEST_F(CIniStreamTest, KeptInputsLoadAndSaveStably)
{
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PELRUDO_TEST_DATA "/ini")) {
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        std::filesystem::copy_file(entry.path(), m_folder.Host("kept.ini"), std::filesystem::copy_options::overwrite_existing);
        ASSERT_EQ(m_ini.Open(Path("kept.ini"), kModeRead), 1);
        std::u16string once = Saved("kept.ini");
        ASSERT_EQ(m_ini.Open(Path("kept.ini"), kModeRead), 1);
        EXPECT_EQ(Saved("kept.ini"), once);
    }
    EXPECT_GT(files, 0u);
}

}  // namespace
