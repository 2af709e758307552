// pelrudo-demo setup: Setup and a sample setup.ini in a folder of drive C, with the stand-in Application Manager registered.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "core/CRegistry.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "tools/demo/DemoCommand.h"

namespace fs = std::filesystem;

namespace {

const char16_t kAppMgrKey[] = u"SOFTWARE\\MICROSOFT\\WINDOWS\\CurrentVersion\\App Paths\\CEAppMgr.exe";
const char kFolder[] = "Pelrudo Demo/Setup";

// The description is written in the system code page, as the Application Manager reads it.
const char16_t kSetupIni[] =
    u"[CEAppManager]\r\n"
    u"Version = 1.0\r\n"
    u"Component = Pocket Notes,Pocket Sketch\r\n"
    u"\r\n"
    u"[Pocket Notes]\r\n"
    u"Description = 掌上便笺\r\n"
    u"CabFiles = PocketNotes.ARM.CAB,PocketNotes.MIPS.CAB,PocketNotes.SH3.CAB\r\n"
    u"\r\n"
    u"[Pocket Sketch]\r\n"
    u"Description = 掌上画板\r\n"
    u"CabFiles = PocketSketch.ARM.CAB\r\n";

// The folder of this program, where the build (or the installation) also puts setup and pelrudo-appmgr.
fs::path ProgramFolder()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

bool WriteSetupFolder(const fs::path& setupProgram, const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::copy_file(setupProgram, folder / "setup", fs::copy_options::overwrite_existing, error)) {
        std::fprintf(stderr, "pelrudo-demo: cannot copy setup into %s: %s\n", folder.c_str(), error.message().c_str());
        return false;
    }
    std::ofstream ini(folder / "setup.ini", std::ios::binary | std::ios::trunc);
    ini << Utf16ToAnsi(kSetupIni);
    if (!ini.flush()) {
        std::fprintf(stderr, "pelrudo-demo: cannot write %s\n", (folder / "setup.ini").c_str());
        return false;
    }
    return true;
}

// Registers the stand-in unless another Application Manager is registered already (a user's own is kept).
bool RegisterAppManager(const CStringW& appMgr, CStringW* pRegistered)
{
    CRegistry reg;
    if (!reg.Open(HKEY_LOCAL_MACHINE, kAppMgrKey, 1)) {
        std::fprintf(stderr, "pelrudo-demo: the registry of %s cannot be written\n", GetPrefix().c_str());
        return false;
    }
    if (reg.ReadString(u"", *pRegistered) && !pRegistered->IsEmpty()) return true;
    *pRegistered = appMgr;
    if (reg.WriteString(u"", appMgr)) return true;
    std::fprintf(stderr, "pelrudo-demo: the Application Manager cannot be registered\n");
    return false;
}

}  // namespace

int RunSetupCommand(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        std::fprintf(stderr, "usage: pelrudo-demo setup\n");
        return 2;
    }
    const fs::path programs = ProgramFolder();
    const fs::path setupProgram = programs / "setup", appMgr = programs / "pelrudo-appmgr";
    if (access(setupProgram.c_str(), X_OK) != 0 || access(appMgr.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "pelrudo-demo: setup and pelrudo-appmgr are not beside this program (%s)\n",
                     programs.c_str());
        return 1;
    }
    const std::string driveC = GetDriveFolder(u'C');
    if (driveC.empty()) {
        std::fprintf(stderr, "pelrudo-demo: drive C of %s cannot be made\n", GetPrefix().c_str());
        return 1;
    }
    const fs::path folder = fs::path(driveC) / kFolder;
    CStringW registered;
    if (!WriteSetupFolder(setupProgram, folder) || !RegisterAppManager(ToWindowsPath(appMgr.string()), &registered))
        return 1;

    std::printf("Desktop %s\n", GetPrefix().c_str());
    std::printf("Setup and setup.ini: %s (host folder %s)\n", ToUtf8(ToWindowsPath(folder.string())).c_str(),
                folder.c_str());
    std::printf("Application Manager registered: %s\n\n", ToUtf8(registered).c_str());
    std::printf("Run Setup (it shows its dialog for a moment and starts the Application Manager):\n"
                "  PELRUDO_PREFIX='%s' '%s'\n"
                "Without a display, add QT_QPA_PLATFORM=offscreen.\n",
                GetPrefix().c_str(), (folder / "setup").c_str());
    return 0;
}
