// SetupMachine: a test fixture with a fresh desktop prefix, the Application Manager's registration and its record.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/HostPath.h"
#include "platform/RegistryApi.h"

// What the recording stand-in saw: its folder, parent, session and arguments (UTF-8).
struct StartRecord {
    std::string cwd;
    pid_t ppid = 0;
    pid_t sid = 0;
    std::vector<std::string> args;
};

class SetupMachine : public ::testing::Test {
protected:
    static constexpr char16_t kAppMgrKey[] = u"SOFTWARE\\MICROSOFT\\WINDOWS\\CurrentVersion\\App Paths\\CEAppMgr.exe";
    static constexpr char16_t kAppMgrPath[] = u"C:\\Program Files\\Microsoft ActiveSync\\CEAppMgr.exe";

    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelrudo-setup-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        setenv("PELRUDO_PREFIX", (m_root + "/prefix").c_str(), 1);
        m_record = m_root + "/record.txt";
        setenv("PELRUDO_RECORD", m_record.c_str(), 1);
        ResetPrefix();
        RegSetStorePath("");
        m_driveC = GetDriveFolder(u'C');
        ASSERT_FALSE(m_driveC.empty());
    }

    void TearDown() override
    {
        RegSetStorePath("");
        ResetPrefix();
        unsetenv("PELRUDO_PREFIX");
        unsetenv("PELRUDO_RECORD");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    // Copies a built program to a path of drive C (relative, '/'-separated) and returns its host path.
    std::string CopyToDriveC(const std::string& program, const std::string& relative) const
    {
        const std::filesystem::path target = std::filesystem::path(m_driveC) / relative;
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(program, target, std::filesystem::copy_options::overwrite_existing);
        return target.string();
    }

    // The recording stand-in installed where ActiveSync puts the Application Manager.
    void InstallRecorder() const
    {
        CopyToDriveC(SETUP_RECORDER, "Program Files/Microsoft ActiveSync/CEAppMgr.exe");
    }

    // The key with its default value (REG_SZ with its terminator, as installers write it).
    static void Register(const std::u16string& appMgrPath)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, kAppMgrKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const auto* data = reinterpret_cast<const BYTE*>(appMgrPath.c_str());
        EXPECT_EQ(RegSetValueEx(key, u"", 0, REG_SZ, data, static_cast<DWORD>((appMgrPath.size() + 1) * 2)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    bool Recorded() const { return std::filesystem::exists(m_record); }

    // The record of the started stand-in; it runs detached, so wait for it (bounded, not timed).
    std::optional<StartRecord> WaitForRecord() const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!Recorded()) {
            if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        StartRecord record;
        std::ifstream in(m_record);
        for (std::string line; std::getline(in, line);) {
            const std::string key = line.substr(0, line.find('=')), value = line.substr(line.find('=') + 1);
            if (key == "cwd") record.cwd = value;
            if (key == "ppid") record.ppid = static_cast<pid_t>(std::stol(value));
            if (key == "sid") record.sid = static_cast<pid_t>(std::stol(value));
            if (key == "arg") record.args.push_back(value);
        }
        return record;
    }

    std::string m_root;
    std::string m_driveC;
    std::string m_record;
};
