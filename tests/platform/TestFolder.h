// TestFolder: a fresh host folder for one test, made the desktop prefix, removed with everything in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/CStringT.h"
#include "platform/HostPath.h"
#include "platform/Text.h"

class TestFolder {
public:
    TestFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-test-XXXXXX").string();
        m_host = ::mkdtemp(pattern.data()) ? pattern : std::string();
        ::setenv("PELRUDO_PREFIX", (m_host + "/prefix").c_str(), 1);
        ResetPrefix();
    }
    ~TestFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(m_host, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_host, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    bool IsValid() const { return !m_host.empty(); }
    // A host path in the folder, the form the layer takes as it stands.
    std::string Host(const std::string& name) const { return m_host + "/" + name; }
    CStringW Path(const std::string& name) const { return FromUtf8(Host(name)); }

    std::string ReadBytes(const std::string& name) const { return ReadHostFile(Host(name)); }
    void WriteBytes(const std::string& name, const std::string& bytes) const { WriteHostFile(Host(name), bytes); }

    // Any host file, whole: its bytes (none when it cannot be read), or written anew with its folders.
    static std::string ReadHostFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool WriteHostFile(const std::string& path, const std::string& bytes)
    {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        return static_cast<bool>(out);
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(Host(name)); }
    // Names in the folder other than the prefix: what a save left behind.
    std::size_t CountEntries() const
    {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_host)) n += entry.path().filename() != "prefix";
        return n;
    }

private:
    std::string m_host;
};
