// CPaintDC: the drawing surface of a window while it handles WM_PAINT.
#pragma once

#include "platform/CDC.h"

class CWnd;

// Usable inside a WM_PAINT handler (the layer sends WM_PAINT while the window paints); anywhere else
// its surface cannot be drawn on and DrawIcon fails.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
};
