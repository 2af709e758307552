// libFuzzer target: any bytes load as an INI document, and what is saved loads back and saves the same.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "core/CIniStream.h"
#include "platform/HostPath.h"
#include "platform/Text.h"

namespace {

// A scratch folder in memory when the host has one, so that the save's flush costs nothing.
const std::string& Folder()
{
    static const std::string folder = [] {
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/pelrudo-fuzz-XXXXXX" : "/tmp/pelrudo-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) abort();
        setenv("PELRUDO_PREFIX", (pattern + "/prefix").c_str(), 1);
        ResetPrefix();
        return pattern;
    }();
    return folder;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SaveOf(CIniStream& ini, const CStringW& path, const std::string& host)
{
    if (ini.Open(path.GetString(), 0) != 1 || ini.Save() != 1) abort();
    return ReadBytes(host);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string host = Folder() + "/input.ini";
    std::ofstream(host, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));
    const CStringW path = FromUtf8(host);
    CIniStream ini;
    std::string once = SaveOf(ini, path, host);
    // A document with segments is written with the mark and whole UTF-16 units.
    if (!once.empty() && (once.size() % 2 != 0 || once.compare(0, 2, "\xFF\xFE") != 0)) abort();
    if (SaveOf(ini, path, host) != once) abort();
    void* segment = ini.FindSegment(u"General", 0);
    CString key;
    CString value;
    for (int i = 0; i < ini.GetCount(segment); ++i) {
        if (!ini.GetData(segment, i, key, value)) abort();
        CString first;
        if (!ini.GetData(segment, key, first)) abort();
    }
    return 0;
}
