// CBaseObj: last error, logging and text loading through the running application.
#include "framework/CBaseObj.h"

#include <cstdarg>

#include "framework/CLangPack.h"
#include "framework/CLogFile.h"
#include "framework/detail/RunningApp.h"

namespace pelrudo::detail {

AppServicesLookup g_runningAppServices = nullptr;

namespace {

AppServices RunningAppServices()
{
    return g_runningAppServices ? g_runningAppServices() : AppServices{};
}

}  // namespace

}  // namespace pelrudo::detail

CBaseObj::~CBaseObj() = default;

DWORD CBaseObj::GetLastError() { return m_dwLastError; }

void CBaseObj::Error(DWORD dwCode) { m_dwLastError = dwCode; }

void CBaseObj::LOG(const char16_t* format, ...)
{
    CLogFile* log = GetLogFile();
    if (!log) return;
    va_list args;
    va_start(args, format);
    log->LogInfoV(format, args);
    va_end(args);
}

CString CBaseObj::LoadStringW(UINT nID)
{
    if (CLangPack* pack = GetLangPack()) return pack->GetResString(nID);
    return LoadDefaultString(nID);
}

CString CBaseObj::LoadDefaultString(UINT) { return CString(); }

CLogFile* CBaseObj::GetLogFile() { return pelrudo::detail::RunningAppServices().logFile; }

CLangPack* CBaseObj::GetLangPack() { return pelrudo::detail::RunningAppServices().langPack; }
