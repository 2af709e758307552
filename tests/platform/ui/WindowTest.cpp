// Tests of the window layer driving the real widgets under Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "platform/CDataExchange.h"
#include "platform/CPaintDC.h"
#include "platform/CRect.h"
#include "platform/CDialog.h"
#include "platform/CListCtrl.h"
#include "platform/CWinApp.h"
#include "platform/IconApi.h"
#include "platform/Text.h"
#include "platform/WindowApi.h"
#include "platform/ui/detail/IconImage.h"
#include "platform/ui/detail/ListView.h"

namespace {

class TestApp : public CWinApp {
public:
    int helpCommands = 0;

protected:
    void OnHelpCommand() { ++helpCommands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelpCommand)
END_MESSAGE_MAP()

TestApp theApp;

constexpr UINT WM_LOAD = WM_USER + 1;
constexpr UINT WM_APPLY = WM_USER + 2;

// Template 200 of test.rc: a static 1015, the list 1016, the texts 1022, OK, Cancel and Help 1027.
class TestDlg : public CDialog {
public:
    TestDlg() : CDialog(200) {}

    std::vector<std::string> log;
    std::function<void(TestDlg&)> onInit;
    std::function<void(TestDlg&, UINT_PTR)> onTimer;
    CListCtrl m_list;
    CString m_strDescription;
    struct Notice {
        int item;
        UINT changed, oldState, newState;
        LPARAM data;
    };
    std::vector<Notice> notices;

    QDialog* Widget() const { return Top(); }
    static QDialog* Top()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = dynamic_cast<QDialog*>(w); dialog && dialog->isVisible() && !dynamic_cast<QMessageBox*>(w))
                return dialog;
        return nullptr;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, 1016, m_list);
        DDX_Text(pDX, 1022, m_strDescription);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        return TRUE;
    }
    void OnTimer(UINT_PTR nIDEvent)
    {
        log.push_back("timer " + std::to_string(nIDEvent));
        if (onTimer) onTimer(*this, nIDEvent);
        CDialog::OnTimer(nIDEvent);
    }
    void OnClose()
    {
        log.push_back("close");
        CDialog::OnClose();
    }
    LRESULT OnLoad(WPARAM wParam, LPARAM)
    {
        log.push_back("load " + std::to_string(wParam));
        return 0;
    }
    LRESULT OnApply(WPARAM wParam, LPARAM)
    {
        log.push_back("apply " + std::to_string(wParam));
        return 7;
    }
    void OnHelpButton() { log.push_back("help button"); }
    void OnItemChanged(NMHDR* header, LRESULT* result)
    {
        const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
        notices.push_back({nm->iItem, nm->uChanged, nm->uOldState, nm->uNewState, nm->lParam});
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDlg, CDialog)
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_MESSAGE(WM_LOAD, OnLoad)
    ON_MESSAGE(WM_APPLY, OnApply)
    ON_BN_CLICKED(1027, OnHelpButton)
    ON_NOTIFY(LVN_ITEMCHANGED, 1016, OnItemChanged)
END_MESSAGE_MAP()

// Runs fn once the modal loop is running.
void Later(std::function<void()> fn, int ms = 0) { QTimer::singleShot(ms, qApp, std::move(fn)); }

