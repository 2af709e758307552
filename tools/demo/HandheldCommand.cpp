// pelrudo-demo handheld: makes the running demo handheld ready for Pelrudo: agent record, index and one copy.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "backup/CBackupDlg.h"
#include "backup/DeviceLink.h"
#include "backup/DeviceTransfer.h"
#include "core/CRapiRegistry.h"
#include "core/Rapi.h"
#include "platform/FileApi.h"
#include "platform/Text.h"
#include "tools/demo/DemoCommand.h"
#include "tools/demo/DemoDesktop.h"

namespace {

constexpr int kAgentWaitSteps = 100;  // of 50 ms: the agent is a separate process on the handheld

int Fail(const std::string& text)
{
    std::fprintf(stderr, "pelrudo-demo: %s\n", text.c_str());
    return 1;
}

CString AgentFolder()
{
    CString strFolder;
    CRapiRegistry reg;
    reg.Open(HKEY_LOCAL_MACHINE, CBackupDlg::kAgentKey, 0);
    reg.ReadString(u"InstallDir", strFolder);
    reg.Close();
    return strFolder;
}

// Runs the agent once, as the handheld's installer would, and waits for its record.
bool RunAgent(const CString& strFolder)
{
    PROCESS_INFORMATION process = {};
    if (!CeCreateProcess(strFolder + u"info.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                         &process))
        return false;
    CeCloseHandle(process.hThread);
    CeCloseHandle(process.hProcess);
    for (int i = 0; i < kAgentWaitSteps && AgentFolder().IsEmpty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return !AgentFolder().IsEmpty();
}

// The handheld keeps a copy of the first catalogued package, and an index that lists it.
int BackUpFirstPackage(const CString& strFolder)
{
    CBackupDlg dlg;
    dlg.LoadCatalogue(GetDeviceCpuType());
    CAppEntry* chosen = nullptr;
    for (INT_PTR i = 0; i < dlg.m_arrApps.GetSize() && !chosen; ++i) {
        auto* app = static_cast<CAppEntry*>(dlg.m_arrApps.GetAt(i));
        if (app->m_dwCabSize != 0)
            chosen = app;
    }
    if (!chosen)
        return Fail("the desktop offers no package for the handheld's processor");
    for (INT_PTR i = 0; i < dlg.m_arrApps.GetSize(); ++i)
        static_cast<CAppEntry*>(dlg.m_arrApps.GetAt(i))->m_bTicked = dlg.m_arrApps.GetAt(i) == chosen;

    CeCreateDirectory(strFolder + u"Data", nullptr);
    if (!CopyFileToDevice(chosen->DesktopFile(chosen->m_cabName.m_strName), strFolder + u"Data\\" + chosen->m_cabName.m_strName))
        return Fail("cannot copy " + ToUtf8(chosen->m_cabName.m_strName) + " to the handheld");
    const CString strLocal = CBackupDlg::GetLocalIndexPath() + u".demo";
    dlg.WriteBackupIndex(strLocal);
    const BOOL bCopied = CopyFileToDevice(strLocal, strFolder + u"Backup.ini");
    DeleteFile(strLocal);
    if (!bCopied)
        return Fail("cannot write Backup.ini on the handheld");
    std::printf("Handheld: agent in %s, Backup.ini lists %s (%s)\n", ToUtf8(strFolder).c_str(),
                ToUtf8(chosen->m_strAppName).c_str(), ToUtf8(chosen->m_cabName.m_strName).c_str());
    return 0;
}

}  // namespace

int RunHandheldCommand(const std::vector<std::string>& args)
{
    const CString strFolder = FromUtf8(args.empty() ? "\\Storage Card\\Backup\\" : args[0]);
    if (args.size() > 1 || strFolder.Right(1) != u"\\") {
        std::fprintf(stderr, "usage: pelrudo-demo handheld [FOLDER]   (FOLDER ends in a backslash)\n");
        return 2;
    }
    bool created = false;
    if (!DemoDesktop::Prepare(&created))
        return 1;
    if (FAILED(ConnectDevice()))
        return Fail("no handheld answers (start pelrudo-device serve first)");
    int status = RunAgent(strFolder) ? BackUpFirstPackage(strFolder)
                                     : Fail("the agent " + ToUtf8(strFolder) + "info.exe did not run");
    CeRapiUninit();
    return status;
}
