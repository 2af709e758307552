// RegKeyPath: the predefined roots' names and the split of a written key path.
#include "tools/reg/RegKeyPath.h"

#include "platform/RegStore.h"

namespace {

struct Root {
    HKEY key;
    std::u16string_view name;
    std::u16string_view shortName;
};

const Root kRoots[] = {
    {HKEY_CLASSES_ROOT, u"HKEY_CLASSES_ROOT", u"HKCR"},
    {HKEY_CURRENT_USER, u"HKEY_CURRENT_USER", u"HKCU"},
    {HKEY_LOCAL_MACHINE, u"HKEY_LOCAL_MACHINE", u"HKLM"},
    {HKEY_USERS, u"HKEY_USERS", u"HKU"},
};

}  // namespace

bool RegKeyPath::Split(std::u16string_view text, HKEY* root, std::u16string* subKey)
{
    const std::size_t cut = std::min(text.find(u'\\'), text.size());
    const std::u16string folded = RegStore::FoldName(text.substr(0, cut));
    for (const Root& r : kRoots) {
        if (folded != r.name && folded != r.shortName) continue;
        *root = r.key;
        *subKey = std::u16string(text.substr(std::min(cut + 1, text.size())));
        return true;
    }
    return false;
}

std::u16string_view RegKeyPath::RootName(HKEY root)
{
    for (const Root& r : kRoots)
        if (r.key == root) return r.name;
    return {};
}
