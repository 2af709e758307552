// CCabName: the file name of an installation package (CAB file).
#pragma once

#include "platform/CObject.h"
#include "platform/CStringT.h"

class CCabName : public CObject {
public:
    CString m_strName;
};
