// Icons and image lists as data: .ico files and icon groups parsed and checked, images copied by value.
#include "platform/IconApi.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/FileApi.h"
#include "platform/ResourceApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/detail/IconData.h"

namespace pelrudo::detail {
namespace {

// A .ico file bigger than this is refused before it is read.
constexpr DWORD kMaxIcoFile = 16u * 1024u * 1024u;
constexpr int kDefaultIcon = 32;

struct Handles {
    std::mutex lock;
    std::set<const void*> icons;
    std::set<const void*> imageLists;
};

Handles& Live()
{
    static Handles handles;
    return handles;
}

WORD Word(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
DWORD Dword(const BYTE* p) { return Word(p) | (static_cast<DWORD>(Word(p + 2)) << 16); }
DWORD BigEndian(const BYTE* p) { return (DWORD{p[0]} << 24) | (DWORD{p[1]} << 16) | (DWORD{p[2]} << 8) | p[3]; }

bool CheckDib(const BYTE* data, std::size_t size, int* width, int* height, int* bitCount)
{
    if (size < 40) return false;
    DWORD headerSize = Dword(data);
    auto w = static_cast<std::int32_t>(Dword(data + 4));
    auto h2 = static_cast<std::int32_t>(Dword(data + 8));
    WORD planes = Word(data + 12);
    WORD bits = Word(data + 14);
    DWORD compression = Dword(data + 16);
    DWORD colorsUsed = Dword(data + 32);
    if (headerSize < 40 || headerSize > size || planes != 1 || compression != 0) return false;
    if (w <= 0 || w > 256 || h2 <= 0 || h2 > 512 || h2 % 2 != 0) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
    std::size_t colors = 0;
    if (bits <= 8) {
        colors = colorsUsed ? colorsUsed : (1u << bits);
        if (colors > (1u << bits)) return false;
    }
    int h = h2 / 2;
    std::size_t xorStride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
    std::size_t andStride = ((static_cast<std::size_t>(w) + 31) / 32) * 4;
    std::size_t needed = headerSize + colors * 4 + (xorStride + andStride) * static_cast<std::size_t>(h);
    if (needed > size) return false;
    *width = w;
    *height = h;
    *bitCount = bits;
    return true;
}

}  // namespace

bool IsPngImage(const BYTE* data, std::size_t size)
{
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    return size >= 8 && std::equal(signature, signature + 8, data);
}

bool CheckIconImage(const BYTE* data, std::size_t size, int* width, int* height, int* bitCount)
{
    if (!data) return false;
    if (!IsPngImage(data, size)) return CheckDib(data, size, width, height, bitCount);
    // Signature, then the IHDR chunk: length 13, type, width, height, depth, colour type.
    if (size < 8 + 8 + 13 + 4 || BigEndian(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) return false;
    DWORD w = BigEndian(data + 16);
    DWORD h = BigEndian(data + 20);
    if (w == 0 || w > 1024 || h == 0 || h > 1024) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    *bitCount = 32;
    return true;
}

bool ParseIcoFile(const BYTE* data, std::size_t size, std::vector<IcoEntry>* entries)
{
    if (!data || size < 6 || Word(data) != 0 || Word(data + 2) != 1) return false;
    std::size_t count = Word(data + 4);
    if (count == 0 || size < 6 + count * 16) return false;
    std::vector<IcoEntry> found;
    for (std::size_t i = 0; i < count; ++i) {
        const BYTE* dir = data + 6 + i * 16;
        DWORD bytes = Dword(dir + 8);
        DWORD offset = Dword(dir + 12);
        if (offset > size || bytes > size - offset) return false;
        IcoEntry entry;
        entry.data = data + offset;
        entry.size = bytes;
        if (!CheckIconImage(entry.data, entry.size, &entry.width, &entry.height, &entry.bitCount)) return false;
        found.push_back(entry);
    }
    *entries = std::move(found);
    return true;
}

int ChooseIconEntry(const std::vector<IcoEntry>& entries, int cx, int cy)
{
    int best = -1;
    long bestDistance = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        long distance = std::labs(entries[i].width - cx) + std::labs(entries[i].height - cy);
        if (best < 0 || distance < bestDistance ||
            (distance == bestDistance && entries[i].bitCount > entries[static_cast<std::size_t>(best)].bitCount)) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

HICON NewIcon(HICON__ data)
{
    HICON icon = new HICON__(std::move(data));
    std::lock_guard guard(Live().lock);
    Live().icons.insert(icon);
    return icon;
}

bool IsLiveIcon(HICON hIcon)
{
    std::lock_guard guard(Live().lock);
    return hIcon && Live().icons.count(hIcon) != 0;
}

bool IsLiveImageList(HIMAGELIST himl)
{
    std::lock_guard guard(Live().lock);
    return himl && Live().imageLists.count(himl) != 0;
}

namespace {

bool Forget(std::set<const void*>& set, const void* handle)
{
    std::lock_guard guard(Live().lock);
    return handle && set.erase(handle) != 0;
}

HICON IconFromEntry(const IcoEntry& entry)
{
    HICON__ icon;
    icon.width = entry.width;
    icon.height = entry.height;
    icon.bitCount = entry.bitCount;
    icon.image.assign(entry.data, entry.data + entry.size);
    return NewIcon(std::move(icon));
}

// Sizes asked as 0: the default icon size with LR_DEFAULTSIZE, else the first image's own.
void ResolveSize(const std::vector<IcoEntry>& entries, UINT fuLoad, int* cx, int* cy)
{
    if (*cx == 0) *cx = (fuLoad & LR_DEFAULTSIZE) || entries.empty() ? kDefaultIcon : entries[0].width;
    if (*cy == 0) *cy = (fuLoad & LR_DEFAULTSIZE) || entries.empty() ? kDefaultIcon : entries[0].height;
}

HICON LoadIconFile(const char16_t* path, int cx, int cy, UINT fuLoad)
{
    HANDLE file = CreateFile(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    DWORD size = GetFileSize(file, nullptr);
    std::vector<BYTE> bytes;
    DWORD read = 0;
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxIcoFile;
    if (ok) {
        bytes.resize(size);
        ok = ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
    }
    CloseHandle(file);
    std::vector<IcoEntry> entries;
    if (!ok || !ParseIcoFile(bytes.data(), bytes.size(), &entries)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    ResolveSize(entries, fuLoad, &cx, &cy);
    return IconFromEntry(entries[static_cast<std::size_t>(ChooseIconEntry(entries, cx, cy))]);
}

// An icon group: GRPICONDIR (reserved, type 1, count) and 14-byte entries whose last WORD is the
// id of the RT_ICON resource holding that image.
HICON LoadIconGroup(HINSTANCE hInst, std::uintptr_t id, int cx, int cy, UINT fuLoad)
{
    HRSRC group = FindResource(hInst, reinterpret_cast<LPCWSTR>(id), MAKEINTRESOURCEW(RT_GROUP_ICON));
    if (!group) return nullptr;
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(hInst, group)));
    DWORD size = SizeofResource(hInst, group);
    if (size < 6 || Word(dir + 2) != 1 || size < 6 + Word(dir + 4) * 14u) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::vector<IcoEntry> entries;
    for (std::size_t i = 0; i < Word(dir + 4); ++i) {
        HRSRC image = FindResource(hInst, MAKEINTRESOURCEW(Word(dir + 6 + i * 14 + 12)), MAKEINTRESOURCEW(RT_ICON));
        if (!image) continue;
        IcoEntry entry;
        entry.data = static_cast<const BYTE*>(LockResource(LoadResource(hInst, image)));
        entry.size = SizeofResource(hInst, image);
        if (CheckIconImage(entry.data, entry.size, &entry.width, &entry.height, &entry.bitCount)) entries.push_back(entry);
    }
    if (entries.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    ResolveSize(entries, fuLoad, &cx, &cy);
    return IconFromEntry(entries[static_cast<std::size_t>(ChooseIconEntry(entries, cx, cy))]);
}

HANDLE LoadImageAny(HINSTANCE hInst, std::uintptr_t name, const char16_t* path, UINT type, int cx, int cy, UINT fuLoad)
{
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (fuLoad & LR_LOADFROMFILE) return path ? LoadIconFile(path, cx, cy, fuLoad) : nullptr;
    return LoadIconGroup(hInst, name, cx, cy, fuLoad);
}

IMAGELIST* List(HIMAGELIST himl) { return IsLiveImageList(himl) ? himl : nullptr; }

}  // namespace
}  // namespace pelrudo::detail

using namespace pelrudo::detail;

HICON LoadIcon(HINSTANCE hInstance, LPCWSTR lpIconName)
{
    return LoadIconGroup(hInstance, reinterpret_cast<std::uintptr_t>(lpIconName), kDefaultIcon, kDefaultIcon, 0);
}

HICON LoadIcon(HINSTANCE hInstance, LPCSTR lpIconName)
{
    return LoadIconGroup(hInstance, reinterpret_cast<std::uintptr_t>(lpIconName), kDefaultIcon, kDefaultIcon, 0);
}

HANDLE LoadImage(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    const char16_t* path = IS_INTRESOURCE(name) ? nullptr : name;
    return LoadImageAny(hInst, reinterpret_cast<std::uintptr_t>(name), path, type, cx, cy, fuLoad);
}

HANDLE LoadImage(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad)
{
    if (IS_INTRESOURCE(name) || !name) return LoadImageAny(hInst, reinterpret_cast<std::uintptr_t>(name), nullptr, type, cx, cy, fuLoad);
    std::u16string path = AnsiToUtf16(name);
    return LoadImageAny(hInst, 0, path.c_str(), type, cx, cy, fuLoad);
}

HICON CreateIconFromResourceEx(const BYTE* presbits, DWORD dwResSize, BOOL fIcon, DWORD, int, int, UINT)
{
    IcoEntry entry;
    entry.data = presbits;
    entry.size = dwResSize;
    if (!fIcon || !CheckIconImage(presbits, dwResSize, &entry.width, &entry.height, &entry.bitCount)) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return IconFromEntry(entry);
}

BOOL DestroyIcon(HICON hIcon)
{
    if (!Forget(Live().icons, hIcon)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    delete hIcon;
    return TRUE;
}

HICON CopyIcon(HICON hIcon)
{
    if (!IsLiveIcon(hIcon)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return NewIcon(*hIcon);
}

BOOL GetIconSize(HICON hIcon, int* cx, int* cy)
{
    if (!IsLiveIcon(hIcon) || !cx || !cy) return FALSE;
    *cx = hIcon->width;
    *cy = hIcon->height;
    return TRUE;
}

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int cGrow)
{
    if (cx <= 0 || cy <= 0) return nullptr;
    auto* list = new IMAGELIST;
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->grow = cGrow;
    std::lock_guard guard(Live().lock);
    Live().imageLists.insert(list);
    return list;
}

BOOL ImageList_Destroy(HIMAGELIST himl)
{
    if (!Forget(Live().imageLists, himl)) return FALSE;
    delete himl;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl)
{
    IMAGELIST* list = List(himl);
    return list ? static_cast<int>(list->images.size()) : 0;
}

int ImageList_AddIcon(HIMAGELIST himl, HICON hicon) { return ImageList_ReplaceIcon(himl, -1, hicon); }

int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon)
{
    IMAGELIST* list = List(himl);
    if (!list || !IsLiveIcon(hicon) || i < -1 || i >= static_cast<int>(list->images.size())) return -1;
    if (i == -1) {
        list->images.push_back(*hicon);
        return static_cast<int>(list->images.size()) - 1;
    }
    list->images[static_cast<std::size_t>(i)] = *hicon;
    return i;
}

BOOL ImageList_Remove(HIMAGELIST himl, int i)
{
    IMAGELIST* list = List(himl);
    if (!list || i < -1 || i >= static_cast<int>(list->images.size())) return FALSE;
    if (i == -1)
        list->images.clear();
    else
        list->images.erase(list->images.begin() + i);
    return TRUE;
}

BOOL ImageList_RemoveAll(HIMAGELIST himl) { return ImageList_Remove(himl, -1); }

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk)
{
    IMAGELIST* list = List(himl);
    if (!list) return CLR_NONE;
    COLORREF old = list->bkColor;
    list->bkColor = clrBk;
    return old;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl)
{
    IMAGELIST* list = List(himl);
    return list ? list->bkColor : CLR_NONE;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy)
{
    IMAGELIST* list = List(himl);
    if (!list || !cx || !cy) return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}

HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT)
{
    IMAGELIST* list = List(himl);
    if (!list || i < 0 || i >= static_cast<int>(list->images.size())) return nullptr;
    return NewIcon(list->images[static_cast<std::size_t>(i)]);
}

int GetSystemMetrics(int nIndex)
{
    switch (nIndex) {
    case SM_CXICON:
    case SM_CYICON:
        return kDefaultIcon;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    default:
        return 0;  // no screen is known to the data side; the window side has the real one
    }
}
