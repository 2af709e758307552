// CStringList: the framework's linked list of strings, wide or (in the narrow build) code-page text.
#pragma once

#include "platform/CObject.h"
#include "platform/CStringT.h"
#include "platform/detail/TypedList.h"

template <class Ch>
class CStringListT : public CObject, public pelrudo::detail::TypedList<CStringT<Ch>, CStringListT<Ch>> {
public:
    explicit CStringListT(INT_PTR blockSize = 10) : pelrudo::detail::TypedList<CStringT<Ch>, CStringListT<Ch>>(blockSize) {}
};

using CStringListW = CStringListT<char16_t>;
using CStringListA = CStringListT<char>;
using CStringList = CStringListT<TCHAR>;
