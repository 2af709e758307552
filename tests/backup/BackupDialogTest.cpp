// Tests of CBackupDlg driven through its real widgets (offscreen) against a running handheld emulator.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>

#include "BackupScene.h"
#include "backup/CBackupApp.h"
#include "backup/CBackupDlg.h"
#include "backup/CWaitDlg.h"
#include "backup/DeviceLink.h"
#include "backup/DeviceTransfer.h"
#include "core/Rapi.h"
#include "platform/ui/detail/WindowState.h"
#include "platform/CImageList.h"
#include "platform/Text.h"

namespace {

CBackupApp theApp;

const char kNoDevice[] = "程序无法正确运行，请确认您是否已经与PocketPC相连!";
const char kNoAgent[] = "程序无法正确运行，请确认Ostrevan已安装,且在运行状态!";
const char kNoActiveSync[] = "程序无法正确运行，请确认您是否已经安装了Microsoft ActiveSync!";

CString Size(DWORD dwBytes)
{
    CString text;
    CBackupDlg::FormatSize(text, dwBytes);
    return text;
}

QDialog* Visible(const char* title)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible() && dialog->windowTitle() == title)
            return dialog;
    return nullptr;
}

QMessageBox* VisibleMessageBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

QDialog* MainDialog() { return Visible("Tavrimo's Pelrudo"); }

// Calls act once ready() holds, polling from the running modal loops; a scene that never gets ready
// fails the test and closes every window, so a broken dialog cannot hang the run.
void WhenReady(std::function<bool()> ready, std::function<void()> act)
{
    auto* timer = new QTimer(qApp);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (ready()) {
            timer->stop();
            timer->deleteLater();
            act();
        } else if (std::chrono::steady_clock::now() > deadline) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the dialog never reached the expected state";
            QApplication::closeAllWindows();
            if (CWnd* main = AfxGetMainWnd())
                main->SendMessage(WM_COMMAND, IDCANCEL);
        }
    });
    timer->start(20);
}

void Click(QDialog* dialog, const char* id)
{
    auto* button = dialog->findChild<QPushButton*>(id);
    ASSERT_NE(button, nullptr);
    button->click();
}

QString Label(int id)
{
    auto* label = MainDialog()->findChild<QLabel*>(QString::number(id));
    return label ? label->text() : QStringLiteral("<none>");
}

class BackupDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The real widgets, on no screen.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        pelrudo::ui::EnsureApplication();
    }

    // Runs the dialog as Pelrudo does; act runs once the list is loaded with its three rows.
    INT_PTR RunLoaded(CBackupDlg& dlg, std::function<void()> act)
    {
        theApp.m_pMainWnd = &dlg;
        WhenReady([&dlg] { return dlg.m_list.GetItemCount() == 3 && MainDialog() && !Visible("正在从移动设备上获取数据"); },
                  std::move(act));
        INT_PTR result = dlg.DoModal();
        theApp.m_pMainWnd = nullptr;
        return result;
    }

    std::string Unchanged() const { return TestFolder::ReadHostFile(m_scene.Handheld("Backup.ini")); }

    BackupScene m_scene;
};

