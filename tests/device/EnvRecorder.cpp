// A handheld test program: writes the environment the emulator started it with to env.txt of its image.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char**)
{
    const char* dir = std::getenv("PELRUDO_DEVICE_DIR");
    if (!dir) return 1;
    const std::string temporary = std::string(dir) + "/env.tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "w");
    if (!out) return 1;
    for (const char* name : {"PELRUDO_REGISTRY", "PELRUDO_CE_MODULE", "PELRUDO_CE_STORES", "PELRUDO_DEVICE_DIR"}) {
        const char* value = std::getenv(name);
        std::fprintf(out, "%s=%s\n", name, value ? value : "(unset)");
    }
    std::fprintf(out, "ARGC=%d\n", argc);
    std::fclose(out);
    // Renamed when whole, so that the test never reads half a file.
    return std::rename(temporary.c_str(), (std::string(dir) + "/env.txt").c_str()) == 0 ? 0 : 1;
}
