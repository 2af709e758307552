// pelrudo-appmgr: a stand-in for ActiveSync's Application Manager that shows the setup files it is given.
#include <cstdio>
#include <string>

#include "tools/appmgr/SetupIniFile.h"

namespace {

void Show(const std::string& path, const SetupIniFile& ini)
{
    std::printf("Application Manager: %s\n", path.c_str());
    std::printf("  Version: %s\n", ini.Version().empty() ? "(none)" : ini.Version().c_str());
    if (ini.Components().empty()) std::printf("  No application is named.\n");
    for (const SetupIniFile::Component& component : ini.Components()) {
        std::printf("  Application %s: %s\n", component.name.c_str(), component.description.c_str());
        for (const std::string& cab : component.cabFiles) std::printf("    %s\n", cab.c_str());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: pelrudo-appmgr SETUP.INI...\n"
                             "Lists the applications an installation description would install.\n");
        return 2;
    }
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        SetupIniFile ini;
        if (!ini.Load(argv[i])) {
            std::fprintf(stderr, "pelrudo-appmgr: cannot read the setup file %s\n", argv[i]);
            result = 1;
            continue;
        }
        Show(argv[i], ini);
    }
    std::fflush(stdout);
    return result;
}
