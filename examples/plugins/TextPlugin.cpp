// TextPlugin: an example file-type plug-in for plain text and notes, with an icon for each.
#include <pelrudo/pelrudo.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

constexpr UINT kTextIcon = 1;
constexpr UINT kNotesIcon = 2;

// Open files by the handles this plug-in hands out.
std::map<DWORD, CString> g_files;
DWORD g_nextHandle = 1;
DWORD g_lastError = 0;

void CopyText(const CString& text, LPWSTR buffer)
{
    std::copy(text.View().begin(), text.View().end(), buffer);
    buffer[text.GetLength()] = 0;
}

}  // namespace

extern "C" {

DWORD _GetType()
{
    return 0x1;
}

// Two entries; the manager's buffer holds 511 characters and the terminator.
void _GetSupport(LPWSTR buffer)
{
    CopyText(u"Text file|txt,log;Notes|note", buffer);
}

DWORD _GetLastError()
{
    return g_lastError;
}

void _GetUserError(DWORD code, LPWSTR buffer)
{
    CopyText(code ? CString(u"The file cannot be read") : CString(), buffer);
}

DWORD _Open(CString& path)
{
    std::FILE* file = std::fopen(ToUtf8(path).c_str(), "rb");
    if (!file) {
        g_lastError = 1;
        return 0xFFFFFFFFu;
    }
    std::fclose(file);
    g_files[g_nextHandle] = path;
    return g_nextHandle++;
}

void _Close(DWORD handle)
{
    g_files.erase(handle);
}

LPCWSTR _GetPath(DWORD handle)
{
    const auto found = g_files.find(handle);
    return found == g_files.end() ? nullptr : found->second.GetString();
}

// The icon of the entry whose last extension this is.
UINT _GetIcon(CString extension)
{
    return extension.CompareNoCase(u"note") == 0 ? kNotesIcon : kTextIcon;
}

}  // extern "C"