TEST(Window, ApplicationNamesComeFromTheProgram)
{
    ASSERT_EQ(AfxGetApp(), &theApp);
    EXPECT_EQ(std::u16string(theApp.m_pszAppName), u"WindowTest");
    EXPECT_EQ(std::u16string(theApp.m_pszExeName), u"WindowTest");
    EXPECT_TRUE(theApp.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_STREQ(theApp.GetRuntimeClass()->m_lpszClassName, "CWinApp");
}

TEST(Window, DialogIsBuiltFromItsTemplateInDialogUnits)
{
    TestDlg dlg;
    bool checked = false;
    dlg.onInit = [&](TestDlg& d) {
        Later([&] {
            QDialog* widget = d.Widget();
            ASSERT_NE(widget, nullptr);
            checked = true;
            EXPECT_EQ(widget->windowTitle(), QString::fromUtf8("Tavrimo's Pelrudo"));
            QString family = QFontInfo(widget->font()).family();
            EXPECT_TRUE(family.contains("CJK") || family.contains("WenQuanYi")) << family.toStdString();
            QFontMetrics metrics(widget->font());
            int cx = (metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
            int cy = metrics.height();
            auto px = [&](int du, int unit, int per) { return (du * unit + per / 2) / per; };
            struct Case {
                const char* id;
                int x, y, w, h;
            } cases[] = {{"1", 49, 198, 50, 13}, {"1016", 7, 52, 206, 67}, {"1027", 160, 198, 53, 13}};
            for (const Case& c : cases) {
                SCOPED_TRACE(c.id);
                auto* control = widget->findChild<QWidget*>(c.id);
                ASSERT_NE(control, nullptr);
                EXPECT_EQ(control->geometry(), QRect(px(c.x, cx, 4), px(c.y, cy, 8), px(c.w, cx, 4), px(c.h, cy, 8)));
            }
            EXPECT_EQ(widget->size(), QSize(px(220, cx, 4), px(218, cy, 8)));
            auto* ok = widget->findChild<QPushButton*>("1");
            ASSERT_NE(ok, nullptr);
            EXPECT_EQ(ok->text(), QString::fromUtf8("确定"));
            EXPECT_TRUE(ok->isDefault());
            auto* help = widget->findChild<QPushButton*>("1027");
            EXPECT_EQ(help->text(), QString::fromUtf8("帮助(&H)"));
            auto* label = widget->findChild<QLabel*>("1015");
            EXPECT_EQ(label->text(), QString::fromUtf8("如要在移动设备上备份某个程序"));
            d.EndDialog(IDOK);
        });
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(checked);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dlg.m_list.GetSafeHwnd(), nullptr);
}

TEST(Window, TimersTickThroughTheHandlerUntilKilled)
{
    TestDlg dlg;
    dlg.onInit = [](TestDlg& d) { EXPECT_EQ(d.SetTimer(1, 10, nullptr), 1u); };
    dlg.onTimer = [](TestDlg& d, UINT_PTR id) {
        if (d.log.size() < 3) return;
        EXPECT_TRUE(d.KillTimer(id));
        EXPECT_FALSE(d.KillTimer(id));
        Later([&d] { d.EndDialog(IDOK); }, 50);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"timer 1", "timer 1", "timer 1"}));
}

TEST(Window, SentMessagesRunAtOncePostedOnesFromTheLoop)
{
    TestDlg dlg;
    LRESULT sent = 0;
    dlg.onInit = [&](TestDlg& d) {
        EXPECT_TRUE(d.PostMessage(WM_LOAD, 1, 0));
        sent = d.SendMessage(WM_APPLY, 2, 0);
        d.log.push_back("init done");
        EXPECT_EQ(d.SendMessage(WM_USER + 50), 0);  // no handler: default processing
        Later([&d] { d.EndDialog(IDOK); });
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(sent, 7);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"apply 2", "init done", "load 1"}));
}

