// CAppParam: configuration and profile paths, the load and save order, and the rectangle and font texts.
#include "framework/CAppParam.h"

#include <algorithm>

#include "core/CFunction.h"
#include "framework/CKelApp.h"
#include "framework/detail/RunningKelApp.h"
#include "platform/FileApi.h"

namespace {

using pelrudo::detail::RunningKelApp;

CString InstallFolder()
{
    CKelApp* app = RunningKelApp();
    return app ? app->GetAppPath() : CString();
}

CString AppName()
{
    CKelApp* app = RunningKelApp();
    return app && app->m_pszAppName ? CString(app->m_pszAppName) : CString();
}

// The value's pieces, at most `count` of them, so that a short value is never read past its end.
int Pieces(const CString& text, CString* pieces, int count)
{
    CStringList list;
    CFunction::DivideStr(text, list, u",");
    int n = 0;
    for (POSITION pos = list.GetHeadPosition(); pos && n < count; ++n) pieces[n] = list.GetNext(pos);
    return n;
}

template <class Field>
void ReadNumber(Field& field, const CString* pieces, int present, int index)
{
    if (index < present) field = static_cast<Field>(CFunction::StrToNum(pieces[index]));
}

}  // namespace

CAppParam::CAppParam() = default;

CAppParam::~CAppParam() = default;

int CAppParam::LoadParam()
{
    CString path;
    GetConfigPath(path);
    if (CFunction::IsPathExist(path))
        LoadConfig(path);
    else
        LoadDefaultConfig();
    if (!HasProfile()) return 1;
    GetProfilePath(path, m_strProfile);
    if (CFunction::IsPathExist(path))
        LoadProfile(path);
    else
        LoadDefaultProfile();
    return 1;
}

void CAppParam::SaveParam()
{
    CString path;
    GetConfigPath(path);
    SaveConfig(path);
    if (!HasProfile()) return;
    GetProfilePath(path, m_strProfile);
    SaveProfile(path);
}

void* CAppParam::GetProfile() { return nullptr; }

int CAppParam::HasProfile() { return 1; }

int CAppParam::LoadConfig(LPCWSTR) { return 0; }

int CAppParam::LoadProfile(LPCWSTR) { return 0; }

int CAppParam::SaveConfig(LPCWSTR) { return 0; }

int CAppParam::SaveProfile(LPCWSTR) { return 0; }

void CAppParam::LoadDefaultConfig() {}

void CAppParam::LoadDefaultProfile() {}

void CAppParam::GetConfigPath(CString& strPath) { strPath = InstallFolder() + AppName() + u".ini"; }

void CAppParam::GetProfilePath(CString& strPath, const CString& strName)
{
    const CString folder = InstallFolder();
    CString profiles;
    profiles.Format(u"%sProfile", folder.GetString());
    // An existing folder fails here, which is what every later call meets.
    CreateDirectory(profiles, nullptr);
    strPath.Format(u"%sProfile\\%s.ini", folder.GetString(), strName.GetString());
}

void CAppParam::RECTToStr(CString& strText, const RECT& rect)
{
    strText.Format(u"%d,%d,%d,%d", rect.left, rect.top, rect.right, rect.bottom);
}

void CAppParam::StrToRECT(RECT& rect, const CString& strText)
{
    CString pieces[4];
    const int present = Pieces(strText, pieces, 4);
    ReadNumber(rect.left, pieces, present, 0);
    ReadNumber(rect.top, pieces, present, 1);
    ReadNumber(rect.right, pieces, present, 2);
    ReadNumber(rect.bottom, pieces, present, 3);
}

void CAppParam::LOGFONTToStr(CString& strText, const LOGFONTW& font)
{
    // The face name may fill all 32 units without a terminator.
    const WCHAR* face = font.lfFaceName;
    const CString faceName(face, static_cast<int>(std::find(face, face + LF_FACESIZE, u'\0') - face));
    strText.Format(u"%d,%d,%d,%d,%d,%u,%u,%u,%u,%u,%u,%u,%u,%s", font.lfHeight, font.lfWidth, font.lfEscapement,
                   font.lfOrientation, font.lfWeight, font.lfItalic, font.lfUnderline, font.lfStrikeOut,
                   font.lfCharSet, font.lfOutPrecision, font.lfClipPrecision, font.lfQuality,
                   font.lfPitchAndFamily, faceName.GetString());
}

void CAppParam::StrToLOGFONT(LOGFONTW& font, const CString& strText)
{
    CString pieces[14];
    const int present = Pieces(strText, pieces, 14);
    LONG* const wide[] = {&font.lfHeight, &font.lfWidth, &font.lfEscapement, &font.lfOrientation, &font.lfWeight};
    BYTE* const narrow[] = {&font.lfItalic,        &font.lfUnderline,     &font.lfStrikeOut, &font.lfCharSet,
                            &font.lfOutPrecision,  &font.lfClipPrecision, &font.lfQuality,   &font.lfPitchAndFamily};
    for (int i = 0; i < 5; ++i) ReadNumber(*wide[i], pieces, present, i);
    for (int i = 0; i < 8; ++i) ReadNumber(*narrow[i], pieces, present, 5 + i);
    const CString face = present > 13 ? pieces[13].Left(LF_FACESIZE - 1) : CString();
    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), u'\0');
    std::copy(face.View().begin(), face.View().end(), font.lfFaceName);
}
