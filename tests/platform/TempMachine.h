// TempMachine: a test fixture with a fresh prefix and current folder, so no test touches the user's home.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/HostPath.h"
#include "tests/platform/TestFolder.h"

class TempMachine : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-fs-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        char cwd[PATH_MAX];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        m_oldCwd = cwd;
        setenv("PELRUDO_PREFIX", (m_root + "/prefix").c_str(), 1);
        ResetPrefix();
        m_driveC = m_root + "/prefix/drive_c";
        ASSERT_FALSE(GetDriveFolder(u'C').empty());
        ASSERT_EQ(chdir(m_driveC.c_str()), 0);
    }

    void TearDown() override
    {
        EXPECT_EQ(chdir(m_oldCwd.c_str()), 0);
        ResetPrefix();
        unsetenv("PELRUDO_PREFIX");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // A file of drive C, given relative to its folder.
    std::string OnC(const std::string& relative) const { return m_driveC + "/" + relative; }

    static void WriteHost(const std::string& path, const std::string& content) { TestFolder::WriteHostFile(path, content); }
    static std::string ReadHost(const std::string& path) { return TestFolder::ReadHostFile(path); }

    static bool HostExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

    std::string m_root;
    std::string m_driveC;
    std::string m_oldCwd;
};
