// CFunction: number and hexadecimal conversions, string splitting, the temporary name and file helpers.
#include "core/CFunction.h"

#include <string_view>

#include "platform/FileApi.h"

namespace {

constexpr char16_t kBackslash = u'\\';

bool EndsWithBackslash(const CString& str)
{
    return !str.IsEmpty() && str[str.GetLength() - 1] == kBackslash;
}

// Length of the leading run of text[pos...] that holds no separator.
std::size_t PieceEnd(std::u16string_view text, std::size_t pos, std::u16string_view separators)
{
    const std::size_t end = text.find_first_of(separators, pos);
    return end == std::u16string_view::npos ? text.size() : end;
}

CString Slice(std::u16string_view text, std::size_t begin, std::size_t end)
{
    return CString(text.substr(begin, end - begin));
}

}  // namespace

CString CFunction::NumToStr(int nNum)
{
    // Work on the magnitude as unsigned so that the smallest int has one too.
    DWORD magnitude = nNum < 0 ? 0u - static_cast<DWORD>(nNum) : static_cast<DWORD>(nNum);
    char16_t digits[12];
    int pos = 12;
    do {
        digits[--pos] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (nNum < 0)
        digits[--pos] = u'-';
    return CString(digits + pos, 12 - pos);
}

int CFunction::StrToNum(CString strNum)
{
    const std::u16string_view text = strNum.View();
    const bool negative = !text.empty() && text.front() == u'-';
    DWORD value = 0;  // wraps modulo 2^32 on purpose
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        if (text[i] >= u'0' && text[i] <= u'9')
            value = value * 10 + static_cast<DWORD>(text[i] - u'0');
    }
    if (negative)
        value = 0u - value;
    return static_cast<int>(value);
}

WORD CFunction::HexToWORD(CString& strHex)
{
    strHex.Trim();
    if (strHex.GetLength() > 4)
        strHex = strHex.Right(4);
    strHex.MakeUpper();

    WORD result = 0;
    for (int i = 0; i < strHex.GetLength(); ++i) {
        const char16_t ch = strHex[i];
        const int count = (ch >= u'A' && ch <= u'F') ? ch - u'A' + 10 : StrToNum(CString(ch));
        result = static_cast<WORD>(result * 16 + count);
    }
    return result;
}

CString CFunction::DWORD2Hex(DWORD dwValue)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    char16_t text[8];
    for (int i = 7; i >= 0; --i) {
        text[i] = kDigits[dwValue & 0xFu];
        dwValue >>= 4;
    }
    return CString(text, 8);
}

void CFunction::DivideStr(CString strText, CStringList& list, const CString& strSeparators)
{
    const std::u16string_view text = strText.View();
    std::size_t pos = 0;
    do {
        const std::size_t end = PieceEnd(text, pos, strSeparators.View());
        list.AddTail(Slice(text, pos, end));
        pos = end + 1;  // the piece and the one separator after it
    } while (pos < text.size());
}

void CFunction::DivideStr(CString strText, CString* pSlots, const CString& strSeparators, int nCount)
{
    if (!pSlots || nCount <= 0)
        return;
    const std::u16string_view text = strText.View();
    std::size_t pos = 0;
    for (int slot = 0; slot < nCount; ++slot) {
        const std::size_t end = PieceEnd(text, pos, strSeparators.View());
        pSlots[slot] = Slice(text, pos, end);
        pos = end + 1;
        if (pos >= text.size())
            return;
        if (slot == nCount - 2) {
            pSlots[nCount - 1] = Slice(text, pos, text.size());
            return;
        }
    }
}

void CFunction::DivideStr(const char16_t* pszText, CStringList& list, char16_t chSeparator)
{
    if (!pszText || *pszText == 0)
        return;
    const char16_t* piece = pszText;
    for (const char16_t* p = pszText; *p != 0; ++p) {
        if (*p != chSeparator)
            continue;
        list.AddTail(CString(piece, static_cast<int>(p - piece)));
        piece = p + 1;
    }
    list.AddTail(CString(piece));
}

CString CFunction::GetTempFilename(const CString& strName, const CString& strExt)
{
    char16_t windows[MAX_PATH] = {};
    ::GetWindowsDirectory(windows, MAX_PATH);
    CString folder(windows);
    if (!EndsWithBackslash(folder))
        folder += kBackslash;
    folder += strName;
    folder += u"tmp";
    ::CreateDirectory(folder, nullptr);  // it may exist already

    CString path = folder + kBackslash + strName + u'.';
    path += strExt.IsEmpty() ? CString(u"tmp") : strExt;
    return path;
}

CString CFunction::GetCurrentDirectoryW()
{
    // The usual 260 characters first; a longer folder is fetched whole rather than cut.
    CString folder;
    DWORD size = MAX_PATH;
    for (;;) {
        const DWORD length = ::GetCurrentDirectory(size, folder.GetBuffer(static_cast<int>(size)));
        if (length < size) {
            folder.ReleaseBuffer(static_cast<int>(length));
            return folder;
        }
        size = length;
    }
}

int CFunction::IsFolder(const CString& strPath)
{
    return EndsWithBackslash(strPath) ? 1 : 0;
}

DWORD CFunction::GetFileSize(const CString& strPath)
{
    const HANDLE file = ::CreateFile(strPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    const DWORD size = ::GetFileSize(file, nullptr);
    ::CloseHandle(file);
    return size;
}
