// CFunction's existence tests, answered by a first-match search of the library's file finder.
#include "core/CFunction.h"

#include "plugins/CKelFileFind.h"

int CFunction::IsPathExist(CString strPath)
{
    if (IsFolder(strPath)) strPath += u"*.*";
    return IsFileExist(strPath);
}

int CFunction::IsFileExist(const CString& strPath)
{
    CKelFileFind finder;
    const int found = finder.FindFile(strPath);
    finder.Close();
    return found ? 1 : 0;
}
