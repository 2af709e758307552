// CPluginMgr: the plug-in search, the file-type list built from the support strings, the lookups and the release.
#include "plugins/CPluginMgr.h"

#include <algorithm>
#include <vector>

#include "core/CFunction.h"
#include "platform/ModuleApi.h"
#include "platform/WinUser.h"
#include "plugins/CFileImp.h"
#include "plugins/CKelFileFind.h"

namespace {

constexpr DWORD kKeptLoaded = 0x100;
constexpr DWORD kFileTypeBits = 0xFF;
constexpr COLORREF kWhite = 0xFFFFFF;
// A plug-in's support string fits 511 units and the terminator. The plug-in is handed a larger
// buffer, so that one that writes too much is cut at 511 instead of overrunning the manager's memory.
constexpr int kSupportMax = 512;
constexpr int kSupportGuarded = 16 * kSupportMax;

// The pieces of a text split at one separator, in order.
std::vector<CString> Split(const CString& text, const CString& separator)
{
    CStringList list;
    CFunction::DivideStr(text, list, separator);
    std::vector<CString> pieces;
    for (POSITION pos = list.GetHeadPosition(); pos;) pieces.push_back(list.GetNext(pos));
    return pieces;
}

CString SupportString(HINSTANCE module)
{
    std::vector<char16_t> buffer(kSupportGuarded, u'\0');
    CFileImp(module).GetSupport(buffer.data());
    const auto end = std::find(buffer.begin(), buffer.begin() + (kSupportMax - 1), u'\0');
    return CString(buffer.data(), static_cast<int>(end - buffer.begin()));
}

HIMAGELIST CreateImageList(int size)
{
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR, 0, 1);
    ImageList_SetBkColor(list, kWhite);
    return list;
}

void DestroyImageList(HIMAGELIST& list)
{
    if (!list) return;
    ImageList_RemoveAll(list);
    ImageList_Destroy(list);
    list = nullptr;
}

}  // namespace

CPluginMgr::CPluginMgr() : m_hSmallImage(CreateImageList(16)), m_hLargeImage(CreateImageList(32)) {}

CPluginMgr::~CPluginMgr() { RestorePluginInfo(); }

void CPluginMgr::Init(CString strFolder)
{
    if (!CFunction::IsFolder(strFolder)) strFolder += u'\\';
    strFolder += u"Plugin\\*.bsp";
    CKelFileFind finder;
    if (!finder.FindFile(strFolder)) return;
    int more = 1;
    while (more) {
        more = finder.FindNextFileW();
        AddPluginInfo(finder.GetFilePath());
    }
    finder.Close();
    UpdateFileTypeList();
}

void CPluginMgr::AddPluginInfo(CString strPath)
{
    HINSTANCE module = LoadLibrary(strPath);
    if (!module) return;
    // A library that is no plug-in is not kept.
    if (!GetProcAddress(module, "_GetType")) {
        FreeLibrary(module);
        return;
    }
    auto* info = new CPluginInfo;
    info->m_strPath = strPath;
    info->m_hModule = module;
    info->m_dwType = CPluginImp(module).GetType();
    info->m_bFreeLibrary = info->m_dwType != kKeptLoaded;
    m_listPlugin.AddTail(info);
}

void CPluginMgr::UpdateFileTypeList()
{
    for (POSITION pos = m_listPlugin.GetHeadPosition(); pos;) {
        auto* info = static_cast<CPluginInfo*>(m_listPlugin.GetNext(pos));
        if (info->m_dwType & kFileTypeBits) AddFileTypes(info);
    }
}

void CPluginMgr::AddFileTypes(CPluginInfo* pInfo)
{
    for (const CString& entry : Split(SupportString(pInfo->m_hModule), u";")) AddEntry(pInfo, entry);
}

void CPluginMgr::AddEntry(CPluginInfo* pInfo, const CString& strEntry)
{
    const std::vector<CString> fields = Split(strEntry, u"|");
    const CString& extensions = fields.back();
    const UINT iconID = CFileImp(pInfo->m_hModule).GetIcon(extensions);
    // One icon pair per entry, whatever its extensions.
    const int large = AddIcon(m_hLargeImage, pInfo->m_hModule, iconID, 32);
    const int small = AddIcon(m_hSmallImage, pInfo->m_hModule, iconID, 16);
    for (CString extension : Split(extensions, u",")) {
        auto* type = new CFileTypeInfo;
        type->m_strDescription = fields.front();
        type->m_strExtension = extension.MakeUpper();
        type->m_nLargeIcon = large;
        type->m_nSmallIcon = small;
        type->m_nIconID = iconID;
        type->m_pPluginInfo = pInfo;
        m_listFileType.AddTail(type);
    }
}

int CPluginMgr::AddIcon(HIMAGELIST hImageList, HINSTANCE hModule, UINT nIconID, int nSize)
{
    auto icon = static_cast<HICON>(
        LoadImage(hModule, MAKEINTRESOURCE(LOWORD(nIconID)), IMAGE_ICON, nSize, nSize, LR_DEFAULTCOLOR));
    if (!icon) return -1;
    const int index = ImageList_AddIcon(hImageList, icon);
    DestroyIcon(icon);
    return index;
}

CFileTypeInfo* CPluginMgr::FindFileTypeInfo(const CString& strName)
{
    const CString key = strName.Mid(strName.ReverseFind(u'.') + 1);
    for (POSITION pos = m_listFileType.GetHeadPosition(); pos;) {
        auto* type = static_cast<CFileTypeInfo*>(m_listFileType.GetNext(pos));
        if (type->m_strExtension.CompareNoCase(key) == 0) return type;
    }
    return nullptr;
}

HIMAGELIST CPluginMgr::FindFileIcon(CString strName, int bLarge, int* pIndex)
{
    const CFileTypeInfo* type = FindFileTypeInfo(strName);
    int index = -1;
    if (type) index = bLarge ? type->m_nLargeIcon : type->m_nSmallIcon;
    if (pIndex) *pIndex = index;
    return bLarge ? m_hLargeImage : m_hSmallImage;
}

CString CPluginMgr::GetSupportString(CPluginInfo* pInfo)
{
    CString support;
    for (POSITION pos = m_listFileType.GetHeadPosition(); pos;) {
        const auto* type = static_cast<CFileTypeInfo*>(m_listFileType.GetNext(pos));
        if (type->m_pPluginInfo == pInfo) support += u" " + type->m_strExtension;
    }
    return support.TrimLeft();
}

POSITION CPluginMgr::FindFirstPluginPosition(DWORD dwType)
{
    for (POSITION pos = m_listPlugin.GetHeadPosition(); pos;) {
        const POSITION at = pos;
        if (static_cast<CPluginInfo*>(m_listPlugin.GetNext(pos))->m_dwType & dwType) return at;
    }
    return nullptr;
}

CPluginInfo* CPluginMgr::FindNextPlugin(POSITION& pos, DWORD dwType)
{
    while (pos) {
        auto* info = static_cast<CPluginInfo*>(m_listPlugin.GetNext(pos));
        if (info->m_dwType & dwType) return info;
    }
    return nullptr;
}

void CPluginMgr::RestorePluginInfo()
{
    while (!m_listPlugin.IsEmpty()) {
        auto* info = static_cast<CPluginInfo*>(m_listPlugin.RemoveHead());
        if (info->m_bFreeLibrary) FreeLibrary(info->m_hModule);
        delete info;
    }
    while (!m_listFileType.IsEmpty()) delete m_listFileType.RemoveHead();
    DestroyImageList(m_hLargeImage);
    DestroyImageList(m_hSmallImage);
}
