// CStringArray: the framework's growable array of strings, wide or (in the narrow build) code-page text.
#pragma once

#include "platform/CObject.h"
#include "platform/CStringT.h"
#include "platform/detail/TypedArray.h"

template <class Ch>
class CStringArrayT : public CObject, public pelrudo::detail::TypedArray<CStringT<Ch>, CStringArrayT<Ch>> {
public:
    CStringArrayT() = default;
};

using CStringArrayW = CStringArrayT<char16_t>;
using CStringArrayA = CStringArrayT<char>;
using CStringArray = CStringArrayT<TCHAR>;
