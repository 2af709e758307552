// Tests of CFunction::IsPathExist and IsFileExist.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/CFunction.h"
#include "tests/platform/TestFolder.h"

namespace {

TEST(CFunctionPathsTest, ExistenceOfFilesFoldersAndPatterns)
{
    TestFolder folder;
    std::filesystem::create_directory(folder.Host("full"));
    std::filesystem::create_directory(folder.Host("empty"));
    folder.WriteBytes("full/app.ini", "x");
    const CString full = folder.Path("full");
    const CString empty = folder.Path("empty");
    struct Case {
        const char* what;
        CString path;
        int pathExists;
        int fileExists;
    };
    const Case cases[] = {
        {"existing file", full + u"\\app.ini", 1, 1},
        {"missing file", full + u"\\none.ini", 0, 0},
        {"folder without backslash", full, 1, 1},
        {"folder with entries, backslash", full + u"\\", 1, 0},
        // An empty folder still holds "." and "..", which "*.*" finds.
        {"empty folder, backslash", empty + u"\\", 1, 0},
        {"missing folder, backslash", folder.Path("none") + u"\\", 0, 0},
        {"pattern with a match", full + u"\\*.ini", 1, 1},
        {"pattern without a match", full + u"\\*.txt", 0, 0},
        {"empty path", CString(), 0, 0},
        {"malformed name", full + u"\\a\x01<>|b", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CFunction::IsPathExist(c.path), c.pathExists);
        EXPECT_EQ(CFunction::IsFileExist(c.path), c.fileExists);
    }
}

}  // namespace
