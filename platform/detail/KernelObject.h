// KernelObject: the base of everything a HANDLE can name (files, searches, events, processes, threads).
#pragma once

#include <memory>

#include "platform/WinTypes.h"

// A HANDLE is the address of a live KernelObject registered in a process-wide table. Lookups go
// through the table, so a closed, stale or made-up handle fails with ERROR_INVALID_HANDLE instead
// of touching freed memory. A new kind derives from KernelObject, overrides Wait when it can be
// waited on, and is handed out with Register; CloseHandle drops the table's reference.
class KernelObject {
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;

    // WAIT_OBJECT_0 once signalled, WAIT_TIMEOUT after ms (INFINITE waits for ever), or WAIT_FAILED
    // with the last error set. Objects that cannot be waited on keep this default, which fails.
    virtual DWORD Wait(DWORD ms);
    // Hands what the object still holds for the host (a file's gathered writes) over to it: at
    // CloseHandle, and for every handle left open when the process exits. FALSE with the last error
    // set when that fails.
    virtual BOOL WriteBack() { return TRUE; }

    // Takes the object into the table and returns its handle.
    static HANDLE Register(std::shared_ptr<KernelObject> object);
    // The live object of a handle, held for the caller even if another thread closes the handle;
    // null with ERROR_INVALID_HANDLE when the handle names nothing (or nothing of kind T).
    static std::shared_ptr<KernelObject> Lookup(HANDLE handle);
    template <class T>
    static std::shared_ptr<T> LookupAs(HANDLE handle)
    {
        auto typed = std::dynamic_pointer_cast<T>(Lookup(handle));
        if (!typed) FailInvalid();
        return typed;
    }
    // Removes the handle from the table after its WriteBack; the object dies when its last user lets
    // go. FALSE with ERROR_INVALID_HANDLE for a handle that names nothing, or as WriteBack failed.
    static BOOL Close(HANDLE handle);

private:
    static void FailInvalid();
};
