// Info, the handheld agent: records its folder and the free space of that folder's store, then ends.
#include "agent/CeLayer.h"
#include "core/CRegistry.h"
#include "platform/CStringT.h"

int WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPWSTR /*lpCmdLine*/, int /*nCmdShow*/)
{
    CString strFolder;
    ce::GetModuleFileName(hInstance, strFolder.GetBuffer(MAX_PATH), MAX_PATH);
    strFolder.ReleaseBuffer();
    strFolder = strFolder.Left(strFolder.ReverseFind(u'\\') + 1);

    // A failed query writes 0 rather than a count that was never measured.
    ULARGE_INTEGER available = {}, total = {}, totalFree = {};
    ce::GetDiskFreeSpaceEx(strFolder, &available, &total, &totalFree);

    CRegistry reg;
    reg.Open(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Tavrimo\\Backup\\", 1);
    reg.WriteString(u"InstallDir", strFolder);
    reg.WriteDWORD(u"SpareDiskSize", static_cast<DWORD>(totalFree.QuadPart));
    reg.Close();
    return 0;
}

int main()
{
    // Outside a handheld there is no record to write, and the desktop's registry is not Info's.
    if (!ce::BindRegistry())
        return 0;
    return WinMain(ce::ProgramInstance(), nullptr, const_cast<LPWSTR>(u""), 0);
}