TEST(Window, CloseRequestsCancelTheDialog)
{
    struct Case {
        const char* how;
        std::function<void(TestDlg&)> close;
    } cases[] = {
        {"posted WM_CLOSE", [](TestDlg& d) { d.PostMessage(WM_CLOSE); }},
        {"close box", [](TestDlg& d) { Later([&d] { d.Widget()->close(); }); }},
        {"Escape", [](TestDlg& d) { Later([&d] { QTest::keyClick(d.Widget(), Qt::Key_Escape); }); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        TestDlg dlg;
        dlg.onInit = c.close;
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        bool viaClose = std::string(c.how) != "Escape";
        EXPECT_EQ(dlg.log, viaClose ? std::vector<std::string>{"close"} : std::vector<std::string>{});
    }
}

TEST(Window, EnterPressesTheDefaultButtonAndOkExchangesData)
{
    TestDlg dlg;
    dlg.m_strDescription = u"before";
    dlg.onInit = [](TestDlg& d) {
        CString shown;
        d.GetDlgItemText(1022, shown);
        EXPECT_EQ(shown, u"before");  // OnInitDialog exchanged the member into the control
        d.SetDlgItemText(1022, u"程序说明 text");
        Later([&d] { QTest::keyClick(d.Widget(), Qt::Key_Return); });
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_strDescription, u"程序说明 text");
}

TEST(Window, ButtonsSendCommandsAndUnhandledOnesReachTheApplication)
{
    TestDlg dlg;
    int before = theApp.helpCommands;
    dlg.onInit = [](TestDlg& d) {
        Later([&d] {
            d.Widget()->findChild<QPushButton*>("1027")->click();
            d.SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED), 0);
            d.Widget()->findChild<QPushButton*>("2")->click();
        });
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"help button"});
    EXPECT_EQ(theApp.helpCommands, before + 1);
}

TEST(Window, EndDialogDuringInitNeverShowsTheDialog)
{
    TestDlg dlg;
    dlg.onInit = [](TestDlg& d) { d.EndDialog(42); };
    EXPECT_EQ(dlg.DoModal(), 42);
    CDialog missing(999);
    EXPECT_EQ(missing.DoModal(), -1);
}

// The active message box, read and answered from inside its own loop.
struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

