// CErrorCode: an error code's text from the language pack's error ids.
#include "framework/CErrorCode.h"

CErrorCode::~CErrorCode() = default;

CString CErrorCode::GetErrorInfo(DWORD dwCode) { return LoadStringW(dwCode + 10000u); }
