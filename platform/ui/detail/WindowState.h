// WindowState: what the Qt side keeps for each window handle, and the helpers its sources share.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

#include "platform/CDialog.h"
#include "platform/CListCtrl.h"
#include "platform/CWinApp.h"
#include "platform/CWnd.h"
#include "platform/Text.h"

class QTimer;

// A window: the widget, its control id and parent, the object that handles its messages (a bound
// object, or one the layer made on demand and owns), its raw text and its timers.
struct HWND__ {
    CWnd* wnd = nullptr;
    std::unique_ptr<CWnd> temporary;
    QPointer<QWidget> widget;
    int id = 0;
    HWND__* parent = nullptr;
    DWORD style = 0;
    std::u16string text;
    bool painting = false;  // inside the widget's paint event, where a CPaintDC may draw
    std::map<UINT_PTR, QTimer*> timers;
    std::map<int, HWND__*> children;  // a dialog's controls by id
};

// Private members of the window classes, for the layer's Qt side.
struct WindowAccess {
    static void SetView(CListCtrl& list, ListCtrlView* view) { list.m_pView = view; }
    static void SetStyle(CListCtrl& list, DWORD style) { list.m_dwStyle = style; }
    static HICON& Icon(CWnd& wnd, BOOL big) { return big ? wnd.m_hIconBig : wnd.m_hIconSmall; }
};

namespace pelrudo::ui {

// Makes Qt's application at the first need; false when there is no display to open
// (no QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY).
bool EnsureApplication();

// Handles: made with a widget, checked before use (a posted message may outlive its window).
HWND NewHandle(QWidget* widget, int id, HWND parent, DWORD style);
bool IsLiveHandle(HWND hWnd);
// Forgets the handle and its controls, unbinding their objects and deleting the widget later.
void DestroyHandle(HWND hWnd);

// Platform text (TCHAR) to and from UTF-16 and Qt.
std::u16string Wide(const char16_t* text);
std::u16string Wide(const char* text);
CString FromWide(std::u16string_view text);
inline QString ToQt(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}
inline std::u16string FromQt(const QString& text) { return text.toStdU16String(); }
// A static's text as shown: "&x" marks a mnemonic (dropped), "&&" is one '&'.
QString WithoutMnemonics(std::u16string_view text);

// The program's name: the executable's file name without extension.
std::u16string ProgramName();

}  // namespace pelrudo::ui
