// DemoDesktop: the demo desktop's Application Manager data and package files, made once and then reused.
#pragma once

#include "platform/CStringT.h"

class DemoDesktop {
public:
    // Writes the sample applications and their files into the current prefix unless the
    // Application Manager's Apps key is there already (a user's own data is never overwritten).
    // False when the registry cannot be written; *pCreated tells whether anything was written.
    static bool Prepare(bool* pCreated);

    // The demo handheld's backup index as copied to the desktop ("Backup.ini" text), written by
    // Prepare together with the sample applications: it lists two of their packages.
    static CString IndexPath();
};
