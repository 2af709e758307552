// The process-wide handle table behind KernelObject, and CloseHandle over it.
#include "platform/detail/KernelObject.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/FileApi.h"
#include "platform/WinBase.h"

namespace {

struct HandleTable {
    std::mutex lock;
    std::unordered_map<const void*, std::shared_ptr<KernelObject>> objects;
};

void WriteBackAll();

HandleTable& Table()
{
    // Never destroyed: handles may be closed during static destruction. Handles still open when the
    // process exits have their data handed to the host first, as the platform does when it closes them.
    static auto* table = [] {
        std::atexit(WriteBackAll);
        return new HandleTable;
    }();
    return *table;
}

void WriteBackAll()
{
    std::vector<std::shared_ptr<KernelObject>> open;
    {
        std::lock_guard guard(Table().lock);
        for (const auto& [handle, object] : Table().objects) open.push_back(object);
    }
    for (const auto& object : open) object->WriteBack();
}

}  // namespace

DWORD KernelObject::Wait(DWORD)
{
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE KernelObject::Register(std::shared_ptr<KernelObject> object)
{
    HANDLE handle = object.get();
    std::lock_guard guard(Table().lock);
    Table().objects.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<KernelObject> KernelObject::Lookup(HANDLE handle)
{
    {
        std::lock_guard guard(Table().lock);
        auto it = Table().objects.find(handle);
        if (it != Table().objects.end()) return it->second;
    }
    FailInvalid();
    return nullptr;
}

BOOL KernelObject::Close(HANDLE handle)
{
    std::shared_ptr<KernelObject> object;
    {
        std::lock_guard guard(Table().lock);
        auto it = Table().objects.find(handle);
        if (it != Table().objects.end()) {
            object = std::move(it->second);
            Table().objects.erase(it);
        }
    }
    if (!object) {
        FailInvalid();
        return FALSE;
    }
    return object->WriteBack();  // the object is destroyed here, outside the table's lock, unless a waiter still holds it
}

void KernelObject::FailInvalid()
{
    SetLastError(ERROR_INVALID_HANDLE);
}

BOOL CloseHandle(HANDLE handle)
{
    return KernelObject::Close(handle);
}