TEST(FormatSizeTest, FiguresAreTruncatedWithTheirUnit)
{
    const struct {
        DWORD bytes;
        const char16_t* text;
    } cases[] = {{0, u".0 B"},           {1, u"1.0 B"},           {1024, u"1024.0 B"},       {1025, u"1.0 K"},
                 {1536, u"1.5 K"},       {1048576, u"1024.0 K"},  {1049600, u"1.0 M"},       {4294967295u, u"3.9 G"},
                 {1073741824, u"1024.0 M"}, {10239, u"9.9 K"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(Size(c.bytes), CString(c.text));
    }
}

struct FailureCase {
    const char* name;
    BackupScene::Parts parts;
    bool serve;
    const char* message;
};

class BackupDialogFailureTest : public BackupDialogTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BackupDialogFailureTest, LoadFailureShowsItsMessageAndEndsTheProgram)
{
    const FailureCase& c = GetParam();
    if (c.serve) {
        ASSERT_TRUE(m_scene.Start(c.parts));
    } else {
        m_scene.UseAsDesktop();  // nothing listens on the socket
    }
    std::vector<std::string> messages;
    std::function<void()> answer = [&] {
        QMessageBox* box = VisibleMessageBox();
        messages.push_back(box->text().toStdString());
        EXPECT_EQ(box->windowTitle().toStdString(), "BackupDialogTest");
        // The note is still on screen while the message shows.
        EXPECT_NE(Visible("正在从移动设备上获取数据"), nullptr);
        Click(box, "1");
    };
    WhenReady([] { return VisibleMessageBox() != nullptr; }, answer);
    // The real start: the application object runs the dialog and returns FALSE when it has closed.
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(messages, std::vector<std::string>{c.message});
    EXPECT_EQ(MainDialog(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Load, BackupDialogFailureTest,
                         ::testing::Values(FailureCase{"NoHandheld", {}, false, kNoDevice},
                                           FailureCase{"NoAgentRecord", {false, true, true}, true, kNoAgent},
                                           FailureCase{"NoActiveSync", {true, false, true}, true, kNoActiveSync}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupDialogTest, LoadListsSortedRowsWithIconsSizesAndTicks)
{
    ASSERT_TRUE(m_scene.Start());
    CBackupDlg dlg;
    const std::string before = Unchanged();
    INT_PTR result = RunLoaded(dlg, [&] {
        CListCtrl& list = dlg.m_list;
        const struct {
            const char16_t* name;
            const char16_t* size;
            BOOL checked;
            bool ownIcon;
        } rows[] = {{u"alpha", u"1.5 K", FALSE, false}, {u"Mid", u"4.8 K", TRUE, false}, {u"Zeta", u"2.9 K", TRUE, true}};
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(list.GetItemText(i, 0), CString(rows[i].name));
            EXPECT_EQ(list.GetItemText(i, 1), CString(rows[i].size));
            EXPECT_EQ(list.GetCheck(i), rows[i].checked);
            LVITEM item = {};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            ASSERT_TRUE(list.GetItem(&item));
            EXPECT_EQ(item.iImage != 0, rows[i].ownIcon);  // 0 is icon 130, the fallback
            EXPECT_EQ(reinterpret_cast<CAppEntry*>(list.GetItemData(i))->m_strAppName, CString(rows[i].name));
        }
        EXPECT_EQ(ImageList_GetImageCount(list.GetImageList(LVSIL_SMALL)), 2);
        EXPECT_EQ(list.GetExtendedStyle(), 0x26u);
        RECT rc = {};
        list.GetClientRect(&rc);
        EXPECT_EQ(list.GetColumnWidth(0) + list.GetColumnWidth(1), rc.right - rc.left);

        // Both figures count the ticked rows, and follow every box.
        EXPECT_EQ(dlg.m_strRequired, Size(8000));
        EXPECT_EQ(dlg.m_strAvailable, Size(dlg.m_dwFreeSpace - 8000));
        list.ClickCheckBox(0);
        EXPECT_EQ(dlg.m_strRequired, Size(9536));
        EXPECT_EQ(Label(1020).toStdU16String(), Size(9536).Str());
        EXPECT_EQ(Label(1021).toStdU16String(), Size(dlg.m_dwFreeSpace - 9536).Str());
        list.ClickCheckBox(2);
        EXPECT_EQ(dlg.m_strRequired, Size(6536));

        // Selecting shows the description; a click into empty space leaves it.
        list.ClickItem(2);
        EXPECT_EQ(Label(1022), QString::fromUtf8("Zeta 的说明"));
        list.ClickItem(-1);
        EXPECT_EQ(Label(1022), QString::fromUtf8("Zeta 的说明"));
        list.ClickItem(1);
        EXPECT_EQ(dlg.m_strDescription, CString(u"Mid 的说明"));

        // The figure of too little room is the deficit after a minus sign.
        dlg.m_dwFreeSpace = 1000;
        list.ClickCheckBox(2);
        EXPECT_EQ(dlg.m_strAvailable, u"-" + Size(9536 - 1000));
        Click(MainDialog(), "2");  // Cancel
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Unchanged(), before);
    EXPECT_EQ(m_scene.DataFiles(), (std::vector<std::string>{"Gone.cab", "Mid.cab", "Zeta.cab"}));
    EXPECT_EQ(dlg.m_arrApps.GetSize(), 0) << "Cancel releases the records";
}

TEST_F(BackupDialogTest, SmallCaseShowsItsFigures)
{
    // One backed-up application of 1536 bytes on a handheld with 10240 bytes free.
    ASSERT_TRUE(m_scene.Start());
    CBackupDlg dlg;
    RunLoaded(dlg, [&] {
        dlg.m_dwFreeSpace = 10240;
        dlg.m_list.ClickCheckBox(1);  // Mid off
        dlg.m_list.ClickCheckBox(2);  // Zeta off
        dlg.m_list.ClickCheckBox(0);  // alpha on
        EXPECT_EQ(dlg.m_strRequired, CString(u"1.5 K"));
        EXPECT_EQ(dlg.m_strAvailable, CString(u"8.5 K"));
        Click(MainDialog(), "2");
    });
}

TEST_F(BackupDialogTest, OkCopiesAndDeletesExactlyTheChangedRowsAndWritesTheIndex)
{
    ASSERT_TRUE(m_scene.Start());
    CBackupDlg dlg;
    INT_PTR result = RunLoaded(dlg, [&] {
        dlg.m_list.ClickCheckBox(0);  // alpha newly ticked
        dlg.m_list.ClickCheckBox(1);  // Mid newly unticked
        Click(MainDialog(), "1");
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_scene.DataFiles(), (std::vector<std::string>{"Gone.cab", "Zeta.cab", "alpha.cab"}));
    EXPECT_EQ(TestFolder::ReadHostFile(m_scene.Handheld("Data/alpha.cab")),
              TestFolder::ReadHostFile(m_scene.DesktopPackage("B2", "alpha.cab")));
    // Zeta's copy was not rewritten: it still holds the scene's 100 bytes.
    EXPECT_EQ(TestFolder::ReadHostFile(m_scene.Handheld("Data/Zeta.cab")).size(), 100u);
    // Catalogue order; Gone has no row and stays listed.
    using Index = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(m_scene.HandheldIndex(), (Index{{"Zeta", "Zeta.cab"}, {"alpha", "alpha.cab"}, {"Gone", "Gone.cab"}}));
    EXPECT_EQ(dlg.m_arrApps.GetSize(), 0) << "OK releases the records";
}

TEST_F(BackupDialogTest, IndexListsOnlyWhatTheHandheldReallyHolds)
{
    ASSERT_TRUE(m_scene.Start());
    // Mid's copy cannot be deleted (a folder stands in its place).
    std::filesystem::remove(m_scene.Handheld("Data/Mid.cab"));
    std::filesystem::create_directories(m_scene.Handheld("Data/Mid.cab/inside"));
    CBackupDlg dlg;
    RunLoaded(dlg, [&] {
        // alpha's package goes away after the load: its copy fails.
        std::filesystem::remove(m_scene.DesktopPackage("B2", "alpha.cab"));
        dlg.m_list.ClickCheckBox(0);
        dlg.m_list.ClickCheckBox(1);
        Click(MainDialog(), "1");
    });
    using Index = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(m_scene.HandheldIndex(), (Index{{"Zeta", "Zeta.cab"}, {"Mid", "Mid.cab"}, {"Gone", "Gone.cab"}}));
    EXPECT_FALSE(std::filesystem::exists(m_scene.Handheld("Data/alpha.cab")));
}

TEST_F(BackupDialogTest, CloseBoxAfterTickingChangesNothing)
{
    ASSERT_TRUE(m_scene.Start());
    const std::string before = Unchanged();
    CBackupDlg dlg;
    INT_PTR result = RunLoaded(dlg, [&] {
        dlg.m_list.ClickCheckBox(0);
        dlg.m_list.ClickCheckBox(1);
        MainDialog()->close();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Unchanged(), before);
    EXPECT_EQ(m_scene.DataFiles(), (std::vector<std::string>{"Gone.cab", "Mid.cab", "Zeta.cab"}));
    EXPECT_EQ(dlg.m_arrApps.GetSize(), 0);
}

TEST_F(BackupDialogTest, HandheldWithoutIndexIgnoresAnEarlierRunsLocalCopy)
{
    ASSERT_TRUE(m_scene.Start({true, true, false}));
    // An earlier run left a local copy that lists alpha.
    CBackupDlg writer;
    auto* stale = new CAppEntry;
    stale->m_strAppName = u"alpha";
    stale->m_cabName.m_strName = u"alpha.cab";
    stale->m_bTicked = TRUE;
    writer.m_arrApps.Add(stale);
    writer.WriteBackupIndex(CBackupDlg::GetLocalIndexPath());

    CBackupDlg dlg;
    RunLoaded(dlg, [&] {
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(dlg.m_list.GetCheck(i)) << i;
        Click(MainDialog(), "2");
    });
}

// Records what the notice dialog's progress line and bar show each time the apply reports.
class ProgressDlg : public CBackupDlg {
public:
    std::vector<QString> lines;
    std::vector<int> bars;
    std::vector<int> maxima;

protected:
    void ShowProgress(DWORD dwDone, DWORD dwTotal, const CString& strPackage) override
    {
        CBackupDlg::ShowProgress(dwDone, dwTotal, strPackage);
        QDialog* notice = Visible("正在从移动设备上获取数据");
        auto* line = notice ? notice->findChild<QLabel*>("1002") : nullptr;
        lines.push_back(line ? line->text() : QStringLiteral("<no notice>"));
        auto* bar = notice ? notice->findChild<QProgressBar*>("1003") : nullptr;
        bars.push_back(bar ? bar->value() : -1);
        maxima.push_back(bar ? bar->maximum() : -1);
    }
};

TEST_F(BackupDialogTest, NoticeShowsProgressWhileOkCopies)
{
    ASSERT_TRUE(m_scene.Start());
    ProgressDlg dlg;
    RunLoaded(dlg, [&] {
        dlg.m_list.ClickCheckBox(0);
        Click(MainDialog(), "1");
    });
    EXPECT_EQ(dlg.lines, (std::vector<QString>{QStringLiteral("0%  alpha"), QStringLiteral("100%  alpha"),
                                                QStringLiteral("100%")}));
    // The bar counts thousandths of the bytes to copy.
    EXPECT_EQ(dlg.bars, (std::vector<int>{0, 1000, 1000}));
    EXPECT_EQ(dlg.maxima, (std::vector<int>{1000, 1000, 1000}));
    EXPECT_EQ(CWaitDlg::ProgressText(768, 1536, u"记事本"), CString(u"50%  记事本"));
    EXPECT_EQ(CWaitDlg::ProgressText(0, 0, u""), CString(u"100%"));
    EXPECT_EQ(m_scene.DataFiles(), (std::vector<std::string>{"Gone.cab", "Mid.cab", "Zeta.cab", "alpha.cab"}));
}

TEST_F(BackupDialogTest, CopyToTheHandheldReportsEveryBlock)
{
    ASSERT_TRUE(m_scene.Start());
    const std::string source = m_scene.device.Folder() + "/ten-thousand";
    TestFolder::WriteHostFile(source, std::string(10000, 'x'));
    ASSERT_GE(ConnectDevice(), 0);
    std::vector<DWORD> reported;
    const auto record = [](DWORD dwCopied, void* pContext) {
        static_cast<std::vector<DWORD>*>(pContext)->push_back(dwCopied);
    };
    EXPECT_TRUE(CopyFileToDevice(FromUtf8(source), u"\\Storage Card\\Backup\\Data\\big.cab", record, &reported));
    CeRapiUninit();
    EXPECT_EQ(reported, (std::vector<DWORD>{4096, 8192, 10000}));
    EXPECT_EQ(TestFolder::ReadHostFile(m_scene.Handheld("Data/big.cab")), std::string(10000, 'x'));
}

TEST_F(BackupDialogTest, HelpShowsTheAboutTextWithTheVersion)
{
    ASSERT_TRUE(m_scene.Start());
    CBackupDlg dlg;
    std::string help;
    RunLoaded(dlg, [&] {
        WhenReady([] { return VisibleMessageBox() != nullptr; },
                  [&] {
                      help = VisibleMessageBox()->text().toStdString();
                      Click(VisibleMessageBox(), "1");
                      Click(MainDialog(), "2");
                  });
        Click(MainDialog(), "1027");
    });
    EXPECT_NE(help.find("关于 Pelrudo 1.0.0.1"), std::string::npos) << help;
}

}  // namespace
