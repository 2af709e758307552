// Message boxes over QMessageBox, with the platform's buttons, icons, results and default caption.
#include <QMessageBox>
#include <QPushButton>

#include <iostream>
#include <vector>

#include "platform/ResourceApi.h"
#include "platform/WindowApi.h"
#include "platform/ui/detail/WindowState.h"

using namespace pelrudo::ui;

namespace {

struct Button {
    int id;
    const char16_t* text;
};

std::vector<Button> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, u"确定"}, {IDCANCEL, u"取消"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"中止(&A)"}, {IDRETRY, u"重试(&R)"}, {IDIGNORE, u"忽略(&I)"}};
    case MB_YESNOCANCEL: return {{IDYES, u"是(&Y)"}, {IDNO, u"否(&N)"}, {IDCANCEL, u"取消"}};
    case MB_YESNO: return {{IDYES, u"是(&Y)"}, {IDNO, u"否(&N)"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"重试(&R)"}, {IDCANCEL, u"取消"}};
    default: return {{IDOK, u"确定"}};
    }
}

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Escape and the close box: Cancel when there is one, else the only button; MB_YESNO and
// MB_ABORTRETRYIGNORE cannot be escaped.
int EscapeResult(const std::vector<Button>& buttons)
{
    for (const Button& b : buttons)
        if (b.id == IDCANCEL) return IDCANCEL;
    return buttons.size() == 1 ? buttons[0].id : 0;
}

std::u16string Caption(const std::u16string& given, bool null)
{
    if (!null) return given;
    CWinApp* app = AfxGetApp();
    return app && app->m_pszAppName ? Wide(app->m_pszAppName) : ProgramName();
}

}  // namespace

int MessageBox(HWND hWnd, LPCTSTR lpText, LPCTSTR lpCaption, UINT uType)
{
    std::u16string caption = Caption(Wide(lpCaption), lpCaption == nullptr);
    std::u16string text = Wide(lpText);
    std::vector<Button> buttons = ButtonsOf(uType);
    std::size_t defaultIndex = std::min<std::size_t>((uType & MB_DEFMASK) >> 8, buttons.size() - 1);
    if (!EnsureApplication()) {
        // No display to show it on: the user still reads it on standard error.
        std::cerr << Utf16ToUtf8(caption) << ": " << Utf16ToUtf8(text) << std::endl;
        return buttons[defaultIndex].id;
    }
    QWidget* owner = IsLiveHandle(hWnd) ? hWnd->widget.data() : nullptr;
    QMessageBox box(IconOf(uType), ToQt(caption), ToQt(text), QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("PelrudoMessageBox"));
    box.setTextFormat(Qt::PlainText);
    std::vector<QPushButton*> pushButtons;
    for (const Button& b : buttons) {
        QPushButton* button = box.addButton(ToQt(b.text), QMessageBox::AcceptRole);
        button->setObjectName(QString::number(b.id));
        pushButtons.push_back(button);
    }
    box.setDefaultButton(pushButtons[defaultIndex]);
    int escape = EscapeResult(buttons);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i].id == escape) box.setEscapeButton(pushButtons[i]);
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == pushButtons[i]) return buttons[i].id;
    return escape ? escape : buttons[defaultIndex].id;
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    CWnd* main = AfxGetMainWnd();
    return MessageBox(main ? main->GetSafeHwnd() : nullptr, lpszText, nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    TCHAR text[1024] = {};
    LoadString(AfxGetResourceHandle(), nIDPrompt, text, 1024);
    return AfxMessageBox(text, nType, nIDHelp);
}
