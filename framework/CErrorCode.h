// CErrorCode: error codes turned into their texts, which the language packs hold under code + 10000.
#pragma once

#include "framework/CBaseObj.h"

class CErrorCode : public CBaseObj {
public:
    CErrorCode() = default;
    ~CErrorCode() override;

    // LoadStringW of the id code + 10000 (unsigned 32-bit arithmetic).
    CString GetErrorInfo(DWORD dwCode);
};
