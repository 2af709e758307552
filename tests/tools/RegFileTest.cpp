// Tests of RegFileImport, RegFileExport and the pelrudo-reg program: both formats, round trips, bad input.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/RegStore.h"
#include "platform/Text.h"
#include "tests/platform/TestFolder.h"
#include "tools/reg/RegFileExport.h"
#include "tools/reg/RegFileImport.h"
#include "tools/reg/RegKeyPath.h"

namespace {

using KeyId = RegStore::KeyId;

std::string ReadFixture(const std::string& name)
{
    std::ifstream in(std::string(PELRUDO_TEST_DATA) + "/reg/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::u16string FromUtf16Le(std::string_view bytes)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<BYTE>(bytes[i]) | static_cast<BYTE>(bytes[i + 1]) << 8);
    return text;
}

// Every key and value of a store as "path|name|type|bytes" lines, in enumeration order.
void Dump(RegStore& store, KeyId key, const std::string& path, std::vector<std::string>* out)
{
    out->push_back(path);
    RegStoreValue v;
    for (DWORD i = 0; store.EnumValue(key, i, &v) == ERROR_SUCCESS; ++i) {
        std::ostringstream line;
        line << path << '|' << Utf16ToUtf8(v.name) << '|' << v.type << '|';
        for (BYTE b : v.data) line << static_cast<int>(b) << ',';
        out->push_back(line.str());
    }
    std::u16string child;
    for (DWORD i = 0; store.EnumKey(key, i, &child) == ERROR_SUCCESS; ++i) {
        KeyId id = 0;
        EXPECT_EQ(store.OpenKey(key, child, &id), ERROR_SUCCESS);
        Dump(store, id, path + "\\" + Utf16ToUtf8(child), out);
    }
}

std::vector<std::string> Dump(RegStore& store)
{
    std::vector<std::string> out;
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS})
        Dump(store, RegStore::RootKey(root), Utf16ToUtf8(RegKeyPath::RootName(root)), &out);
    return out;
}

class RegFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        SetACP(936);
    }

    std::string Store(const std::string& name) const { return m_folder.Host(name); }

    std::vector<BYTE> Value(RegStore& store, std::u16string_view path, std::u16string_view name, DWORD* type)
    {
        KeyId key = 0;
        std::vector<BYTE> data;
        EXPECT_EQ(store.OpenKey(RegStore::RootKey(HKEY_LOCAL_MACHINE), path, &key), ERROR_SUCCESS);
        EXPECT_EQ(store.QueryValue(key, name, type, &data), ERROR_SUCCESS);
        return data;
    }

    static std::vector<BYTE> Utf16Bytes(std::u16string_view text)
    {
        std::vector<BYTE> bytes;
        for (char16_t c : text) {
            bytes.push_back(static_cast<BYTE>(c & 0xFF));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
        return bytes;
    }

    TestFolder m_folder;
};

constexpr std::u16string_view kNotes = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\Tavrimo Notes";
constexpr std::u16string_view kZeta = u"SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\Zeta";

