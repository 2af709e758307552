// The device link: session start, the handheld's processor type and the start of the agent Info.
#include "backup/CBackupDlg.h"
#include "backup/DeviceLink.h"

#include "core/CRapiRegistry.h"
#include "core/Rapi.h"
#include "platform/SyncApi.h"
#include "platform/WinBase.h"

namespace {

constexpr DWORD kConnectWaitMs = 1000;
constexpr DWORD kAgentPauseMs = 100;

} // namespace

HRESULT ConnectDevice()
{
    RAPIINIT init = {12, nullptr, 0};
    HRESULT hr = CeRapiInitEx(&init);
    if (FAILED(hr))
        return hr;
    if (WaitForSingleObject(init.heRapiInit, kConnectWaitMs) != WAIT_OBJECT_0) {
        CeRapiUninit();
        return E_FAIL;
    }
    if (FAILED(init.hrRapiInit))
        CeRapiUninit();
    return init.hrRapiInit;
}

DWORD GetDeviceCpuType()
{
    SYSTEM_INFO info = {};
    CeGetSystemInfo(&info);
    return info.dwProcessorType;
}

BOOL CBackupDlg::StartAgent()
{
    CRapiRegistry reg;
    reg.Open(HKEY_LOCAL_MACHINE, kAgentKey, 0);
    reg.ReadString(u"InstallDir", m_strDeviceFolder);
    reg.ReadDWORD(u"SpareDiskSize", &m_dwFreeSpace);
    reg.Close();
    if (m_strDeviceFolder.IsEmpty())
        return FALSE;

    PROCESS_INFORMATION process = {};
    const CString strAgent = m_strDeviceFolder + u"info.exe";
    if (!CeCreateProcess(strAgent, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &process))
        return FALSE;
    // Nothing uses the agent's handles; closing them spares the handheld's handle table.
    CeCloseHandle(process.hThread);
    CeCloseHandle(process.hProcess);
    Sleep(kAgentPauseMs);

    // Only the free space is fresh if the agent has written it by now; the folder stays as read.
    reg.Open(HKEY_LOCAL_MACHINE, kAgentKey, 0);
    reg.ReadDWORD(u"SpareDiskSize", &m_dwFreeSpace);
    reg.Close();
    return TRUE;
}
