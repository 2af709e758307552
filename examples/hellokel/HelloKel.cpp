// HelloKel: a framework application with a log file and language packs in English and Chinese; it opens no window.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/CErrorCode.h"
#include "framework/CKelApp.h"
#include "platform/Text.h"

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

class CHelloKelApp : public CKelApp {
public:
    CHelloKelApp() { m_dwFlags = 0x01 | 0x02; }

    BOOL InitInstance() override
    {
        CKelApp::InitInstance();
        CGreeter greeter;
        greeter.Greet();
        // Nothing more to do: no window, so the program ends through ExitInstance.
        return FALSE;
    }

protected:
    // The user's language as the host names it: Chinese for zh_*, English otherwise.
    void InitLangPack() override
    {
        const char* lang = std::getenv("LANG");
        InitLangPack(lang && std::strncmp(lang, "zh", 2) == 0 ? kChinese : kEnglish);
    }
    using CKelApp::InitLangPack;
};

CHelloKelApp theApp;

}  // namespace
