// The resource calls: lookups in a module's compiled-in table, string tables and version information.
#include "platform/ResourceApi.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/detail/ResourceTable.h"

namespace {

HINSTANCE g_resourceModule = nullptr;

link_map* LinkMapOf(void* handle)
{
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
    return map;
}

// The table of the module itself: dlsym also searches a library's dependencies, so the table found
// must lie in the module's own image.
const PelrudoResourceTable* TableOf(HMODULE hModule)
{
    void* handle = hModule ? static_cast<void*>(hModule) : static_cast<void*>(AfxGetInstanceHandle());
    void* symbol = dlsym(handle, PELRUDO_RESOURCE_SYMBOL);
    if (!symbol) return nullptr;
    Dl_info info{};
    link_map* owner = nullptr;
    if (!dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP)) return nullptr;
    if (owner != LinkMapOf(handle)) return nullptr;
    return static_cast<const PelrudoResourceTable*>(symbol);
}

HRSRC Find(HMODULE hModule, std::uintptr_t name, std::uintptr_t type)
{
    const PelrudoResourceTable* table = TableOf(hModule);
    if (!table) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    if (name >> 16 || type >> 16) {  // named resources are never compiled
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    bool typeSeen = false;
    for (unsigned i = 0; i < table->count; ++i) {
        const PelrudoResource& res = table->entries[i];
        if (res.type != type) continue;
        typeSeen = true;
        if (res.id == name) return reinterpret_cast<HRSRC>(const_cast<PelrudoResource*>(&res));
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

const PelrudoResource* Entry(HRSRC hResInfo) { return reinterpret_cast<const PelrudoResource*>(hResInfo); }

WORD ReadWord(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

// The string of the id inside its block of 16 (counted UTF-16 strings); empty view when absent.
std::u16string_view FindString(HINSTANCE hInstance, UINT uID)
{
    HRSRC block = Find(hInstance, (uID >> 4) + 1, RT_STRING);
    if (!block) return {};
    const BYTE* p = Entry(block)->data;
    const BYTE* end = p + Entry(block)->size;
    for (UINT i = 0; i < 16 && p + 2 <= end; ++i) {
        std::size_t length = ReadWord(p);
        p += 2;
        if (static_cast<std::size_t>(end - p) < length * 2) return {};
        if (i == (uID & 15u)) return {reinterpret_cast<const char16_t*>(p), length};
        p += length * 2;
    }
    return {};
}

}  // namespace

HRSRC FindResource(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType)
{
    return Find(hModule, reinterpret_cast<std::uintptr_t>(lpName), reinterpret_cast<std::uintptr_t>(lpType));
}

HRSRC FindResource(HMODULE hModule, LPCSTR lpName, LPCSTR lpType)
{
    return Find(hModule, reinterpret_cast<std::uintptr_t>(lpName), reinterpret_cast<std::uintptr_t>(lpType));
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo)
{
    if (!hResInfo) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<unsigned char*>(Entry(hResInfo)->data);
}

LPVOID LockResource(HGLOBAL hResData) { return hResData; }

DWORD SizeofResource(HMODULE, HRSRC hResInfo) { return hResInfo ? Entry(hResInfo)->size : 0; }

int LoadString(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer) return 0;
    std::u16string_view text = FindString(hInstance, uID);
    if (cchBufferMax == 0) {
        *reinterpret_cast<const char16_t**>(lpBuffer) = text.data();
        return static_cast<int>(text.size());
    }
    if (cchBufferMax < 0) return 0;
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(cchBufferMax - 1));
    std::copy_n(text.data(), n, lpBuffer);
    lpBuffer[n] = 0;
    return static_cast<int>(n);
}

int LoadString(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax)
{
    if (!lpBuffer || cchBufferMax <= 0) return 0;
    std::string text = Utf16ToAnsi(FindString(hInstance, uID));
    // Cut at a character boundary so that no lead byte is left without its trail byte.
    std::size_t n = 0;
    while (n < text.size()) {
        std::size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[n])) && n + 1 < text.size() ? 2 : 1;
        if (n + width > static_cast<std::size_t>(cchBufferMax - 1)) break;
        n += width;
    }
    std::memcpy(lpBuffer, text.data(), n);
    lpBuffer[n] = 0;
    return static_cast<int>(n);
}

