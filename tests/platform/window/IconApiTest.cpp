// Tests of icons from .ico files and resources, and of image lists, without any window system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/CImageList.h"
#include "platform/HostPath.h"
#include "platform/IconApi.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/detail/IconData.h"

namespace {

const std::string kFixtures = std::string(PELRUDO_TEST_SOURCE) + "/";

class IconApi : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/pelrudo-icon-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_prefix = pattern;
        setenv("PELRUDO_PREFIX", m_prefix.c_str(), 1);
        ResetPrefix();
    }
    void TearDown() override { std::system(("rm -rf '" + m_prefix + "'").c_str()); }

    static HICON LoadFile(const std::string& name, int cx, int cy, UINT flags = LR_LOADFROMFILE)
    {
        std::u16string path = Utf8ToUtf16(name[0] == '/' ? name : kFixtures + name);
        return static_cast<HICON>(LoadImage(nullptr, path.c_str(), IMAGE_ICON, cx, cy, flags));
    }

    std::string m_prefix;
};

TEST_F(IconApi, LoadImageChoosesTheClosestSize)
{
    struct Case {
        const char* file;
        int cx, cy;
        int width, bits;
    } cases[] = {{"two_sizes.ico", 16, 16, 16, 24}, {"two_sizes.ico", 32, 32, 32, 32}, {"two_sizes.ico", 20, 20, 16, 24},
                 {"two_sizes.ico", 0, 0, 32, 32},  {"forms.ico", 16, 16, 16, 4},     {"forms.ico", 20, 20, 20, 8},
                 {"forms.ico", 24, 24, 24, 32},   {"forms.ico", 48, 48, 48, 32},    {"forms.ico", 0, 0, 16, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.cx));
        HICON icon = LoadFile(c.file, c.cx, c.cy);
        ASSERT_NE(icon, nullptr);
        int cx = 0, cy = 0;
        EXPECT_TRUE(GetIconSize(icon, &cx, &cy));
        EXPECT_EQ(cx, c.width);
        EXPECT_EQ(cy, c.width);
        EXPECT_EQ(icon->bitCount, c.bits);
        EXPECT_TRUE(DestroyIcon(icon));
    }
    HICON icon = LoadFile("forms.ico", 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width, 24);  // 24 and 48 are equally far from 32: the deeper one, first found, wins
    DestroyIcon(icon);
}

TEST_F(IconApi, DamagedFilesNeverLoad)
{
    std::ifstream in(kFixtures + "two_sizes.ico", std::ios::binary);
    std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"cut in the last image", good.substr(0, good.size() - 10)},
        {"cut in the directory", good.substr(0, 20)},
        {"no images", std::string("\0\0\1\0\0\0", 6)},
        {"not an icon", "hello, world"},
        {"offset past the end", [&] { std::string s = good; s[6 + 12 + 1] = '\x7f'; return s; }()},
        {"image header lies about its size", [&] { std::string s = good; s[6 + 32 + 4] = '\x7f'; return s; }()},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = m_prefix + "/bad.ico";
        std::ofstream(path, std::ios::binary) << c.bytes;
        SetLastError(0);
        EXPECT_EQ(LoadFile(path, 32, 32), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    }
    EXPECT_EQ(LoadFile("truncated.ico", 16, 16), nullptr);
    EXPECT_EQ(LoadFile("no-such.ico", 16, 16), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(IconApi, LoadsIconGroupsOfTheProgram)
{
    HICON big = LoadIcon(nullptr, MAKEINTRESOURCEW(128));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->width, 32);
    HICON small = static_cast<HICON>(LoadImage(nullptr, MAKEINTRESOURCEA(130), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->width, 16);
    EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEW(129)), nullptr);
    EXPECT_EQ(LoadImage(nullptr, MAKEINTRESOURCEW(128), IMAGE_BITMAP, 16, 16, 0), nullptr);
    HICON copy = CopyIcon(big);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, big);
    EXPECT_EQ(copy->image, big->image);
    EXPECT_TRUE(DestroyIcon(big));
    EXPECT_FALSE(DestroyIcon(big));  // a destroyed handle is refused, not freed twice
    EXPECT_EQ(CopyIcon(big), nullptr);
    DestroyIcon(copy);
    DestroyIcon(small);
}

TEST_F(IconApi, ImageListsKeepTheirOwnCopies)
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 8, 1);
    ASSERT_NE(list, nullptr);
    HICON a = LoadFile("two_sizes.ico", 16, 16);
    HICON b = LoadFile("forms.ico", 16, 16);
    EXPECT_EQ(ImageList_AddIcon(list, a), 0);
    EXPECT_EQ(ImageList_AddIcon(list, b), 1);
    DestroyIcon(a);
    EXPECT_EQ(ImageList_AddIcon(list, a), -1);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    HICON back = ImageList_GetIcon(list, 0, 0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->bitCount, 24);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, b), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 5, b), -1);
    EXPECT_EQ(ImageList_SetBkColor(list, 0xFFFFFF), CLR_NONE);
    EXPECT_EQ(ImageList_GetBkColor(list), 0xFFFFFFu);
    EXPECT_TRUE(ImageList_Remove(list, 0));
    EXPECT_EQ(ImageList_GetImageCount(list), 1);
    EXPECT_TRUE(ImageList_RemoveAll(list));
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_AddIcon(list, b), -1);
    DestroyIcon(b);
    DestroyIcon(back);
}

TEST_F(IconApi, CImageListOwnsItsHandle)
{
    CImageList images;
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR8 | ILC_MASK, 8, 1));
    EXPECT_FALSE(images.Create(16, 16, 0, 0, 1));
    HICON icon = LoadFile("two_sizes.ico", 16, 16);
    EXPECT_EQ(images.Add(icon), 0);
    EXPECT_EQ(images.GetImageCount(), 1);
    HIMAGELIST handle = images.Detach();
    EXPECT_EQ(images.GetImageCount(), 0);
    EXPECT_EQ(ImageList_GetImageCount(handle), 1);
    {
        CImageList other;
        EXPECT_TRUE(other.Attach(handle));
    }
    EXPECT_FALSE(ImageList_Destroy(handle));  // the owner destroyed it
    DestroyIcon(icon);
}

}  // namespace
