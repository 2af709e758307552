// CBaseObj: the library's base of service objects: a last error, logging and texts through the running application.
#pragma once

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

class CLogFile;
class CLangPack;

// The log file and the language pack are those of the running application when it is a CKelApp;
// with another application, or none, there are neither: LOG does nothing and texts come from
// LoadDefaultString.
class CBaseObj {
public:
    CBaseObj() = default;
    virtual ~CBaseObj();
    CBaseObj(const CBaseObj&) = default;
    CBaseObj& operator=(const CBaseObj&) = default;

    virtual DWORD GetLastError();
    virtual void Error(DWORD dwCode);
    // One line into the application's log file; the format follows the wide printf rules.
    virtual void LOG(const char16_t* format, ...);
    // The language pack's text (or "<Err %d>" when the pack lacks the id); without a language pack
    // object, LoadDefaultString.
    virtual CString LoadStringW(UINT nID);

protected:
    // The built-in text of a derived class; empty here.
    virtual CString LoadDefaultString(UINT nID);
    CLogFile* GetLogFile();
    CLangPack* GetLangPack();

private:
    DWORD m_dwLastError = 0;
};
