// CDC: the framework's drawing surface of a window.
#pragma once

#include "platform/WinTypes.h"

class CDC {
public:
    CDC() = default;
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    // Draws the icon at the system's icon size (32 x 32) with its top-left corner at x, y;
    // FALSE when the surface cannot be drawn on or the icon is not valid.
    BOOL DrawIcon(int x, int y, HICON hIcon);

    HDC m_hDC = nullptr;
};
