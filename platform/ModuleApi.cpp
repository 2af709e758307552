// The platform's dynamic libraries over the host's dlopen, with Windows paths and error numbers.
#include "platform/ModuleApi.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

bool IsFile(const std::string& hostPath)
{
    struct stat info {};
    return !hostPath.empty() && ::stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsBareName(const CStringW& name)
{
    return name.FindOneOf(u"\\/:") < 0;
}

// The running program's folder, ending in a separator.
CStringW ProgramFolder()
{
    char16_t buffer[MAX_PATH];
    DWORD length = GetModuleFileName(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CStringW();
    CStringW path(buffer, static_cast<int>(length));
    int slash = std::max(path.ReverseFind(u'\\'), path.ReverseFind(u'/'));
    return path.Left(slash + 1);
}

// The host file a name stands for; empty when none exists.
std::string FindLibrary(const CStringW& name)
{
    if (IsBareName(name)) {
        CStringW folder = ProgramFolder();
        if (!folder.IsEmpty()) {
            std::string beside = ToHostPath(folder + name);
            if (IsFile(beside)) return beside;
        }
    }
    std::string host = ToHostPath(name);
    return IsFile(host) ? host : std::string();
}

}  // namespace

HMODULE LoadLibrary(LPCWSTR lpLibFileName)
{
    if (!lpLibFileName || !*lpLibFileName) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    CStringW name(lpLibFileName);
    std::string host = FindLibrary(name);
    // A bare name that is no file of ours may still be a library the host's loader knows.
    bool byHost = host.empty() && IsBareName(name);
    if (host.empty() && !byHost) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* handle = ::dlopen(byHost ? ToUtf8(name).c_str() : host.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        // A library of ours that the loader refuses is taken as no library, whatever the loader's reason.
        SetLastError(byHost ? ERROR_MOD_NOT_FOUND : ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (!hModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpProcName || IS_INTRESOURCE(lpProcName)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = ::dlsym(hModule, lpProcName);
    if (!symbol) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    if (!hLibModule || ::dlclose(hLibModule) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
