// DialogTemplate: a dialog template in memory, and its binary form (the platform's DLGTEMPLATEEX).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

namespace pelrudo::detail {

// Binary form (little-endian, as DLGTEMPLATEEX): WORD dlgVer 1, WORD signature 0xFFFF, DWORD helpID,
// exStyle, style, WORD item count, short x, y, cx, cy, menu and class (0x0000 none, 0xFFFF + ordinal,
// or a UTF-16 string with NUL), title, and with DS_SETFONT: WORD point size, WORD weight, BYTE italic,
// BYTE charset, face name. Each item starts on a DWORD boundary: DWORD helpID, exStyle, style, short x,
// y, cx, cy, DWORD id, class, title, WORD extra byte count and the extra bytes.
struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    // Predefined classes by ordinal (0x80 Button, 0x81 Edit, 0x82 Static, 0x83 ListBox, 0x85 ComboBox),
    // or a class name such as "SysListView32" (ordinal 0 then).
    WORD classOrdinal = 0;
    std::u16string className;
    std::u16string text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::u16string faceName;
    std::vector<DialogItem> items;
};

std::vector<BYTE> WriteDialogTemplate(const DialogTemplate& dlg);
// False when the data is not a DLGTEMPLATEEX or ends early.
bool ParseDialogTemplate(const BYTE* data, std::size_t size, DialogTemplate* dlg);

}  // namespace pelrudo::detail
