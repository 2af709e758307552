// PluginFixture: loads the tests' two plug-ins and resets the full one's state before each test.
#pragma once

#include <gtest/gtest.h>

#include "platform/ModuleApi.h"
#include "platform/Text.h"
#include "tests/platform/TestFolder.h"

class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        m_plugin = LoadLibrary(FromUtf8(PELRUDO_TEST_PLUGIN));
        m_bare = LoadLibrary(FromUtf8(PELRUDO_BARE_PLUGIN));
        ASSERT_NE(m_plugin, nullptr);
        ASSERT_NE(m_bare, nullptr);
        Probe<void (*)()>("TestReset")();
    }
    void TearDown() override
    {
        if (m_plugin) FreeLibrary(m_plugin);
        if (m_bare) FreeLibrary(m_bare);
    }

    // One of the full plug-in's probes.
    template <class Fn>
    Fn Probe(const char* name) const
    {
        return reinterpret_cast<Fn>(GetProcAddress(m_plugin, name));
    }
    DWORD Closed() const { return Probe<DWORD (*)()>("TestClosed")(); }
    int CloseCalls() const { return Probe<int (*)()>("TestCloseCalls")(); }
    CString IconAsked() const { return Probe<LPCWSTR (*)()>("TestIconAsked")(); }
    const CString* PathObject() const { return Probe<const CString* (*)()>("TestPathObject")(); }

    TestFolder m_folder;
    HMODULE m_plugin = nullptr;
    HMODULE m_bare = nullptr;
};
