// Tests of CBinaryFileImp: open modes, last-error values, byte operations, virtual slots and exceptions.
#include <gtest/gtest.h>

#include <string>

#include "platform/HostPath.h"
#include "plugins/CBinaryFileImp.h"
#include "tests/plugins/PluginFixture.h"

namespace {

constexpr DWORD kDone = 0x01000000u;
constexpr UINT kModeCreate = 0x1001;

using CBinaryFileImpTest = PluginFixture;

// Counts the calls that must go through the virtual slots.
class CountingFile : public CBinaryFileImp {
public:
    using CBinaryFileImp::Open;
    int Open(LPCWSTR lpszFileName, UINT nOpenFlags) override
    {
        modes += std::to_string(nOpenFlags) + " ";
        return CBinaryFileImp::Open(lpszFileName, nOpenFlags);
    }
    void Close() override
    {
        ++closes;
        CBinaryFileImp::Close();
    }
    std::string modes;
    int closes = 0;
};

bool Throws(auto call)
{
    try {
        call();
    } catch (CFileException* e) {
        e->Delete();
        return true;
    }
    return false;
}

TEST_F(CBinaryFileImpTest, LastErrorFollowsEachOperation)
{
    CBinaryFileImp file;
    EXPECT_EQ(file.GetLastError(), 0u);
    EXPECT_EQ(file.Open(m_folder.Path("missing.bin").GetString(), 0), 0);
    EXPECT_EQ(file.GetLastError(), 4u);
    file.Close();
    EXPECT_EQ(file.GetLastError(), 4u);  // nothing was open
    EXPECT_NE(file.Open(m_folder.Path("new.bin").GetString(), kModeCreate), 0);
    EXPECT_EQ(file.GetLastError(), kDone);
    file.Close();
    EXPECT_EQ(file.GetLastError(), kDone);
    EXPECT_EQ(file.Open(m_folder.Path("missing.bin")), 0);
    EXPECT_EQ(file.GetLastError(), 4u);
    EXPECT_NE(file.Open(m_folder.Path("new.bin")), 0);
    EXPECT_EQ(file.GetLastError(), kDone);
}

TEST_F(CBinaryFileImpTest, WriteSeekReadAndPosition)
{
    CBinaryFileImp file;
    ASSERT_NE(file.Open(m_folder.Path("b.bin").GetString(), kModeCreate), 0);
    file.Write("abcdef", 6);
    EXPECT_EQ(file.GetPosition(), 6u);
    file.Close();
    ASSERT_NE(file.Open(m_folder.Path("b.bin")), 0);
    EXPECT_EQ(file.Seek(-2, 2), 4);
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 8), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(file.Read(buffer, 8), 0u);
    EXPECT_EQ(file.Seek(1, 0), 1);
    EXPECT_EQ(file.Seek(2, 1), 3);
    EXPECT_EQ(file.GetLastError(), kDone);
}

TEST_F(CBinaryFileImpTest, CreateModeTruncates)
{
    m_folder.WriteBytes("t.bin", "old content");
    CBinaryFileImp file;
    ASSERT_NE(file.Open(m_folder.Path("t.bin").GetString(), kModeCreate), 0);
    file.Write("new", 3);
    file.Close();
    EXPECT_EQ(m_folder.ReadBytes("t.bin"), "new");
}

TEST_F(CBinaryFileImpTest, OpenShutsOutOtherOpeners)
{
    m_folder.WriteBytes("x.bin", "x");
    CBinaryFileImp first;
    CBinaryFileImp second;
    ASSERT_NE(first.Open(m_folder.Path("x.bin")), 0);
    EXPECT_EQ(second.Open(m_folder.Path("x.bin")), 0);
    EXPECT_EQ(second.GetLastError(), 4u);
    first.Close();
    EXPECT_NE(second.Open(m_folder.Path("x.bin")), 0);
}

TEST_F(CBinaryFileImpTest, PathIsFullWhileOpenAndEmptyOtherwise)
{
    m_folder.WriteBytes("p.bin", "x");
    CBinaryFileImp file;
    EXPECT_TRUE(file.GetPath().IsEmpty());
    ASSERT_NE(file.Open(m_folder.Path("p.bin")), 0);
    EXPECT_EQ(ToHostPath(file.GetPath()), m_folder.Host("p.bin"));
    file.Close();
    EXPECT_TRUE(file.GetPath().IsEmpty());
    EXPECT_EQ(file.GetLastError(), kDone);
}

TEST_F(CBinaryFileImpTest, OpenGoesThroughTheVirtualSlots)
{
    m_folder.WriteBytes("a.bin", "a");
    m_folder.WriteBytes("b.bin", "b");
    CountingFile file;
    ASSERT_NE(file.Open(m_folder.Path("a.bin")), 0);
    EXPECT_EQ(file.modes, "0 ");
    EXPECT_EQ(file.closes, 0);
    ASSERT_NE(file.Open(m_folder.Path("b.bin")), 0);
    EXPECT_EQ(file.closes, 1);
    CBinaryFileImp other;
    EXPECT_NE(other.Open(m_folder.Path("a.bin")), 0);  // the first file was let go
}

TEST_F(CBinaryFileImpTest, FailuresOfTheFileReachTheCallerAndKeepTheLastError)
{
    m_folder.WriteBytes("r.bin", "abc");
    CBinaryFileImp file;
    char byte = 0;
    EXPECT_TRUE(Throws([&] { file.Read(&byte, 1); }));
    EXPECT_EQ(file.GetLastError(), 0u);
    ASSERT_NE(file.Open(m_folder.Path("r.bin")), 0);
    EXPECT_TRUE(Throws([&] { file.Write("x", 1); }));
    EXPECT_EQ(file.GetLastError(), kDone);
    file.Close();
    EXPECT_TRUE(Throws([&] { file.Seek(0, 0); }));
    EXPECT_EQ(m_folder.ReadBytes("r.bin"), "abc");
}

TEST_F(CBinaryFileImpTest, DestructionLetsTheFileGo)
{
    m_folder.WriteBytes("d.bin", "d");
    {
        CBinaryFileImp file;
        ASSERT_NE(file.Open(m_folder.Path("d.bin")), 0);
    }
    CBinaryFileImp again;
    EXPECT_NE(again.Open(m_folder.Path("d.bin")), 0);
}

TEST_F(CBinaryFileImpTest, PluginCallsGoToTheModuleGiven)
{
    CBinaryFileImp file(m_plugin);
    EXPECT_EQ(file.GetIcon(u"bmp,dib"), 0x12340003u);
    char16_t buffer[32] = {};
    file.GetUserError(12, buffer);
    EXPECT_EQ(CString(buffer), u"error 12");
    CBinaryFileImp alone;
    EXPECT_EQ(alone.GetIcon(u"bmp"), 0u);
}

TEST_F(CBinaryFileImpTest, LastErrorIsTheObjectsOwnThroughTheBase)
{
    CBinaryFileImp file(m_plugin);
    CPluginImp* base = &file;
    EXPECT_EQ(base->GetLastError(), 0u);
    EXPECT_EQ(file.Open(m_folder.Path("missing.bin")), 0);
    EXPECT_EQ(base->GetLastError(), 4u);
}

}  // namespace
