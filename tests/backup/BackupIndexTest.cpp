// Tests of CBackupDlg's backup index: reading "Backup.ini" into entries and writing it from the catalogue.
#include <gtest/gtest.h>

#include <string>

#include "backup/CBackupDlg.h"
#include "platform/FileApi.h"
#include "tests/platform/TestFolder.h"

namespace {

const std::string kMark = "\xFF\xFE";

std::string Bytes(std::u16string_view text)
{
    std::string bytes = kMark;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

class BackupIndexTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    CString Path() const { return m_folder.Path("Backup.ini"); }

    void AddApp(const char16_t* name, const char16_t* cab, BOOL ticked)
    {
        auto* app = new CAppEntry;
        app->m_strAppName = name;
        app->m_cabName.m_strName = cab;
        app->m_bTicked = ticked;
        m_dlg.m_arrApps.Add(app);
    }

    // The index array as "name/cab;" items.
    std::u16string Index() const
    {
        std::u16string text;
        for (INT_PTR i = 0; i < m_dlg.m_arrIndex.GetSize(); ++i) {
            auto* entry = static_cast<CBackupEntry*>(m_dlg.m_arrIndex.GetAt(i));
            text += entry->m_strAppName.View();
            text += u'/';
            text += entry->m_cabName.m_strName.View();
            text += u';';
        }
        return text;
    }

    TestFolder m_folder;
    CBackupDlg m_dlg;
};

TEST_F(BackupIndexTest, ReadsEntriesInFileOrder)
{
    m_folder.WriteBytes("Backup.ini", Bytes(u"[General]\r\nSoftware1=Beta\r\nSoftware2=Alpha\r\nListCount=2\r\n\r\n"
                                            u"[Alpha]\r\nCabFile=alpha.cab\r\n\r\n[Beta]\r\nCabFile=beta.cab\r\n"));
    EXPECT_TRUE(m_dlg.ReadBackupIndex(Path()));
    EXPECT_EQ(Index(), u"Beta/beta.cab;Alpha/alpha.cab;");
    EXPECT_TRUE(m_dlg.IsBackedUp(u"alpha.cab"));
}

TEST_F(BackupIndexTest, MissingFileReadsNothing)
{
    EXPECT_FALSE(m_dlg.ReadBackupIndex(Path()));
    EXPECT_EQ(m_dlg.m_arrIndex.GetSize(), 0);
}

TEST_F(BackupIndexTest, CountRules)
{
    struct Case {
        const char* name;
        std::u16string_view general;
        std::u16string_view entries;
    } cases[] = {
        {"no digits", u"Software1=A\r\nListCount=none\r\n", u""},
        {"negative", u"Software1=A\r\nListCount=-3\r\n", u""},
        {"missing count", u"Software1=A\r\n", u""},
        {"more than keys", u"Software1=A\r\nListCount=3\r\n", u"A/a.cab;/;/;"},
        {"key without section", u"Software1=B\r\nListCount=1\r\n", u"B/;"},
        {"digits among text", u"Software1=A\r\nListCount=x1y\r\n", u"A/a.cab;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_dlg.FreeEntries();
        m_folder.WriteBytes("Backup.ini", Bytes(u"[General]\r\n" + std::u16string(c.general) + u"[A]\r\nCabFile=a.cab\r\n"));
        EXPECT_TRUE(m_dlg.ReadBackupIndex(Path()));
        EXPECT_EQ(Index(), c.entries);
    }
}

TEST_F(BackupIndexTest, MissingGeneralReadsNothing)
{
    m_folder.WriteBytes("Backup.ini", Bytes(u"[A]\r\nCabFile=a.cab\r\n"));
    EXPECT_TRUE(m_dlg.ReadBackupIndex(Path()));
    EXPECT_EQ(m_dlg.m_arrIndex.GetSize(), 0);
}

TEST_F(BackupIndexTest, AbsurdCountIsBounded)
{
    m_folder.WriteBytes("Backup.ini", Bytes(u"[General]\r\nSoftware1=A\r\nListCount=2000000000\r\n[A]\r\nCabFile=a.cab\r\n"));
    EXPECT_TRUE(m_dlg.ReadBackupIndex(Path()));
    EXPECT_GE(m_dlg.m_arrIndex.GetSize(), 2);
    EXPECT_LE(m_dlg.m_arrIndex.GetSize(), 2 + 1024);
    EXPECT_EQ(Index().substr(0, 8), u"A/a.cab;");
}

TEST_F(BackupIndexTest, ReadAppendsWithoutClearing)
{
    m_folder.WriteBytes("Backup.ini", Bytes(u"[General]\r\nSoftware1=A\r\nListCount=1\r\n[A]\r\nCabFile=a.cab\r\n"));
    EXPECT_TRUE(m_dlg.ReadBackupIndex(Path()));
    EXPECT_TRUE(m_dlg.ReadBackupIndex(Path()));
    EXPECT_EQ(Index(), u"A/a.cab;A/a.cab;");
}

TEST_F(BackupIndexTest, WritesTickedEntriesExactly)
{
    AddApp(u"Alpha", u"alpha.cab", TRUE);
    AddApp(u"Beta", u"beta.cab", FALSE);
    AddApp(u"\u8BCD\u5178", u"cidian.cab", TRUE);
    m_dlg.WriteBackupIndex(Path());
    EXPECT_EQ(m_folder.ReadBytes("Backup.ini"),
              Bytes(u"[General]\r\nSoftware1=Alpha\r\nSoftware2=\u8BCD\u5178\r\nListCount=2\r\n\r\n"
                    u"[Alpha]\r\nCabFile=alpha.cab\r\n\r\n[\u8BCD\u5178]\r\nCabFile=cidian.cab\r\n\r\n"));
}

TEST_F(BackupIndexTest, NothingTickedWritesAnEmptyIndex)
{
    AddApp(u"Alpha", u"alpha.cab", FALSE);
    m_dlg.WriteBackupIndex(Path());
    EXPECT_EQ(m_folder.ReadBytes("Backup.ini"), Bytes(u"[General]\r\nListCount=0\r\n\r\n"));
}

TEST_F(BackupIndexTest, WriteReplacesTheOldIndex)
{
    std::u16string old = u"[General]\r\n";
    for (int k = 1; k <= 5; ++k) old += u"Software" + std::u16string(1, u'0' + k) + u"=Old\r\n";
    m_folder.WriteBytes("Backup.ini", Bytes(old + u"ListCount=5\r\n[Old]\r\nCabFile=old.cab\r\n"));
    AddApp(u"A", u"a.cab", TRUE);
    AddApp(u"B", u"b.cab", TRUE);
    m_dlg.WriteBackupIndex(Path());
    EXPECT_EQ(m_folder.ReadBytes("Backup.ini"),
              Bytes(u"[General]\r\nSoftware1=A\r\nSoftware2=B\r\nListCount=2\r\n\r\n"
                    u"[A]\r\nCabFile=a.cab\r\n\r\n[B]\r\nCabFile=b.cab\r\n\r\n"));
}

TEST_F(BackupIndexTest, SameNameSharesOneSectionWithTheLaterPackage)
{
    AddApp(u"Same", u"first.cab", TRUE);
    AddApp(u"Same", u"second.cab", TRUE);
    m_dlg.WriteBackupIndex(Path());
    EXPECT_EQ(m_folder.ReadBytes("Backup.ini"),
              Bytes(u"[General]\r\nSoftware1=Same\r\nSoftware2=Same\r\nListCount=2\r\n\r\n[Same]\r\nCabFile=second.cab\r\n\r\n"));
}

TEST_F(BackupIndexTest, WrittenIndexReadsBack)
{
    for (int i = 0; i < 50; ++i) {
        CString name;
        name.Format(u"App %d", i);
        CString cab;
        cab.Format(u"app%d.cab", i);
        AddApp(name, cab, i % 3 != 0);
    }
    m_dlg.WriteBackupIndex(Path());
    ASSERT_TRUE(m_dlg.ReadBackupIndex(Path()));
    ASSERT_EQ(m_dlg.m_arrIndex.GetSize(), 33);
    for (int i = 0; i < 50; ++i) {
        CString cab;
        cab.Format(u"app%d.cab", i);
        EXPECT_EQ(m_dlg.IsBackedUp(cab), i % 3 != 0) << i;
    }
}

TEST_F(BackupIndexTest, WriteIntoAMissingFolderLeavesNothing)
{
    AddApp(u"A", u"a.cab", TRUE);
    m_dlg.WriteBackupIndex(m_folder.Path("nowhere/Backup.ini"));
    EXPECT_EQ(m_folder.CountEntries(), 0u);
}

TEST_F(BackupIndexTest, LocalIndexPathIsInTheTemporaryFolder)
{
    char16_t buffer[MAX_PATH];
    DWORD length = GetTempPath(MAX_PATH, buffer);
    ASSERT_GT(length, 0u);
    CString folder(buffer, static_cast<int>(length));
    CString path = CBackupDlg::GetLocalIndexPath();
    EXPECT_EQ(path.Right(11), u"\\Backup.ini");
    EXPECT_EQ(path.Left(folder.GetLength()), folder);
    EXPECT_EQ(path.Find(u"\\\\"), -1);
}

}  // namespace
