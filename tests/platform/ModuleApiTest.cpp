// Tests of LoadLibrary, GetProcAddress and FreeLibrary: Windows paths, exports and error numbers.
#include <gtest/gtest.h>

#include "platform/FileApi.h"
#include "platform/ModuleApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "tests/platform/TestFolder.h"

namespace {

class ModuleApiTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.IsValid()); }

    static CStringW Library() { return FromUtf8(PELRUDO_TEST_MODULE); }

    TestFolder m_folder;
};

TEST_F(ModuleApiTest, LoadsALibraryAndFindsItsExport)
{
    HMODULE module = LoadLibrary(Library());
    ASSERT_NE(module, nullptr);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(module, "PelrudoModuleAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModuleApiTest, LoadingTwiceGivesTheSameHandle)
{
    HMODULE first = LoadLibrary(Library());
    HMODULE second = LoadLibrary(Library());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_NE(GetProcAddress(first, "PelrudoModuleAnswer"), nullptr);
    EXPECT_TRUE(FreeLibrary(first));
}

TEST_F(ModuleApiTest, MissingExportIsProcNotFound)
{
    HMODULE module = LoadLibrary(Library());
    ASSERT_NE(module, nullptr);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    FreeLibrary(module);
}

TEST_F(ModuleApiTest, FailuresSetThePlatformsErrors)
{
    m_folder.WriteBytes("text.bsp", "this is no library");
    struct Case {
        CStringW name;
        DWORD error;
    } cases[] = {
        {m_folder.Path("missing.bsp"), ERROR_MOD_NOT_FOUND},
        {m_folder.Path("nowhere\\missing.bsp"), ERROR_MOD_NOT_FOUND},
        {u"", ERROR_MOD_NOT_FOUND},
        {u"no-such-library-anywhere.bsp", ERROR_MOD_NOT_FOUND},
        {m_folder.Path("text.bsp"), ERROR_BAD_EXE_FORMAT},
        {m_folder.Path(""), ERROR_MOD_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.name));
        SetLastError(0);
        EXPECT_EQ(LoadLibrary(c.name), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(ModuleApiTest, BareNameIsFoundInTheCurrentFolder)
{
    std::filesystem::copy_file(PELRUDO_TEST_MODULE, m_folder.Host("Copy.bsp"));
    ASSERT_TRUE(SetCurrentDirectory(m_folder.Path("").GetString()));
    HMODULE module = LoadLibrary(u"Copy.bsp");
    ASSERT_NE(module, nullptr);
    EXPECT_NE(GetProcAddress(module, "PelrudoModuleAnswer"), nullptr);
    FreeLibrary(module);
}

TEST_F(ModuleApiTest, NullHandlesAreRefused)
{
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(nullptr, "PelrudoModuleAnswer"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(nullptr));
}

}  // namespace
