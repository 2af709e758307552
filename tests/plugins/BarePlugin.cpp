// A plug-in for the tests that exports "_GetType" and nothing else.
#include "platform/WinTypes.h"

extern "C" DWORD _GetType()
{
    return 0x10;
}
