// HelloKel: a framework application with a log file, language packs in English and Chinese, parameters and
// plug-ins; it opens no window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/CIniStream.h"
#include "framework/CAppParam.h"
#include "framework/CErrorCode.h"
#include "framework/CKelApp.h"
#include "platform/Text.h"
#include "plugins/CPluginMgr.h"

namespace {

constexpr UINT kIdGreeting = 1;
constexpr DWORD kErrorNoDevice = 3;
constexpr UINT kChinese = 2052;
constexpr UINT kEnglish = 1033;

// The service objects of the program: texts of their own when there is no language pack.
class CGreeter : public CErrorCode {
public:
    void Greet()
    {
        std::printf("%s\n", ToUtf8(LoadStringW(kIdGreeting)).c_str());
        std::printf("%s\n", ToUtf8(GetErrorInfo(kErrorNoDevice)).c_str());
        LOG(u"greeted in language %s", LoadStringW(2).GetString());
    }

protected:
    CString LoadDefaultString(UINT nID) override { return nID == kIdGreeting ? CString(u"Hello") : CString(); }
};

// The window's place and its font, kept as text in "HelloKel.ini" beside the program.
class CHelloParam : public CAppParam {
public:
    RECT m_rcWindow{};
    LOGFONTW m_font{};

protected:
    int HasProfile() override { return 0; }
    void LoadDefaultConfig() override
    {
        m_rcWindow = {100, 100, 500, 400};
        m_font = {};
        m_font.lfHeight = -12;
        m_font.lfWeight = 400;
        m_font.lfCharSet = 134;
        std::char_traits<char16_t>::copy(m_font.lfFaceName, u"宋体", 3);
    }
    // A value that is missing or damaged keeps what the defaults put there.
    int LoadConfig(LPCWSTR lpszPath) override
    {
        LoadDefaultConfig();
        CIniStream ini;
        if (!ini.Open(lpszPath, 0)) return 0;
        void* segment = ini.FindSegment(u"Window", 0);
        CString value;
        if (ini.GetData(segment, u"Rect", value)) StrToRECT(m_rcWindow, value);
        if (ini.GetData(segment, u"Font", value)) StrToLOGFONT(m_font, value);
        return 1;
    }
    int SaveConfig(LPCWSTR lpszPath) override
    {
        CIniStream ini;
        ini.Open(lpszPath, 0x1000);
        void* segment = ini.FindSegment(u"Window", 1);
        CString value;
        RECTToStr(value, m_rcWindow);
        ini.SetData(segment, u"Rect", value);
        LOGFONTToStr(value, m_font);
        ini.SetData(segment, u"Font", value);
        return ini.Save();
    }
};

class CHelloKelApp : public CKelApp {
public:
    CHelloKelApp() { m_dwFlags = 0x01 | 0x02 | 0x04 | 0x10; }

    BOOL InitInstance() override
    {
        CKelApp::InitInstance();
        CGreeter greeter;
        greeter.Greet();
        ListPlugins();
        // The window moves a little on every run; ExitInstance saves where it is now.
        auto* param = static_cast<CHelloParam*>(GetAppParam());
        OffsetWindow(param->m_rcWindow, 10);
        // Nothing more to do: no window, so the program ends through ExitInstance.
        return FALSE;
    }

protected:
    void InitParam() override
    {
        m_pAppParam = new CHelloParam;
        m_pAppParam->LoadParam();
    }

    // The user's language as the host names it: Chinese for zh_*, English otherwise.
    void InitLangPack() override
    {
        const char* lang = std::getenv("LANG");
        InitLangPack(lang && std::strncmp(lang, "zh", 2) == 0 ? kChinese : kEnglish);
    }
    using CKelApp::InitLangPack;

private:
    // One line per plug-in in "Plugin" beside the program, and what a file-type plug-in takes.
    void ListPlugins()
    {
        CPluginMgr* plugins = GetPluginMgr();
        for (POSITION pos = plugins->FindFirstPluginPosition(0xFFFFFFFF); pos;) {
            CPluginInfo* info = plugins->FindNextPlugin(pos, 0xFFFFFFFF);
            if (!info) continue;
            std::printf("plug-in %s type 0x%X [%s]\n", ToUtf8(info->GetName()).c_str(), info->m_dwType,
                        ToUtf8(plugins->GetSupportString(info)).c_str());
        }
        for (const char16_t* name : {u"notes.TXT", u"todo.note"}) {
            const CFileTypeInfo* type = plugins->FindFileTypeInfo(name);
            if (!type) continue;
            int icon = -1;
            HIMAGELIST icons = plugins->FindFileIcon(name, 1, &icon);
            std::printf("%s: %s, icon %d of %d\n", ToUtf8(name).c_str(), ToUtf8(type->m_strDescription).c_str(), icon,
                        ImageList_GetImageCount(icons));
        }
    }
    static void OffsetWindow(RECT& rect, LONG by)
    {
        rect.left += by;
        rect.top += by;
        rect.right += by;
        rect.bottom += by;
    }
};

CHelloKelApp theApp;

}  // namespace
