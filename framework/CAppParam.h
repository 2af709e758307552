// CAppParam: where an application keeps its configuration and profiles, and the order they load and save in.
#pragma once

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

// The derived class reads and writes the files through the hooks; this class only builds the paths
// ("<install folder><application name>.ini" and "<install folder>Profile\<profile>.ini") and picks
// the file or the defaults hook. It also gives the text forms of a rectangle and a font.
class CAppParam {
public:
    CAppParam();
    CAppParam(const CAppParam&) = default;
    CAppParam& operator=(const CAppParam&) = default;
    virtual ~CAppParam();

    // Always nonzero; the hooks' results are not looked at.
    virtual int LoadParam();
    virtual void SaveParam();
    virtual void* GetProfile();

    // The current profile: the base name of its file.
    CString m_strProfile;

protected:
    virtual int HasProfile();
    virtual int LoadConfig(LPCWSTR lpszPath);
    virtual int LoadProfile(LPCWSTR lpszPath);
    virtual int SaveConfig(LPCWSTR lpszPath);
    virtual int SaveProfile(LPCWSTR lpszPath);
    virtual void LoadDefaultConfig();
    virtual void LoadDefaultProfile();

    void GetConfigPath(CString& strPath);
    // Creates the "Profile" folder when it is missing.
    void GetProfilePath(CString& strPath, const CString& strName);

    // "left,top,right,bottom".
    void RECTToStr(CString& strText, const RECT& rect);
    // A field whose piece is missing keeps its value.
    void StrToRECT(RECT& rect, const CString& strText);
    // The thirteen numbers (the 8-bit ones unsigned) and the face name, separated by commas.
    void LOGFONTToStr(CString& strText, const LOGFONTW& font);
    // A number whose piece is missing keeps its value; the face name is cut to 31 units and is empty
    // when its piece is missing (a font without face name is written ending in ",").
    void StrToLOGFONT(LOGFONTW& font, const CString& strText);
};
