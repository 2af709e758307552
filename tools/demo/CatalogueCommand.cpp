// pelrudo-demo catalogue: the backup dialog's catalogue scan run on the demo desktop, printed as a table.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backup/CBackupDlg.h"
#include "platform/HostPath.h"
#include "platform/Text.h"
#include "tools/demo/DemoCommand.h"
#include "tools/demo/DemoDesktop.h"
#include "tools/demo/TextTable.h"

namespace {

constexpr DWORD kDefaultCpuType = 2577;  // StrongARM, the Pocket PC's usual processor

// A decimal processor type that fits 32 bits; false for anything else.
bool ParseCpuType(const std::string& text, DWORD* pCpuType)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), nullptr, 10);
    if (errno != 0 || value > 0xFFFFFFFFull)
        return false;
    *pCpuType = static_cast<DWORD>(value);
    return true;
}

bool ParseArgs(const std::vector<std::string>& args, DWORD* pCpuType)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--cpu" || i + 1 == args.size() || !ParseCpuType(args[i + 1], pCpuType))
            return false;
        ++i;
    }
    return true;
}

void PrintCatalogue(const CBackupDlg& dlg)
{
    using Align = TextTable::Align;
    TextTable table({"Name", "Package", "Size", "CPU", "Backed up"},
                    {Align::Left, Align::Left, Align::Right, Align::Right, Align::Left});
    for (INT_PTR i = 0; i < dlg.m_arrApps.GetSize(); ++i) {
        const auto* app = static_cast<const CAppEntry*>(dlg.m_arrApps.GetAt(i));
        table.AddRow({ToUtf8(app->m_strAppName), ToUtf8(app->m_cabName.m_strName), std::to_string(app->m_dwCabSize),
                      std::to_string(app->m_nCpuType), app->m_bBackedUp ? "yes" : "no"});
    }
    table.Print(stdout);
}

}  // namespace

int RunCatalogueCommand(const std::vector<std::string>& args)
{
    DWORD cpuType = kDefaultCpuType;
    if (!ParseArgs(args, &cpuType)) {
        std::fprintf(stderr, "usage: pelrudo-demo catalogue [--cpu N]   (N: a decimal processor type)\n");
        return 2;
    }

    bool created = false;
    if (!DemoDesktop::Prepare(&created))
        return 1;
    std::printf("Desktop %s: %s\n", GetPrefix().c_str(),
                created ? "sample applications written" : "existing Application Manager data used");

    // The index first: the scan takes each package's backed-up flag from it.
    CBackupDlg dlg;
    const CString index = DemoDesktop::IndexPath();
    const bool indexRead = dlg.ReadBackupIndex(index) != FALSE;
    if (!dlg.LoadCatalogue(cpuType)) {
        std::fprintf(stderr, "pelrudo-demo: the Application Manager's data cannot be opened\n");
        return 1;
    }
    std::printf("Backup index %s: %s\n", ToUtf8(index).c_str(),
                indexRead ? "read" : "none (nothing counts as backed up)");
    std::printf("Catalogue for processor type %u\n\n", cpuType);
    PrintCatalogue(dlg);
    std::printf("\n%d application(s); a size of 0 means the package file is missing and the dialog shows no row.\n",
                static_cast<int>(dlg.m_arrApps.GetSize()));
    return 0;
}