void AnswerBox(BoxSeen* seen, const char* press)
{
    Later([seen, press] {
        auto* box = dynamic_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen->buttons << b->objectName();
        if (std::string(press) == "escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->findChild<QPushButton*>(press)->click();
    });
}

TEST(Window, MessageBoxesShowTheProgramNameAndReturnThePressedButton)
{
    struct Case {
        UINT type;
        const char* press;
        int result;
        QMessageBox::Icon icon;
        QStringList buttons;
    } cases[] = {
        {MB_OK, "1", IDOK, QMessageBox::NoIcon, {"1"}},
        {MB_OK, "escape", IDOK, QMessageBox::NoIcon, {"1"}},
        {MB_OKCANCEL | MB_ICONEXCLAMATION, "escape", IDCANCEL, QMessageBox::Warning, {"1", "2"}},
        {MB_YESNO | MB_ICONQUESTION, "7", IDNO, QMessageBox::Question, {"6", "7"}},
        {MB_YESNOCANCEL | MB_ICONHAND, "6", IDYES, QMessageBox::Critical, {"6", "7", "2"}},
        {MB_RETRYCANCEL | MB_ICONASTERISK, "4", IDRETRY, QMessageBox::Information, {"4", "2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SCOPED_TRACE(c.press);
        BoxSeen seen;
        AnswerBox(&seen, c.press);
        EXPECT_EQ(AfxMessageBox(u"程序无法正确运行，请确认您是否已经与PocketPC相连!", c.type), c.result);
        EXPECT_EQ(seen.title, QStringLiteral("WindowTest"));
        EXPECT_EQ(seen.text, QString::fromUtf8("程序无法正确运行，请确认您是否已经与PocketPC相连!"));
        EXPECT_EQ(seen.icon, c.icon);
        QStringList sortedSeen = seen.buttons;
        QStringList sortedWanted = c.buttons;
        sortedSeen.sort();
        sortedWanted.sort();
        EXPECT_EQ(sortedSeen, sortedWanted);
    }
    BoxSeen seen;
    AnswerBox(&seen, "1");
    EXPECT_EQ(MessageBox(nullptr, u"Please setup Microsoft ActiveSync first!", u"Setup", MB_OK), IDOK);
    EXPECT_EQ(seen.title, QStringLiteral("Setup"));
}

TEST(Window, MessageBoxOwnedByTheDialogDefaultsToTheProgramName)
{
    TestDlg dlg;
    BoxSeen seen;
    int result = 0;
    dlg.onInit = [&](TestDlg& d) {
        Later([&] {
            AnswerBox(&seen, "1");
            result = d.MessageBox(u"text");
            d.EndDialog(IDOK);
        });
    };
    dlg.DoModal();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.title, QStringLiteral("WindowTest"));
}

TEST(Window, ListViewMirrorsTheListAndReportsClicksAndSpace)
{
    TestDlg dlg;
    dlg.onInit = [](TestDlg& d) {
        CListCtrl& list = d.m_list;
        list.InsertColumn(0, u"AppName", LVCFMT_LEFT, 500);
        list.InsertColumn(1, u"Size", LVCFMT_RIGHT);
        list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES);
        for (const char16_t* name : {u"Zeta", u"alpha", u"Beta"}) {
            int at = list.InsertItem(list.GetItemCount(), name, 0);
            list.SetItemData(at, static_cast<DWORD_PTR>(name[0]));
            list.SetItemText(at, 1, u"1.5 K");
        }
        d.notices.clear();
        list.SetColumnWidth(1, LVSCW_AUTOSIZE);
        RECT rc{};
        list.GetClientRect(&rc);
        EXPECT_GT(rc.right, 0);
        list.SetColumnWidth(0, rc.right - list.GetColumnWidth(1));
        Later([&d] {
            auto* view = d.Widget()->findChild<ListView*>("1016");
            ASSERT_NE(view, nullptr);
            QAbstractItemModel* model = view->model();
            ASSERT_EQ(model->rowCount(), 3);
            EXPECT_EQ(model->data(model->index(0, 0)).toString(), QStringLiteral("alpha"));
            EXPECT_EQ(model->data(model->index(2, 0)).toString(), QStringLiteral("Zeta"));
            EXPECT_EQ(model->data(model->index(1, 1)).toString(), QStringLiteral("1.5 K"));
            EXPECT_EQ(model->data(model->index(1, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->CheckBoxRect(1).center());
            EXPECT_EQ(model->data(model->index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(model->index(2, 1)).center());
            QTest::keyClick(view, Qt::Key_Space);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(model->index(0, 1)).center());
            d.EndDialog(IDOK);
        });
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    constexpr UINT un = 0x1000, ch = 0x2000, sf = LVIS_SELECTED | LVIS_FOCUSED;
    struct Want {
        int item;
        UINT oldState, newState;
        LPARAM data;
    } wanted[] = {{1, un, ch, u'B'}, {2, un, un | sf, u'Z'}, {2, un | sf, ch | sf, u'Z'}, {2, ch | sf, ch, u'Z'},
                  {0, un, un | sf, u'a'}};
    ASSERT_EQ(dlg.notices.size(), std::size(wanted));
    for (std::size_t i = 0; i < std::size(wanted); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dlg.notices[i].item, wanted[i].item);
        EXPECT_EQ(dlg.notices[i].changed, LVIF_STATE);
        EXPECT_EQ(dlg.notices[i].oldState, wanted[i].oldState);
        EXPECT_EQ(dlg.notices[i].newState, wanted[i].newState);
        EXPECT_EQ(dlg.notices[i].data, wanted[i].data);
    }
    // The rows outlive the window, in the object.
    EXPECT_EQ(dlg.m_list.GetItemCount(), 3);
    EXPECT_TRUE(dlg.m_list.GetCheck(1));
}

TEST(Window, IconsDecodeInEveryForm)
{
    std::u16string path = Utf8ToUtf16(std::string(PELRUDO_TEST_SOURCE) + "/forms.ico");
    struct Case {
        int size;
        QRgb corner;  // top-left pixel
        QRgb last;    // bottom-right pixel
    } cases[] = {{16, qRgb(0, 255, 0), qRgb(0, 255, 0)},
                 {20, qRgb(255, 0, 0), qRgb(255, 0, 0)},
                 {24, qRgba(255, 255, 0, 255), qRgba(255, 255, 0, 0)},
                 {48, qRgb(0, 128, 0), qRgb(0, 128, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        auto icon = static_cast<HICON>(LoadImage(nullptr, path.c_str(), IMAGE_ICON, c.size, c.size, LR_LOADFROMFILE));
        ASSERT_NE(icon, nullptr);
        QImage image = pelrudo::ui::IconImage(*icon);
        ASSERT_EQ(image.size(), QSize(c.size, c.size));
        EXPECT_EQ(image.pixel(0, 0), c.corner);
        QRgb last = image.pixel(c.size - 1, c.size - 1);
        EXPECT_EQ(qAlpha(last), qAlpha(c.last));
        if (qAlpha(c.last)) {
            EXPECT_EQ(last, c.last);
        }
        DestroyIcon(icon);
    }
}

TEST(Window, ProgressBarFollowsRangeAndPositionMessages)
{
    CDialog dlg(132);
    QProgressBar* bar = nullptr;
    struct Case {
        int low, high;
        WPARAM pos;
        int shown;
    };
    const Case cases[] = {{0, 1000, 250, 250}, {0, 5000, 5000, 5000}, {100, 200, 50, 100}, {0, 1000, 4000, 1000}};
    std::vector<int> shown, returned;
    LRESULT toStatic = -1;
    Later([&] {
        QDialog* widget = TestDlg::Top();
        bar = widget ? widget->findChild<QProgressBar*>("1003") : nullptr;
        if (bar) {
            for (const Case& c : cases) {
                dlg.SendDlgItemMessage(1003, PBM_SETRANGE32, static_cast<WPARAM>(c.low), c.high);
                returned.push_back(static_cast<int>(dlg.SendDlgItemMessage(1003, PBM_SETPOS, c.pos)));
                shown.push_back(bar->value());
            }
        }
        toStatic = dlg.SendDlgItemMessage(1001, PBM_SETPOS, 10);
        dlg.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    ASSERT_NE(bar, nullptr);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i], cases[i].shown);
        EXPECT_GE(shown[i], cases[i].low);
        EXPECT_LE(shown[i], cases[i].high);
    }
    // PBM_SETPOS answers the position before it, moved into the range that was just set.
    EXPECT_EQ(returned, (std::vector<int>{0, 250, 200, 100}));
    EXPECT_EQ(toStatic, 0);
    EXPECT_EQ(dlg.SendDlgItemMessage(4242, PBM_SETPOS, 1), 0);
}

// A dialog that draws icon 128 centred, as the programs do while minimised.
class IconDlg : public CDialog {
public:
    IconDlg() : CDialog(131) { m_hIcon = AfxGetApp()->LoadIcon(128); }
    ~IconDlg() override { DestroyIcon(m_hIcon); }
    BOOL drawn = FALSE;

protected:
    void OnPaint()
    {
        CPaintDC dc(this);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
        drawn = dc.DrawIcon(x, y, m_hIcon);
    }
    HCURSOR OnQueryDragIcon() { return m_hIcon; }
    DECLARE_MESSAGE_MAP()

private:
    HICON m_hIcon;
};

BEGIN_MESSAGE_MAP(IconDlg, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

TEST(Window, PaintHandlerDrawsTheIconThroughAPaintDC)
{
    IconDlg dlg;
    QImage shot;
    LRESULT dragIcon = 0;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* widget = TestDlg::Top();
        ASSERT_NE(widget, nullptr);
        shot = widget->grab().toImage();
        dragIcon = dlg.SendMessage(WM_QUERYDRAGICON);
        dlg.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(dlg.drawn);
    ASSERT_FALSE(shot.isNull());
    // The icon's top row lies above the static text that covers the rest of it.
    EXPECT_EQ(shot.pixel(shot.width() / 2, (shot.height() - 32 + 1) / 2 + 1), qRgb(0, 0, 255));
    EXPECT_NE(shot.pixel(2, 2), qRgb(0, 0, 255));
    EXPECT_NE(dragIcon, 0);
    CPaintDC outside(&dlg);  // no paint event: nothing to draw on
    HICON icon = AfxGetApp()->LoadIcon(128);
    EXPECT_FALSE(outside.DrawIcon(0, 0, icon));
    DestroyIcon(icon);
}

}  // namespace
