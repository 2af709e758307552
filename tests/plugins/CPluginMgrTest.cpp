// Tests of CPluginMgr: the plug-in search, type codes, the support-string grammar, icons, lookups,
// the filtered iteration and the release, against copies of a configurable test plug-in.
#include "plugins/CPluginMgr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/HostPath.h"
#include "platform/ModuleApi.h"
#include "platform/Text.h"
#include "tests/platform/TestFolder.h"

namespace {

struct PluginSetUp {
    std::string name;
    DWORD type;
    const char16_t* support;
    UINT icon = 128;
};

// The manager with its file-type list open to the tests.
class InspectedMgr : public CPluginMgr {
public:
    // "description|EXTENSION" of every record, in list order.
    std::vector<std::string> AllTypes()
    {
        std::vector<std::string> types;
        for (POSITION pos = m_listFileType.GetHeadPosition(); pos;) {
            const auto* type = static_cast<CFileTypeInfo*>(m_listFileType.GetNext(pos));
            types.push_back(ToUtf8(type->m_strDescription) + "|" + ToUtf8(type->m_strExtension));
        }
        return types;
    }
    int ImageCount(int large) { return ImageList_GetImageCount(large ? m_hLargeImage : m_hSmallImage); }
};

class CPluginMgrTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.IsValid());
        std::filesystem::create_directories(m_folder.Host("app/Plugin"));
        m_app = ToWindowsPath(m_folder.Host("app"));
    }
    void TearDown() override
    {
        for (HMODULE module : m_held) FreeLibrary(module);
    }

    // Copies the test plug-in into the plug-in folder and sets it up; the test keeps it loaded until
    // its end, so its probes can be read after the manager is gone.
    HMODULE Install(const PluginSetUp& plugin)
    {
        std::filesystem::copy_file(PELRUDO_MANAGER_PLUGIN, PluginHost(plugin.name));
        HMODULE module = LoadLibrary(PluginPath(plugin.name));
        if (!module) return nullptr;
        m_held.push_back(module);
        Probe<void (*)(DWORD, LPCWSTR, UINT)>(module, "TestSetUp")(plugin.type, plugin.support, plugin.icon);
        return module;
    }
    std::vector<HMODULE> InstallAll(const std::vector<PluginSetUp>& plugins)
    {
        std::vector<HMODULE> modules;
        for (const PluginSetUp& plugin : plugins) modules.push_back(Install(plugin));
        return modules;
    }

    std::string PluginHost(const std::string& name) const { return m_folder.Host("app/Plugin/" + name + ".bsp"); }
    CString PluginPath(const std::string& name) const { return ToWindowsPath(PluginHost(name)); }

    template <class Fn>
    static Fn Probe(HMODULE module, const char* name)
    {
        return reinterpret_cast<Fn>(GetProcAddress(module, name));
    }
    static std::string IconsAsked(HMODULE module)
    {
        return ToUtf8(CString(Probe<LPCWSTR (*)()>(module, "TestIconsAsked")()));
    }
    static int TypeCalls(HMODULE module) { return Probe<int (*)()>(module, "TestTypeCalls")(); }

    // Description and extension of every file type, in list order.
    static std::vector<std::string> Types(CPluginMgr& manager, const std::vector<std::string>& names)
    {
        std::vector<std::string> found;
        for (const std::string& name : names) {
            const CFileTypeInfo* type = manager.FindFileTypeInfo(FromUtf8(name));
            found.push_back(type ? ToUtf8(type->m_strDescription) + "|" + ToUtf8(type->m_strExtension) : "-");
        }
        return found;
    }

    TestFolder m_folder;
    CString m_app;
    std::vector<HMODULE> m_held;
};

