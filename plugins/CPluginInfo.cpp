// CPluginInfo and CFileTypeInfo: the plug-in manager's records.
#include "plugins/CFileTypeInfo.h"
#include "plugins/CPluginInfo.h"

CPluginInfo::CPluginInfo() : m_hModule(nullptr), m_dwType(0), m_bFreeLibrary(FALSE) {}

CPluginInfo::~CPluginInfo() = default;

CString CPluginInfo::GetName() { return m_strPath.Mid(m_strPath.ReverseFind(u'\\') + 1); }

CFileTypeInfo::CFileTypeInfo()
    : m_nLargeIcon(-1), m_nSmallIcon(-1), m_nIconID(0), m_pPluginInfo(nullptr)
{
}

CFileTypeInfo::~CFileTypeInfo() = default;
