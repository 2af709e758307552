// CObArray: the framework's growable array of CObject pointers; it owns none of them.
#pragma once

#include "platform/CObject.h"
#include "platform/detail/TypedArray.h"

class CObArray : public CObject, public pelrudo::detail::TypedArray<CObject*, CObArray> {
public:
    CObArray() = default;
};
