// The Qt side's shared state: the lazily made application, the live window handles and text helpers.
#include "platform/ui/detail/WindowState.h"

#include "platform/ui/detail/ListView.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <set>
#include <unistd.h>

namespace pelrudo::ui {
namespace {

std::set<HWND>& LiveHandles()
{
    static std::set<HWND> handles;
    return handles;
}

}  // namespace

bool EnsureApplication()
{
    if (QApplication::instance()) return true;
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) return false;
    static int argc = 1;
    static std::string name = Utf16ToUtf8(ProgramName());
    static char* argv[] = {name.data(), nullptr};
    // Kept for the life of the process: programs never tear the window system down.
    static QApplication* application = new QApplication(argc, argv);
    return application != nullptr;
}

HWND NewHandle(QWidget* widget, int id, HWND parent, DWORD style)
{
    HWND handle = new HWND__;
    handle->widget = widget;
    handle->id = id;
    handle->parent = parent;
    handle->style = style;
    if (parent) parent->children[id] = handle;
    LiveHandles().insert(handle);
    return handle;
}

bool IsLiveHandle(HWND hWnd) { return hWnd && LiveHandles().count(hWnd) != 0; }

void DestroyHandle(HWND hWnd)
{
    if (!IsLiveHandle(hWnd)) return;
    for (auto& [id, child] : hWnd->children) DestroyHandle(child);
    for (auto& [id, timer] : hWnd->timers) {
        timer->stop();
        timer->deleteLater();
    }
    LiveHandles().erase(hWnd);
    if (hWnd->wnd && hWnd->wnd->m_hWnd == hWnd) hWnd->wnd->m_hWnd = nullptr;
    // The list keeps its rows; its widget goes with the window.
    if (auto* view = dynamic_cast<ListView*>(hWnd->widget.data())) view->Attach(nullptr);
    if (!hWnd->parent && hWnd->widget) {
        hWnd->widget->hide();
        hWnd->widget->deleteLater();
    }
    delete hWnd;
}

std::u16string Wide(const char16_t* text) { return text ? std::u16string(text) : std::u16string(); }

std::u16string Wide(const char* text) { return text ? AnsiToUtf16(text) : std::u16string(); }

CString FromWide(std::u16string_view text)
{
#ifdef PELRUDO_NARROW
    return CString(Utf16ToAnsi(text).c_str());
#else
    return CString(text);
#endif
}

QString WithoutMnemonics(std::u16string_view text)
{
    std::u16string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return ToQt(shown);
}

std::u16string ProgramName()
{
    char path[4096] = {};
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string name = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string("program");
    name = name.substr(name.find_last_of('/') + 1);
    std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    return Utf8ToUtf16(name);
}

}  // namespace pelrudo::ui
