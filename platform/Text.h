// Text conversions at the platform's edges: UTF-16 to and from UTF-8, and the narrow code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/CStringT.h"
#include "platform/WinTypes.h"

#define CP_ACP 0u
#define CP_UTF8 65001u

// UTF-8 for the host's system calls; ill-formed input becomes U+FFFD, never an error.
std::string Utf16ToUtf8(std::u16string_view text);
// The length of Utf16ToUtf8(text), counted without making it.
std::size_t Utf8Size(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
inline std::string ToUtf8(const CStringW& s) { return Utf16ToUtf8(s.View()); }
inline CStringW FromUtf8(std::string_view s) { return CStringW(std::u16string_view(Utf8ToUtf16(s))); }

// The system code page of narrow programs: 936 unless PELRUDO_CODEPAGE names another (or SetACP did).
UINT GetACP();
void SetACP(UINT codePage);

// Code-page text through iconv; CP_ACP means GetACP(). Unconvertible characters become '?'.
std::u16string AnsiToUtf16(std::string_view text, UINT codePage = CP_ACP);
std::string Utf16ToAnsi(std::u16string_view text, UINT codePage = CP_ACP);

// The platform's counting converters: -1 as the source length converts up to and including the
// terminator; a destination size of 0 asks for the size needed. They return the number of units
// written (0 with the last error on failure: ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int cbMultiByte, LPWSTR wide, int cchWide);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int cchWide, LPSTR multiByte, int cbMultiByte,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);

// Double-byte awareness: is the byte a lead byte of the code page (936: 0x81-0xFE)?
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE byte);
BOOL IsDBCSLeadByte(BYTE byte);
// The last occurrence of ch in text walked character by character, so a trail byte never matches.
const char* MbsRChr(const char* text, char ch);

// The host form of any platform text: UTF-16 as is converted to UTF-8, narrow text from the code page.
inline std::string ToHostText(const char16_t* s) { return s ? Utf16ToUtf8(s) : std::string(); }
inline std::string ToHostText(const char* s) { return s ? Utf16ToUtf8(AnsiToUtf16(s)) : std::string(); }
