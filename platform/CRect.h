// CRect: the framework's rectangle, a RECT with its width and height.
#pragma once

#include "platform/WinTypes.h"

class CRect : public RECT {
public:
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    CRect(const RECT& rc) : RECT(rc) {}  // NOLINT: implicit as the framework's

    LONG Width() const { return right - left; }
    LONG Height() const { return bottom - top; }
    operator LPRECT() { return this; }  // NOLINT: implicit as the framework's
    operator LPCRECT() const { return this; }  // NOLINT: implicit as the framework's
};
