// Tests of CSetupApp and CSetupDlg in this process (narrow build): resources, the message box, the launch.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/IconApi.h"
#include "platform/ResourceApi.h"
#include "platform/Text.h"
#include "platform/detail/DialogTemplate.h"
#include "platform/ui/detail/WindowState.h"
#include "setup/CSetupApp.h"
#include "setup/CSetupDlg.h"
#include "tests/setup/SetupMachine.h"

static_assert(sizeof(TCHAR) == 1, "Setup is built narrow");

CSetupApp theApp;

namespace {

// What a message box showed, read while it was open.
struct SeenBox {
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString ownerCaption;
};

// Watches for message boxes while the program runs and answers each with its first button.
class BoxWatcher {
public:
    BoxWatcher()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Answer(); });
        m_timer.start();
    }
    std::vector<SeenBox> seen;

private:
    void Answer()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || !box->isVisible() || box->buttons().isEmpty()) continue;
            SeenBox s{box->text(), box->windowTitle(), box->icon(), {}, {}};
            for (QAbstractButton* button : box->buttons()) s.buttons << button->text();
            if (box->parentWidget()) s.ownerCaption = box->parentWidget()->window()->windowTitle();
            seen.push_back(s);
            box->buttons().first()->click();
        }
    }
    QTimer m_timer;
};

const BYTE* ResourceData(WORD type, WORD id, DWORD* size)
{
    HRSRC res = FindResource(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
    if (!res) return nullptr;
    *size = SizeofResource(nullptr, res);
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, res)));
}

TEST(CSetupDlgResources, Dialog102HasItsCaptionButtonsPositionsAndStyles)
{
    DWORD size = 0;
    const BYTE* data = ResourceData(RT_DIALOG, 102, &size);
    ASSERT_NE(data, nullptr);
    pelrudo::detail::DialogTemplate dlg;
    ASSERT_TRUE(pelrudo::detail::ParseDialogTemplate(data, size, &dlg));
    EXPECT_EQ(dlg.caption, u"Setup");
    EXPECT_EQ((std::vector<int>{dlg.x, dlg.y, dlg.cx, dlg.cy}), (std::vector<int>{0, 0, 320, 200}));
    const DWORD style = DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(dlg.style & style, style);
    EXPECT_EQ(dlg.exStyle & WS_EX_APPWINDOW, WS_EX_APPWINDOW);
    EXPECT_EQ(dlg.faceName, u"宋体");
    EXPECT_EQ(dlg.pointSize, 9);
    ASSERT_EQ(dlg.items.size(), 2u);
    struct Expected {
        DWORD id;
        const char16_t* text;
        std::vector<int> rect;
        DWORD type;
    };
    const Expected buttons[] = {{IDOK, u"确定", {260, 7, 50, 14}, BS_DEFPUSHBUTTON},
                                {IDCANCEL, u"取消", {260, 23, 50, 14}, BS_PUSHBUTTON}};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const auto& item = dlg.items[i];
        EXPECT_EQ(item.id, buttons[i].id);
        EXPECT_EQ(item.text, buttons[i].text);
        EXPECT_EQ((std::vector<int>{item.x, item.y, item.cx, item.cy}), buttons[i].rect);
        EXPECT_EQ(item.classOrdinal, 0x80);
        EXPECT_EQ(item.style & BS_TYPEMASK, buttons[i].type);
        EXPECT_EQ(item.style & WS_TABSTOP, WS_TABSTOP);
    }
}

