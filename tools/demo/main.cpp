// pelrudo-demo: runs the kit's pieces on a demo desktop; one command per source file, listed here.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/demo/DemoCommand.h"

namespace {

const DemoCommand kCommands[] = {
    {"catalogue", "[--cpu N]",
     "the applications the Application Manager can install on processor type N (default 2577)",
     RunCatalogueCommand},
    {"handheld", "[FOLDER]",
     "readies the running handheld for Pelrudo: runs the agent in FOLDER (default \\Storage Card\\Backup\\) and\n"
     "      keeps a copy of the first catalogued package in its Data\\ folder, listed by its Backup.ini",
     RunHandheldCommand},
    {"setup", "", "a folder with Setup and a sample setup.ini, and the stand-in Application Manager registered",
     RunSetupCommand},
};

int Usage(FILE* out)
{
    std::fprintf(out, "usage: pelrudo-demo COMMAND [ARGS]\n\n"
                      "The demo desktop is $PELRUDO_PREFIX (default: the normal prefix).\n\ncommands:\n");
    for (const DemoCommand& command : kCommands)
        std::fprintf(out, "  %s %s\n      %s\n", command.name, command.usage, command.summary);
    return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage(stderr);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0)
        return Usage(stdout);
    for (const DemoCommand& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "pelrudo-demo: unknown command \"%s\"\n\n", argv[1]);
    return Usage(stderr);
}