TEST_F(RegFileTest, TheVersion5FileGivesTheValuesItDescribes)
{
    RegStore store(Store("a.db"));
    RegFileImport import(store);
    ASSERT_TRUE(import.Import(ReadFixture("apps5.reg"), "apps5.reg")) << import.Error();

    DWORD type = 0;
    EXPECT_EQ(Value(store, kNotes, u"AppName", &type), Utf16Bytes(std::u16string(u"Tavrimo \u7B14\u8BB0") + u'\0'));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(Value(store, kNotes, u"Description", &type),
              Utf16Bytes(std::u16string(u"A \"quoted\" note pad in C:\\Apps") + u'\0'));
    EXPECT_EQ(Value(store, kNotes, u"ListCpuTypes", &type), Utf16Bytes(std::u16string(u"2595\0" u"1050\0\0", 11)));
    EXPECT_EQ(type, REG_MULTI_SZ);
    EXPECT_EQ(Value(store, kNotes, u"Count", &type), (std::vector<BYTE>{0x2A, 0, 0, 0}));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(Value(store, kNotes, u"", &type), Utf16Bytes(std::u16string(u"\u9ED8\u8BA4") + u'\0'));
    EXPECT_EQ(Value(store, kZeta, u"Path", &type), Utf16Bytes(std::u16string(u"%TEMP%\\z") + u'\0'));
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(Value(store, kZeta, u"Blob", &type).size(), 32u);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_TRUE(Value(store, kZeta, u"Nothing", &type).empty());
    EXPECT_EQ(type, REG_NONE);
    EXPECT_EQ(Value(store, kZeta, u"Odd", &type), (std::vector<BYTE>{1, 2}));
    EXPECT_EQ(type, 0x12345678u);

    // "name"=- and [-KEY] removed what the lines before them made.
    KeyId key = 0;
    const KeyId user = RegStore::RootKey(HKEY_CURRENT_USER);
    ASSERT_EQ(store.OpenKey(user, u"Software\\Tavrimo", &key), ERROR_SUCCESS);
    EXPECT_EQ(store.QueryValue(key, u"Gone", nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store.OpenKey(user, u"Software\\Old", &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegFileTest, EveryEncodingOfTheSameDataGivesTheSameStore)
{
    const std::string utf16 = ReadFixture("apps5.reg");
    const std::string utf8 = Utf16ToUtf8(FromUtf16Le(std::string_view(utf16).substr(2)));
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"REGEDIT4 in code page 936", ReadFixture("apps4.reg")},
        {"5.00 in UTF-8 without BOM", utf8},
        {"5.00 in UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
    };
    RegStore reference(Store("reference.db"));
    RegFileImport referenceImport(reference);
    ASSERT_TRUE(referenceImport.Import(utf16, "apps5.reg")) << referenceImport.Error();
    const std::vector<std::string> expected = Dump(reference);
    int n = 0;
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        RegStore store(Store("s" + std::to_string(n++) + ".db"));
        RegFileImport import(store);
        ASSERT_TRUE(import.Import(f.bytes, f.name)) << import.Error();
        EXPECT_EQ(Dump(store), expected);
    }
}

TEST_F(RegFileTest, ExportThenImportGivesBackEveryKeyValueTypeAndByte)
{
    RegStore store(Store("a.db"));
    RegFileImport import(store);
    ASSERT_TRUE(import.Import(ReadFixture("apps5.reg"), "apps5.reg")) << import.Error();
    // Values the file cannot hold as plain text: strings without terminator or with NULs or line breaks,
    // odd sizes, a short DWORD, names with quotes and backslashes, a long binary.
    KeyId key = 0;
    ASSERT_EQ(store.CreateKey(RegStore::RootKey(HKEY_USERS), u"Edge\\Cases", &key), ERROR_SUCCESS);
    const std::vector<BYTE> noTerminator = Utf16Bytes(u"abc");
    const std::vector<BYTE> inner = Utf16Bytes(std::u16string(u"a\0b\r\nc\0", 7));
    const std::vector<BYTE> odd = {0x41, 0x00, 0x42};
    const std::vector<BYTE> shortDword = {1, 2, 3};
    const std::vector<BYTE> longBinary(300, 0xAB);
    ASSERT_EQ(store.SetValue(key, u"NoTerminator", REG_SZ, noTerminator.data(), noTerminator.size()), 0);
    ASSERT_EQ(store.SetValue(key, u"Inner \"NUL\" \\ break", REG_SZ, inner.data(), inner.size()), 0);
    ASSERT_EQ(store.SetValue(key, u"Odd", REG_SZ, odd.data(), odd.size()), 0);
    ASSERT_EQ(store.SetValue(key, u"ShortDword", REG_DWORD, shortDword.data(), shortDword.size()), 0);
    ASSERT_EQ(store.SetValue(key, u"Long", REG_BINARY, longBinary.data(), longBinary.size()), 0);
    ASSERT_EQ(store.SetValue(key, u"Empty", REG_SZ, nullptr, 0), 0);

    RegFileExport exporter(store);
    ASSERT_EQ(exporter.WriteFile(m_folder.Host("out.reg"), u""), ERROR_SUCCESS);
    const std::string bytes = m_folder.ReadBytes("out.reg");
    RegStore copy(Store("copy.db"));
    RegFileImport again(copy);
    ASSERT_TRUE(again.Import(bytes, "out.reg")) << again.Error();
    EXPECT_EQ(Dump(copy), Dump(store));

    // And the second export is the first one, byte for byte.
    RegFileExport copyExporter(copy);
    ASSERT_EQ(copyExporter.WriteFile(m_folder.Host("again.reg"), u""), ERROR_SUCCESS);
    EXPECT_EQ(m_folder.ReadBytes("again.reg"), bytes);
}

TEST_F(RegFileTest, ExportIsUtf16WithCrLfAndWrapsHexAtEightyColumns)
{
    RegStore store(Store("a.db"));
    KeyId key = 0;
    ASSERT_EQ(store.CreateKey(RegStore::RootKey(HKEY_LOCAL_MACHINE), u"Software\\Wrap", &key), ERROR_SUCCESS);
    const std::vector<BYTE> data(100, 0x5A);
    ASSERT_EQ(store.SetValue(key, u"Data", REG_BINARY, data.data(), data.size()), ERROR_SUCCESS);
    RegFileExport exporter(store);
    ASSERT_EQ(exporter.WriteFile(m_folder.Host("out.reg"), u"hklm\\SOFTWARE\\wrap"), ERROR_SUCCESS);
    const std::string bytes = m_folder.ReadBytes("out.reg");
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    const std::string text = Utf16ToUtf8(FromUtf16Le(std::string_view(bytes).substr(2)));

    // The key is written as stored, not as asked for.
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wrap]\r\n", 0), 0u);
    std::istringstream lines(text);
    std::string line;
    int continued = 0;
    while (std::getline(lines, line)) {
        SCOPED_TRACE(line);
        ASSERT_FALSE(line.empty());
        ASSERT_EQ(line.back(), '\r');  // every line ends in CR LF
        line.pop_back();
        EXPECT_LE(line.size(), 80u);
        if (line.rfind("  ", 0) == 0) ++continued;
        if (!line.empty() && line.back() == '\\') {
            EXPECT_GE(line.size(), 77u);  // lines are filled before they break
        }
    }
    EXPECT_EQ(continued, 4);  // 100 bytes: 22 after "Data"=hex:, then 25, 25, 25 and the last 3
}