HINSTANCE AfxGetInstanceHandle()
{
    // The program's own handle; dlopen of null never fails and needs no dlclose.
    static HINSTANCE program = static_cast<HINSTANCE>(dlopen(nullptr, RTLD_LAZY));
    return program;
}

HINSTANCE AfxGetResourceHandle() { return g_resourceModule ? g_resourceModule : AfxGetInstanceHandle(); }

void AfxSetResourceHandle(HINSTANCE hInstResource) { g_resourceModule = hInstResource; }

namespace {

// One node of version information: WORD wLength, WORD wValueLength, WORD wType, key, padding,
// value, padding, children; lengths in bytes but the value's of text nodes, in UTF-16 units.
struct VersionNode {
    const BYTE* start = nullptr;
    std::size_t length = 0;
    std::u16string_view key;
    const BYTE* value = nullptr;
    std::size_t valueBytes = 0;
    const BYTE* children = nullptr;
};

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

bool ReadNode(const BYTE* p, std::size_t available, VersionNode* node)
{
    if (available < 6) return false;
    std::size_t length = ReadWord(p);
    std::size_t valueLength = ReadWord(p + 2);
    WORD type = ReadWord(p + 4);
    if (length < 6 || length > available) return false;
    std::size_t offset = 6;
    std::size_t keyStart = offset;
    while (offset + 2 <= length && ReadWord(p + offset) != 0) offset += 2;
    if (offset + 2 > length) return false;
    node->key = {reinterpret_cast<const char16_t*>(p + keyStart), (offset - keyStart) / 2};
    offset = Align4(offset + 2);
    std::size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;
    if (offset + valueBytes > length) return false;
    node->start = p;
    node->length = length;
    node->value = p + offset;
    node->valueBytes = valueBytes;
    node->children = p + std::min(length, Align4(offset + valueBytes));
    return true;
}

bool SameKey(std::u16string_view a, std::u16string_view b)
{
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
               return lower(x) == lower(y);
           });
}

bool FindChild(const VersionNode& parent, std::u16string_view key, VersionNode* child)
{
    const BYTE* p = parent.children;
    const BYTE* end = parent.start + parent.length;
    while (p < end) {
        if (!ReadNode(p, static_cast<std::size_t>(end - p), child)) return false;
        if (SameKey(child->key, key)) return true;
        p += Align4(child->length);
    }
    return false;
}

}  // namespace

BOOL VerQueryValue(LPCVOID pBlock, LPCWSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen)
{
    if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return FALSE;
    const BYTE* block = static_cast<const BYTE*>(pBlock);
    VersionNode node;
    if (!ReadNode(block, ReadWord(block), &node)) return FALSE;
    std::u16string_view path(lpSubBlock);
    while (!path.empty()) {
        std::size_t skip = path.find_first_not_of(u"\\");
        if (skip == std::u16string_view::npos) break;
        path.remove_prefix(skip);
        std::size_t cut = std::min(path.find(u'\\'), path.size());
        VersionNode child;
        if (!FindChild(node, path.substr(0, cut), &child)) return FALSE;
        node = child;
        path.remove_prefix(cut);
    }
    if (node.valueBytes == 0) return FALSE;
    *lplpBuffer = const_cast<BYTE*>(node.value);
    // Text values are counted in characters, with their terminator; binary ones in bytes.
    bool text = ReadWord(node.start + 4) == 1;
    *puLen = static_cast<UINT>(text ? node.valueBytes / 2 : node.valueBytes);
    return TRUE;
}
