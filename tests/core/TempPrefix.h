// TempPrefix: a fresh desktop prefix and registry store for one test, removed again afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/HostPath.h"
#include "platform/RegistryApi.h"

// Points PELRUDO_PREFIX and PELRUDO_REGISTRY at a unique temporary folder, so that tests never
// touch the user's own desktop and can run in parallel.
class TempPrefix {
public:
    TempPrefix()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-test-XXXXXX").string();
        m_dir = ::mkdtemp(pattern.data()) ? pattern : std::string();
        const std::string store = m_dir + "/registry.db";
        ::setenv("PELRUDO_PREFIX", m_dir.c_str(), 1);
        ::setenv("PELRUDO_REGISTRY", store.c_str(), 1);
        ResetPrefix();
        RegSetStorePath(store);
    }
    ~TempPrefix()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;

    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
};
