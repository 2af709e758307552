// CObList: the framework's linked list of CObject pointers; it owns none of them.
#pragma once

#include "platform/CObject.h"
#include "platform/detail/TypedList.h"

class CObList : public CObject, public pelrudo::detail::TypedList<CObject*, CObList> {
public:
    explicit CObList(INT_PTR blockSize = 10) : TypedList(blockSize) {}
};
