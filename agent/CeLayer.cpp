// The Windows CE services of Info over the handheld facts the emulator passes in its environment.
#include "agent/CeLayer.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/CStringT.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"

namespace {

struct Store {
    CString strRoot;
    ULONGLONG ullCapacity = 0;
    ULONGLONG ullFree = 0;
};

std::string_view Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string_view(value) : std::string_view();
}

bool ParseCount(std::string_view text, ULONGLONG& value)
{
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && !text.empty();
}

// One "<root>|<capacity>|<free>" entry; a malformed one is not a store.
bool ParseStore(std::string_view entry, Store& store)
{
    std::size_t first = entry.find('|');
    std::size_t second = first == std::string_view::npos ? first : entry.find('|', first + 1);
    if (second == std::string_view::npos || first == 0)
        return false;
    store.strRoot = FromUtf8(entry.substr(0, first));
    return ParseCount(entry.substr(first + 1, second - first - 1), store.ullCapacity) &&
           ParseCount(entry.substr(second + 1), store.ullFree);
}

// A root holds the folder when it is a leading part of it that ends at a path separator.
bool RootHolds(const CString& strRoot, const CString& strFolder)
{
    int nRoot = strRoot.GetLength();
    if (nRoot > strFolder.GetLength() || strFolder.Left(nRoot).CompareNoCase(strRoot) != 0)
        return false;
    return strRoot[nRoot - 1] == u'\\' || nRoot == strFolder.GetLength() || strFolder[nRoot] == u'\\';
}

bool FindStore(const CString& strFolder, Store& found)
{
    std::string_view stores = Env("PELRUDO_CE_STORES");
    bool bFound = false;
    while (!stores.empty()) {
        std::size_t end = stores.find(';');
        Store store;
        if (ParseStore(stores.substr(0, end), store) && RootHolds(store.strRoot, strFolder) &&
            (!bFound || store.strRoot.GetLength() > found.strRoot.GetLength())) {
            found = store;
            bFound = true;
        }
        stores = end == std::string_view::npos ? std::string_view() : stores.substr(end + 1);
    }
    return bFound;
}

HINSTANCE__* const kInstance = reinterpret_cast<HINSTANCE__*>(static_cast<std::uintptr_t>(0x00010000u));

} // namespace

namespace ce {

HINSTANCE ProgramInstance()
{
    return kInstance;
}

BOOL BindRegistry()
{
    std::string_view store = Env("PELRUDO_REGISTRY");
    if (!store.empty()) {
        RegSetStorePath(std::string(store));
        return TRUE;
    }
    std::string_view device = Env("PELRUDO_DEVICE_DIR");
    if (device.empty())
        return FALSE;
    RegSetStorePath(std::string(device) + "/registry.db");
    return TRUE;
}

DWORD GetModuleFileName(HMODULE hModule, LPWSTR pszBuffer, DWORD nSize)
{
    if (hModule && hModule != kInstance) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::u16string path = Utf8ToUtf16(Env("PELRUDO_CE_MODULE"));
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= nSize) {
        path.copy(pszBuffer, nSize - 1);
        pszBuffer[nSize - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    path.copy(pszBuffer, path.size());
    pszBuffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
}

BOOL GetDiskFreeSpaceEx(LPCWSTR pszFolder, ULARGE_INTEGER* pFreeToCaller, ULARGE_INTEGER* pTotal,
                        ULARGE_INTEGER* pTotalFree)
{
    Store store;
    if (!pszFolder || !FindStore(CString(pszFolder), store)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (pFreeToCaller)
        pFreeToCaller->QuadPart = store.ullFree;
    if (pTotal)
        pTotal->QuadPart = store.ullCapacity;
    if (pTotalFree)
        pTotalFree->QuadPart = store.ullFree;
    return TRUE;
}

} // namespace ce
