// RegKeyPath: key paths as users write them ("HKEY_LOCAL_MACHINE\SOFTWARE\..." or "HKLM\..."), split and joined.
#pragma once

#include <string>
#include <string_view>

#include "platform/WinTypes.h"

class RegKeyPath {
public:
    // The root (full or short name, any case) and the path below it; false when no root leads the text.
    static bool Split(std::u16string_view text, HKEY* root, std::u16string* subKey);
    // "HKEY_LOCAL_MACHINE" and so on; empty for a handle that is not a predefined root.
    static std::u16string_view RootName(HKEY root);
};
