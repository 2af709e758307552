// setup-record-args: a stand-in Application Manager that records how it was started in $PELRUDO_RECORD.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    const char* record = std::getenv("PELRUDO_RECORD");
    if (!record || !*record) return 2;
    char cwd[PATH_MAX] = {};
    if (!getcwd(cwd, sizeof cwd)) return 3;
    // Written aside and renamed, so that a reader never sees half a record.
    const std::string part = std::string(record) + ".part";
    {
        std::ofstream out(part, std::ios::binary | std::ios::trunc);
        out << "cwd=" << cwd << '\n' << "ppid=" << getppid() << '\n' << "sid=" << getsid(0) << '\n';
        for (int i = 1; i < argc; ++i) out << "arg=" << argv[i] << '\n';
        if (!out.flush()) return 4;
    }
    return std::rename(part.c_str(), record) == 0 ? 0 : 5;
}