TEST(CSetupDlgResources, VersionIs1001WithSetupNames)
{
    DWORD size = 0;
    const BYTE* data = ResourceData(RT_VERSION, 1, &size);
    ASSERT_NE(data, nullptr);
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(data, u"\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    const std::pair<const char16_t*, const char16_t*> strings[] = {
        {u"\\StringFileInfo\\080404b0\\InternalName", u"Setup"},
        {u"\\StringFileInfo\\080404b0\\ProductName", u"Setup 应用程序"},
    };
    for (const auto& [key, expected] : strings) {
        SCOPED_TRACE(Utf16ToUtf8(key));
        ASSERT_TRUE(VerQueryValue(data, key, &value, &length));
        // Stored as the platform stores version texts: UTF-16 whatever the program's own text is.
        EXPECT_EQ(std::u16string(static_cast<const char16_t*>(value)), expected);
    }
}

TEST(CSetupDlgResources, Icon128Has32And16PixelImages)
{
    int cx = 0, cy = 0;
    HICON big = LoadIcon(AfxGetInstanceHandle(), MAKEINTRESOURCEA(128));
    ASSERT_TRUE(GetIconSize(big, &cx, &cy));
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(cy, 32);
    DestroyIcon(big);
    auto small = static_cast<HICON>(LoadImage(AfxGetInstanceHandle(), MAKEINTRESOURCEA(128), IMAGE_ICON, 16, 16, 0));
    ASSERT_TRUE(GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);
    DestroyIcon(small);
}

class CSetupDlgTest : public SetupMachine {
protected:
    void SetUp() override
    {
        SetupMachine::SetUp();
        pelrudo::ui::EnsureApplication();
    }
};

TEST_F(CSetupDlgTest, WithoutActiveSyncShowsExactlyOneMessageAndStartsNothing)
{
    InstallRecorder();
    BoxWatcher watcher;
    EXPECT_FALSE(theApp.InitInstance());
    ASSERT_EQ(watcher.seen.size(), 1u);
    const SeenBox& box = watcher.seen[0];
    EXPECT_EQ(box.text, QStringLiteral("Please setup Microsoft ActiveSync first!"));
    // No title string: the caption is the program file's name without extension.
    EXPECT_STREQ(theApp.m_pszAppName, theApp.m_pszExeName);
    EXPECT_EQ(box.caption, QStringLiteral("CSetupDlgTest"));
    EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    EXPECT_EQ(box.buttons, QStringList{QString::fromUtf8("确定")});
    EXPECT_EQ(box.ownerCaption, QStringLiteral("Setup"));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    EXPECT_FALSE(Recorded());
}

TEST_F(CSetupDlgTest, WithTheApplicationManagerStartsItAndClosesWithoutAMessage)
{
    InstallRecorder();
    Register(kAppMgrPath);
    BoxWatcher watcher;
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_TRUE(watcher.seen.empty());
    const auto record = WaitForRecord();
    ASSERT_TRUE(record);
    ASSERT_EQ(record->args.size(), 1u);
    // This test program's folder, in Windows form, then "\setup.ini".
    const CStringW self = ToWindowsPath(std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(record->args[0], ToUtf8(self.Left(self.ReverseFind(u'\\'))) + "\\setup.ini");
}

TEST_F(CSetupDlgTest, ParameterIsTheQuotedPathOfSetupIni)
{
    const CString parameter = CSetupDlg::GetSetupIniParameter();
    ASSERT_GE(parameter.GetLength(), 2);
    EXPECT_EQ(parameter[0], '"');
    EXPECT_EQ(parameter[parameter.GetLength() - 1], '"');
    EXPECT_EQ(parameter.Find("\\setup.ini\""), parameter.GetLength() - 11);
}

TEST_F(CSetupDlgTest, AppManagerPathIsTheKeysDefaultValue)
{
    CString path("unchanged");
    EXPECT_FALSE(CSetupDlg::GetAppManagerPath(path));
    EXPECT_EQ(path, CString("unchanged"));
    Register(u"C:\\程序\\CEAppMgr.exe");
    EXPECT_TRUE(CSetupDlg::GetAppManagerPath(path));
    EXPECT_EQ(path, CString(Utf16ToAnsi(u"C:\\程序\\CEAppMgr.exe").c_str()));
}

}  // namespace