TEST_F(RegFileTest, ExportOfAMissingKeyOrUnknownRootFails)
{
    RegStore store(Store("a.db"));
    RegFileExport exporter(store);
    std::u16string text;
    EXPECT_EQ(exporter.Text(u"HKLM\\No\\Such", &text), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(exporter.Text(u"HKEY_NOWHERE\\x", &text), ERROR_INVALID_PARAMETER);
}

TEST_F(RegFileTest, AMalformedLineIsReportedWithItsNumberAndNothingIsApplied)
{
    const struct {
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,zz\n", 3, "hex bytes"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex:01,\\\n  02,,03\n", 3, "hex bytes"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\n\"v\"=dword:123456789\n", 4, "dword"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"C:\\Windows\"\n", 3, "string"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"open\n", 3, "string"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=hex(zz):01\n", 3, "hex(type)"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=text\n", 3, "unrecognised value data"},
        {"[HKEY_LOCAL_MACHINE\\A]\n\"v\" 1\n", 3, "value name"},
        {"[HKEY_LOCAL_MACHINE\\A]\nrandom words\n", 3, "unrecognised line"},
        {"[HKEY_LOCAL_MACHINE\\A]\n[HKEY_NOWHERE\\B]\n", 3, "unknown root"},
        {"[HKEY_LOCAL_MACHINE\\A\n", 2, "]"},
        {"\"v\"=\"orphan\"\n", 2, "outside a key"},
        {"[HKEY_LOCAL_MACHINE\\A]\n[" + std::string("HKLM\\") + std::string(300, 'k') + "]\n", 3, "error 87"},
    };
    RegStore store(Store("a.db"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        RegFileImport import(store);
        EXPECT_FALSE(import.Import("Windows Registry Editor Version 5.00\n" + c.text, "f.reg"));
        EXPECT_EQ(import.Error().rfind("f.reg:" + std::to_string(c.line) + ": ", 0), 0u) << import.Error();
        EXPECT_NE(import.Error().find(c.says), std::string::npos) << import.Error();
        KeyId key = 0;
        EXPECT_EQ(store.OpenKey(RegStore::RootKey(HKEY_LOCAL_MACHINE), u"A", &key), ERROR_FILE_NOT_FOUND);
    }
}

TEST_F(RegFileTest, FilesThatAreNotRegistrationFilesAreRefusedAsAWhole)
{
    RegStore store(Store("a.db"));
    RegFileImport import(store);
    EXPECT_FALSE(import.Import("[HKEY_LOCAL_MACHINE\\A]\n", "plain.txt"));
    EXPECT_EQ(import.Error().rfind("plain.txt:1: ", 0), 0u) << import.Error();
    EXPECT_FALSE(import.Import("\xFE\xFFxx", "be.reg"));
    EXPECT_EQ(import.Error().rfind("be.reg: ", 0), 0u) << import.Error();
    EXPECT_FALSE(import.Import("\xFF\xFE" "W", "odd.reg"));
    EXPECT_FALSE(import.Import("", "empty.reg"));
    EXPECT_FALSE(import.ImportFile(m_folder.Host("missing.reg")));
    EXPECT_NE(import.Error().find("missing.reg"), std::string::npos);
}

// The program itself: exit statuses, the message on stderr, and what query prints.
class PelrudoRegTest : public RegFileTest {
protected:
    int Run(const std::string& args, std::string* output = nullptr)
    {
        const std::string command = std::string(PELRUDO_BINARY_DIR) + "/bin/pelrudo-reg --store '" + Store("tool.db") +
                                    "' " + args + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        std::string text;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        const int status = pclose(pipe);
        if (output) *output = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Fixture(const std::string& name) const { return "'" + std::string(PELRUDO_TEST_DATA) + "/reg/" + name + "'"; }
};

TEST_F(PelrudoRegTest, ImportQueryExportAndDeleteThroughTheProgram)
{
    std::string out;
    ASSERT_EQ(Run("import " + Fixture("apps5.reg"), &out), 0) << out;
    ASSERT_EQ(Run("query 'HKLM\\SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\Tavrimo Notes'", &out), 0);
    EXPECT_NE(out.find("    AppName    REG_SZ    Tavrimo \xE7\xAC\x94\xE8\xAE\xB0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("    ListCpuTypes    REG_MULTI_SZ    2595\\01050\n"), std::string::npos) << out;
    EXPECT_NE(out.find("    Count    REG_DWORD    0x2a (42)\n"), std::string::npos) << out;
    ASSERT_EQ(Run("query 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\Zeta' big", &out), 0);
    EXPECT_NE(out.find("    Big    REG_QWORD    0xffffffff\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Blob"), std::string::npos) << out;
    EXPECT_EQ(Run("query 'HKLM\\SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\Zeta' NoSuch", &out), 1);
    EXPECT_NE(out.find("value NoSuch: not found"), std::string::npos) << out;

    ASSERT_EQ(Run("export '" + m_folder.Host("apps.reg") + "' 'HKLM\\SOFTWARE\\Microsoft'"), 0);
    EXPECT_EQ(m_folder.ReadBytes("apps.reg").substr(0, 2), "\xFF\xFE");

    EXPECT_EQ(Run("delete 'HKLM\\SOFTWARE\\Microsoft\\Windows CE Services'"), 0);
    EXPECT_EQ(Run("query 'HKLM\\SOFTWARE\\Microsoft\\Windows CE Services'", &out), 1);
    EXPECT_NE(out.find("not found"), std::string::npos) << out;
    EXPECT_EQ(Run("delete 'HKLM\\SOFTWARE\\Microsoft\\Windows CE Services'"), 1);

    ASSERT_EQ(Run("import '" + m_folder.Host("apps.reg") + "'", &out), 0) << out;
    EXPECT_EQ(Run("query 'HKLM\\SOFTWARE\\Microsoft\\Windows CE Services\\AppMgr\\Apps\\Zeta' Odd", &out), 0);
    EXPECT_NE(out.find("    Odd    0x12345678    0102\n"), std::string::npos) << out;
}

// A character beyond the basic plane (a surrogate pair) in a multi-string is printed whole.
TEST_F(PelrudoRegTest, QueryPrintsMultiStringsWithSurrogatePairsWhole)
{
    m_folder.WriteBytes("multi.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Multi]\r\n"
                                     "\"Faces\"=hex(7):3d,d8,00,de,00,00,62,00,00,00,00,00\r\n");
    std::string out;
    ASSERT_EQ(Run("import '" + m_folder.Host("multi.reg") + "'", &out), 0) << out;
    ASSERT_EQ(Run("query 'HKLM\\SOFTWARE\\Multi' Faces", &out), 0) << out;
    EXPECT_NE(out.find("    Faces    REG_MULTI_SZ    \xF0\x9F\x98\x80\\0b\n"), std::string::npos) << out;
}

TEST_F(PelrudoRegTest, AFailedImportNamesFileAndLineExitsWithOneAndAppliesNothing)
{
    std::string out;
    EXPECT_EQ(Run("query HKLM", &out), 1);  // only an import makes a store
    EXPECT_NE(out.find("no such store"), std::string::npos) << out;
    EXPECT_EQ(Run("import " + Fixture("bad.reg"), &out), 1);
    EXPECT_NE(out.find("bad.reg:6: malformed hex bytes"), std::string::npos) << out;
    EXPECT_EQ(Run("query 'HKLM\\SOFTWARE\\Applied'", &out), 1);
    EXPECT_NE(out.find("not found"), std::string::npos) << out;
    EXPECT_EQ(Run("", &out), 1);
    EXPECT_NE(out.find("usage:"), std::string::npos);
    EXPECT_EQ(Run("query 'HKEY_NOWHERE\\x'"), 1);
}

TEST_F(PelrudoRegTest, AStoreThatIsNotADatabaseIsReportedAndLeftAlone)
{
    m_folder.WriteBytes("tool.db", "not a database at all, just some text that fills the page\n");
    std::string out;
    EXPECT_EQ(Run("query HKLM", &out), 1);
    EXPECT_NE(out.find("not a registry database"), std::string::npos) << out;
    EXPECT_EQ(m_folder.ReadBytes("tool.db"), "not a database at all, just some text that fills the page\n");
}

}  // namespace
