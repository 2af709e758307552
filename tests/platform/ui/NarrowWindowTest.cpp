// Tests of the narrow build of the window layer (CString in the code page 936) with Chinese text.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <string>

#include "platform/CDialog.h"
#include "platform/CListCtrl.h"
#include "platform/CWinApp.h"
#include "platform/WindowApi.h"

static_assert(sizeof(TCHAR) == 1, "this test is built narrow");

namespace {

class NarrowApp : public CWinApp {};
NarrowApp theApp;

// 正在 and 确定 in code page 936.
const char kBusy[] = "\xD5\xFD\xD4\xDA";
const char kOk[] = "\xC8\xB7\xB6\xA8";

class NoticeDlg : public CDialog {
public:
    NoticeDlg() : CDialog(131) {}
    CString seen;
    QString shown;
    QString caption;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetDlgItemText(1001, kBusy);
        SetWindowText(kOk);
        QTimer::singleShot(0, qApp, [this] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* label = w->findChild<QLabel*>("1001"); label && w->isVisible()) {
                    shown = label->text();
                    caption = w->windowTitle();
                }
            GetDlgItemText(1001, seen);
            EndDialog(IDOK);
        });
        return TRUE;
    }
};

TEST(NarrowWindow, TextCrossesToTheWidgetsThroughTheCodePage)
{
    EXPECT_STREQ(theApp.m_pszAppName, "NarrowWindowTest");
    NoticeDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.shown, QString::fromUtf8("正在"));
    EXPECT_EQ(dlg.caption, QString::fromUtf8("确定"));
    EXPECT_EQ(dlg.seen, kBusy);
}

TEST(NarrowWindow, MessageBoxShowsNarrowChineseText)
{
    QString text, title;
    QTimer::singleShot(0, qApp, [&] {
        auto* box = dynamic_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        box->findChild<QPushButton*>("1")->click();
    });
    EXPECT_EQ(MessageBox(nullptr, kOk, nullptr, MB_OK), IDOK);
    EXPECT_EQ(text, QString::fromUtf8("确定"));
    EXPECT_EQ(title, QStringLiteral("NarrowWindowTest"));
}

TEST(NarrowWindow, ListSortsNarrowText)
{
    CListCtrl list;
    list.ModifyStyle(0, LVS_SORTASCENDING);
    list.InsertColumn(0, "AppName");
    EXPECT_EQ(list.InsertItem(0, "b"), 0);
    EXPECT_EQ(list.InsertItem(1, kOk), 1);  // lead bytes sort after ASCII
    EXPECT_EQ(list.InsertItem(2, "A"), 0);
    EXPECT_EQ(list.GetItemText(2, 0), kOk);
}

}  // namespace
