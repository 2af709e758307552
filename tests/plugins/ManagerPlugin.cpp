// A file-type plug-in for the manager's tests; copies of it under several names are separate plug-ins,
// each set up by the test through its probes before the manager loads it.
#include <algorithm>

#include "platform/CStringT.h"

namespace {

struct State {
    DWORD type = 0x1;
    CString support = u"Bitmap|bmp,dib;JPEG image|jpg,jpeg";
    UINT icon = 0x00AB0000u | 128u;
    int typeCalls = 0;
    int supportCalls = 0;
    CString iconsAsked;
};

State g_state;

}  // namespace

extern "C" {

DWORD _GetType()
{
    ++g_state.typeCalls;
    return g_state.type;
}

// Writes the whole text, however long: the manager has to guard itself.
void _GetSupport(LPWSTR buffer)
{
    ++g_state.supportCalls;
    std::copy(g_state.support.View().begin(), g_state.support.View().end(), buffer);
    buffer[g_state.support.GetLength()] = 0;
}

UINT _GetIcon(CString extension)
{
    g_state.iconsAsked += extension + u"/";
    return g_state.icon;
}

void TestSetUp(DWORD type, LPCWSTR support, UINT icon)
{
    g_state.type = type;
    g_state.support = support;
    g_state.icon = icon;
}

int TestTypeCalls()
{
    return g_state.typeCalls;
}

int TestSupportCalls()
{
    return g_state.supportCalls;
}

// Every extension "_GetIcon" was given, each followed by "/".
LPCWSTR TestIconsAsked()
{
    return g_state.iconsAsked.GetString();
}

}  // extern "C"
