// A file-type plug-in for the tests: every export, with probes that let a test see what it was given.
#include <algorithm>

#include "platform/CStringT.h"

namespace {

constexpr DWORD kFailed = 0xFFFFFFFFu;

struct State {
    CString path;
    const CString* pathObject = nullptr;
    DWORD lastError = 0;
    DWORD nextHandle = 5;
    DWORD closed = kFailed;
    int closeCalls = 0;
    CString iconAsked;
};

State g_state;

void CopyText(const CString& text, LPWSTR buffer)
{
    std::copy(text.View().begin(), text.View().end(), buffer);
    buffer[text.GetLength()] = 0;
}

}  // namespace

extern "C" {

DWORD _GetType()
{
    return 0x2;
}

void _GetSupport(LPWSTR buffer)
{
    CopyText(u"Test files (*.tst)|tst,TST", buffer);
}

DWORD _GetLastError()
{
    return g_state.lastError;
}

void _GetUserError(DWORD code, LPWSTR buffer)
{
    CString text;
    text.Format(u"error %u", code);
    CopyText(text, buffer);
}

// "fail" cannot be opened; "zero" opens with the handle 0; anything else gets the next handle.
DWORD _Open(CString& path)
{
    g_state.path = path;
    g_state.pathObject = &path;
    if (path == u"fail") {
        g_state.lastError = 7;
        return kFailed;
    }
    return path == u"zero" ? 0 : g_state.nextHandle++;
}

void _Close(DWORD handle)
{
    g_state.closed = handle;
    ++g_state.closeCalls;
}

LPCWSTR _GetPath(DWORD handle)
{
    return handle == kFailed ? nullptr : g_state.path.GetString();
}

// The plug-in owns its copy and may change it; the result uses all 32 bits.
UINT _GetIcon(CString extension)
{
    g_state.iconAsked = extension;
    extension.MakeUpper();
    return 0x12340000u | static_cast<UINT>(extension.GetLength());
}

void TestReset()
{
    g_state = State();
}

DWORD TestClosed()
{
    return g_state.closed;
}

int TestCloseCalls()
{
    return g_state.closeCalls;
}

const CString* TestPathObject()
{
    return g_state.pathObject;
}

LPCWSTR TestIconAsked()
{
    return g_state.iconAsked.GetString();
}

}  // extern "C"
