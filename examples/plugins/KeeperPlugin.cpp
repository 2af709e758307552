// KeeperPlugin: an example plug-in of type 0x100, which handles no file type and stays loaded once found.
#include <pelrudo/pelrudo.h>

extern "C" DWORD _GetType()
{
    return 0x100;
}