TEST_F(CPluginMgrTest, WithoutPluginFolderNothingIsLoaded)
{
    std::filesystem::remove(m_folder.Host("app/Plugin"));
    CPluginMgr manager;
    manager.Init(m_app);
    EXPECT_EQ(manager.FindFirstPluginPosition(0xFFFFFFFF), nullptr);
    EXPECT_EQ(manager.FindFileTypeInfo(u"a.bmp"), nullptr);
    int index = 7;
    EXPECT_NE(manager.FindFileIcon(u"a.bmp", 1, &index), nullptr);
    EXPECT_EQ(index, -1);
}

TEST_F(CPluginMgrTest, FileTypesOfTheSupportStringWithTheirIcons)
{
    HMODULE module = Install({"Pictures", 0x1, u"Bitmap|bmp,dib;JPEG image|jpg,Jpeg"});
    CPluginMgr manager;
    manager.Init(m_app + u"\\");
    POSITION pos = manager.FindFirstPluginPosition(0x1);
    CPluginInfo* info = manager.FindNextPlugin(pos, 0x1);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(ToUtf8(info->GetName()), "Pictures.bsp");
    EXPECT_EQ(ToUtf8(info->m_strPath), ToUtf8(PluginPath("Pictures")));
    EXPECT_EQ(info->m_hModule, module);
    EXPECT_EQ(info->m_dwType, 0x1u);
    EXPECT_TRUE(info->m_bFreeLibrary);

    EXPECT_EQ(Types(manager, {"picture.jpg", "x.DIB", "bmp", "a.tar.jpeg", "a.bmp.txt", "jpg."}),
              (std::vector<std::string>{"JPEG image|JPG", "Bitmap|DIB", "Bitmap|BMP", "JPEG image|JPEG", "-", "-"}));
    // "_GetIcon" is given each entry's last extension as written.
    EXPECT_EQ(IconsAsked(module), "dib/Jpeg/");
    EXPECT_EQ(ToUtf8(manager.GetSupportString(info)), "BMP DIB JPG JPEG");

    // One icon pair per entry: both entries' icons, in both lists.
    const CFileTypeInfo* bmp = manager.FindFileTypeInfo(u"bmp");
    const CFileTypeInfo* dib = manager.FindFileTypeInfo(u"dib");
    const CFileTypeInfo* jpg = manager.FindFileTypeInfo(u"jpg");
    EXPECT_EQ(bmp->m_nIconID, 128u);
    EXPECT_EQ(bmp->m_pPluginInfo, info);
    EXPECT_EQ(bmp->m_nLargeIcon, 0);
    EXPECT_EQ(dib->m_nLargeIcon, 0);
    EXPECT_EQ(jpg->m_nLargeIcon, 1);
    EXPECT_EQ(jpg->m_nSmallIcon, 1);
    int index = -1;
    HIMAGELIST large = manager.FindFileIcon(u"c:\\x.JPEG", 1, &index);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(ImageList_GetImageCount(large), 2);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(large, &cx, &cy));
    EXPECT_EQ(cx, 32);
    HIMAGELIST small = manager.FindFileIcon(u"x.bmp", 0, &index);
    EXPECT_EQ(index, 0);
    ASSERT_TRUE(ImageList_GetIconSize(small, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(ImageList_GetBkColor(small), 0xFFFFFFu);
    EXPECT_EQ(ImageList_GetImageCount(small), 2);
}

TEST_F(CPluginMgrTest, SupportStringGrammar)
{
    struct Case {
        const char16_t* support;
        std::vector<std::string> types;
        std::string iconsAsked;  // each extension "_GetIcon" was given, followed by "/"
    };
    const Case cases[] = {
        {u"Bitmap|bmp;", {"Bitmap|BMP"}, "bmp/"},
        {u"", {"|"}, "/"},
        {u"bmp,dib", {"bmp,dib|BMP", "bmp,dib|DIB"}, "dib/"},
        {u"Bitmap|x|bmp", {"Bitmap|BMP"}, "bmp/"},
        {u"A|a,,b;;B|", {"A|A", "A|", "A|B", "|", "B|B"}, "b//B/"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(CString(c.support)));
        const std::string name = "P" + std::to_string(n++);
        HMODULE module = Install({name, 0x2, c.support, 0});
        {
            InspectedMgr manager;
            manager.Init(m_app);
            EXPECT_EQ(manager.AllTypes(), c.types);
            EXPECT_EQ(IconsAsked(module), c.iconsAsked);
            // An icon the plug-in does not have is not added, and its index is -1.
            EXPECT_EQ(manager.ImageCount(1) + manager.ImageCount(0), 0);
            const CFileTypeInfo* first = manager.FindFileTypeInfo(u"x." + FromUtf8(c.types[0].substr(c.types[0].find('|') + 1)));
            ASSERT_NE(first, nullptr);
            EXPECT_EQ(first->m_nLargeIcon, -1);
            EXPECT_EQ(first->m_nSmallIcon, -1);
        }
        std::filesystem::remove(PluginHost(name));
    }
}

TEST_F(CPluginMgrTest, AnOverlongSupportStringIsCutAt511)
{
    CString support = u"Long|";
    while (support.GetLength() < 1500) support += u"abcdefgh,";
    HMODULE module = Install({"Long", 0x1, support, 128});
    InspectedMgr manager;
    manager.Init(m_app);
    const std::vector<std::string> types = manager.AllTypes();
    ASSERT_FALSE(types.empty());
    std::string all = "Long|";
    for (const std::string& type : types) all += type.substr(5) + ",";
    // The cut text holds the description and the extensions up to unit 511.
    EXPECT_EQ(all.size(), 512u);
    EXPECT_EQ(types.back(), "Long|" + std::string("ABCDEFGH").substr(0, (511 - 5) % 9));
    EXPECT_EQ(Probe<int (*)()>(module, "TestSupportCalls")(), 1);
}

TEST_F(CPluginMgrTest, TwoPluginsDeclaringOneExtensionTheFirstFoundWins)
{
    InstallAll({{"B", 0x1, u"Second|txt,log"}, {"A", 0x1, u"First|TXT"}});
    InspectedMgr manager;
    manager.Init(m_app);
    EXPECT_EQ(manager.AllTypes(), (std::vector<std::string>{"First|TXT", "Second|TXT", "Second|LOG"}));
    const CFileTypeInfo* type = manager.FindFileTypeInfo(u"notes.txt");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(ToUtf8(type->m_pPluginInfo->GetName()), "A.bsp");
    POSITION pos = manager.FindFirstPluginPosition(0x1);
    CPluginInfo* first = manager.FindNextPlugin(pos, 0x1);
    CPluginInfo* second = manager.FindNextPlugin(pos, 0x1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(ToUtf8(manager.GetSupportString(first)), "TXT");
    EXPECT_EQ(ToUtf8(manager.GetSupportString(second)), "TXT LOG");
}

TEST_F(CPluginMgrTest, IterationPositions)
{
    struct Case {
        std::vector<DWORD> types;
        DWORD mask;
        std::vector<std::string> steps;  // per call: the plug-in returned and where pos is left
    };
    const Case cases[] = {
        {{0x1, 0x200, 0x1}, 0x1, {"A.bsp pos B.bsp", "C.bsp pos null"}},
        {{0x1, 0x200}, 0x1, {"A.bsp pos B.bsp", "null pos null"}},
        {{0x200, 0x1}, 0x1, {"B.bsp pos null"}},
        {{0x1, 0x200, 0x100}, 0x300, {"B.bsp pos C.bsp", "C.bsp pos null"}},
        {{0x1, 0x2}, 0x200, {}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const std::string folder = "app" + std::to_string(n++);
        std::filesystem::create_directories(m_folder.Host(folder + "/Plugin"));
        std::vector<PluginSetUp> plugins;
        for (std::size_t i = 0; i < c.types.size(); ++i)
            plugins.push_back({folder + "/Plugin/" + std::string(1, static_cast<char>('A' + i)), c.types[i], u"T|t"});
        for (const PluginSetUp& plugin : plugins) {
            std::filesystem::copy_file(PELRUDO_MANAGER_PLUGIN, m_folder.Host(plugin.name + ".bsp"));
            HMODULE module = LoadLibrary(ToWindowsPath(m_folder.Host(plugin.name + ".bsp")));
            ASSERT_NE(module, nullptr);
            m_held.push_back(module);
            Probe<void (*)(DWORD, LPCWSTR, UINT)>(module, "TestSetUp")(plugin.type, plugin.support, plugin.icon);
        }
        CPluginMgr manager;
        manager.Init(ToWindowsPath(m_folder.Host(folder)));
        auto name = [&](POSITION at) {
            if (!at) return std::string("null");
            POSITION copy = at;
            return ToUtf8(manager.FindNextPlugin(copy, 0xFFFFFFFF)->GetName());
        };
        POSITION pos = manager.FindFirstPluginPosition(c.mask);
        std::vector<std::string> steps;
        while (pos) {
            CPluginInfo* info = manager.FindNextPlugin(pos, c.mask);
            steps.push_back((info ? ToUtf8(info->GetName()) : std::string("null")) + " pos " + name(pos));
        }
        EXPECT_EQ(steps, c.steps);
        POSITION none = nullptr;
        EXPECT_EQ(manager.FindNextPlugin(none, c.mask), nullptr);
    }
}

TEST_F(CPluginMgrTest, OnlyFileTypePluginsAreAskedForTypes)
{
    std::vector<HMODULE> modules = InstallAll({{"A", 0x100, u"Kept|kpt"}, {"B", 0x200, u"Other|oth"}, {"C", 0x80, u"F|f"}});
    CPluginMgr manager;
    manager.Init(m_app);
    EXPECT_EQ(Probe<int (*)()>(modules[0], "TestSupportCalls")(), 0);
    EXPECT_EQ(Probe<int (*)()>(modules[1], "TestSupportCalls")(), 0);
    EXPECT_EQ(Probe<int (*)()>(modules[2], "TestSupportCalls")(), 1);
    EXPECT_EQ(manager.FindFileTypeInfo(u"a.kpt"), nullptr);
    POSITION pos = manager.FindFirstPluginPosition(0x100);
    CPluginInfo* kept = manager.FindNextPlugin(pos, 0x100);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(ToUtf8(kept->GetName()), "A.bsp");
    EXPECT_FALSE(kept->m_bFreeLibrary);
    EXPECT_EQ(ToUtf8(manager.GetSupportString(kept)), "");
}

TEST_F(CPluginMgrTest, ATypeHundredLibraryStaysLoadedAfterTheManager)
{
    {
        HMODULE module = Install({"Kept", 0x100, u""});
        CPluginMgr manager;
        manager.Init(m_app);
        EXPECT_EQ(TypeCalls(module), 1);
        // Only the manager's load is left.
        m_held.clear();
        FreeLibrary(module);
    }
    HMODULE again = LoadLibrary(PluginPath("Kept"));
    ASSERT_NE(again, nullptr);
    m_held.push_back(again);
    // Still the same loaded library, with the state the manager's call left; both loads are freed at the end.
    EXPECT_EQ(TypeCalls(again), 1);
    m_held.push_back(again);
}

TEST_F(CPluginMgrTest, BadLibrariesAreSkipped)
{
    m_folder.WriteBytes("app/Plugin/A.bsp", "this is not a library");
    std::filesystem::copy_file(PELRUDO_NOT_A_PLUGIN, PluginHost("B"));
    Install({"C", 0x1, u"Good|gd"});
    InspectedMgr manager;
    manager.Init(m_app);
    POSITION pos = manager.FindFirstPluginPosition(0xFFFFFFFF);
    std::vector<std::string> names;
    while (pos) names.push_back(ToUtf8(manager.FindNextPlugin(pos, 0xFFFFFFFF)->GetName()));
    EXPECT_EQ(names, std::vector<std::string>{"C.bsp"});
    EXPECT_EQ(manager.AllTypes(), std::vector<std::string>{"Good|GD"});
}

}  // namespace
