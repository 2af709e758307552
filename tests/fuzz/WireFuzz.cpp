// Fuzzing the handheld emulator: its frame decoder and request dispatcher fed arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/wire/FrameDecoder.h"
#include "core/wire/WireWriter.h"
#include "device/DeviceImage.h"
#include "device/DeviceSession.h"
#include "device/DeviceSettings.h"
#include "platform/RegistryApi.h"

namespace {

// One small handheld in a temporary folder for the whole run, removed at exit.
std::string g_folder;

void RemoveFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
}

DeviceImage& Image()
{
    static DeviceImage* image = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-wire-fuzz-XXXXXX").string();
        g_folder = mkdtemp(pattern.data()) ? pattern : std::string("/nonexistent");
        std::atexit(RemoveFolder);
        setenv("PELRUDO_PREFIX", (g_folder + "/prefix").c_str(), 1);
        DeviceSettings settings;
        settings.SetStore(u"\\", 1u << 20);
        settings.SetStore(u"\\Storage Card", 1u << 20);
        settings.Save(DeviceImage::SettingsFile(g_folder));
        auto* made = new DeviceImage;
        std::string error;
        if (!made->Open(g_folder, error)) std::abort();
        RegSetStorePath(g_folder + "/registry.db");
        return made;
    }();
    return *image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DeviceSession session(Image());
    FrameDecoder decoder(64u * 1024u);
    WireWriter replies;
    decoder.Append(data, size);
    std::span<const std::uint8_t> body;
    while (decoder.Next(body) == FrameDecoder::Status::Ready) {
        if (!session.Dispatch(body, replies)) break;
        replies.Clear();
    }
    return 0;
}
