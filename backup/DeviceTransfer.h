// Whole-file copies between the desktop and the handheld over the remote API, and handheld file deletion.
#pragma once

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

// Both copies return TRUE only when the whole file reached its target. The data goes to the target's
// name followed by ".part" and replaces the target only when whole; a failed copy removes it, so a
// missing source, a failed read or write or a cut link leave the target as it was.
// pfnProgress, when given, is told the bytes written so far after each block, so that a caller can show
// the copy's progress.
using COPYPROGRESS = void (*)(DWORD dwCopied, void* pContext);
BOOL CopyFileToDevice(const CString& strDesktopSource, const CString& strDeviceTarget,
                      COPYPROGRESS pfnProgress = nullptr, void* pContext = nullptr);
BOOL CopyFileFromDevice(const CString& strDeviceSource, const CString& strDesktopTarget);
// CeDeleteFile's result.
BOOL DeleteDeviceFile(const CString& strDevicePath);
