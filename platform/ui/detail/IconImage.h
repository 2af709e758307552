// IconImage: an icon's image data decoded for drawing.
#pragma once

#include <QImage>

#include "platform/detail/IconData.h"

namespace pelrudo::ui {

// BMP-in-ICO (1, 4, 8, 24 or 32 bits, AND mask for transparency) or PNG, as ARGB; a null image when
// the data cannot be decoded. The data was bounds-checked when the icon was made.
QImage IconImage(const HICON__& icon);

}  // namespace pelrudo::ui
