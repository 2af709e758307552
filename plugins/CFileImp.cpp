// CFileImp: calls into a file-type plug-in's "_Open", "_Close", "_GetPath" and "_GetIcon".
#include "plugins/CFileImp.h"

namespace {

using OpenFn = DWORD (*)(CString&);
using CloseFn = void (*)(DWORD);
using GetPathFn = LPCWSTR (*)(DWORD);
using GetIconFn = UINT (*)(CString);

constexpr DWORD kOpenFailed = 0xFFFFFFFFu;

}  // namespace

CFileImp::CFileImp() : m_dwFile(0) {}

CFileImp::CFileImp(HINSTANCE hModule) : CPluginImp(hModule), m_dwFile(0) {}

CFileImp::~CFileImp() = default;

int CFileImp::Open(const CString& strPath)
{
    auto fn = reinterpret_cast<OpenFn>(GetExport("_Open"));
    if (!fn) return 0;
    // The plug-in's signature takes the caller's string by reference; it promises not to change it.
    DWORD handle = fn(const_cast<CString&>(strPath));
    if (handle == kOpenFailed) return 0;
    m_dwFile = handle;
    return 1;
}

void CFileImp::Close()
{
    auto fn = reinterpret_cast<CloseFn>(GetExport("_Close"));
    if (fn) fn(m_dwFile);
    m_dwFile = 0;
}

CString CFileImp::GetPath()
{
    auto fn = reinterpret_cast<GetPathFn>(GetExport("_GetPath"));
    return fn ? CString(fn(m_dwFile)) : CString();
}

UINT CFileImp::GetIcon(CString strExtensions)
{
    auto fn = reinterpret_cast<GetIconFn>(GetExport("_GetIcon"));
    if (!fn) return 0;
    return fn(strExtensions.Mid(strExtensions.ReverseFind(u',') + 1));
}
