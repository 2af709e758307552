// CRegistryTest: the fixture of the registry class's tests, named after the build under test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CRegistry.h"
#include "platform/RegistryApi.h"
#include "platform/Text.h"
#include "tests/core/TempPrefix.h"

// One test source serves the three builds; each build's suite carries its own name.
#if defined(PELRUDO_NARROW)
#define CRegistryTest CRegistryNarrowTest
#elif defined(PELRUDO_HANDHELD)
#define CRegistryTest CRegistryHandheldTest
#endif

// A fresh store per test; the Raw helpers look at the store through the system calls, not the class.
class CRegistryTest : public ::testing::Test {
protected:
    using Text = std::basic_string<TCHAR>;

    static bool KeyExists(const char16_t* path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // A closed handle answers no query any more.
    static bool HandleWorks(HKEY key)
    {
        DWORD subKeys = 0;
        return RegQueryInfoKey(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    static void SetRaw(const TCHAR* path, const TCHAR* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueEx(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // Type and size of a value as this build's characters see it.
    static bool QueryRaw(const TCHAR* path, const TCHAR* name, DWORD* type, DWORD* size)
    {
        HKEY key = nullptr;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        const LONG status = RegQueryValueEx(key, name, nullptr, type, nullptr, size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    TempPrefix m_prefix;
};
