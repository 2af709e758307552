// The device link: the remote API session with the handheld and its processor type.
#pragma once

#include "platform/WinTypes.h"

// Starts the session and waits at most 1000 ms for it; on failure no session is left open.
HRESULT ConnectDevice();
// dwProcessorType of the handheld's SYSTEM_INFO.
DWORD GetDeviceCpuType();
