// pelrudo-device: makes a handheld image in a folder (init) and serves it to the desktop link (serve).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "device/DeviceImage.h"
#include "device/DeviceServer.h"
#include "device/DeviceSettings.h"
#include "platform/HostPath.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"

namespace {

int Usage()
{
    std::fputs("usage: pelrudo-device init DIR [--cpu N] [--store NAME=SIZE]... [--agent FOLDER] [--agent-program PATH]\n"
               "       pelrudo-device serve DIR [--socket PATH] [--delay MS] [--rate BYTES_PER_SECOND] [--drop-after BYTES]\n",
               stderr);
    return 2;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "pelrudo-device: %s\n", message.c_str());
    return 1;
}

// The options of a command: "--name value" pairs, some of which may repeat.
struct Options {
    std::vector<std::pair<std::string, std::string>> values;
    bool Parse(int argc, char** argv, int first)
    {
        for (int i = first; i < argc; i += 2) {
            if (std::string_view(argv[i]).substr(0, 2) != "--" || i + 1 >= argc) return false;
            values.emplace_back(argv[i] + 2, argv[i + 1]);
        }
        return true;
    }
};

bool ParseNumber(const std::string& text, std::uint64_t& value)
{
    return DeviceSettings::ParseSize(text, value);
}

std::string OwnFolder()
{
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return ".";
    const std::string self(path, static_cast<std::size_t>(n));
    return self.substr(0, self.rfind('/'));
}

bool CopyProgram(const std::string& from, int folder, const std::string& name)
{
    const int source = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return false;
    const int target = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0755);
    bool ok = target >= 0;
    char buffer[65536];
    ssize_t n = 0;
    while (ok && (n = ::read(source, buffer, sizeof(buffer))) > 0) ok = ::write(target, buffer, static_cast<std::size_t>(n)) == n;
    ok = ok && n == 0 && ::fchmod(target, 0755) == 0;
    ::close(source);
    if (target >= 0) ::close(target);
    return ok;
}

int InstallAgent(DeviceImage& image, const std::string& folder, const std::string& program)
{
    const std::u16string handheldFolder = Utf8ToUtf16(folder);
    DeviceImage::Resolved target;
    if (image.MakeFolders(handheldFolder) != ERROR_SUCCESS ||
        image.Resolve(handheldFolder + u"\\info.exe", target) != ERROR_SUCCESS)
        return Fail("cannot make the agent's folder " + folder);
    if (!CopyProgram(program, target.folder.Get(), target.name.empty() ? "info.exe" : target.name))
        return Fail("cannot copy the agent " + program);
    return 0;
}

int Init(const std::string& dir, const Options& options)
{
    ::mkdir(dir.c_str(), 0755);
    ::mkdir((dir + "/root").c_str(), 0755);
    DeviceSettings settings;
    settings.Load(DeviceImage::SettingsFile(dir));
    std::string agentFolder;
    std::string agentProgram = OwnFolder() + "/pelrudo-info";
    for (const auto& [name, value] : options.values) {
        std::uint64_t number = 0;
        DeviceSettings::Store store;
        if (name == "cpu" && ParseNumber(value, number) && number <= 0xFFFFFFFFu) settings.SetProcessorType(static_cast<DWORD>(number));
        else if (name == "store" && DeviceSettings::ParseStore(value, store)) settings.SetStore(store.root, store.capacity);
        else if (name == "agent") agentFolder = value;
        else if (name == "agent-program") agentProgram = value;
        else return Fail("bad option --" + name + " " + value);
    }
    if (!settings.Save(DeviceImage::SettingsFile(dir))) return Fail("cannot write " + DeviceImage::SettingsFile(dir));
    DeviceImage image;
    std::string error;
    if (!image.Open(dir, error)) return Fail(error);
    // The registry store exists from the start, with the usual top key.
    RegSetStorePath(dir + "/registry.db");
    HKEY software = nullptr;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &software, nullptr) != ERROR_SUCCESS)
        return Fail("cannot make the registry store " + dir + "/registry.db");
    RegCloseKey(software);
    return agentFolder.empty() ? 0 : InstallAgent(image, agentFolder, agentProgram);
}

int Serve(const std::string& dir, const Options& options)
{
    DeviceServer::Options serving;
    for (const auto& [name, value] : options.values) {
        std::uint64_t number = 0;
        const bool numeric = ParseNumber(value, number);
        if (name == "socket") serving.socketPath = value;
        else if (name == "delay" && numeric && number <= 0xFFFFFFFFu) serving.delayMs = static_cast<DWORD>(number);
        else if (name == "rate" && numeric) serving.bytesPerSecond = number;
        else if (name == "drop-after" && numeric) serving.dropAfter = number;
        else return Fail("bad option --" + name + " " + value);
    }
    if (serving.socketPath.empty()) {
        const std::string folder = GetPrefix() + "/device";
        ::mkdir(folder.c_str(), 0700);
        ::chmod(folder.c_str(), 0700);
        serving.socketPath = folder + "/rapi.sock";
    }
    DeviceImage image;
    std::string error;
    if (!image.Open(dir, error)) return Fail(error);
    RegSetStorePath(dir + "/registry.db");
    DeviceServer server(image, serving);
    return server.Run();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    Options options;
    if (!options.Parse(argc, argv, 3)) return Usage();
    if (command == "init") return Init(argv[2], options);
    if (command == "serve") return Serve(argv[2], options);
    return Usage();
}
